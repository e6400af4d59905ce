#include "DocumentedShortcuts.h"

#include "PortalCore.h"

namespace quillo::fakeportal {

BindAnswer DocumentedShortcuts::bind(const QString &path, const ShortcutList &asked)
{
    if (bound_.contains(path))
        return BindAnswer::failed(QStringLiteral("the shortcuts of a session are bound only once"));
    BindAnswer answer;
    answer.code = core_.outcome(QStringLiteral("GlobalShortcuts.BindShortcuts"));
    if (answer.code != 0)
        return answer;
    QList<Entry> &entries = bound_[path];
    ShortcutList bound;
    for (const Shortcut &shortcut : asked) {
        const QString trigger = preferredTrigger(shortcut);
        entries.append({shortcut.id, trigger});
        bound.append(described(shortcut.id, shortcut.text("description"), trigger));
    }
    answer.results.insert(QStringLiteral("shortcuts"), toVariant(bound));
    return answer;
}

ShortcutList DocumentedShortcuts::list(const QString &path) const
{
    ShortcutList list;
    for (const Entry &entry : bound_.value(path))
        list.append({entry.id, {{QStringLiteral("trigger_description"), entry.trigger}}});
    return list;
}

QList<std::pair<QString, ShortcutList>> DocumentedShortcuts::rebind(const QString &id, const QString &trigger)
{
    QList<std::pair<QString, ShortcutList>> changed;
    for (auto it = bound_.begin(); it != bound_.end(); ++it) {
        for (Entry &entry : *it) {
            if (entry.id != id)
                continue;
            entry.trigger = trigger;
            const Shortcut shortcut{id, {{QStringLiteral("trigger_description"), trigger}}};
            changed.append({it.key(), ShortcutList{shortcut}});
        }
    }
    return changed;
}

QList<KeyTarget> DocumentedShortcuts::targets() const
{
    QList<KeyTarget> targets;
    for (auto it = bound_.begin(); it != bound_.end(); ++it) {
        for (const Entry &entry : *it)
            targets.append({it.key(), entry.id, KeyBinding::fromTrigger(entry.trigger)});
    }
    return targets;
}

} // namespace quillo::fakeportal
