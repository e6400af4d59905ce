#include "platform/portal/PortalRemoteDesktop.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

#include <algorithm>
#include <utility>

namespace quillo {
namespace {

const QString interfaceName = QStringLiteral("org.freedesktop.portal.RemoteDesktop");

// Linux input key codes (linux/input-event-codes.h). Keys, not keysyms: a keysym the
// active layout lacks (V under a Cyrillic layout) cannot be typed, while the key that
// sits where V is on a US layout pastes in every layout.
constexpr std::int32_t controlL = 29; // KEY_LEFTCTRL
constexpr std::int32_t shiftL = 42; // KEY_LEFTSHIFT
constexpr std::int32_t letterV = 47; // KEY_V
constexpr std::int32_t insert = 110; // KEY_INSERT
constexpr std::int32_t returnKey = 28; // KEY_ENTER

constexpr std::uint32_t keyboardDevice = 1;
constexpr std::uint32_t persistUntilRevoked = 2;

QString pathText(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

PortalRemoteDesktop::State failureState(const PortalResponse &response)
{
    return response.code == PortalResponse::Code::refused ? PortalRemoteDesktop::State::refused
                                                          : PortalRemoteDesktop::State::failed;
}

} // namespace

PortalRemoteDesktop::PortalRemoteDesktop(QDBusConnection bus, DefaultsStore &settings, Options options, QObject *parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , settings_(settings)
    , options_(options)
{
    linger_.setSingleShot(true);
    connect(&linger_, &QTimer::timeout, this, [this] {
        if (queue_.empty() && !sending_ && waiting_.empty() && state_ == State::started) {
            closeSession();
            setOutcome(State::idle, {});
        }
    });
}

PortalRemoteDesktop::~PortalRemoteDesktop()
{
    onChanged = nullptr;
    closeSession();
    for (Job &job : queue_) {
        if (job.done)
            job.done(false);
    }
}

void PortalRemoteDesktop::postPaste(PasteChord chord, Done done)
{
    switch (chord) {
    case PasteChord::ctrlV:
        enqueue({{controlL}, letterV, std::move(done)});
        return;
    case PasteChord::ctrlShiftV:
        enqueue({{controlL, shiftL}, letterV, std::move(done)});
        return;
    case PasteChord::shiftInsert:
        enqueue({{shiftL}, insert, std::move(done)});
        return;
    }
}

void PortalRemoteDesktop::postReturn(Done done)
{
    enqueue({{}, returnKey, std::move(done)});
}

void PortalRemoteDesktop::enqueue(Job job)
{
    queue_.push_back(std::move(job));
    whenStarted([this](bool started) {
        if (started) {
            pump();
            return;
        }
        std::deque<Job> failed = std::move(queue_);
        queue_.clear();
        for (Job &job : failed) {
            if (job.done)
                job.done(false);
        }
    });
}

void PortalRemoteDesktop::whenStarted(std::function<void(bool)> ready)
{
    linger_.stop();
    switch (state_) {
    case State::started:
        keepForUser();
        ready(true);
        return;
    case State::refused:
        ready(false);
        return;
    case State::starting:
        waiting_.push_back(std::move(ready));
        return;
    case State::idle:
    case State::failed:
        waiting_.push_back(std::move(ready));
        start();
        return;
    }
}

void PortalRemoteDesktop::start()
{
    if (state_ == State::starting)
        return;
    linger_.stop();
    closeSession();
    clipboardEnabled_ = false;
    setOutcome(State::starting, {});
    const QVariantMap options{{QStringLiteral("session_handle_token"), PortalRequest::newToken()}};
    PortalRequest::send(bus_, interfaceName, QStringLiteral("CreateSession"), {}, options, &requests_,
        [this](const PortalResponse &response) { onSessionCreated(response); });
}

void PortalRemoteDesktop::portalGone()
{
    session_.clear();
    clipboardEnabled_ = false;
    if (state_ == State::started || state_ == State::starting)
        setOutcome(State::idle, QStringLiteral("the desktop portal went away"));
    failWaiting();
}

void PortalRemoteDesktop::onSessionCreated(const PortalResponse &response)
{
    if (response.ok())
        session_ = pathText(response.results.value(QStringLiteral("session_handle")));
    if (!response.ok() || session_.isEmpty()) {
        setOutcome(failureState(response), QStringLiteral("remote desktop session %1").arg(response.describe()));
        failWaiting();
        return;
    }
    // The desktop may end the session at any time (the user revoked it, the portal restarted).
    bus_.connect(QLatin1String(portal::service), session_, QLatin1String(portal::sessionInterface),
        QStringLiteral("Closed"), this, SLOT(onSessionClosed(QDBusMessage)));
    QVariantMap options{{QStringLiteral("types"), keyboardDevice}};
    offeredToken_ = false;
    if (options_.restores) {
        options.insert(QStringLiteral("persist_mode"), persistUntilRevoked);
        const QString token = settings_.text(QLatin1String(restoreTokenKey)).value_or(QString());
        offeredToken_ = !token.isEmpty();
        if (offeredToken_)
            options.insert(QStringLiteral("restore_token"), token);
    }
    PortalRequest::send(bus_, interfaceName, QStringLiteral("SelectDevices"),
        {QVariant::fromValue(QDBusObjectPath(session_))}, options, &requests_,
        [this](const PortalResponse &selected) { onDevicesSelected(selected); });
}

void PortalRemoteDesktop::onDevicesSelected(const PortalResponse &response)
{
    if (!response.ok()) {
        setOutcome(failureState(response), QStringLiteral("keyboard selection %1").arg(response.describe()));
        failWaiting();
        return;
    }
    if (!options_.clipboardWanted) {
        requestStart();
        return;
    }
    // Without the clipboard the keyboard still pastes what another clipboard holds: start either way.
    QDBusMessage request
        = QDBusMessage::createMethodCall(QLatin1String(portal::service), QLatin1String(portal::objectPath),
            QStringLiteral("org.freedesktop.portal.Clipboard"), QStringLiteral("RequestClipboard"));
    request.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap{}});
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(request), &requests_);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        requestStart();
    });
}

