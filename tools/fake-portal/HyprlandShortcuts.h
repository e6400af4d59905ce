#pragma once

#include "ShortcutBackend.h"

namespace quillo::fakeportal {

// xdg-desktop-portal-hyprland's backend (GlobalShortcuts.cpp): every
// shortcut registers with an empty trigger description, the user binds keys
// in hyprland.conf (here: SetTrigger). A shortcut is one per app id and id
// for the life of the backend; registering it again from another session
// moves its activations there, while it stays listed where it was made.
class HyprlandShortcuts final : public ShortcutBackend {
public:
    using ShortcutBackend::ShortcutBackend;

    std::optional<ShortcutList> created(const QString &path, const ShortcutList &asked) override;
    BindAnswer bind(const QString &path, const ShortcutList &asked) override;
    ShortcutList list(const QString &path) const override;
    QList<std::pair<QString, ShortcutList>> rebind(const QString &id, const QString &trigger) override;
    void sessionGone(const QString &) override { }
    QList<KeyTarget> targets() const override;

private:
    struct Keybind {
        QString appId;
        QString id;
        QString description;
        QString creator; // the session that lists it
        QString owner; // the session its activations go to
        QString trigger; // from hyprland.conf
    };

    Keybind &registerShortcut(const QString &path, const Shortcut &shortcut);

    QList<Keybind> keybinds_;
};

} // namespace quillo::fakeportal
