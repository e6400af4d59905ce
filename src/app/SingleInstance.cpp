#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace quillo {

namespace {
const QByteArray openSettingsRequest = QByteArrayLiteral("open-settings\n");
constexpr int connectTimeoutMs = 500;
} // namespace

SingleInstance::SingleInstance(QString name, QObject *parent)
    : QObject(parent)
    , name_(std::move(name))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName()
{
    const QString display = qEnvironmentVariable("DISPLAY");
    return QStringLiteral("quillo-%1-%2").arg(getuid()).arg(QString(display).remove(u':').remove(u'/'));
}

bool SingleInstance::notifyRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(openSettingsRequest);
    socket.flush();
    socket.waitForBytesWritten(connectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen(std::function<void()> onRequest)
{
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // A socket file left by a crashed instance: nobody answered, so take it over.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_))
            return false;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, [this, onRequest = std::move(onRequest)] {
        while (QLocalSocket *socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [socket, onRequest] {
                if (socket->readAll().contains("open-settings"))
                    onRequest();
            });
        }
    });
    return true;
}

} // namespace quillo
