#pragma once

#include "platform/KeyboardSource.h"
#include "platform/ShortcutBindings.h"
#include "platform/portal/PortalRequest.h"

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>

class QDBusMessage;

namespace quillo {

// The desktop's global shortcuts through the GlobalShortcuts portal: one portal session
// holds one shortcut per name, with a preferred trigger derived from the stored hot key
// where a desktop can bind it; Activated is a press and Deactivated a release. The portal
// shows no other key, so the source cannot listen, cannot post, and takes nothing from
// the focused application.
//
// Desktops remember shortcuts by the session's identity: KDE names its shortcut component
// after the session token (and the app id), and keeps a vanished component's keys, so the
// token is the same at every start, and the whole set is declared once per session — in
// CreateSession's options, which KDE 5.27 binds from, and through BindShortcuts only when
// ListShortcuts shows the desktop does not know them yet (each BindShortcuts opens KDE
// 5.27's settings). A changed hot key does not rebind: the desktop keeps the keys it knows,
// and configure() opens the desktop's own place for changing them. Main thread only.
class PortalGlobalShortcuts final : public QObject, public KeyboardSource, public ShortcutBindings {
    Q_OBJECT

public:
    // What the desktop shows for a hot key id: the shortcut's stable id and its description.
    struct ShortcutName {
        QString id;
        QString description;
    };
    using Names = std::map<std::uint32_t, ShortcutName>;

    // A stored hot key, the source of a shortcut's preferred trigger.
    struct StoredKey {
        std::uint16_t keyCode = 0;
        std::uint64_t modifiers = 0;
    };

    struct Options {
        // Where the desktop binds keys itself (Hyprland's configuration file) every trigger
        // description is empty; the shortcuts then count as bound once registered.
        bool triggersElsewhere = false;
        // Opens the desktop's shortcut settings where the portal has no ConfigureShortcuts.
        std::function<bool()> openDesktopSettings;
        // Asks the desktop's own shortcut daemon which shortcut ids really hold a key (KDE's
        // portal lists a requested key even when it went to nobody); none: not known.
        using KeysHeld = std::function<void(const std::optional<QSet<QString>> &)>;
        std::function<void(KeysHeld)> verifyKeys;
    };

    enum class State { unbound, binding, bound, refused, failed };

    // The session token every start uses: the desktop's memory of our shortcuts hangs on it.
    static constexpr char sessionToken[] = "quillo";

    // `version` is the portal's interface version (ConfigureShortcuts needs 2).
    PortalGlobalShortcuts(
        QDBusConnection bus, Names names, std::uint32_t version, Options options, QObject *parent = nullptr);
    ~PortalGlobalShortcuts() override;

    // The stored hot key of each name (absent: none stored); declared with the session.
    void declare(std::map<std::uint32_t, std::optional<StoredKey>> stored);

    void setSink(Sink sink) override { sink_ = std::move(sink); }
    KeyboardAccess access() const override { return {}; }
    bool startListening() override { return false; }
    void stopListening() override { }
    bool isListening() const override { return false; }
    // 0 for a name of the session: its activations are delivered from now on; -1 otherwise.
    int registerHotKey(std::uint32_t id, std::uint16_t keyCode, std::uint64_t modifiers) override;
    void unregisterHotKey(std::uint32_t id) override;
    void setKeyTaken(std::uint16_t, bool) override { }
    bool shortcutsOnly() const override { return true; }
    bool hasKey(std::uint16_t keyCode) const override;
    std::uint64_t currentModifiers() const override { return 0; }

    State state() const { return state_; }
    // Why the last binding did not succeed; empty otherwise.
    QString problem() const { return problem_; }
    // How the desktop says each shortcut is triggered (ids without a trigger are missing).
    const std::map<std::uint32_t, QString> &triggerDescriptions() const { return triggers_; }
    // How the desktop names each shortcut it listed. KDE and Hyprland take the descriptions
    // declared at every start (the interface language of this run); GNOME keeps the ones
    // of the first bind, and the portal has no call that renames a known shortcut.
    QString describedAs(std::uint32_t id) const;
    // Whether the desktop shows a shortcut under another name than this run declared.
    bool namedOtherwise() const override;
    // The preferred triggers the session was declared with.
    const std::map<std::uint32_t, QString> &preferredTriggers() const { return preferred_; }
    // Shortcuts the desktop really gave a key (or, where it binds keys elsewhere, registered).
    std::size_t boundCount() const;
    // Whether presses can come from the desktop now.
    bool serves() const { return state_ == State::bound && boundCount() > 0; }
    QString boundTrigger(std::uint32_t id) const override;
    bool canConfigure() const override;
    void configure() override { configureShortcuts(); }
    // Opens the desktop's dialog (portal version 2) or its shortcut settings; `parentWindow`
    // as the portal's window identifiers ("x11:<hex>"), or empty.
    void configureShortcuts(const QString &parentWindow = {});
    // Binds again after a refusal or failure (the "ask again" of the settings).
    void bindAgain();
    // The portal went away (its sessions with it) and came back: a new session, same identity.
    void portalGone();
    void portalBack();

    // Runs when state, problem or triggers change.
    std::function<void()> onChanged;

private slots:
    void onActivated(const QDBusMessage &message);
    void onDeactivated(const QDBusMessage &message);
    void onShortcutsChanged(const QDBusMessage &message);
    void onSessionClosed(const QDBusMessage &message);

private:
    void scheduleBind();
    void createSession();
    QVariant shortcutList() const;
    void onSessionCreated(const PortalResponse &response);
    void listShortcuts();
    void onListed(const PortalResponse &response);
    void bindShortcuts();
    void onBound(const PortalResponse &response);
    void forgetSession();
    void setOutcome(State state, const QString &problem);
    // Bound, once the desktop's own daemon (where asked) confirmed which triggers hold.
    void settleBound();
    std::set<std::uint32_t> readTriggers(const QVariant &shortcuts);
    void deliver(const QDBusMessage &message, bool pressed);
    bool ownSession(const QVariant &handle) const;
    std::optional<std::uint32_t> idOf(const QString &shortcut) const;
    bool connectSignal(const char *name, const char *slot);

    QDBusConnection bus_;
    Names names_;
    std::uint32_t version_;
    Options options_;
    Sink sink_;
    std::map<std::uint32_t, std::optional<StoredKey>> stored_;
    bool declared_ = false;
    std::map<std::uint32_t, QString> preferred_;
    std::set<std::uint32_t> active_;
    std::set<std::uint32_t> known_; // ids the desktop listed for the session
    std::map<std::uint32_t, QString> triggers_;
    std::map<std::uint32_t, QString> described_;
    QString session_;
    State state_ = State::unbound;
    QString problem_;
    bool bindQueued_ = false;
    bool inFlight_ = false;
    bool portalPresent_ = true;
    // Ends pending requests (and their callbacks) with the adapter.
    QObject requests_;
};

} // namespace quillo
