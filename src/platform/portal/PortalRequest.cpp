#include "platform/portal/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUuid>

#include <utility>

namespace quillo {

QString PortalResponse::describe() const
{
    switch (code) {
    case Code::success:
        return QStringLiteral("granted");
    case Code::refused:
        return QStringLiteral("refused by the user");
    case Code::ended:
        return QStringLiteral("ended by the desktop");
    case Code::failed:
        return QStringLiteral("failed: %1").arg(error);
    case Code::timedOut:
        return QStringLiteral("no answer from the desktop");
    }
    return {};
}

PortalRequest::PortalRequest(const QDBusConnection &bus, Done done, QObject *owner)
    : QObject(owner)
    , bus_(bus)
    , done_(std::move(done))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &PortalRequest::onTimeout);
}

void PortalRequest::send(const QDBusConnection &bus, const QString &interface, const QString &method,
    const QVariantList &args, QVariantMap options, QObject *owner, Done done, std::chrono::milliseconds timeout)
{
    auto *request = new PortalRequest(bus, std::move(done), owner);
    const QString token = newToken();
    options.insert(QStringLiteral("handle_token"), token);
    if (!bus.isConnected()) {
        request->finish({PortalResponse::Code::failed, {}, QStringLiteral("no session bus")});
        return;
    }
    request->subscribe(predictedPath(QStringLiteral("request"), bus.baseService(), token));

    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(portal::service), QLatin1String(portal::objectPath), interface, method);
    QVariantList arguments = args;
    arguments.append(options);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request, &PortalRequest::onCallFinished);
    request->timer_.start(timeout);
}

QString PortalRequest::newToken()
{
    return QStringLiteral("quillo_") + QUuid::createUuid().toString(QUuid::Id128);
}

QString PortalRequest::predictedPath(const QString &kind, const QString &uniqueName, const QString &token)
{
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/%2/%3/%4").arg(QLatin1String(portal::objectPath), kind, sender, token);
}

bool PortalRequest::subscribe(const QString &path)
{
    path_ = path;
    return bus_.connect(QLatin1String(portal::service), path, QLatin1String(portal::requestInterface),
        QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::unsubscribe()
{
    if (path_.isEmpty())
        return;
    bus_.disconnect(QLatin1String(portal::service), path_, QLatin1String(portal::requestInterface),
        QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    path_.clear();
}

void PortalRequest::onCallFinished(QDBusPendingCallWatcher *watcher)
{
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    watcher->deleteLater();
    if (reply.isError()) {
        finish({PortalResponse::Code::failed, {}, reply.error().message()});
        return;
    }
    // Portals older than handle_token choose their own path; follow it.
    const QString actual = reply.value().path();
    if (!finished_ && actual != path_) {
        unsubscribe();
        subscribe(actual);
    }
}

void PortalRequest::onResponse(uint code, const QVariantMap &results)
{
    PortalResponse response;
    response.results = results;
    switch (code) {
    case 0:
        response.code = PortalResponse::Code::success;
        break;
    case 1:
        response.code = PortalResponse::Code::refused;
        break;
    default:
        response.code = PortalResponse::Code::ended;
        break;
    }
    finish(std::move(response));
}

void PortalRequest::onTimeout()
{
    // Close the dialog the desktop may still show; nothing waits for its answer.
    if (!path_.isEmpty()) {
        bus_.asyncCall(QDBusMessage::createMethodCall(
            QLatin1String(portal::service), path_, QLatin1String(portal::requestInterface), QStringLiteral("Close")));
    }
    finish({PortalResponse::Code::timedOut, {}, QStringLiteral("no answer in time")});
}

void PortalRequest::finish(PortalResponse response)
{
    if (finished_)
        return;
    finished_ = true;
    timer_.stop();
    unsubscribe();
    Done done = std::move(done_);
    deleteLater();
    if (done)
        done(response);
}

} // namespace quillo
