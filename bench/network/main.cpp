// quillo-latency-relay: a local service made to look distant, for the network bench.
#include "LatencyRelay.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using quillo::bench::LatencyRelay;
using quillo::bench::NetworkShape;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "TCP relay on 127.0.0.1 to a local service, adding half the round trip to every byte each way, a round "
        "trip before the client's first byte (the TCP handshake), and closing connections the service saw idle "
        "for longer than the keep-alive. Prints \"listening 127.0.0.1:PORT\", then \"open N T\" and "
        "\"idle-close N T\" lines (T: CLOCK_MONOTONIC in ms)."));
    parser.addHelpOption();
    const QCommandLineOption upstream(
        QStringLiteral("upstream"), QStringLiteral("The service, 127.0.0.1:PORT."), QStringLiteral("host:port"));
    const QCommandLineOption roundTrip(QStringLiteral("rtt-ms"), QStringLiteral("Round trip to add (default 0)."),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption keepAlive(QStringLiteral("keep-alive-ms"),
        QStringLiteral("Idle time after which the service closes a connection (default 0: never)."),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption port(
        QStringLiteral("port"), QStringLiteral("Port (default: any free one)."), QStringLiteral("port"), "0");
    parser.addOptions({upstream, roundTrip, keepAlive, port});
    parser.process(app);

    const QStringList target = parser.value(upstream).split(QLatin1Char(':'));
    const QHostAddress address(target.value(0));
    const quint16 upstreamPort = static_cast<quint16>(target.value(1).toUInt());
    if (address.isNull() || upstreamPort == 0) {
        std::fprintf(stderr, "--upstream 127.0.0.1:PORT is required\n");
        return 2;
    }
    NetworkShape shape;
    shape.roundTrip = std::chrono::microseconds(static_cast<long long>(parser.value(roundTrip).toDouble() * 1000));
    shape.keepAlive = std::chrono::milliseconds(parser.value(keepAlive).toLongLong());

    LatencyRelay relay(address, upstreamPort, shape, [](const char *event, int connection, double at) {
        std::printf("%s %d %.3f\n", event, connection, at);
        std::fflush(stdout);
    });
    QString error;
    if (!relay.listen(static_cast<quint16>(parser.value(port).toUInt()), &error)) {
        std::fprintf(stderr, "cannot listen: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("listening 127.0.0.1:%u\n", relay.port());
    std::fflush(stdout);
    return QCoreApplication::exec();
}
