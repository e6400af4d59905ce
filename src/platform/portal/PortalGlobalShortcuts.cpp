#include "platform/portal/PortalGlobalShortcuts.h"

#include "platform/portal/PortalShortcut.h"
#include "platform/portal/XdgShortcutTrigger.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QTimer>

#include <utility>

namespace quillo {
namespace {

const QString interfaceName = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// The session handle arrives as text although it is an object path; accept both.
QString pathText(const QVariant &value)
{
    if (value.canConvert<QDBusObjectPath>() && value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

PortalGlobalShortcuts::PortalGlobalShortcuts(QDBusConnection bus, Names names, std::uint32_t version, QObject *parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , names_(std::move(names))
    , version_(version)
{
    registerPortalShortcutTypes();
    connectSignal("Activated", SLOT(onActivated(QDBusMessage)));
    connectSignal("Deactivated", SLOT(onDeactivated(QDBusMessage)));
    connectSignal("ShortcutsChanged", SLOT(onShortcutsChanged(QDBusMessage)));
}

PortalGlobalShortcuts::~PortalGlobalShortcuts()
{
    onChanged = nullptr;
    closeSession();
}

bool PortalGlobalShortcuts::connectSignal(const char *name, const char *slot)
{
    return bus_.connect(QLatin1String(portal::service), QLatin1String(portal::objectPath), interfaceName,
        QLatin1String(name), this, slot);
}

int PortalGlobalShortcuts::registerHotKey(std::uint32_t id, std::uint16_t keyCode, std::uint64_t modifiers)
{
    const std::optional<QString> trigger = XdgShortcutTrigger::fromHotKey(keyCode, modifiers);
    if (!trigger)
        return -1;
    wanted_[id] = *trigger;
    scheduleBind();
    return 0;
}

void PortalGlobalShortcuts::unregisterHotKey(std::uint32_t id)
{
    if (wanted_.erase(id) > 0)
        scheduleBind();
}

bool PortalGlobalShortcuts::hasKey(std::uint16_t keyCode) const
{
    return XdgShortcutTrigger::keysymName(keyCode).has_value();
}

QString PortalGlobalShortcuts::boundTrigger(std::uint32_t id) const
{
    const auto it = triggers_.find(id);
    return it == triggers_.end() ? QString() : it->second;
}

void PortalGlobalShortcuts::configureShortcuts(const QString &parentWindow)
{
    if (!canConfigure())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(portal::service),
        QLatin1String(portal::objectPath), interfaceName, QStringLiteral("ConfigureShortcuts"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), parentWindow, QVariantMap{}});
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), &requests_);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        if (finished->isError())
            setOutcome(state_,
                QStringLiteral("the desktop could not open its shortcut settings: %1")
                    .arg(finished->error().message()));
    });
}

void PortalGlobalShortcuts::bindAgain()
{
    boundWanted_.clear();
    scheduleBind();
}

// Registrations come in bursts (a whole configuration at once): bind once after them.
void PortalGlobalShortcuts::scheduleBind()
{
    if (bindQueued_)
        return;
    bindQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        bindQueued_ = false;
        bindNow();
    });
}

void PortalGlobalShortcuts::bindNow()
{
    if (inFlight_ || wanted_.empty())
        return; // an empty set keeps the session: its activations are simply dropped
    // Asking again after a refusal would pop the dialog at every reconfiguration.
    if (wanted_ == boundWanted_ && (state_ == State::bound || state_ == State::refused))
        return;
    closeSession();
    inFlight_ = true;
    boundWanted_ = wanted_;
    setOutcome(State::binding, {});
    const QVariantMap options{{QStringLiteral("session_handle_token"), PortalRequest::newToken()}};
    PortalRequest::send(bus_, interfaceName, QStringLiteral("CreateSession"), {}, options, &requests_,
        [this](const PortalResponse &response) { onSessionCreated(response); });
}

