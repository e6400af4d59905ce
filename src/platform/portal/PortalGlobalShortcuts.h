#pragma once

#include "platform/KeyboardSource.h"
#include "platform/ShortcutBindings.h"
#include "platform/portal/PortalRequest.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>

class QDBusMessage;

namespace quillo {

// The desktop's global shortcuts through the GlobalShortcuts portal: each
// registered hot key becomes one shortcut of a portal session, with a preferred
// trigger derived from its key and modifiers; Activated is a press and
// Deactivated a release. The portal shows no other key, so the source cannot
// listen, cannot post, and takes nothing from the focused application.
//
// A session can bind its shortcuts only once: a changed set of hot keys closes
// the session and binds a new one. Registrations made in one turn of the event
// loop are bound together. Main thread only.
class PortalGlobalShortcuts final : public QObject, public KeyboardSource, public ShortcutBindings {
    Q_OBJECT

public:
    // What the desktop shows for a hot key id: the shortcut's stable id and its description.
    struct ShortcutName {
        QString id;
        QString description;
    };
    using Names = std::map<std::uint32_t, ShortcutName>;

    enum class State { unbound, binding, bound, refused, failed };

    // `version` is the portal's interface version (ConfigureShortcuts needs 2).
    PortalGlobalShortcuts(QDBusConnection bus, Names names, std::uint32_t version, QObject *parent = nullptr);
    ~PortalGlobalShortcuts() override;

    void setSink(Sink sink) override { sink_ = std::move(sink); }
    KeyboardAccess access() const override { return {}; }
    bool startListening() override { return false; }
    void stopListening() override { }
    bool isListening() const override { return false; }
    // 0 when the hot key will be bound; -1 when its key has no keysym.
    int registerHotKey(std::uint32_t id, std::uint16_t keyCode, std::uint64_t modifiers) override;
    void unregisterHotKey(std::uint32_t id) override;
    void setKeyTaken(std::uint16_t, bool) override { }
    bool shortcutsOnly() const override { return true; }
    bool hasKey(std::uint16_t keyCode) const override;
    std::uint64_t currentModifiers() const override { return 0; }

    State state() const { return state_; }
    // Why the last binding did not succeed; empty otherwise.
    QString problem() const { return problem_; }
    // How the desktop says each bound hot key is triggered (ids without a
    // trigger are missing): from the bind answer and ShortcutsChanged.
    const std::map<std::uint32_t, QString> &triggerDescriptions() const { return triggers_; }
    // The preferred triggers last asked for.
    const std::map<std::uint32_t, QString> &preferredTriggers() const { return wanted_; }
    QString boundTrigger(std::uint32_t id) const override;
    // The desktop can show its own dialog for changing the triggers.
    bool canConfigure() const override { return version_ >= 2 && !session_.isEmpty(); }
    void configure() override { configureShortcuts(); }
    // Opens that dialog; `parentWindow` as the portal's window identifiers ("x11:<hex>"), or empty.
    void configureShortcuts(const QString &parentWindow = {});
    // Binds again after a refusal or failure (the "ask again" of the settings).
    void bindAgain();

    // Runs when state, problem or triggers change.
    std::function<void()> onChanged;

private slots:
    void onActivated(const QDBusMessage &message);
    void onDeactivated(const QDBusMessage &message);
    void onShortcutsChanged(const QDBusMessage &message);

private:
    void scheduleBind();
    void bindNow();
    void closeSession();
    void onSessionCreated(const PortalResponse &response);
    void onBound(const PortalResponse &response);
    void setOutcome(State state, const QString &problem);
    void readTriggers(const QVariant &shortcuts);
    void deliver(const QDBusMessage &message, bool pressed);
    QString shortcutId(std::uint32_t id) const;
    bool connectSignal(const char *name, const char *slot);

    QDBusConnection bus_;
    Names names_;
    std::uint32_t version_;
    Sink sink_;
    std::map<std::uint32_t, QString> wanted_;
    std::map<std::uint32_t, QString> boundWanted_; // what the session was bound with
    std::map<std::uint32_t, QString> triggers_;
    QString session_;
    State state_ = State::unbound;
    QString problem_;
    bool bindQueued_ = false;
    bool inFlight_ = false;
    // Ends pending requests (and their callbacks) with the adapter.
    QObject requests_;
};

} // namespace quillo
