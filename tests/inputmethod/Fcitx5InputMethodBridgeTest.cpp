#include "platform/fcitx5/Fcitx5InputMethodBridge.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace quillo {
namespace {

// Runs the event loop until the bridge answers (the bridge bounds every call itself).
template <typename Answer, typename Call> std::optional<Answer> answerOf(Call call)
{
    std::optional<Answer> answer;
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    call([&](Answer a) {
        answer = std::move(a);
        loop.quit();
    });
    if (!answer)
        loop.exec();
    return answer;
}

bool nameOwned()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(
        QString::fromLatin1(Fcitx5InputMethodBridge::serviceName));
}

// A real fcitx5 without the addon answers UnknownObject; with nobody on its name the bus
// answers ServiceUnknown. Both are "no route", promptly.
TEST(Fcitx5InputMethodBridge, AbsentAddonIsNoRoute)
{
    const QString fcitx5 = QStandardPaths::findExecutable(QStringLiteral("fcitx5"));
    for (const bool running : {false, true}) {
        SCOPED_TRACE(running ? "fcitx5 without the addon" : "no fcitx5");
        QTemporaryDir home;
        QProcess process;
        if (running) {
            if (fcitx5.isEmpty())
                GTEST_SKIP() << "fcitx5 is not installed";
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("HOME"), home.path());
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
            env.remove(QStringLiteral("DISPLAY"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            process.setProcessEnvironment(env);
            process.start(fcitx5, {QStringLiteral("-r")});
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &loop, [&loop] {
                if (nameOwned())
                    loop.quit();
            });
            poll.start(20);
            QTimer::singleShot(10000, &loop, &QEventLoop::quit);
            loop.exec();
            ASSERT_TRUE(nameOwned()) << "fcitx5 did not take its bus name";
        }
        Fcitx5InputMethodBridge bridge;
        EXPECT_EQ(answerOf<bool>([&](auto done) { bridge.probe(done); }), false);
        const auto focus = answerOf<std::optional<InputMethodBridge::Focus>>([&](auto done) { bridge.focused(done); });
        ASSERT_TRUE(focus.has_value()) << "no answer at all";
        EXPECT_FALSE(focus->has_value());
        EXPECT_EQ(answerOf<bool>([&](auto done) {
            bridge.commit(QStringLiteral("0123456789abcdef0123456789abcdef"), QStringLiteral("x"), done);
        }),
            false);
        process.terminate();
        process.waitForFinished(5000);
    }
}

} // namespace
} // namespace quillo
