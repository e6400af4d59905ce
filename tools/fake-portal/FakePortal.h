#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>

namespace quillo {

// The portal calls Quillo makes, answered as the portal documentation
// describes them: methods checked against their documented signatures, Request
// objects answering through Response (0 granted, 1 refused, 2 ended), Session
// objects that can be closed, host registration allowed once and only before
// any other call, restore tokens that are spent when used.
//
// Tests steer it through org.quillo.FakePortal at /org/quillo/FakePortal:
//   SetOutcome(s method, u response)   e.g. ("GlobalShortcuts.BindShortcuts", 1)
//   SetVersion(s interface, u version) e.g. ("GlobalShortcuts", 1)
//   SetTrigger(s shortcut, s description)  what the desktop binds instead of the preferred trigger
//   Activate(s shortcut) / Deactivate(s shortcut)
//   ChangeTrigger(s shortcut, s description)  as if the user rebound it (ShortcutsChanged)
//   Copy(s type, s text)                another application copies (SelectionOwnerChanged)
//   Paste(s type)                       another application pastes (SelectionTransfer);
//                                       what arrives is logged as "pasted <type> <text>"
//   CloseSessions(s kind)               the desktop ends every session of that kind
//                                       ("RemoteDesktop"): Session.Closed, then gone
//   Log() -> as                         every call, one line each
class FakePortal final : public QDBusVirtualObject {
    Q_OBJECT

public:
    explicit FakePortal(QDBusConnection bus);

    // Registers the objects and bus names; the reason on failure, else empty.
    QString start();
    // Portal calls get no answer at all (control calls still do).
    void setUnresponsive(bool unresponsive) { unresponsive_ = unresponsive; }

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    struct Session {
        QString kind; // "GlobalShortcuts" or "RemoteDesktop"
        QString owner;
        bool bound = false;
        QMap<QString, QString> triggers; // shortcut id -> trigger description
        QStringList order;
        std::uint32_t types = 0;
        std::uint32_t persistMode = 0;
        bool restored = false;
        bool started = false;
        bool clipboardRequested = false;
        bool clipboardEnabled = false;
    };

    // A paste answered through SelectionWrite: the pipe end we read from.
    struct Transfer {
        QString type;
        int readEnd = -1;
    };

    void dispatch(const QDBusMessage &message);
    void handleProperties(const QDBusMessage &message);
    void handleRegistry(const QDBusMessage &message);
    void handleGlobalShortcuts(const QDBusMessage &message);
    void handleRemoteDesktop(const QDBusMessage &message);
    void handleControl(const QDBusMessage &message);
    void handleClipboard(const QDBusMessage &message);
    void selectionWrite(const QDBusMessage &message, Session &session);
    void selectionWriteDone(const QDBusMessage &message);
    void selectionRead(const QDBusMessage &message);
    void copyFromElsewhere(const QString &type, const QByteArray &data);
    void pasteElsewhere(const QDBusMessage &message, const QString &type);
    void announceOwner(const QStringList &types, const QString &ownerSession);
    void createSession(const QDBusMessage &message, const QString &kind);
    void bindShortcuts(const QDBusMessage &message);
    void listShortcuts(const QDBusMessage &message);
    void selectDevices(const QDBusMessage &message);
    void startRemote(const QDBusMessage &message);
    void notifyKey(const QDBusMessage &message, const QString &what);
    void changeTrigger(const QString &shortcut, const QString &description);
    void closeSessions(const QString &kind);
    void emitShortcutSignal(const QString &name, const QString &shortcut);

    bool checkSignature(const QDBusMessage &message, const QString &expected);
    Session *ownedSession(const QDBusMessage &message, const QString &kind);
    // Replies with the request path, then answers through its Response signal.
    void respond(
        const QDBusMessage &message, const QVariantMap &options, std::uint32_t code, const QVariantMap &results);
    void replyError(const QDBusMessage &message, const QString &text);
    std::uint32_t outcome(const QString &method) const { return outcomes_.value(method, 0); }
    static QString objectPath(const QString &kind, const QString &sender, const QString &token);

    QDBusConnection bus_;
    QMap<QString, std::uint32_t> outcomes_;
    QMap<QString, std::uint32_t> versions_;
    QMap<QString, QString> triggerOverrides_;
    QMap<QString, Session> sessions_;
    QMap<QString, QString> registered_; // sender -> app id
    QSet<QString> callers_; // senders that made a portal call
    QSet<QString> tokens_; // restore tokens not yet spent
    QStringList log_;
    QString clipboardOwner_; // a session path, or empty for another application
    QStringList clipboardTypes_;
    QMap<QString, QByteArray> clipboardData_; // what another application copied
    QMap<std::uint32_t, Transfer> transfers_;
    int serial_ = 0;
    bool unresponsive_ = false;
};

} // namespace quillo
