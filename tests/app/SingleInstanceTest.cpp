#include "app/SingleInstance.h"

#include "platform/fake/ManualScheduler.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <vector>

namespace quillo {
namespace {

using Request = SingleInstance::Request;
using Kind = SingleInstance::Reply::Kind;

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "test_single_instance";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

// Runs fn on a thread of its own while this thread's event loop serves the listener,
// as a second process would; bounded so that a hang fails instead of blocking.
template <typename Fn> void whileServing(Fn fn)
{
    std::unique_ptr<QThread> thread(QThread::create(std::move(fn)));
    thread->start();
    const QDeadlineTimer deadline(10000);
    while (!thread->isFinished() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(thread->wait(5000)) << "the client never returned";
}

// Everything a raw client reads back after sending bytes, until the instance hangs up.
QByteArray exchange(const QString &name, const QByteArray &bytes)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(2000))
        return "(not connected)";
    socket.write(bytes);
    socket.waitForBytesWritten(2000);
    QByteArray answer;
    const QDeadlineTimer deadline(3000);
    while (!deadline.hasExpired() && socket.state() == QLocalSocket::ConnectedState) {
        socket.waitForReadyRead(100);
        answer += socket.readAll();
    }
    return answer + socket.readAll();
}

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest() { ensureApplication(); }

    QString name() const { return dir.filePath(QStringLiteral("quillo-test")); }

    void listen(bool acts = true)
    {
        ASSERT_TRUE(server.listen(scheduler, [this, acts](Request r) {
            received.push_back(r);
            return acts;
        }));
    }

    SingleInstance::Reply send(Request request)
    {
        SingleInstance::Reply reply;
        whileServing([&] { reply = SingleInstance(name()).send(request); });
        return reply;
    }

    QTemporaryDir dir;
    ManualScheduler scheduler;
    SingleInstance server{name()};
    std::vector<Request> received;
};

TEST_F(SingleInstanceTest, EveryRequestReachesTheRunningInstance)
{
    listen();
    const std::vector<Request> all = {Request::openSettings, Request::toggle, Request::start, Request::stop,
        Request::cancel, Request::translate, Request::retry};
    for (Request r : all)
        EXPECT_EQ(send(r).kind, Kind::taken) << SingleInstance::lineOf(r).toStdString();
    EXPECT_EQ(received, all);
}

TEST_F(SingleInstanceTest, ARequestThatDidNothingIsAnsweredAsIgnored)
{
    listen(false);
    EXPECT_EQ(send(Request::stop).kind, Kind::ignored);
    EXPECT_EQ(received, std::vector<Request>{Request::stop});
}

// A status is longer than an action's answer (every trigger the desktop bound), never
// reaches the action handler, and a report that would break the one-line protocol is not sent.
TEST_F(SingleInstanceTest, AStatusRequestIsAnsweredWithTheReportAlone)
{
    listen();
    QByteArray report = "{\"hotkeys\":\"portal\",\"triggers\":\"" + QByteArray(600, 'x') + "\"}";
    server.setStatusReport([&report] { return report; });
    const SingleInstance::Reply reply = send(Request::status);
    EXPECT_EQ(reply.kind, Kind::status);
    EXPECT_EQ(reply.detail.toUtf8(), report);
    EXPECT_TRUE(received.empty());

    report = "{\"a\":1}\nok";
    EXPECT_EQ(send(Request::status).kind, Kind::refused);
    // An instance that keeps no report says so rather than answering an empty line.
    server.setStatusReport({});
    EXPECT_EQ(send(Request::status).kind, Kind::refused);
}

TEST_F(SingleInstanceTest, APlainLaunchFindsTheInstanceOnlyWhenOneListens)
{
    bool found = true;
    whileServing([&] { found = SingleInstance(name()).notifyRunningInstance(); });
    EXPECT_FALSE(found);
    listen();
    whileServing([&] { found = SingleInstance(name()).notifyRunningInstance(); });
    EXPECT_TRUE(found);
    EXPECT_EQ(received, std::vector<Request>{Request::openSettings});
}

TEST_F(SingleInstanceTest, NobodyListeningIsReportedAsNoInstance)
{
    // Told apart from a time-out: the answer comes from the failed connection itself.
    EXPECT_EQ(SingleInstance(name()).send(Request::toggle, std::chrono::seconds(5)).kind, Kind::noInstance);
}