void PortalGlobalShortcuts::onSessionCreated(const PortalResponse &response)
{
    if (response.ok())
        session_ = pathText(response.results.value(QStringLiteral("session_handle")));
    if (!response.ok() || session_.isEmpty()) {
        inFlight_ = false;
        const State state = response.code == PortalResponse::Code::refused ? State::refused : State::failed;
        setOutcome(state, QStringLiteral("shortcuts session %1").arg(response.describe()));
        return;
    }
    PortalShortcutList shortcuts;
    for (const auto &[id, trigger] : boundWanted_) {
        const auto name = names_.find(id);
        const QString description = name != names_.end() ? name->second.description : shortcutId(id);
        shortcuts.append({shortcutId(id),
            {{QStringLiteral("description"), description}, {QStringLiteral("preferred_trigger"), trigger}}});
    }
    const QVariantList args{QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts), QString()};
    PortalRequest::send(bus_, interfaceName, QStringLiteral("BindShortcuts"), args, {}, &requests_,
        [this](const PortalResponse &bound) { onBound(bound); });
}

void PortalGlobalShortcuts::onBound(const PortalResponse &response)
{
    inFlight_ = false;
    if (response.ok()) {
        triggers_.clear();
        readTriggers(response.results.value(QStringLiteral("shortcuts")));
        setOutcome(State::bound, {});
    } else {
        const State state = response.code == PortalResponse::Code::refused ? State::refused : State::failed;
        setOutcome(state, QStringLiteral("binding the shortcuts %1").arg(response.describe()));
    }
    if (wanted_ != boundWanted_)
        scheduleBind(); // the hot keys changed while the desktop was asking
}

void PortalGlobalShortcuts::readTriggers(const QVariant &shortcuts)
{
    for (const PortalShortcut &shortcut : portalShortcutsFromVariant(shortcuts)) {
        for (const auto &[id, trigger] : boundWanted_) {
            if (shortcutId(id) != shortcut.id)
                continue;
            const QString bound = shortcut.properties.value(QStringLiteral("trigger_description")).toString();
            if (bound.isEmpty())
                triggers_.erase(id);
            else
                triggers_[id] = bound;
        }
    }
}

void PortalGlobalShortcuts::closeSession()
{
    if (session_.isEmpty())
        return;
    bus_.asyncCall(QDBusMessage::createMethodCall(
        QLatin1String(portal::service), session_, QLatin1String(portal::sessionInterface), QStringLiteral("Close")));
    session_.clear();
    triggers_.clear();
}

void PortalGlobalShortcuts::setOutcome(State state, const QString &problem)
{
    state_ = state;
    problem_ = problem;
    if (onChanged)
        onChanged();
}

void PortalGlobalShortcuts::onActivated(const QDBusMessage &message)
{
    deliver(message, true);
}

void PortalGlobalShortcuts::onDeactivated(const QDBusMessage &message)
{
    deliver(message, false);
}

void PortalGlobalShortcuts::onShortcutsChanged(const QDBusMessage &message)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2 || session_.isEmpty() || pathText(args.at(0)) != session_)
        return;
    readTriggers(args.at(1));
    if (onChanged)
        onChanged();
}

void PortalGlobalShortcuts::deliver(const QDBusMessage &message, bool pressed)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2 || session_.isEmpty() || pathText(args.at(0)) != session_)
        return;
    const QString shortcut = args.at(1).toString();
    for (const auto &[id, trigger] : wanted_) {
        if (shortcutId(id) != shortcut)
            continue;
        if (sink_.onSystemHotKey)
            sink_.onSystemHotKey(id, pressed);
        return;
    }
}

QString PortalGlobalShortcuts::shortcutId(std::uint32_t id) const
{
    const auto name = names_.find(id);
    if (name != names_.end())
        return name->second.id;
    return QStringLiteral("hotkey-%1").arg(id);
}

} // namespace quillo
