#include "LatencyRelay.h"

#include <QTcpSocket>

namespace quillo::bench {

LatencyRelay::LatencyRelay(QHostAddress upstreamAddress, quint16 upstreamPort, NetworkShape shape, Report report)
    : upstreamAddress_(std::move(upstreamAddress))
    , upstreamPort_(upstreamPort)
    , shape_(shape)
    , report_(std::move(report))
{
    connect(&server_, &QTcpServer::newConnection, this, &LatencyRelay::accept);
}

bool LatencyRelay::listen(quint16 port, QString *error)
{
    if (server_.listen(QHostAddress::LocalHost, port))
        return true;
    if (error)
        *error = server_.errorString();
    return false;
}

void LatencyRelay::accept()
{
    while (QTcpSocket *client = server_.nextPendingConnection()) {
        const int id = ++opened_;
        report_("open", id, monotonicMs());
        new RelayedConnection(
            client, upstreamAddress_, upstreamPort_, shape_, [this, id] { report_("idle-close", id, monotonicMs()); },
            this);
    }
}

double LatencyRelay::monotonicMs()
{
    // steady_clock is CLOCK_MONOTONIC on Linux: the clock scripts read with time.monotonic().
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double, std::milli>(now).count();
}

} // namespace quillo::bench
