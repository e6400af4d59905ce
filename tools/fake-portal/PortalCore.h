#pragma once

#include "Profile.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <functional>

namespace quillo::fakeportal {

namespace DBusError {
inline const QString accessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
inline const QString unknownMethod = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");
inline const QString invalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
inline const QString failed = QStringLiteral("org.freedesktop.portal.Error.Failed");
inline const QString invalidArgument = QStringLiteral("org.freedesktop.portal.Error.InvalidArgument");
} // namespace DBusError

inline const QString desktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
inline const QString controlPath = QStringLiteral("/org/quillo/FakePortal");

struct Session {
    QString kind; // "GlobalShortcuts" or "RemoteDesktop"
    QString owner; // the client's unique bus name
    QString appId; // as the portal knew the client when the session was made
    // RemoteDesktop
    std::uint32_t types = 0;
    std::uint32_t persistMode = 0;
    QString restoreToken; // the token it was restored from
    bool restored = false;
    bool restoredClipboard = false;
    bool devicesSelected = false;
    bool started = false;
    bool clipboardRequested = false;
    bool clipboardEnabled = false;
};

// What the portal's interfaces share: the buses, sessions, requests, the
// client's app id, scripted outcomes and the log of every call.
class PortalCore {
public:
    explicit PortalCore(Profile profile);

    const Profile &profile() const { return profile_; }
    // Versions, repeat rate and key matching as the profile has them.
    void setProfile(Profile profile);
    std::uint32_t version(const QString &interface) const { return versions_.value(interface, 0); }
    void setVersion(const QString &interface, std::uint32_t version) { versions_.insert(interface, version); }
    bool backendMissing(const QString &interface) const { return missingBackends_.contains(interface); }
    void setBackend(const QString &interface, bool present);
    std::uint32_t outcome(const QString &method) const { return outcomes_.value(method, 0); }
    void setOutcome(const QString &method, std::uint32_t code) { outcomes_.insert(method, code); }

    void setBuses(QDBusConnection control, QDBusConnection portal);
    QDBusConnection &portalBus() { return portal_; }
    QDBusConnection &busFor(const QDBusMessage &message);

    // The app id the portal sees for a caller: its registration, else what
    // its systemd scope would give.
    QString appId(const QString &sender) const { return registered_.value(sender, unregisteredAppId_); }
    bool isRegistered(const QString &sender) const { return registered_.contains(sender); }
    void registerApp(const QString &sender, const QString &appId) { registered_.insert(sender, appId); }
    void setUnregisteredAppId(const QString &appId) { unregisteredAppId_ = appId; }
    // A portal call fixes the caller's app id: registering later fails.
    void noteCaller(const QString &sender) { callers_.insert(sender); }
    bool hasCalled(const QString &sender) const { return callers_.contains(sender); }

    QMap<QString, Session> &sessions() { return sessions_; }
    QString createSession(const QDBusMessage &message, const QString &kind, const QVariantMap &options);
    // The caller's session of that kind, or nullptr after an error reply.
    Session *session(const QDBusMessage &message, const QString &kind);
    // The session ends; with `announce` it emits Closed first.
    void closeSession(const QString &path, bool announce);
    // Every session and registration of a client that left the bus.
    void forgetCaller(const QString &sender);
    void forgetAll(bool announce);
    std::function<void(const QString &path)> onSessionGone;

    // Replies with the request path, then answers through its Response
    // signal; `before` runs just before the Response is sent.
    void respond(const QDBusMessage &message, const QVariantMap &options, std::uint32_t code,
        const QVariantMap &results, const std::function<void()> &before = {});
    void reply(const QDBusMessage &message, const QVariantList &arguments = {});
    void replyError(const QDBusMessage &message, const QString &name, const QString &text);
    bool checkSignature(const QDBusMessage &message, const QString &expected);
    // A signal of the portal object sent to one client, as the frontend does.
    void emitTo(const QString &destination, const QString &path, const QString &interface, const QString &name,
        const QVariantList &arguments);
    // The timestamp Activated and Deactivated carry on this desktop.
    quint64 timestamp() const;

    void log(const QString &line) { log_.append(line); }
    const QStringList &logLines() const { return log_; }
    int nextSerial() { return ++serial_; }
    static QString objectPath(const QString &kind, const QString &sender, const QString &token);

private:
    Profile profile_;
    QDBusConnection control_;
    QDBusConnection portal_;
    QMap<QString, std::uint32_t> versions_;
    QMap<QString, std::uint32_t> outcomes_;
    QSet<QString> missingBackends_;
    QMap<QString, Session> sessions_;
    QMap<QString, QString> registered_; // sender -> app id
    QSet<QString> callers_;
    QString unregisteredAppId_;
    QStringList log_;
    int serial_ = 0;
};

} // namespace quillo::fakeportal
