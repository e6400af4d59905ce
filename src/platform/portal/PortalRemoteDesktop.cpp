#include "platform/portal/PortalRemoteDesktop.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>

#include <memory>
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

PortalRemoteDesktop::PortalRemoteDesktop(QDBusConnection bus, DefaultsStore &settings, QObject *parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , settings_(settings)
{
}

PortalRemoteDesktop::~PortalRemoteDesktop()
{
    onChanged = nullptr;
    closeSession();
    failQueue();
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
    if (state_ == State::refused) {
        if (job.done)
            job.done(false);
        return;
    }
    queue_.push_back(std::move(job));
    if (state_ == State::started)
        pump();
    else if (state_ != State::starting)
        start();
}

void PortalRemoteDesktop::start()
{
    if (state_ == State::starting)
        return;
    closeSession();
    clipboardEnabled_ = false;
    setOutcome(State::starting, {});
    const QVariantMap options{{QStringLiteral("session_handle_token"), PortalRequest::newToken()}};
    PortalRequest::send(bus_, interfaceName, QStringLiteral("CreateSession"), {}, options, &requests_,
        [this](const PortalResponse &response) { onSessionCreated(response); });
}

void PortalRemoteDesktop::onSessionCreated(const PortalResponse &response)
{
    if (response.ok())
        session_ = pathText(response.results.value(QStringLiteral("session_handle")));
    if (!response.ok() || session_.isEmpty()) {
        setOutcome(failureState(response), QStringLiteral("remote desktop session %1").arg(response.describe()));
        failQueue();
        return;
    }
    // The desktop may end the session at any time (the user revoked it, the portal restarted).
    bus_.connect(QLatin1String(portal::service), session_, QLatin1String(portal::sessionInterface),
        QStringLiteral("Closed"), this, SLOT(onSessionClosed(QDBusMessage)));
    QVariantMap options{
        {QStringLiteral("types"), keyboardDevice},
        {QStringLiteral("persist_mode"), persistUntilRevoked},
    };
    const QString token = settings_.text(QLatin1String(restoreTokenKey)).value_or(QString());
    if (!token.isEmpty())
        options.insert(QStringLiteral("restore_token"), token);
    PortalRequest::send(bus_, interfaceName, QStringLiteral("SelectDevices"),
        {QVariant::fromValue(QDBusObjectPath(session_))}, options, &requests_,
        [this](const PortalResponse &selected) { onDevicesSelected(selected); });
}

void PortalRemoteDesktop::onDevicesSelected(const PortalResponse &response)
{
    if (!response.ok()) {
        setOutcome(failureState(response), QStringLiteral("keyboard selection %1").arg(response.describe()));
        failQueue();
        return;
    }
    if (!clipboardWanted_) {
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
        setOutcome(failureState(response), QStringLiteral("keyboard access %1").arg(response.describe()));
        failQueue();
        return;
    }
    const std::uint32_t devices = response.results.value(QStringLiteral("devices")).toUInt();
    if ((devices & keyboardDevice) == 0) {
        setOutcome(State::refused, QStringLiteral("keyboard access was not granted"));
        failQueue();
        return;
    }
    // Each start hands out a fresh token; the old one is spent.
    const QString token = response.results.value(QStringLiteral("restore_token")).toString();
    if (!token.isEmpty())
        settings_.setValue(QLatin1String(restoreTokenKey), token);
    clipboardEnabled_ = response.results.value(QStringLiteral("clipboard_enabled")).toBool();
    setOutcome(State::started, {});
    pump();
}

void PortalRemoteDesktop::pump()
{
    while (state_ == State::started && !queue_.empty()) {
        Job job = std::move(queue_.front());
        queue_.pop_front();
        send(std::move(job));
    }
}

// Calls from one connection arrive in the order sent, so every transition goes
// out at once; the answer comes with the last reply.
void PortalRemoteDesktop::send(Job job)
{
    std::vector<std::pair<std::int32_t, std::uint32_t>> transitions;
    for (std::int32_t modifier : job.modifiers)
        transitions.emplace_back(modifier, 1u);
    transitions.emplace_back(job.key, 1u);
    transitions.emplace_back(job.key, 0u);
    for (auto it = job.modifiers.rbegin(); it != job.modifiers.rend(); ++it)
        transitions.emplace_back(*it, 0u);

    struct Progress {
        std::size_t pending = 0;
        bool ok = true;
        Done done;
    };
    auto progress = std::make_shared<Progress>(Progress{transitions.size(), true, std::move(job.done)});
    for (const auto &[keycode, pressed] : transitions) {
        QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(portal::service),
            QLatin1String(portal::objectPath), interfaceName, QStringLiteral("NotifyKeyboardKeycode"));
        call.setArguments({QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap{}, keycode, pressed});
        auto *watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), &requests_);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, progress](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            if (w->isError()) {
                progress->ok = false;
                // The desktop ended the session (revoked, or the portal restarted): start again next time.
                if (state_ == State::started)
                    setOutcome(State::idle, w->error().message());
            }
            if (--progress->pending == 0 && progress->done)
                progress->done(progress->ok);
        });
    }
}

void PortalRemoteDesktop::failQueue()
{
    std::deque<Job> failed = std::move(queue_);
    queue_.clear();
    for (Job &job : failed) {
        if (job.done)
            job.done(false);
    }
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
    // Not ours to close any more; the next keystroke starts a new one (a stored grant restores it).
    bus_.disconnect(QLatin1String(portal::service), session_, QLatin1String(portal::sessionInterface),
        QStringLiteral("Closed"), this, SLOT(onSessionClosed(QDBusMessage)));
    session_.clear();
    clipboardEnabled_ = false;
    if (state_ == State::started || state_ == State::starting)
        setOutcome(State::idle, QStringLiteral("the desktop closed the session"));
    failQueue();
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
