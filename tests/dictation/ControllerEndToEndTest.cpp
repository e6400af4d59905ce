#include "ControllerHarness.h"

namespace quillo::test {
namespace {

using Kind = DictationPhase::Kind;

const QString transcript = QStringLiteral("我们明天下午四点开会");

// Dictations of a recorded file, as `quillo --e2e-file` runs them.
class ControllerEndToEndTest : public ControllerHarness { };

TEST_F(ControllerEndToEndTest, EndToEndFeedsTheFileInChunksThroughTheSamePipeline)
{
    QByteArray pcm;
    for (int i = 0; i < 10; ++i)
        pcm += chunk(0.6f, 3200);
    pcm += chunk(0.6f, 1000);
    files[QStringLiteral("/tmp/speech.wav")] = pcm;
    frontmost.app.reset();

    controller->runEndToEnd(QStringLiteral("/tmp/speech.wav"), true, TargetLanguage::english, 2.0);
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_TRUE(sounds.played.empty()); // no start sound
    scheduler.advance(50ms * 10);
    EXPECT_EQ(phase(), Kind::recording);
    scheduler.advance(50ms);
    EXPECT_EQ(phase(), Kind::transcribing);
    ASSERT_EQ(session().sent.size(), 11);
    EXPECT_EQ(session().sent.last().size(), 1000);
    EXPECT_EQ(controller->hud().elapsed(), 0.0); // no elapsed timer

    finishTranscript(transcript);
    answerChat(0, QStringLiteral("We have a meeting at four tomorrow afternoon."));
    ASSERT_EQ(insertions.size(), 1u);
    EXPECT_EQ(insertions[0].text, QStringLiteral("We have a meeting at four tomorrow afternoon"));
    EXPECT_EQ(history[0].appName, QStringLiteral("未知应用"));
    scheduler.advance(250ms);
    EXPECT_EQ(returns, 1);
}

TEST_F(ControllerEndToEndTest, EndToEndRefusals)
{
    files[QStringLiteral("/tmp/a.wav")] = chunk(0.6f);
    const QString noInput = QStringLiteral("无法读取测试音频或缺少 API Key");
    struct Case {
        const char *name;
        QString key;
        bool storeFails;
        QString path;
        QString message;
    };
    for (const Case &c : {Case{"missing file", QStringLiteral("sk"), false, QStringLiteral("/tmp/none.wav"), noInput},
             Case{"missing key", QString(), false, QStringLiteral("/tmp/a.wav"), noInput},
             Case{"key store fails", QStringLiteral("sk"), true, QStringLiteral("/tmp/a.wav"),
                 QStringLiteral("无法读取系统钥匙串中的 API Key，请确认钥匙串已解锁")}}) {
        SCOPED_TRACE(c.name);
        apiKey = c.key;
        keyStoreFails = c.storeFails;
        controller->runEndToEnd(c.path, false, std::nullopt, 1.0);
        EXPECT_EQ(controller->phase(), DictationPhase::failed(c.message));
        scheduler.advance(2s);
        EXPECT_EQ(phase(), Kind::idle);
    }
    EXPECT_TRUE(sessions.empty());

    // Nor does a run start over a dictation under way.
    keyStoreFails = false;
    controller->handlePress(HotkeySlot::toggle);
    controller->runEndToEnd(QStringLiteral("/tmp/a.wav"), false, std::nullopt, 1.0);
    EXPECT_EQ(sessions.size(), 1u);
    EXPECT_EQ(session().cancels, 0);
}

TEST_F(ControllerEndToEndTest, EndToEndWaitsForTheKeyBeforeItStarts)
{
    files[QStringLiteral("/tmp/a.wav")] = chunk(0.6f);
    holdKeyReads = true;
    controller->runEndToEnd(QStringLiteral("/tmp/a.wav"), false, std::nullopt, 1.0);
    EXPECT_EQ(phase(), Kind::idle); // not refused for a key that is still on its way
    ASSERT_EQ(pendingKeyReads.size(), 1u);
    pendingKeyReads[0]();
    EXPECT_EQ(phase(), Kind::recording);
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(session().config.apiKey, QStringLiteral("sk-test"));
}

TEST_F(ControllerEndToEndTest, EndToEndStopsFeedingWhenCancelledEvenIfANewRecordingStarts)
{
    QByteArray pcm;
    for (int i = 0; i < 30; ++i)
        pcm += chunk(0.6f, 3200);
    files[QStringLiteral("/tmp/long.wav")] = pcm;
    controller->runEndToEnd(QStringLiteral("/tmp/long.wav"), false, std::nullopt, 0.0); // speed 0: real time
    scheduler.advance(200ms);
    controller->handleEscape();
    controller->handlePress(HotkeySlot::toggle);
    scheduler.advance(5s);
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_TRUE(sessions.back()->sent.isEmpty());
    EXPECT_EQ(sessions.front()->sent.size(), 3);
}

} // namespace
} // namespace quillo::test
