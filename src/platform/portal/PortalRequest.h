#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantList>
#include <QVariantMap>

#include <chrono>
#include <functional>

class QDBusMessage;
class QDBusPendingCallWatcher;

namespace quillo {

namespace portal {
inline constexpr char service[] = "org.freedesktop.portal.Desktop";
inline constexpr char objectPath[] = "/org/freedesktop/portal/desktop";
inline constexpr char requestInterface[] = "org.freedesktop.portal.Request";
inline constexpr char sessionInterface[] = "org.freedesktop.portal.Session";
} // namespace portal

// How a portal request ended.
struct PortalResponse {
    enum class Code {
        success = 0,
        refused = 1, // the user said no or closed the dialog
        ended = 2, // ended some other way (the desktop gave up)
        failed, // the call itself failed (no such portal, invalid arguments)
        timedOut, // no answer in time
    };

    Code code = Code::failed;
    QVariantMap results;
    QString error; // set for failed and timedOut

    bool ok() const { return code == Code::success; }
    // One line for the user or the log.
    QString describe() const;
};

// One call of a portal method that answers through a Request object. The
// Response signal is subscribed to on the path the portal will use (predicted
// from our unique bus name and the handle_token we choose) before the call goes
// out, so an answer given at once is not lost. The request lives as a child of
// its owner: destroying the owner drops the pending answer and its callback.
class PortalRequest final : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(const PortalResponse &)>;

    // Interactive requests wait on the user; bounded all the same so a stuck
    // desktop cannot leave the caller waiting for ever.
    static constexpr std::chrono::milliseconds defaultTimeout{std::chrono::minutes(3)};

    // Calls `method` of `interface` on the portal with `args` followed by
    // `options` (handle_token added). `done` runs once, on the main thread.
    static void send(const QDBusConnection &bus, const QString &interface, const QString &method,
        const QVariantList &args, QVariantMap options, QObject *owner, Done done,
        std::chrono::milliseconds timeout = defaultTimeout);

    // A fresh token usable as an object path element.
    static QString newToken();
    // Where the portal puts the Request (or Session) object for a token:
    // /org/freedesktop/portal/desktop/<kind>/<sender>/<token>, sender being the
    // unique name without ':' and with '.' as '_'.
    static QString predictedPath(const QString &kind, const QString &uniqueName, const QString &token);

private slots:
    void onResponse(uint code, const QVariantMap &results);
    void onCallFinished(QDBusPendingCallWatcher *watcher);
    void onTimeout();

private:
    PortalRequest(const QDBusConnection &bus, Done done, QObject *owner);
    bool subscribe(const QString &path);
    void unsubscribe();
    void finish(PortalResponse response);

    QDBusConnection bus_;
    Done done_;
    QString path_;
    QTimer timer_;
    bool finished_ = false;
};

} // namespace quillo
