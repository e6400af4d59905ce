#include "platform/portal/PortalGlobalShortcuts.h"

#include "platform/portal/PortalShortcut.h"
#include "platform/portal/XdgShortcutTrigger.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace quillo {
namespace {

const QString interfaceName = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// The session handle arrives as text although it is an object path; accept both.
QString pathText(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

PortalGlobalShortcuts::State failureState(const PortalResponse &response)
{
    return response.code == PortalResponse::Code::refused ? PortalGlobalShortcuts::State::refused
                                                          : PortalGlobalShortcuts::State::failed;
}

} // namespace

PortalGlobalShortcuts::PortalGlobalShortcuts(
    QDBusConnection bus, Names names, std::uint32_t version, Options options, QObject *parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , names_(std::move(names))
    , version_(version)
    , options_(std::move(options))
{
    registerPortalShortcutTypes();
    connectSignal("Activated", SLOT(onActivated(QDBusMessage)));
    connectSignal("Deactivated", SLOT(onDeactivated(QDBusMessage)));
    connectSignal("ShortcutsChanged", SLOT(onShortcutsChanged(QDBusMessage)));
}

PortalGlobalShortcuts::~PortalGlobalShortcuts()
{
    onChanged = nullptr;
    // The session stays the desktop's record of our shortcuts; it ends with our connection.
}

bool PortalGlobalShortcuts::connectSignal(const char *name, const char *slot)
{
    return bus_.connect(QLatin1String(portal::service), QLatin1String(portal::objectPath), interfaceName,
        QLatin1String(name), this, slot);
}

void PortalGlobalShortcuts::declare(std::map<std::uint32_t, std::optional<StoredKey>> stored)
{
    stored_ = std::move(stored);
    declared_ = true;
    scheduleBind();
}

int PortalGlobalShortcuts::registerHotKey(std::uint32_t id, std::uint16_t keyCode, std::uint64_t modifiers)
{
    if (!names_.contains(id))
        return -1;
    active_.insert(id);
    // Without a declaration the registrations are what the session is declared with.
    if (!declared_)
        stored_[id] = StoredKey{keyCode, modifiers};
    scheduleBind();
    return 0;
}

void PortalGlobalShortcuts::unregisterHotKey(std::uint32_t id)
{
    active_.erase(id);
}

bool PortalGlobalShortcuts::hasKey(std::uint16_t keyCode) const
{
    return XdgShortcutTrigger::keysymName(keyCode).has_value();
}

std::size_t PortalGlobalShortcuts::boundCount() const
{
    return options_.triggersElsewhere ? known_.size() : triggers_.size();
}

QString PortalGlobalShortcuts::boundTrigger(std::uint32_t id) const
{
    const auto it = triggers_.find(id);
    return it == triggers_.end() ? QString() : it->second;
}

QString PortalGlobalShortcuts::describedAs(std::uint32_t id) const
{
    const auto it = described_.find(id);
    return it == described_.end() ? QString() : it->second;
}

bool PortalGlobalShortcuts::namedOtherwise() const
{
    return std::any_of(described_.begin(), described_.end(), [this](const auto &listed) {
        const auto name = names_.find(listed.first);
        return !listed.second.isEmpty() && name != names_.end() && listed.second != name->second.description;
    });
}

bool PortalGlobalShortcuts::canConfigure() const
{
    if (session_.isEmpty())
        return false;
    return version_ >= 2 || static_cast<bool>(options_.openDesktopSettings);
}

void PortalGlobalShortcuts::configureShortcuts(const QString &parentWindow)
{
    if (!canConfigure())
        return;
    if (version_ < 2) {
        if (!options_.openDesktopSettings())
            setOutcome(state_, QStringLiteral("the desktop's shortcut settings could not be opened"));
        return;
    }
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
    if (inFlight_)
        return;
    if (session_.isEmpty()) {
        state_ = State::unbound;
        scheduleBind();
        return;
    }
    inFlight_ = true;
    setOutcome(State::binding, {});
    bindShortcuts();
}

void PortalGlobalShortcuts::portalGone()
{
    portalPresent_ = false;
    forgetSession();
    setOutcome(State::unbound, QStringLiteral("the desktop portal went away"));
}

void PortalGlobalShortcuts::portalBack()
{
    portalPresent_ = true;
    forgetSession();
    state_ = State::unbound;
    scheduleBind();
}

// Registrations come in bursts (a whole configuration at once): one session after them.
void PortalGlobalShortcuts::scheduleBind()
{
    if (bindQueued_ || !session_.isEmpty() || inFlight_)
        return;
    bindQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        bindQueued_ = false;
        // After a refusal or failure only the user's "ask again" (or a new portal) asks again.
        const bool settled = state_ == State::refused || state_ == State::failed;
        if (session_.isEmpty() && !inFlight_ && portalPresent_ && !stored_.empty() && !settled)
            createSession();
    });
}

