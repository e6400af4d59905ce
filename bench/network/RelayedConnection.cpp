#include "RelayedConnection.h"

#include <algorithm>

namespace quillo::bench {

using namespace std::chrono_literals;

RelayedConnection::RelayedConnection(QTcpSocket *client, const QHostAddress &upstreamAddress, quint16 upstreamPort,
    NetworkShape shape, std::function<void()> closedIdle, QObject *parent)
    : QObject(parent)
    , shape_(shape)
    , half_(std::chrono::duration_cast<Clock::duration>(shape.roundTrip) / 2)
    , accepted_(Clock::now())
    , serviceLast_(accepted_)
    , client_(client)
    , toUpstream_(upstream_, this)
    , toClient_(*client, this)
    , closedIdle_(std::move(closedIdle))
{
    client_->setParent(this);
    client_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    idle_.setSingleShot(true);
    idle_.setTimerType(Qt::PreciseTimer);
    connect(&idle_, &QTimer::timeout, this, &RelayedConnection::checkIdle);
    connect(client_, &QTcpSocket::readyRead, this, &RelayedConnection::fromClient);
    connect(&upstream_, &QTcpSocket::readyRead, this, &RelayedConnection::fromUpstream);
    connect(&upstream_, &QTcpSocket::connected, this,
        [this] { upstream_.setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    // A side that closes is seen closing by the other half a round trip later.
    connect(client_, &QTcpSocket::disconnected, this, [this] {
        clientGone_ = true;
        toUpstream_.pushEnd(Clock::now() + half_);
        closeIfBothGone();
    });
    connect(&upstream_, &QTcpSocket::disconnected, this, [this] {
        upstreamGone_ = true;
        toClient_.pushEnd(Clock::now() + half_);
        closeIfBothGone();
    });
    connect(&upstream_, &QTcpSocket::errorOccurred, this, [this] {
        if (upstream_.state() == QAbstractSocket::UnconnectedState && !upstreamGone_) {
            upstreamGone_ = true;
            client_->abort();
            closeIfBothGone();
        }
    });
    upstream_.connectToHost(upstreamAddress, upstreamPort);
    checkIdle();
    fromClient();
}

void RelayedConnection::fromClient()
{
    const QByteArray bytes = client_->readAll();
    if (bytes.isEmpty() || upstreamGone_)
        return;
    // Over a real network the client could send its first byte only once the TCP
    // handshake had taken a round trip; here the kernel completed it at once.
    const Clock::time_point sent = std::max(Clock::now(), accepted_ + 2 * half_);
    const Clock::time_point due = sent + half_;
    noteServiceActivity(due);
    toUpstream_.push(due, bytes);
}

void RelayedConnection::fromUpstream()
{
    const QByteArray bytes = upstream_.readAll();
    if (bytes.isEmpty() || clientGone_)
        return;
    const Clock::time_point now = Clock::now();
    noteServiceActivity(now);
    toClient_.push(now + half_, bytes);
}

void RelayedConnection::noteServiceActivity(Clock::time_point at)
{
    serviceLast_ = std::max(serviceLast_, at);
}

// The service's own view: idle since the last byte it sent or received.
void RelayedConnection::checkIdle()
{
    if (shape_.keepAlive.count() <= 0 || upstreamGone_)
        return;
    const Clock::time_point deadline = serviceLast_ + shape_.keepAlive;
    const Clock::time_point now = Clock::now();
    if (now < deadline) {
        idle_.start(std::chrono::ceil<std::chrono::milliseconds>(std::max(deadline - now, Clock::duration(0))) + 1ms);
        return;
    }
    upstreamGone_ = true;
    upstream_.disconnectFromHost();
    toClient_.pushEnd(now + half_);
    if (closedIdle_)
        closedIdle_();
}

// With both ends closed nothing queued can still arrive anywhere.
void RelayedConnection::closeIfBothGone()
{
    if (clientGone_ && upstreamGone_)
        deleteLater();
}

} // namespace quillo::bench
