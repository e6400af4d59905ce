#include "GlobalShortcutsPortal.h"

#include "DocumentedShortcuts.h"
#include "GnomeShortcuts.h"
#include "HyprlandShortcuts.h"
#include "KdeShortcuts.h"
#include "PortalCore.h"

#include <QDBusArgument>
#include <QDBusObjectPath>

namespace quillo::fakeportal {
namespace {

const QString interfaceName = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

QVariantMap mapOf(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

QString pathOf(const QVariant &value)
{
    return value.value<QDBusObjectPath>().path();
}

// "hold=Alt_R toggle=ALT+space": what was asked, for the log.
QString asked(const ShortcutList &shortcuts)
{
    QStringList described;
    for (const Shortcut &shortcut : shortcuts)
        described.append(QStringLiteral("%1=%2").arg(shortcut.id, shortcut.text("preferred_trigger")));
    return described.join(QLatin1Char(' '));
}

std::unique_ptr<ShortcutBackend> backendFor(ShortcutDesktop desktop, PortalCore &core)
{
    switch (desktop) {
    case ShortcutDesktop::kde:
        return std::make_unique<KdeShortcuts>(core);
    case ShortcutDesktop::gnome:
        return std::make_unique<GnomeShortcuts>(core);
    case ShortcutDesktop::hyprland:
        return std::make_unique<HyprlandShortcuts>(core);
    case ShortcutDesktop::documented:
        break;
    }
    return std::make_unique<DocumentedShortcuts>(core);
}

} // namespace

GlobalShortcutsPortal::GlobalShortcutsPortal(PortalCore &core)
    : core_(core)
    , keys_([this] { return backend_->targets(); }, [this](const KeyTarget &target, bool on) { deliver(target, on); })
{
    registerShortcutTypes();
    useProfile();
}

void GlobalShortcutsPortal::useProfile()
{
    const Profile &profile = core_.profile();
    backend_ = backendFor(profile.shortcuts, core_);
    backend_->setTriggers(overrides_);
    keys_.setMatching(profile.keys);
    keys_.setRepeat(profile.repeatDelayMs, profile.repeatIntervalMs);
}

void GlobalShortcutsPortal::handle(const QDBusMessage &message)
{
    const QString member = message.member();
    if (core_.version(QStringLiteral("GlobalShortcuts")) == 0) {
        core_.replyError(message, DBusError::unknownMethod,
            QStringLiteral("No such interface “%1” on object at path %2").arg(interfaceName, desktopPath));
    } else if (member == QLatin1String("CreateSession")) {
        if (core_.checkSignature(message, QStringLiteral("a{sv}")))
            createSession(message);
    } else if (member == QLatin1String("BindShortcuts")) {
        if (core_.checkSignature(message, QStringLiteral("oa(sa{sv})sa{sv}")))
            bindShortcuts(message);
    } else if (member == QLatin1String("ListShortcuts")) {
        if (core_.checkSignature(message, QStringLiteral("oa{sv}")))
            listShortcuts(message);
    } else if (member == QLatin1String("ConfigureShortcuts") && core_.version(QStringLiteral("GlobalShortcuts")) >= 2) {
        if (core_.checkSignature(message, QStringLiteral("osa{sv}")))
            configureShortcuts(message);
    } else {
        core_.replyError(message, DBusError::unknownMethod, QStringLiteral("No such method “%1”").arg(member));
    }
}

void GlobalShortcutsPortal::createSession(const QDBusMessage &message)
{
    const QVariantMap options = mapOf(message.arguments().at(0));
    const ShortcutList shortcuts = shortcutsFrom(options.value(QStringLiteral("shortcuts")));
    QString line = QStringLiteral("GlobalShortcuts.CreateSession app=%1");
    if (!shortcuts.isEmpty())
        line += QStringLiteral(" shortcuts: ") + asked(shortcuts);
    const QString appId = core_.appId(message.service());
    core_.log(line.arg(appId.isEmpty() ? QStringLiteral("-") : appId));
    if (core_.backendMissing(QStringLiteral("GlobalShortcuts"))) {
        // The frontend has already answered with the request; the backend call fails.
        core_.log(QStringLiteral("GlobalShortcuts: a backend call failed"));
        return core_.respond(message, options, 2, {});
    }
    const std::uint32_t code = core_.outcome(QStringLiteral("GlobalShortcuts.CreateSession"));
    QVariantMap results;
    if (code == 0) {
        const bool passed = core_.profile().createSessionShortcuts;
        const QString path = core_.createSession(message, QStringLiteral("GlobalShortcuts"), options);
        // Text, not an object path: the type the frontend answers with.
        results.insert(QStringLiteral("session_handle"), path);
        const std::optional<ShortcutList> answer = backend_->created(path, passed ? shortcuts : ShortcutList{});
        if (passed && answer)
            results.insert(QStringLiteral("shortcuts"), toVariant(*answer));
    }
    core_.respond(message, options, code, results);
}

// Frontends from 1.17 on check every shortcut before the backend sees it.
bool GlobalShortcutsPortal::checkShortcuts(const QDBusMessage &message, const ShortcutList &shortcuts)
{
    const Profile &profile = core_.profile();
    if (!profile.strictFrontend || profile.createSessionShortcuts)
        return true;
    for (const Shortcut &shortcut : shortcuts) {
        if (shortcut.id.isEmpty()) {
            core_.replyError(message, DBusError::invalidArgument, QStringLiteral("Unexpected empty shortcut id"));
            return false;
        }
    }
    return true;
}

void GlobalShortcutsPortal::bindShortcuts(const QDBusMessage &message)
{
    if (!core_.session(message, QStringLiteral("GlobalShortcuts")))
        return;
    const QString path = pathOf(message.arguments().at(0));
    const ShortcutList shortcuts = shortcutsFrom(message.arguments().at(1));
    core_.log(QStringLiteral("GlobalShortcuts.BindShortcuts %1").arg(asked(shortcuts)));
    if (!checkShortcuts(message, shortcuts))
        return;
    const BindAnswer answer = backend_->bind(path, shortcuts);
    if (!answer.error.isEmpty())
        return core_.replyError(message, DBusError::failed, answer.error);
    std::function<void()> before;
    if (answer.changedFirst)
        before = [this, path, changed = *answer.changedFirst] { shortcutsChanged(path, changed); };
    core_.respond(message, mapOf(message.arguments().at(3)), answer.code, answer.results, before);
}

void GlobalShortcutsPortal::listShortcuts(const QDBusMessage &message)
{
    if (!core_.session(message, QStringLiteral("GlobalShortcuts")))
        return;
    const ShortcutList list = backend_->list(pathOf(message.arguments().at(0)));
    core_.respond(message, mapOf(message.arguments().at(1)), 0, {{QStringLiteral("shortcuts"), toVariant(list)}});
}

void GlobalShortcutsPortal::configureShortcuts(const QDBusMessage &message)
{
    if (!core_.session(message, QStringLiteral("GlobalShortcuts")))
        return;
    core_.log(QStringLiteral("GlobalShortcuts.ConfigureShortcuts"));
    core_.reply(message);
}

void GlobalShortcutsPortal::setTrigger(const QString &id, const QString &trigger)
{
    overrides_.insert(id, trigger);
    backend_->setTriggers(overrides_);
}

void GlobalShortcutsPortal::changeTrigger(const QString &id, const QString &trigger)
{
    for (const auto &[path, shortcuts] : backend_->rebind(id, trigger))
        shortcutsChanged(path, shortcuts);
}

void GlobalShortcutsPortal::activate(const QString &id, bool activated)
{
    for (const KeyTarget &target : backend_->targets()) {
        if (target.id == id)
            deliver(target, activated);
    }
}

// The frontend passes a signal on only while the session lives.
void GlobalShortcutsPortal::deliver(const KeyTarget &target, bool activated)
{
    const auto session = core_.sessions().constFind(target.session);
    if (target.session.isEmpty() || session == core_.sessions().constEnd())
        return;
    const QString name = activated ? QStringLiteral("Activated") : QStringLiteral("Deactivated");
    core_.log(QStringLiteral("%1 %2").arg(name, target.id));
    core_.emitTo(session->owner, desktopPath, interfaceName, name,
        {QVariant::fromValue(QDBusObjectPath(target.session)), target.id, QVariant::fromValue(core_.timestamp()),
            QVariantMap{}});
}

void GlobalShortcutsPortal::shortcutsChanged(const QString &path, const ShortcutList &shortcuts)
{
    const auto session = core_.sessions().constFind(path);
    if (session == core_.sessions().constEnd())
        return;
    QStringList ids;
    for (const Shortcut &shortcut : shortcuts)
        ids.append(shortcut.id);
    core_.log(QStringLiteral("ShortcutsChanged %1").arg(ids.join(QLatin1Char(' '))));
    core_.emitTo(session->owner, desktopPath, interfaceName, QStringLiteral("ShortcutsChanged"),
        {QVariant::fromValue(QDBusObjectPath(path)), toVariant(shortcuts)});
}

} // namespace quillo::fakeportal