QVariant PortalGlobalShortcuts::shortcutList() const
{
    PortalShortcutList shortcuts;
    for (const auto &[id, name] : names_) {
        QVariantMap properties{{QStringLiteral("description"), name.description}};
        const auto trigger = preferred_.find(id);
        if (trigger != preferred_.end())
            properties.insert(QStringLiteral("preferred_trigger"), trigger->second);
        shortcuts.append({name.id, properties});
    }
    return QVariant::fromValue(shortcuts);
}

void PortalGlobalShortcuts::createSession()
{
    preferred_.clear();
    for (const auto &[id, name] : names_) {
        const auto stored = stored_.find(id);
        const bool hasKey = stored != stored_.end() && stored->second.has_value();
        const std::optional<QString> trigger = XdgShortcutTrigger::forPortal(name.id,
            hasKey ? std::optional(stored->second->keyCode) : std::nullopt, hasKey ? stored->second->modifiers : 0);
        if (trigger)
            preferred_[id] = *trigger;
    }
    inFlight_ = true;
    setOutcome(State::binding, {});
    // KDE 5.27 binds only what CreateSession brings; other desktops drop the option.
    const QVariantMap options{
        {QStringLiteral("session_handle_token"), QLatin1String(sessionToken)},
        {QStringLiteral("shortcuts"), shortcutList()},
    };
    PortalRequest::send(bus_, interfaceName, QStringLiteral("CreateSession"), {}, options, &requests_,
        [this](const PortalResponse &response) { onSessionCreated(response); });
}

void PortalGlobalShortcuts::onSessionCreated(const PortalResponse &response)
{
    if (response.ok())
        session_ = pathText(response.results.value(QStringLiteral("session_handle")));
    if (!response.ok() || session_.isEmpty()) {
        inFlight_ = false;
        session_.clear();
        setOutcome(failureState(response), QStringLiteral("shortcuts session %1").arg(response.describe()));
        return;
    }
    bus_.connect(QLatin1String(portal::service), session_, QLatin1String(portal::sessionInterface),
        QStringLiteral("Closed"), this, SLOT(onSessionClosed(QDBusMessage)));
    known_ = readTriggers(response.results.value(QStringLiteral("shortcuts")));
    listShortcuts();
}