TEST_F(SingleInstanceTest, ASocketFileLeftByACrashedInstanceIsNoInstanceAndIsTakenOver)
{
    // A bound socket nobody accepts on, as a killed instance leaves it behind.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = name().toLocal8Bit();
    ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    ::close(fd);

    EXPECT_EQ(SingleInstance(name()).send(Request::toggle).kind, Kind::noInstance);
    listen();
    EXPECT_EQ(send(Request::toggle).kind, Kind::taken);
}

TEST_F(SingleInstanceTest, MalformedRequestsGetAnErrorAndReachNoHandler)
{
    listen();
    struct Case {
        const char *name;
        QByteArray sent;
        QByteArray answer;
    };
    const std::vector<Case> cases = {
        {"unknown word", "reboot\n", "error: unknown request\n"},
        {"empty line", "\n", "error: unknown request\n"},
        {"wrong case", "TOGGLE\n", "error: unknown request\n"},
        {"binary", QByteArray("\x00\xff\x01\n", 4), "error: unknown request\n"},
        {"endless line", QByteArray(SingleInstance::maxLineBytes + 50, 'x'), "error: request too long\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray answer;
        whileServing([&] { answer = exchange(name(), c.sent); });
        EXPECT_EQ(answer, c.answer);
    }
    EXPECT_TRUE(received.empty());
    // Only the first line of a connection counts; the instance still serves.
    QByteArray answer;
    whileServing([&] { answer = exchange(name(), "start\nstop\n"); });
    EXPECT_EQ(answer, "ok\n");
    EXPECT_EQ(received, std::vector<Request>{Request::start});
}

TEST_F(SingleInstanceTest, ASilentClientBlocksNobodyAndIsDroppedLater)
{
    listen();
    QLocalSocket silent;
    silent.connectToServer(name());
    ASSERT_TRUE(silent.waitForConnected(2000));
    QCoreApplication::processEvents();

    EXPECT_EQ(send(Request::start).kind, Kind::taken);
    EXPECT_EQ(silent.state(), QLocalSocket::ConnectedState);

    scheduler.advance(SingleInstance::idleTimeout);
    const QDeadlineTimer deadline(5000);
    while (silent.state() != QLocalSocket::UnconnectedState && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (silent.state() != QLocalSocket::UnconnectedState)
            silent.waitForDisconnected(10);
    }
    EXPECT_EQ(silent.state(), QLocalSocket::UnconnectedState);
}

TEST(SingleInstanceName, TheInstanceAndAKeyBindingOfOneSessionMeet)
{
    struct Case {
        const char *name;
        QString runtimeDir, wayland, display;
        QString expected;
    };
    const QString runtime = QStringLiteral("/run/user/1000");
    const std::vector<Case> cases = {
        {"wayland session", runtime, "wayland-1", ":0", "/run/user/1000/quillo-wayland-1"},
        {"binding without XWayland's DISPLAY", runtime, "wayland-1", "", "/run/user/1000/quillo-wayland-1"},
        {"x11 session", runtime, "", ":0", "/run/user/1000/quillo-_0"},
        {"x11 with screen number", runtime, "", ":0.0", "/run/user/1000/quillo-_0"},
        {"remote x display", runtime, "", "host:10.0", "/run/user/1000/quillo-host_10"},
        {"wayland display as a path", runtime, "/run/user/1000/wayland-0", "",
            "/run/user/1000/quillo-_run_user_1000_wayland-0"},
        {"no runtime dir", "", "", ":1", "/tmp/quillo-1000/quillo-_1"},
        {"runtime dir too long for a socket", "/" + QString(120, u'd'), "wayland-0", "",
            "/tmp/quillo-1000/quillo-wayland-0"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SingleInstance::nameFor(c.runtimeDir, c.wayland, c.display, 1000, "/tmp"), c.expected) << c.name;
}

mode_t modeOf(const QString &path)
{
    struct stat info { };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The socket's folder decides whether either side uses it: whoever else can create the
// name there first would receive our commands and answer them.
TEST_F(SingleInstanceTest, OnlyAFolderOfOurOwnThatNobodyElseMayEnterCarriesTheSocket)
{
    const QString root = dir.path();
    const auto makeFolder = [](const QString &path, mode_t mode) {
        return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0
            && ::chmod(QFile::encodeName(path).constData(), mode) == 0;
    };
    struct Case {
        const char *name;
        std::function<bool(const QString &folder)> prepare; // false: cannot be set up here
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"missing: created private", [](const QString &) { return true; }, true},
        {"private", [&](const QString &f) { return makeFolder(f, 0700); }, true},
        {"open to others", [&](const QString &f) { return makeFolder(f, 0755); }, false},
        {"open to the group", [&](const QString &f) { return makeFolder(f, 0770); }, false},
        {"a link to a private folder",
            [&](const QString &f) { return makeFolder(f + "-target", 0700) && QFile::link(f + "-target", f); }, false},
        {"a file", [](const QString &f) { return QFile(f).open(QIODevice::WriteOnly); }, false},
        {"another user's",
            [&](const QString &f) {
                // Only root can give a folder away (CI runs as root).
                return geteuid() == 0 && makeFolder(f, 0700)
                    && ::chown(QFile::encodeName(f).constData(), 65534, 65534) == 0;
            },
            false},
    };
    int index = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = root + QStringLiteral("/f%1").arg(++index);
        if (!c.prepare(folder)) {
            std::cout << "[ SKIPPED  ] " << c.name << ": needs root\n";
            continue;
        }
        const QString socket = folder + QStringLiteral("/quillo-test");
        // Someone else listening on the name: our client must not reach it.
        QLocalServer planted;
        planted.listen(socket);

        SingleInstance instance(socket);
        const auto listening = instance.listen(scheduler, [](Request) { return true; });
        EXPECT_EQ(listening.hasValue(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(modeOf(folder), 0700u);
            continue;
        }
        if (!listening) {
            EXPECT_TRUE(listening.error().contains(folder)) << listening.error().toStdString();
        }
        const SingleInstance::Reply reply = SingleInstance(socket).send(Request::stop);
        EXPECT_EQ(reply.kind, Kind::notPrivate);
        EXPECT_FALSE(planted.waitForNewConnection(0));
    }
}

// Whatever answers on the socket reaches the terminal only as one of our own lines or as
// the printable part of an error text.
TEST_F(SingleInstanceTest, APeerAnsweringOutsideTheProtocolIsNeverEchoed)
{
    struct Case {
        const char *name;
        QByteArray answer;
        Kind kind;
        QString detail;
    };
    const QString longText(SingleInstance::maxDetailChars, u'y');
    const std::vector<Case> cases = {
        {"escape sequences", "\x1b]0;owned\x07\x1b[2J\n", Kind::badAnswer, {}},
        {"another case", "OK\n", Kind::badAnswer, {}},
        {"no line end", "ok", Kind::badAnswer, {}},
        {"endless line", QByteArray(SingleInstance::maxLineBytes + 10, 'o'), Kind::badAnswer, {}},
        {"control bytes in an error", "error: \x1b[31mred\x07\x08\x7f\xc2\x9b!\n", Kind::refused, "[31mred!"},
        {"bidi override in an error",
            "error: abc\xe2\x80\xae\xe2\x80\xa8"
            "def\n",
            Kind::refused, "abcdef"},
        {"long error", "error: " + longText.toLatin1() + "zzz\n", Kind::refused, longText + QChar(0x2026)},
    };
    QLocalServer peer;
    ASSERT_TRUE(peer.listen(name()));
    QByteArray answer;
    // Answers once the request is in, as a listener would: closing before the client has
    // written would make its write fail and take the answer with it.
    QObject::connect(&peer, &QLocalServer::newConnection, [&] {
        while (QLocalSocket *s = peer.nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::readyRead, s, [s, &answer] {
                s->write(answer);
                s->disconnectFromServer();
            });
        }
    });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        answer = c.answer;
        const SingleInstance::Reply reply = send(Request::toggle);
        EXPECT_EQ(reply.kind, c.kind);
        EXPECT_EQ(reply.detail.toStdString(), c.detail.toStdString());
    }
}

} // namespace
} // namespace quillo
