#include "FakePortal.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>

// Owns org.freedesktop.portal.Desktop and org.quillo.FakePortal on the session
// bus of its environment (a private one: dbus-run-session) until killed.
// --unresponsive: a stuck desktop that takes every portal call and never answers.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    quillo::FakePortal portal(QDBusConnection::sessionBus());
    portal.setUnresponsive(app.arguments().contains(QStringLiteral("--unresponsive")));
    const QString problem = portal.start();
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "fake-portal: %s\n", qPrintable(problem));
        return 1;
    }
    std::printf("fake-portal: ready\n");
    std::fflush(stdout);
    return app.exec();
}
