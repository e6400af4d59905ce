#pragma once

#include "platform/DefaultsStore.h"
#include "platform/KeystrokePoster.h"
#include "platform/portal/PortalRequest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace quillo {

// Keystrokes through the RemoteDesktop portal's keyboard device. The session
// asks the user once: it is started with persist mode "until revoked", and the
// restore token the portal hands back is kept in the settings, so later starts
// (this run or the next) restore the grant without a dialog. Keystrokes asked
// for before the session runs wait for it, and go out in order as keysyms:
// modifiers down, key down, key up, modifiers up in reverse. Main thread only.
class PortalRemoteDesktop final : public QObject, public KeystrokePoster {
    Q_OBJECT

public:
    static constexpr char restoreTokenKey[] = "remoteDesktopRestoreToken";

    enum class State { idle, starting, started, refused, failed };

    PortalRemoteDesktop(QDBusConnection bus, DefaultsStore &settings, QObject *parent = nullptr);
    ~PortalRemoteDesktop() override;

    void postPaste(PasteChord chord, Done done) override;
    void postReturn(Done done) override;

    // Starts the session now (asking the user unless a stored grant restores it).
    // After a refusal keystrokes fail at once until this is called again.
    void start();
    State state() const { return state_; }
    // Why the last start did not succeed; empty otherwise.
    QString problem() const { return problem_; }
    // The session handle while started (its Clipboard interface uses it).
    QString session() const { return session_; }
    // Asks for the portal's clipboard with the keyboard (it must be asked
    // before the session starts); set before the first keystroke or start().
    void setClipboardWanted(bool wanted) { clipboardWanted_ = wanted; }
    // The desktop granted the clipboard to the running session.
    bool clipboardEnabled() const { return state_ == State::started && clipboardEnabled_; }

    // Runs when state or problem change.
    std::function<void()> onChanged;

private slots:
    void onSessionClosed(const QDBusMessage &message);

private:
    struct Job {
        std::vector<std::int32_t> modifiers; // keysyms pressed in order, released in reverse
        std::int32_t key = 0;
        Done done;
    };

    void enqueue(Job job);
    void pump();
    void send(Job job);
    void failQueue();
    void onSessionCreated(const PortalResponse &response);
    void onDevicesSelected(const PortalResponse &response);
    void requestStart();
    void onStarted(const PortalResponse &response);
    void setOutcome(State state, const QString &problem);
    void closeSession();

    QDBusConnection bus_;
    DefaultsStore &settings_;
    State state_ = State::idle;
    QString problem_;
    QString session_;
    bool clipboardWanted_ = false;
    bool clipboardEnabled_ = false;
    std::deque<Job> queue_;
    QObject requests_;
};

} // namespace quillo
