#include "FakePortalProcess.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

namespace quillo::test {

bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limit.count())
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

FakePortalProcess::FakePortalProcess()
{
    process_.setProgram(QStringLiteral(QUILLO_FAKE_PORTAL));
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.start();
    if (!process_.waitForStarted(5000)) {
        ADD_FAILURE() << "fake portal did not start: " << process_.errorString().toStdString();
        return;
    }
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    ready_ = bus
        && waitUntil([bus] { return bus->isServiceRegistered(QStringLiteral("org.quillo.FakePortal")).value(); },
            std::chrono::seconds(10));
    if (!ready_)
        ADD_FAILURE() << "fake portal did not take its bus names";
}

FakePortalProcess::~FakePortalProcess()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(5000);
    // Its names are released when it goes; the next fake must not meet them.
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    waitUntil([bus] { return !bus->isServiceRegistered(QStringLiteral("org.quillo.FakePortal")).value(); });
}

QDBusMessage FakePortalProcess::control(const QString &method, const QVariantList &args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.quillo.FakePortal"),
        QStringLiteral("/org/quillo/FakePortal"), QStringLiteral("org.quillo.FakePortal"), method);
    call.setArguments(args);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
}

void FakePortalProcess::setOutcome(const QString &method, unsigned response)
{
    control(QStringLiteral("SetOutcome"), {method, response});
}

void FakePortalProcess::setVersion(const QString &interface, unsigned version)
{
    control(QStringLiteral("SetVersion"), {interface, version});
}

void FakePortalProcess::setTrigger(const QString &shortcut, const QString &description)
{
    control(QStringLiteral("SetTrigger"), {shortcut, description});
}

void FakePortalProcess::changeTrigger(const QString &shortcut, const QString &description)
{
    control(QStringLiteral("ChangeTrigger"), {shortcut, description});
}

void FakePortalProcess::activate(const QString &shortcut)
{
    control(QStringLiteral("Activate"), {shortcut});
}

void FakePortalProcess::deactivate(const QString &shortcut)
{
    control(QStringLiteral("Deactivate"), {shortcut});
}

void FakePortalProcess::copy(const QString &type, const QString &text)
{
    control(QStringLiteral("Copy"), {type, text});
}

void FakePortalProcess::paste(const QString &type)
{
    control(QStringLiteral("Paste"), {type});
}

void FakePortalProcess::closeSessions(const QString &kind)
{
    control(QStringLiteral("CloseSessions"), {kind});
}

QStringList FakePortalProcess::log()
{
    const QDBusMessage reply = control(QStringLiteral("Log"));
    return reply.arguments().isEmpty() ? QStringList{} : reply.arguments().constFirst().toStringList();
}

QStringList FakePortalProcess::log(const QString &prefix)
{
    QStringList matching;
    for (const QString &line : log()) {
        if (line.startsWith(prefix))
            matching.append(line);
    }
    return matching;
}

} // namespace quillo::test