void PortalGlobalShortcuts::listShortcuts()
{
    PortalRequest::send(bus_, interfaceName, QStringLiteral("ListShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(session_))}, {}, &requests_,
        [this](const PortalResponse &response) { onListed(response); });
}

void PortalGlobalShortcuts::onListed(const PortalResponse &response)
{
    if (response.ok()) {
        const std::set<std::uint32_t> listed = readTriggers(response.results.value(QStringLiteral("shortcuts")));
        known_.insert(listed.begin(), listed.end());
    }
    const bool allKnown
        = std::all_of(names_.begin(), names_.end(), [this](const auto &name) { return known_.contains(name.first); });
    if (allKnown) {
        inFlight_ = false;
        settleBound();
        return;
    }
    bindShortcuts();
}

void PortalGlobalShortcuts::bindShortcuts()
{
    const QVariantList args{QVariant::fromValue(QDBusObjectPath(session_)), shortcutList(), QString()};
    PortalRequest::send(bus_, interfaceName, QStringLiteral("BindShortcuts"), args, {}, &requests_,
        [this](const PortalResponse &bound) { onBound(bound); });
}

// GNOME 48 answers a successful bind as "ended" (2), so what the desktop then lists
// decides, not the code.
void PortalGlobalShortcuts::onBound(const PortalResponse &response)
{
    const bool answered = response.ok() || response.code == PortalResponse::Code::ended;
    if (!answered) {
        inFlight_ = false;
        setOutcome(failureState(response), QStringLiteral("binding the shortcuts %1").arg(response.describe()));
        return;
    }
    const std::set<std::uint32_t> listed = readTriggers(response.results.value(QStringLiteral("shortcuts")));
    known_.insert(listed.begin(), listed.end());
    const QString problem
        = response.ok() ? QString() : QStringLiteral("binding the shortcuts %1").arg(response.describe());
    PortalRequest::send(bus_, interfaceName, QStringLiteral("ListShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(session_))}, {}, &requests_, [this, problem](const PortalResponse &list) {
            inFlight_ = false;
            if (list.ok()) {
                const std::set<std::uint32_t> now = readTriggers(list.results.value(QStringLiteral("shortcuts")));
                known_.insert(now.begin(), now.end());
            }
            if (known_.empty())
                setOutcome(State::failed, problem.isEmpty() ? QStringLiteral("the desktop bound nothing") : problem);
            else
                settleBound();
        });
}

// Takes the triggers of the shortcuts listed; answers the ids listed.
std::set<std::uint32_t> PortalGlobalShortcuts::readTriggers(const QVariant &shortcuts)
{
    std::set<std::uint32_t> listed;
    for (const PortalShortcut &shortcut : portalShortcutsFromVariant(shortcuts)) {
        const std::optional<std::uint32_t> id = idOf(shortcut.id);
        if (!id)
            continue;
        listed.insert(*id);
        described_[*id] = shortcut.properties.value(QStringLiteral("description")).toString();
        const QString bound = shortcut.properties.value(QStringLiteral("trigger_description")).toString();
        if (bound.isEmpty())
            triggers_.erase(*id);
        else
            triggers_[*id] = bound;
    }
    return listed;
}

void PortalGlobalShortcuts::settleBound()
{
    if (!options_.verifyKeys) {
        setOutcome(State::bound, {});
        return;
    }
    const QString session = session_;
    options_.verifyKeys([this, session](const std::optional<QSet<QString>> &held) {
        if (session != session_)
            return; // a new session meanwhile
        if (held) {
            for (auto it = triggers_.begin(); it != triggers_.end();) {
                const auto name = names_.find(it->first);
                const bool holds = name != names_.end() && held->contains(name->second.id);
                it = holds ? std::next(it) : triggers_.erase(it);
            }
        }
        setOutcome(State::bound, {});
    });
}

void PortalGlobalShortcuts::forgetSession()
{
    if (!session_.isEmpty())
        bus_.disconnect(QLatin1String(portal::service), session_, QLatin1String(portal::sessionInterface),
            QStringLiteral("Closed"), this, SLOT(onSessionClosed(QDBusMessage)));
    // Answers still due belong to the old session.
    const auto pending = requests_.children();
    for (QObject *request : pending)
        delete request;
    inFlight_ = false;
    session_.clear();
    known_.clear();
    triggers_.clear();
    described_.clear();
}

void PortalGlobalShortcuts::setOutcome(State state, const QString &problem)
{
    state_ = state;
    problem_ = problem;
    if (onChanged)
        onChanged();
}

void PortalGlobalShortcuts::onSessionClosed(const QDBusMessage &)
{
    forgetSession();
    setOutcome(State::unbound, QStringLiteral("the desktop closed the shortcuts session"));
    scheduleBind();
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
    if (args.size() < 2 || !ownSession(args.at(0)))
        return;
    const std::set<std::uint32_t> listed = readTriggers(args.at(1));
    known_.insert(listed.begin(), listed.end());
    if (state_ == State::bound) {
        settleBound(); // tells the change, checked
        return;
    }
    if (onChanged)
        onChanged();
}

void PortalGlobalShortcuts::deliver(const QDBusMessage &message, bool pressed)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2 || !ownSession(args.at(0)))
        return;
    const std::optional<std::uint32_t> id = idOf(args.at(1).toString());
    if (id && active_.contains(*id) && sink_.onSystemHotKey)
        sink_.onSystemHotKey(*id, pressed);
}

bool PortalGlobalShortcuts::ownSession(const QVariant &handle) const
{
    return !session_.isEmpty() && pathText(handle) == session_;
}

std::optional<std::uint32_t> PortalGlobalShortcuts::idOf(const QString &shortcut) const
{
    for (const auto &[id, name] : names_) {
        if (name.id == shortcut)
            return id;
    }
    return std::nullopt;
}

} // namespace quillo
