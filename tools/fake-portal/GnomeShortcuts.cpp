#include "GnomeShortcuts.h"

#include "PortalCore.h"

#include <QStringList>

namespace quillo::fakeportal {
namespace {

const QString bindMethod = QStringLiteral("GlobalShortcuts.BindShortcuts");

// xdg-desktop-portal-gnome's portal_trigger_to_settings: known upper-case
// modifiers become GTK's, anything else is pasted on as it is.
QString settingsTrigger(const QString &trigger)
{
    static const QMap<QString, QString> modifiers{{QStringLiteral("CTRL"), QStringLiteral("<ctrl>")},
        {QStringLiteral("SHIFT"), QStringLiteral("<shift>")}, {QStringLiteral("ALT"), QStringLiteral("<alt>")},
        {QStringLiteral("NUM"), QStringLiteral("<mod2>")}, {QStringLiteral("LOGO"), QStringLiteral("<super>")}};
    QString result;
    for (const QString &piece : trigger.split(QLatin1Char('+')))
        result += modifiers.value(piece, piece);
    return result;
}

std::uint32_t gtkModifier(const QString &name)
{
    static const QMap<QString, std::uint32_t> known{{QStringLiteral("ctrl"), Mod::control},
        {QStringLiteral("control"), Mod::control}, {QStringLiteral("ctl"), Mod::control},
        {QStringLiteral("primary"), Mod::control}, {QStringLiteral("shift"), Mod::shift},
        {QStringLiteral("shft"), Mod::shift}, {QStringLiteral("alt"), Mod::alt}, {QStringLiteral("super"), Mod::super}};
    return known.value(name.toLower(), 0);
}

// gtk_accelerator_parse: <modifier>s, then a keysym named exactly.
std::optional<KeyBinding> parseAccelerator(QString text)
{
    KeyBinding binding;
    while (text.startsWith(QLatin1Char('<'))) {
        const qsizetype end = text.indexOf(QLatin1Char('>'));
        const std::uint32_t modifier = end < 0 ? 0 : gtkModifier(text.mid(1, end - 1));
        if (modifier == 0)
            return std::nullopt;
        binding.modifiers |= modifier;
        text = text.mid(end + 1);
    }
    binding.key = Keysym::find(text, Qt::CaseSensitive);
    if (!binding.key)
        return std::nullopt;
    binding.key = binding.key->lower();
    return binding;
}

// gtk_accelerator_name.
QString acceleratorName(const KeyBinding &binding)
{
    QString name;
    if (binding.modifiers & Mod::shift)
        name += QStringLiteral("<Shift>");
    if (binding.modifiers & Mod::control)
        name += QStringLiteral("<Control>");
    if (binding.modifiers & Mod::alt)
        name += QStringLiteral("<Alt>");
    if (binding.modifiers & Mod::super)
        name += QStringLiteral("<Super>");
    return name + binding.key->name();
}

} // namespace

QString GnomeShortcuts::accelerator(const QString &trigger)
{
    const std::optional<KeyBinding> binding = parseAccelerator(settingsTrigger(trigger));
    return binding ? acceleratorName(*binding) : QString();
}

BindAnswer GnomeShortcuts::bind(const QString &path, const ShortcutList &asked)
{
    if (sessions_.contains(path)) {
        core_.log(QStringLiteral("GlobalShortcuts: session already has bound shortcuts"));
        return BindAnswer::withCode(2);
    }
    sessions_.insert(path, {});
    const QString appId = core_.sessions().value(path).appId;
    if (appId.isEmpty()) {
        // Settings keeps shortcuts under the app id; an empty one is no path at all.
        core_.log(QStringLiteral("GlobalShortcuts: Settings failed: no app id"));
        return BindAnswer::withCode(2);
    }
    QStringList fresh;
    for (const Shortcut &shortcut : asked) {
        if (!settings_.value(appId).contains(shortcut.id))
            fresh.append(shortcut.id);
    }
    if (!fresh.isEmpty()) {
        core_.log(QStringLiteral("GlobalShortcuts: dialog for %1").arg(fresh.join(QLatin1Char(' '))));
        // The dialog closed without adding answers as an error from Settings.
        if (core_.outcome(bindMethod) != 0)
            return BindAnswer::withCode(2);
    }
    const QMap<QString, Saved> saved = settingsFor(appId, asked);
    settings_.insert(appId, saved);
    sessions_.insert(path, grab(saved, asked));
    BindAnswer answer;
    // 48.0 never sets the response of a successful bind: it comes as 2.
    answer.code = 2;
    answer.results.insert(QStringLiteral("shortcuts"), toVariant(list(path)));
    answer.changedFirst = list(path);
    return answer;
}

// What Settings answers: the shortcuts asked for, each as stored before or,
// when new, with its preferred trigger.
QMap<QString, GnomeShortcuts::Saved> GnomeShortcuts::settingsFor(const QString &appId, const ShortcutList &asked) const
{
    const QMap<QString, Saved> known = settings_.value(appId);
    QMap<QString, Saved> saved;
    for (const Shortcut &shortcut : asked) {
        QString description = shortcut.text("description");
        if (description.isEmpty())
            description = QStringLiteral("Undocumented shortcut");
        saved.insert(shortcut.id, known.value(shortcut.id, {description, accelerator(preferredTrigger(shortcut))}));
    }
    return saved;
}

QList<GnomeShortcuts::Entry> GnomeShortcuts::grab(const QMap<QString, Saved> &saved, const ShortcutList &asked) const
{
    QList<Entry> entries;
    for (const Shortcut &shortcut : asked) {
        const Saved settings = saved.value(shortcut.id);
        if (settings.accelerator.isEmpty())
            continue; // nothing to grab: the shortcut is left out
        entries.append(
            {shortcut.id, settings.description, settings.accelerator, !grabbedElsewhere(settings.accelerator)});
    }
    return entries;
}

bool GnomeShortcuts::grabbedElsewhere(const QString &accelerator) const
{
    for (const QList<Entry> &entries : sessions_) {
        for (const Entry &entry : entries) {
            if (entry.grabbed && entry.accelerator == accelerator)
                return true;
        }
    }
    return false;
}

ShortcutList GnomeShortcuts::list(const QString &path) const
{
    ShortcutList list;
    for (const Entry &entry : sessions_.value(path))
        list.append(described(entry.id, entry.description, QStringLiteral("Press %1").arg(entry.accelerator)));
    return list;
}

QList<std::pair<QString, ShortcutList>> GnomeShortcuts::rebind(const QString &id, const QString &trigger)
{
    const QString accel = accelerator(trigger);
    QList<std::pair<QString, ShortcutList>> changed;
    QStringList apps; // Settings rebinds the first session of an app id
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
        const QString appId = core_.sessions().value(it.key()).appId;
        if (apps.contains(appId))
            continue;
        apps.append(appId);
        for (Entry &entry : *it) {
            if (entry.id != id)
                continue;
            entry.grabbed = false;
            entry.accelerator = accel;
            entry.grabbed = !accel.isEmpty() && !grabbedElsewhere(accel);
            settings_[appId][id].accelerator = accel;
            changed.append({it.key(), list(it.key())});
        }
    }
    return changed;
}

QList<KeyTarget> GnomeShortcuts::targets() const
{
    QList<KeyTarget> targets;
    for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
        for (const Entry &entry : *it) {
            if (entry.grabbed)
                targets.append({it.key(), entry.id, parseAccelerator(entry.accelerator).value_or(KeyBinding{})});
        }
    }
    return targets;
}

} // namespace quillo::fakeportal
