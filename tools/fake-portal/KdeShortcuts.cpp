#include "KdeShortcuts.h"

#include "KdeTrigger.h"
#include "PortalCore.h"

namespace quillo::fakeportal {

QString KdeShortcuts::componentOf(const QString &path) const
{
    const Session session = core_.sessions().value(path);
    return session.appId + path.section(QLatin1Char('/'), -1);
}

std::optional<ShortcutList> KdeShortcuts::created(const QString &path, const ShortcutList &asked)
{
    sessions_.insert(path, {componentOf(path), {}});
    restoreActions(path, asked);
    return list(path);
}

// Actions kglobalaccel already knows keep their keys; new ones get the
// preferred trigger unless another action holds it; known actions left out
// of the list are dropped and free their keys.
void KdeShortcuts::restoreActions(const QString &path, const ShortcutList &asked)
{
    Attached &attached = sessions_[path];
    if (asked.isEmpty())
        return; // no "shortcuts" option: KDE touches nothing
    const QMap<QString, Action> known = components_.value(attached.component);
    QMap<QString, Action> actions;
    for (const Shortcut &shortcut : asked) {
        const QString text = shortcut.text("description");
        if (shortcut.id.isEmpty() || text.isEmpty())
            continue;
        int key = known.contains(shortcut.id) ? known.value(shortcut.id).key
                                              : KdeTrigger::parse(preferredTrigger(shortcut));
        if (keyTaken(key, attached.component, shortcut.id))
            key = 0;
        actions.insert(shortcut.id, {text, key});
        attached.actions.append(shortcut.id);
    }
    components_.insert(attached.component, actions);
    core_.log(QStringLiteral("kglobalaccel %1: %2").arg(attached.component, actions.keys().join(QLatin1Char(' '))));
}

bool KdeShortcuts::keyTaken(int key, const QString &component, const QString &id) const
{
    if (key == 0)
        return false;
    for (auto it = components_.begin(); it != components_.end(); ++it) {
        for (auto action = it->begin(); action != it->end(); ++action) {
            if (action->key == key && (it.key() != component || action.key() != id))
                return true;
        }
    }
    return false;
}

BindAnswer KdeShortcuts::bind(const QString &path, const ShortcutList &)
{
    core_.log(QStringLiteral("opened systemsettings://kcm_keys/%1").arg(sessions_.value(path).component));
    BindAnswer answer;
    answer.results.insert(QStringLiteral("shortcuts"), toVariant(list(path)));
    return answer;
}

// In kglobalaccel's order, not the order asked.
ShortcutList KdeShortcuts::list(const QString &path) const
{
    const Attached attached = sessions_.value(path);
    const QMap<QString, Action> actions = components_.value(attached.component);
    ShortcutList list;
    for (auto it = actions.begin(); it != actions.end(); ++it) {
        if (attached.actions.contains(it.key()))
            list.append(described(it.key(), it->text, KdeTrigger::describe(it->key)));
    }
    return list;
}

QList<std::pair<QString, ShortcutList>> KdeShortcuts::rebind(const QString &id, const QString &trigger)
{
    QList<std::pair<QString, ShortcutList>> changed;
    for (auto it = components_.begin(); it != components_.end(); ++it) {
        if (!it->contains(id))
            continue;
        (*it)[id].key = KdeTrigger::parse(trigger);
        for (auto session = sessions_.begin(); session != sessions_.end(); ++session) {
            if (session->component == it.key())
                changed.append({session.key(), list(session.key())});
        }
    }
    return changed;
}

// Every session of the component hears all its actions; a component with no
// session still holds its keys.
QList<KeyTarget> KdeShortcuts::targets() const
{
    QList<KeyTarget> targets;
    for (auto it = components_.begin(); it != components_.end(); ++it) {
        const QStringList listening = sessionsOf(it.key());
        for (auto action = it->begin(); action != it->end(); ++action) {
            KeyBinding binding;
            binding.qtKey = action->key;
            if (listening.isEmpty())
                targets.append({QString(), action.key(), binding});
            for (const QString &session : listening)
                targets.append({session, action.key(), binding});
        }
    }
    return targets;
}

QStringList KdeShortcuts::sessionsOf(const QString &component) const
{
    QStringList paths;
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
        if (it->component == component)
            paths.append(it.key());
    }
    return paths;
}

} // namespace quillo::fakeportal
