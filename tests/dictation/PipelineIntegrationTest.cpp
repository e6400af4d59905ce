// A whole dictation from a spoken audio file to the pasted text, with the real
// recognition and chat clients talking TLS to the local fake cloud service.

#include "CloudPipelineFixture.h"

#include "audio/AudioFile.h"
#include "platform/qt/QtHttpClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

namespace quillo::test {
namespace {

class PipelineIntegrationTest : public CloudServiceFixture {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty())
            GTEST_SKIP() << "espeak-ng is not installed";
        CloudServiceFixture::SetUp();
        if (HasFatalFailure())
            return;
        QString error;
        const QByteArray scenario = R"({"asr":[{"items":["嗯我们明天下午四点开会"],"bytesPerItem":16000}]})";
        auto parsed = fake::FakeScenario::fromJson(QJsonDocument::fromJson(scenario).object(), &error);
        ASSERT_TRUE(parsed) << error.toStdString();
        service->setScenario(*parsed);
        speech = folder.filePath(QStringLiteral("speech.wav"));
        ASSERT_TRUE(runProgram(QStringLiteral("espeak-ng"),
            {QStringLiteral("-v"), QStringLiteral("zh"), QStringLiteral("我们明天下午四点开会"), QStringLiteral("-w"),
                speech}));
    }

    QString speech;
};

TEST_F(PipelineIntegrationTest, SpokenFileIsRecognisedPolishedPastedAndRemembered)
{
    QtHttpClient http;
    CloudDictation dictation(service->host(), http, [](const QString &path) -> Expected<QByteArray, QString> {
        auto pcm = loadPCM16(path);
        if (!pcm)
            return unexpected(pcm.error().description());
        return pcm.value();
    });
    dictation.settings.setPolishEnabled(true);
    DictationController &controller = dictation.controller;
    std::vector<DictationPhase::Kind> phases;
    QObject::connect(&controller, &DictationController::phaseChanged,
        [&](const DictationPhase &phase) { phases.push_back(phase.kind()); });

    controller.runEndToEnd(speech, false, std::nullopt, 8.0);
    ASSERT_TRUE(waitFor([&] { return controller.phase().isFree() && !phases.empty(); }, std::chrono::seconds(30)));

    ASSERT_EQ(controller.phase(), DictationPhase::done(QStringLiteral("我们明天下午四点开会")))
        << controller.phase().payload().toStdString();
    EXPECT_EQ(dictation.pasted, std::vector<QString>{QStringLiteral("我们明天下午四点开会")});
    const auto &history = dictation.history.entries();
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
