#pragma once

#include "platform/DefaultsStore.h"
#include "platform/KeystrokePoster.h"
#include "platform/portal/PortalRequest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace quillo {

// Keystrokes through the RemoteDesktop portal's keyboard device, as Linux key codes.
//
// A running session costs the user something on some desktops (GNOME shows its
// screen-sharing indicator for as long as it runs), so the session can be opened when a
// keystroke needs it and closed shortly after the last one (`perUse`), or kept from the
// first use on (`standing`). Where the portal restores a grant (version 2: persist mode
// "until revoked" and a restore token kept in the settings) reopening is silent; where
// it cannot, each opening asks the user again.
//
// Key events go out one after another, each once the portal answered the previous one:
// the portal runs every call in a thread of its own, so events sent together can arrive
// in another order and leave a modifier held. Main thread only.
class PortalRemoteDesktop final : public QObject, public KeystrokePoster {
    Q_OBJECT

public:
    static constexpr char restoreTokenKey[] = "remoteDesktopRestoreToken";
    // Long enough for the auto-send Return that follows a paste to use the same session.
    static constexpr std::chrono::milliseconds returnLinger{1500};
    // How long a session opened for someone stays open before their first keystroke.
    static constexpr std::chrono::milliseconds userGrace{3000};

    enum class State { idle, starting, started, refused, failed };
    enum class Lifetime { standing, perUse };

    struct Options {
        bool restores = false; // the portal keeps grants (RemoteDesktop version 2)
        bool clipboardWanted = false; // ask for the portal's clipboard with the keyboard
        Lifetime lifetime = Lifetime::standing;
        // How long a per-use session stays open after its last keystroke.
        std::chrono::milliseconds linger{0};
    };

    PortalRemoteDesktop(QDBusConnection bus, DefaultsStore &settings, Options options, QObject *parent = nullptr);
    ~PortalRemoteDesktop() override;

    void postPaste(PasteChord chord, Done done) override;
    void postReturn(Done done) override;

    // Runs `ready` once the session runs (opening it if needed), or with false when it
    // cannot: refused, failed, closed. A refusal stands until start() is called again.
    void whenStarted(std::function<void(bool started)> ready);
    // A keystroke follows the next one (auto-send's Return): a per-use session stays open for it.
    void expectFollowUp() { followUp_ = true; }
    // Opens the session now (asking the user unless a stored grant restores it); the
    // settings' "ask again" after a refusal.
    void start();
    // The portal went away: its sessions are gone.
    void portalGone();
    State state() const { return state_; }
    Lifetime lifetime() const { return options_.lifetime; }
    // Why the last start did not succeed; empty otherwise.
    QString problem() const { return problem_; }
    // The session handle while started (its Clipboard interface uses it).
    QString session() const { return session_; }
    // The desktop granted the clipboard to the running session.
    bool clipboardEnabled() const { return state_ == State::started && clipboardEnabled_; }
    // Whether keystrokes can go out (now, or after opening a session the user granted before).
    bool usable() const { return state_ != State::refused; }
    // The running session's start may have shown the desktop's dialog (no stored grant was offered).
    bool startMayHaveAsked() const { return !offeredToken_; }

    // Runs when state or problem change.
    std::function<void()> onChanged;

private slots:
    void onSessionClosed(const QDBusMessage &message);

private:
    struct Job {
        std::vector<std::int32_t> modifiers; // key codes pressed in order, released in reverse
        std::int32_t key = 0;
        Done done;
    };
    struct Transition {
        std::int32_t keycode = 0;
        bool pressed = false;
    };

    void enqueue(Job job);
    void pump();
    void sendNext();
    void finishJob(bool ok);
    void releaseHeld();
    void failWaiting();
    void settleIfIdle();
    void keepForUser();
    void onSessionCreated(const PortalResponse &response);
    void onDevicesSelected(const PortalResponse &response);
    void requestStart();
    void onStarted(const PortalResponse &response);
    void setOutcome(State state, const QString &problem);
    void closeSession();
    void notifyKey(const Transition &transition, std::function<void(bool)> then);

    QDBusConnection bus_;
    DefaultsStore &settings_;
    Options options_;
    State state_ = State::idle;
    QString problem_;
    QString session_;
    bool clipboardEnabled_ = false;
    bool offeredToken_ = false;
    std::deque<Job> queue_;
    std::vector<std::function<void(bool)>> waiting_;
    // The job going out: its transitions in order, and the keys it holds down so far.
    std::vector<Transition> transitions_;
    std::size_t nextTransition_ = 0;
    std::vector<std::int32_t> held_;
    bool sending_ = false;
    bool followUp_ = false;
    bool jobOk_ = true;
    Done jobDone_;
    QTimer linger_;
    QObject requests_;
};

} // namespace quillo
