// A whole dictation from a spoken audio file to the pasted text, with the real
// recognition and chat clients talking TLS to the local fake cloud service.

#include "ControllerHarness.h"

#include "FakeCloudService.h"
#include "audio/AudioFile.h"
#include "audio/AudioLevel.h"
#include "platform/qt/QtHttpClient.h"
#include "platform/qt/QtScheduler.h"
#include "platform/qt/QtWebSocket.h"
#include "recognition/QwenRealtimeASR.h"
#include "refinement/ChatClient.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

namespace quillo::test {
namespace {

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds bound)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(std::chrono::milliseconds(5));
    QTimer::singleShot(bound, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

class PipelineIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        if (QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty())
            GTEST_SKIP() << "espeak-ng is not installed";
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(run(QStringLiteral(QUILLO_MAKE_TEST_CERT), {folder.path()}));
        qputenv("QUILLO_EXTRA_CA_CERTS", folder.filePath(QStringLiteral("ca.pem")).toUtf8());
        QString error;
        service = std::make_unique<fake::FakeCloudService>();
        ASSERT_TRUE(service->start(
            folder.filePath(QStringLiteral("server.pem")), folder.filePath(QStringLiteral("server.key")), 0, &error))
            << error.toStdString();
        const QByteArray scenario = R"({"asr":[{"items":["嗯我们明天下午四点开会"],"bytesPerItem":16000}]})";
        auto parsed = fake::FakeScenario::fromJson(QJsonDocument::fromJson(scenario).object(), &error);
        ASSERT_TRUE(parsed) << error.toStdString();
        service->setScenario(*parsed);
        speech = folder.filePath(QStringLiteral("speech.wav"));
        ASSERT_TRUE(run(QStringLiteral("espeak-ng"),
            {QStringLiteral("-v"), QStringLiteral("zh"), QStringLiteral("我们明天下午四点开会"), QStringLiteral("-w"),
                speech}));
    }

    QTemporaryDir folder;
    // Made after the application object: Qt picks its TLS backend through it.
    std::unique_ptr<fake::FakeCloudService> service;
    QString speech;
};

TEST_F(PipelineIntegrationTest, SpokenFileIsRecognisedPolishedPastedAndRemembered)
{
    QtScheduler scheduler;
    QtHttpClient http;
    MemoryDefaultsStore defaults;
    MemoryCredentialStore credentials;
    FakeLoginItem loginItem;
    AppSettings settings(defaults, credentials, loginItem, scheduler);
    settings.setApiHost(service->host());
    settings.setPolishEnabled(true);
    FakeRecorder recorder;
    FakeFrontmostApp frontmost;
    frontmost.app = AppIdentity{QStringLiteral("org.gnome.TextEditor"), QStringLiteral("文本编辑器"), {}, {}, 0};
    FakePermissions permissions;
    FakeSounds sounds;
    FakePanel panel;
    FakeHotkeys hotkeys;
    std::vector<HistoryEntry> history;
    std::vector<QString> pasted;

    DictationController controller(DictationController::Deps{
        settings,
        scheduler,
        [](std::function<void(const APIKeyRead &)> done) { done(APIKeyRead{QStringLiteral("test-key")}); },
        [&](const HistoryEntry &e) { history.push_back(e); },
        recorder,
        makeQwenRealtimeSessionFactory(scheduler, QtWebSocket::factory()),
        makeChatFunction(http),
        [&](const QString &text, bool, InsertDone done) {
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
        [](const QString &path) -> Expected<QByteArray, QString> {
            auto pcm = loadPCM16(path);
            if (!pcm)
                return unexpected(pcm.error().description());
            return pcm.value();
        },
        [](const QByteArray &chunk) { return pcm16Level(chunk); },
    });
    std::vector<DictationPhase::Kind> phases;
    QObject::connect(&controller, &DictationController::phaseChanged,
        [&](const DictationPhase &phase) { phases.push_back(phase.kind()); });

    controller.runEndToEnd(speech, false, std::nullopt, 8.0);
    ASSERT_TRUE(waitFor([&] { return controller.phase().isFree() && !phases.empty(); }, std::chrono::seconds(30)));

    ASSERT_EQ(controller.phase(), DictationPhase::done(QStringLiteral("我们明天下午四点开会")))
        << controller.phase().payload().toStdString();
    EXPECT_EQ(pasted, std::vector<QString>{QStringLiteral("我们明天下午四点开会")});
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].raw, QStringLiteral("嗯我们明天下午四点开会"));
    EXPECT_EQ(history[0].text, QStringLiteral("我们明天下午四点开会"));
    EXPECT_EQ(history[0].appName, QStringLiteral("文本编辑器"));
    EXPECT_GT(history[0].seconds, 0.1);
    using Kind = DictationPhase::Kind;
    EXPECT_EQ(phases, (std::vector<Kind>{Kind::recording, Kind::transcribing, Kind::polishing, Kind::done}));

    // The service heard gated speech and one polish request.
    const QJsonObject received = service->received();
    EXPECT_EQ(received.value(QStringLiteral("asrSessions")).toArray().size(), 1);
    EXPECT_EQ(received.value(QStringLiteral("chatRequests")).toArray().size(), 1);
}

} // namespace
} // namespace quillo::test