void PortalRemoteDesktop::requestStart()
{
    PortalRequest::send(bus_, interfaceName, QStringLiteral("Start"),
        {QVariant::fromValue(QDBusObjectPath(session_)), QString()}, {}, &requests_,
        [this](const PortalResponse &started) { onStarted(started); });
}

void PortalRemoteDesktop::onStarted(const PortalResponse &response)
{
    if (!response.ok()) {
        // A stored grant that no longer restores would only be offered again.
        if (response.code == PortalResponse::Code::refused)
            settings_.remove(QLatin1String(restoreTokenKey));
        closeSession();
        setOutcome(failureState(response), QStringLiteral("keyboard access %1").arg(response.describe()));
        failWaiting();
        return;
    }
    const std::uint32_t devices = response.results.value(QStringLiteral("devices")).toUInt();
    if ((devices & keyboardDevice) == 0) {
        closeSession();
        setOutcome(State::refused, QStringLiteral("keyboard access was not granted"));
        failWaiting();
        return;
    }
    // Each start hands out a fresh token; the old one is spent.
    const QString token = response.results.value(QStringLiteral("restore_token")).toString();
    if (!token.isEmpty())
        settings_.setValue(QLatin1String(restoreTokenKey), token);
    clipboardEnabled_ = response.results.value(QStringLiteral("clipboard_enabled")).toBool();
    setOutcome(State::started, {});
    std::vector<std::function<void(bool)>> ready = std::move(waiting_);
    waiting_.clear();
    keepForUser();
    for (auto &callback : ready)
        callback(true);
}

// Whoever waited for the session is about to use it (after the focus came back from the
// dialog); should it never send a key, a per-use session still closes.
void PortalRemoteDesktop::keepForUser()
{
    if (options_.lifetime == Lifetime::perUse)
        linger_.start(std::max(options_.linger, userGrace));
}

void PortalRemoteDesktop::failWaiting()
{
    std::vector<std::function<void(bool)>> failed = std::move(waiting_);
    waiting_.clear();
    for (auto &callback : failed)
        callback(false);
}

