#pragma once

#include "DelayedPipe.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>
#include <functional>

namespace quillo::bench {

// What the network between the user and the service adds: half the round trip to every
// byte each way, a round trip for the TCP handshake before the client's first byte
// leaves, and the service closing a connection idle for longer than `keepAlive`.
struct NetworkShape {
    std::chrono::microseconds roundTrip{0};
    std::chrono::milliseconds keepAlive{0}; // zero: never closed for being idle
};

// One client connection passed on to the upstream service through the shape's delays.
// Deletes itself once both sides are closed.
class RelayedConnection : public QObject {
public:
    using Clock = DelayedPipe::Clock;

    // Takes `client` over; `closedIdle` hears of a connection the service closed as idle.
    RelayedConnection(QTcpSocket *client, const QHostAddress &upstreamAddress, quint16 upstreamPort, NetworkShape shape,
        std::function<void()> closedIdle, QObject *parent);

private:
    void fromClient();
    void fromUpstream();
    void noteServiceActivity(Clock::time_point at);
    void checkIdle();
    void closeIfBothGone();

    NetworkShape shape_;
    Clock::duration half_;
    Clock::time_point accepted_;
    Clock::time_point serviceLast_; // the last byte the service sent or received
    QTcpSocket *client_;
    QTcpSocket upstream_;
    DelayedPipe toUpstream_;
    DelayedPipe toClient_;
    QTimer idle_;
    std::function<void()> closedIdle_;
    bool clientGone_ = false;
    bool upstreamGone_ = false;
};

} // namespace quillo::bench
