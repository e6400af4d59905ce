#include "FakePortal.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

using quillo::fakeportal::FakePortal;
using quillo::fakeportal::Profile;

// Owns org.freedesktop.portal.Desktop and org.quillo.FakePortal on the session
// bus of its environment (a private one: dbus-run-session) until killed.
// --unresponsive: a stuck desktop that takes every portal call and never answers.
// --profile NAME: the desktop it plays (documented, kde5, gnome43, gnome48, hyprland).
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption unresponsive(QStringLiteral("unresponsive"));
    const QCommandLineOption profileName(
        QStringLiteral("profile"), QString(), QStringLiteral("name"), QStringLiteral("documented"));
    parser.addOptions({unresponsive, profileName});
    parser.process(app);
    const std::optional<Profile> profile = Profile::named(parser.value(profileName));
    if (!profile) {
        std::fprintf(stderr, "fake-portal: no profile %s (%s)\n", qPrintable(parser.value(profileName)),
            qPrintable(Profile::names().join(QLatin1Char(' '))));
        return 2;
    }
    FakePortal portal(*profile);
    portal.setUnresponsive(parser.isSet(unresponsive));
    const QString problem = portal.start();
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "fake-portal: %s\n", qPrintable(problem));
        return 1;
    }
    std::printf("fake-portal: ready (%s)\n", qPrintable(profile->name));
    std::fflush(stdout);
    return app.exec();
}
