#pragma once

#include "RelayedConnection.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <functional>

namespace quillo::bench {

// A TCP relay on 127.0.0.1 in front of a local service that behaves like a distant one
// (see NetworkShape). TLS passes through untouched: the client still verifies the
// service's own certificate.
class LatencyRelay : public QObject {
public:
    // Told of every connection opened and every one the service closed as idle, with the
    // monotonic time (CLOCK_MONOTONIC) in milliseconds.
    using Report = std::function<void(const char *event, int connection, double monotonicMs)>;

    LatencyRelay(QHostAddress upstreamAddress, quint16 upstreamPort, NetworkShape shape, Report report);

    bool listen(quint16 port, QString *error);
    quint16 port() const { return server_.serverPort(); }

private:
    void accept();
    static double monotonicMs();

    QHostAddress upstreamAddress_;
    quint16 upstreamPort_;
    NetworkShape shape_;
    Report report_;
    QTcpServer server_;
    int opened_ = 0;
};

} // namespace quillo::bench
