#pragma once

#include "ShortcutBackend.h"

#include <QSet>

namespace quillo::fakeportal {

// GNOME 48's backend (xdg-desktop-portal-gnome globalshortcuts.c with
// gnome-control-center's GlobalShortcutsProvider and mutter's grabs): one
// BindShortcuts per session; Settings keeps an app id's shortcuts and asks
// the user only about new ones; a trigger becomes a GTK accelerator,
// answered as "Press <accelerator>"; an accelerator another session grabbed
// first never fires.
class GnomeShortcuts final : public ShortcutBackend {
public:
    using ShortcutBackend::ShortcutBackend;

    BindAnswer bind(const QString &path, const ShortcutList &asked) override;
    ShortcutList list(const QString &path) const override;
    QList<std::pair<QString, ShortcutList>> rebind(const QString &id, const QString &trigger) override;
    void sessionGone(const QString &path) override { sessions_.remove(path); }
    QList<KeyTarget> targets() const override;

    // The accelerator Settings stores for a preferred trigger; empty when
    // GTK cannot read it.
    static QString accelerator(const QString &trigger);

private:
    struct Saved {
        QString description;
        QString accelerator;
    };
    struct Entry {
        QString id;
        QString description;
        QString accelerator;
        bool grabbed = false;
    };

    QMap<QString, Saved> settingsFor(const QString &appId, const ShortcutList &asked) const;
    bool grabbedElsewhere(const QString &accelerator) const;
    QList<Entry> grab(const QMap<QString, Saved> &saved, const ShortcutList &asked) const;

    QMap<QString, QMap<QString, Saved>> settings_; // app id -> shortcuts, as Settings stores them
    QMap<QString, QList<Entry>> sessions_; // bound sessions
};

} // namespace quillo::fakeportal
