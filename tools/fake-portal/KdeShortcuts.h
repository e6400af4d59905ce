#pragma once

#include "ShortcutBackend.h"

#include <QStringList>

namespace quillo::fakeportal {

// Plasma 5.27's backend (xdg-desktop-portal-kde globalshortcuts.cpp and
// session.cpp): the shortcuts passed to CreateSession become actions of a
// kglobalaccel component named app id + session token; BindShortcuts only
// opens System Settings. kglobalaccel keeps a component's actions and keys
// after its session is gone, so a key another component holds is not given
// again.
class KdeShortcuts final : public ShortcutBackend {
public:
    using ShortcutBackend::ShortcutBackend;

    std::optional<ShortcutList> created(const QString &path, const ShortcutList &asked) override;
    BindAnswer bind(const QString &path, const ShortcutList &asked) override;
    ShortcutList list(const QString &path) const override;
    QList<std::pair<QString, ShortcutList>> rebind(const QString &id, const QString &trigger) override;
    void sessionGone(const QString &path) override { sessions_.remove(path); }
    QList<KeyTarget> targets() const override;

private:
    struct Action {
        QString text;
        int key = 0; // Qt's combined key code, 0 for none
    };
    struct Attached {
        QString component;
        QStringList actions; // the session's own actions
    };

    QString componentOf(const QString &path) const;
    void restoreActions(const QString &path, const ShortcutList &asked);
    bool keyTaken(int key, const QString &component, const QString &id) const;
    QStringList sessionsOf(const QString &component) const;

    QMap<QString, QMap<QString, Action>> components_; // kglobalaccel: outlives sessions and the portal
    QMap<QString, Attached> sessions_;
};

} // namespace quillo::fakeportal
