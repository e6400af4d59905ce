#pragma once

// The real controller, recognition and chat clients talking TLS to the local fake cloud
// service, the desktop around them faked: the pipeline test and the soak test share it.

#include "ControllerHarness.h"

#include "FakeCloudService.h"
#include "audio/AudioLevel.h"
#include "platform/HttpClient.h"
#include "platform/qt/QtScheduler.h"
#include "platform/qt/QtWebSocket.h"
#include "recognition/QwenRealtimeASR.h"
#include "refinement/ChatClient.h"
#include "settings/HistoryStore.h"

#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace quillo::test {

inline bool runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Runs the event loop until done or bound has passed; whether done.
inline bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds bound)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(std::chrono::milliseconds(2));
    QTimer::singleShot(bound, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

// The fake cloud service on loopback with a test certificate trusted for this process.
class CloudServiceFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(runProgram(QStringLiteral(QUILLO_MAKE_TEST_CERT), {folder.path()}));
        qputenv("QUILLO_EXTRA_CA_CERTS", folder.filePath(QStringLiteral("ca.pem")).toUtf8());
        QString error;
        service = std::make_unique<fake::FakeCloudService>();
        ASSERT_TRUE(service->start(
            folder.filePath(QStringLiteral("server.pem")), folder.filePath(QStringLiteral("server.key")), 0, &error))
            << error.toStdString();
    }

    QTemporaryDir folder;
    // Made after the application object: Qt picks its TLS backend through it.
    std::unique_ptr<fake::FakeCloudService> service;
};

// A DictationController wired to the service at host through http, dictating what
// loadPCM16 hands it into a fake text editor, its history in a real HistoryStore.
struct CloudDictation {
    using LoadPCM16 = std::function<Expected<QByteArray, QString>(const QString &path)>;

    CloudDictation(const QString &host, HttpClient &http, LoadPCM16 loadPCM16)
        : settings(defaults, credentials, loginItem, scheduler)
        , history(defaults)
        , controller(DictationController::Deps{
              settings,
              scheduler,
              [](std::function<void(const APIKeyRead &)> done) { done(APIKeyRead{QStringLiteral("test-key")}); },
              [this](const HistoryEntry &e) { history.add(e); },
              recorder,
              makeQwenRealtimeSessionFactory(scheduler, QtWebSocket::factory()),
              makeChatFunction(http),
              [this](const QString &text, bool, InsertDone done) {
                  pasted.push_back(text);
                  done(InsertOutcome::pasted);
              },
              [] {},
              frontmost,
              permissions,
              [] {},
              sounds,
              panel,
              hotkeys,
              std::move(loadPCM16),
              [](const QByteArray &chunk) { return pcm16Level(chunk); },
          })
    {
        settings.setApiHost(host);
        frontmost.app = AppIdentity{QStringLiteral("org.gnome.TextEditor"), QStringLiteral("文本编辑器"), {}, {}, 0};
    }

    QtScheduler scheduler;
    MemoryDefaultsStore defaults;
    MemoryCredentialStore credentials;
    FakeLoginItem loginItem;
    AppSettings settings;
    HistoryStore history;
    FakeRecorder recorder;
    FakeFrontmostApp frontmost;
    FakePermissions permissions;
    FakeSounds sounds;
    FakePanel panel;
    FakeHotkeys hotkeys;
    std::vector<QString> pasted;
    DictationController controller;
};

} // namespace quillo::test
