#include "HyprlandShortcuts.h"

#include "PortalCore.h"

namespace quillo::fakeportal {

HyprlandShortcuts::Keybind &HyprlandShortcuts::registerShortcut(const QString &path, const Shortcut &shortcut)
{
    const QString appId = core_.sessions().value(path).appId;
    for (Keybind &keybind : keybinds_) {
        if (keybind.appId != appId || keybind.id != shortcut.id)
            continue;
        core_.log(QStringLiteral("hyprland: %1 already registered for app id '%2'").arg(shortcut.id, appId));
        keybind.description = shortcut.text("description");
        keybind.owner = path;
        return keybind;
    }
    keybinds_.append({appId, shortcut.id, shortcut.text("description"), path, path, triggerOverride(shortcut.id)});
    return keybinds_.last();
}

std::optional<ShortcutList> HyprlandShortcuts::created(const QString &path, const ShortcutList &asked)
{
    for (const Shortcut &shortcut : asked)
        registerShortcut(path, shortcut);
    return std::nullopt;
}

BindAnswer HyprlandShortcuts::bind(const QString &path, const ShortcutList &asked)
{
    ShortcutList bound;
    for (const Shortcut &shortcut : asked) {
        const Keybind &keybind = registerShortcut(path, shortcut);
        bound.append(described(keybind.id, keybind.description, QString()));
    }
    BindAnswer answer;
    answer.results.insert(QStringLiteral("shortcuts"), toVariant(bound));
    return answer;
}

ShortcutList HyprlandShortcuts::list(const QString &path) const
{
    ShortcutList list;
    for (const Keybind &keybind : keybinds_) {
        if (keybind.creator == path)
            list.append(described(keybind.id, keybind.description, QString()));
    }
    return list;
}

// hyprland.conf changed: the keys move, nobody is told.
QList<std::pair<QString, ShortcutList>> HyprlandShortcuts::rebind(const QString &id, const QString &trigger)
{
    for (Keybind &keybind : keybinds_) {
        if (keybind.id == id)
            keybind.trigger = trigger;
    }
    return {};
}

QList<KeyTarget> HyprlandShortcuts::targets() const
{
    QList<KeyTarget> targets;
    for (const Keybind &keybind : keybinds_) {
        const QString session = core_.sessions().contains(keybind.owner) ? keybind.owner : QString();
        targets.append({session, keybind.id, KeyBinding::fromTrigger(keybind.trigger)});
    }
    return targets;
}

} // namespace quillo::fakeportal