void PortalRemoteDesktop::pump()
{
    if (sending_ || queue_.empty() || state_ != State::started)
        return;
    Job job = std::move(queue_.front());
    queue_.pop_front();
    transitions_.clear();
    for (std::int32_t modifier : job.modifiers)
        transitions_.push_back({modifier, true});
    transitions_.push_back({job.key, true});
    transitions_.push_back({job.key, false});
    for (auto it = job.modifiers.rbegin(); it != job.modifiers.rend(); ++it)
        transitions_.push_back({*it, false});
    nextTransition_ = 0;
    held_.clear();
    jobOk_ = true;
    jobDone_ = std::move(job.done);
    sending_ = true;
    sendNext();
}

void PortalRemoteDesktop::sendNext()
{
    if (nextTransition_ == transitions_.size()) {
        finishJob(jobOk_);
        return;
    }
    const Transition transition = transitions_[nextTransition_++];
    notifyKey(transition, [this, transition](bool ok) {
        if (!ok) {
            jobOk_ = false;
            releaseHeld();
            finishJob(false);
            return;
        }
        if (transition.pressed)
            held_.push_back(transition.keycode);
        else
            held_.erase(std::remove(held_.begin(), held_.end(), transition.keycode), held_.end());
        sendNext();
    });
}

// A failed event mid-chord must not leave a key down in the desktop.
void PortalRemoteDesktop::releaseHeld()
{
    for (auto it = held_.rbegin(); it != held_.rend(); ++it)
        notifyKey({*it, false}, [](bool) {});
    held_.clear();
}

void PortalRemoteDesktop::finishJob(bool ok)
{
    sending_ = false;
    Done done = std::move(jobDone_);
    jobDone_ = nullptr;
    if (done)
        done(ok);
    if (!ok && state_ == State::started) {
        // The desktop ended the session (revoked, or the portal restarted): open anew next time.
        closeSession();
        setOutcome(State::idle, QStringLiteral("a key event was refused"));
    }
    pump();
    settleIfIdle();
}

void PortalRemoteDesktop::settleIfIdle()
{
    if (options_.lifetime != Lifetime::perUse || !queue_.empty() || sending_ || state_ != State::started)
        return;
    linger_.start(followUp_ ? std::max(options_.linger, returnLinger) : options_.linger);
    followUp_ = false;
}

void PortalRemoteDesktop::notifyKey(const Transition &transition, std::function<void(bool)> then)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(portal::service),
        QLatin1String(portal::objectPath), interfaceName, QStringLiteral("NotifyKeyboardKeycode"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap{}, transition.keycode,
        static_cast<std::uint32_t>(transition.pressed ? 1 : 0)});
    auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), &requests_);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [then = std::move(then)](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        then(!w->isError());
    });
}

void PortalRemoteDesktop::setOutcome(State state, const QString &problem)
{
    state_ = state;
    problem_ = problem;
    if (onChanged)
        onChanged();
}

void PortalRemoteDesktop::onSessionClosed(const QDBusMessage &)
{
    // Not ours to close any more; the next keystroke opens a new one (a stored grant restores it).
    bus_.disconnect(QLatin1String(portal::service), session_, QLatin1String(portal::sessionInterface),
        QStringLiteral("Closed"), this, SLOT(onSessionClosed(QDBusMessage)));
    session_.clear();
    clipboardEnabled_ = false;
    linger_.stop();
    if (state_ == State::started || state_ == State::starting)
        setOutcome(State::idle, QStringLiteral("the desktop closed the session"));
    failWaiting();
}

void PortalRemoteDesktop::closeSession()
{
    if (session_.isEmpty())
        return;
    bus_.disconnect(QLatin1String(portal::service), session_, QLatin1String(portal::sessionInterface),
        QStringLiteral("Closed"), this, SLOT(onSessionClosed(QDBusMessage)));
    bus_.asyncCall(QDBusMessage::createMethodCall(
        QLatin1String(portal::service), session_, QLatin1String(portal::sessionInterface), QStringLiteral("Close")));
    session_.clear();
}

} // namespace quillo
