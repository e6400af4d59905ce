#include "AsrHarness.h"

#include <gtest/gtest.h>

using namespace quillo;
using namespace quillo::testing;
using namespace std::chrono_literals;

namespace {

TEST(QwenRealtimeASR, ConnectOpensWithHeadersAndSendsSetUpAtOnce)
{
    AsrHarness h;
    h.asr->connect();
    ASSERT_TRUE(h.log->opened);
    EXPECT_EQ(h.log->url.toString(), "wss://dashscope.aliyuncs.com/api-ws/v1/realtime?model=qwen3-asr-flash-realtime");
    EXPECT_EQ(h.log->header("Authorization"), "Bearer sk-test");
    EXPECT_EQ(h.log->header("OpenAI-Beta"), "realtime=v1");
    EXPECT_EQ(h.log->handshakeTimeout, 10s);
    ASSERT_EQ(h.log->sent.size(), 1);
    EXPECT_EQ(h.sentJson(0).value("type").toString(), "session.update");
}

TEST(QwenRealtimeASR, InvalidHostOpensNothingAndFinishRaisesConnection)
{
    for (const QString host : {"", "bad host", "a/b"}) {
        auto config = defaultConfig();
        config.host = host;
        AsrHarness h(config);
        h.asr->connect();
        h.asr->sendAudio(QByteArray(100, '\1'));
        EXPECT_FALSE(h.log->opened);
        EXPECT_EQ(h.asr->bytesSent(), 0);
        h.finish();
        EXPECT_FALSE(h.result) << "completion must not run inside finish()";
        h.scheduler.runDue();
        ASSERT_TRUE(h.result && !*h.result);
        EXPECT_EQ(h.result->error(), ASRError::connection("无效的域名 " + host));
        EXPECT_EQ(h.result->error().description(), "连接识别服务失败：无效的域名 " + host);
    }
}

TEST(QwenRealtimeASR, EachChunkIsOneAppendAndFinishAddsSilenceThenFinish)
{
    AsrHarness h;
    h.asr->connect();
    h.asr->sendAudio(QByteArray(1066, '\2'));
    h.asr->sendAudio(QByteArray(3200, '\3'));
    EXPECT_EQ(h.asr->bytesSent(), 4266);
    h.finish();
    ASSERT_EQ(h.log->sent.size(), 5);
    EXPECT_EQ(QByteArray::fromBase64(h.sentJson(1).value("audio").toString().toLatin1()), QByteArray(1066, '\2'));
    EXPECT_EQ(QByteArray::fromBase64(h.sentJson(3).value("audio").toString().toLatin1()), QByteArray(16000, '\0'));
    EXPECT_EQ(h.log->sent.at(4), R"({"type":"session.finish"})");
    EXPECT_EQ(h.asr->bytesSent(), 4266) << "silence is not counted";
}

TEST(QwenRealtimeASR, FinishWithoutAudioSendsOnlyTheEndOfInput)
{
    AsrHarness h;
    h.asr->connect();
    h.finish();
    ASSERT_EQ(h.log->sent.size(), 2);
    EXPECT_EQ(h.log->sent.at(1), R"({"type":"session.finish"})");
    h.deliver(sessionFinished());
    ASSERT_TRUE(h.result && *h.result);
    EXPECT_EQ(h.result->value(), "");
    EXPECT_EQ(h.log->closeCode, 1000);
}

TEST(QwenRealtimeASR, ItemsAreAssembledInFirstSeenOrder)
{
    AsrHarness h;
    h.asr->connect();
    h.deliver(created("A"));
    h.deliver(created("B"));
    h.deliver(completed("B", "world"));
    h.deliver(delta("C", "", "嗯。")); // filler: dropped
    h.deliver(delta("D", "live ", "only"));
    h.deliver(completed("A", "hello"));
    h.deliver(completed("A", "hello")); // a duplicate id is not registered twice
    EXPECT_EQ(h.asr->transcript(), "hello world live only");
    EXPECT_EQ(h.partials.back(), "hello world live only");
}

TEST(QwenRealtimeASR, CompletedTextReplacesLiveTextAndPartialsGrow)
{
    AsrHarness h;
    h.asr->connect();
    h.deliver(R"({"type":"input_audio_buffer.speech_started","item_id":"A"})");
    h.deliver(delta("A", "", "今天天气"));
    h.deliver(delta("A", "今天", "天气不错"));
    h.deliver(completed("A", "今天天气不错，"));
    h.deliver(delta("A", "late", "")); // still the completed text that counts
    EXPECT_EQ(h.partials, (QStringList{"今天天气", "今天天气不错", "今天天气不错，", "今天天气不错，"}));
}

struct TimeoutCase {
    const char *name;
    bool audio;
    QStringList frames;
    std::optional<QString> text; // nothing: timeout error
};

class FinishTimeout : public ::testing::TestWithParam<TimeoutCase> { };

TEST_P(FinishTimeout, EndsAsTheServiceLeftIt)
{
    AsrHarness h;
    h.asr->connect();
    if (GetParam().audio)
        h.asr->sendAudio(QByteArray(3200, '\1'));
    for (const QString &f : GetParam().frames)
        h.deliver(f);
    h.finish(6);
    h.scheduler.advance(5999ms);
    EXPECT_FALSE(h.result);
    h.scheduler.advance(1ms);
    ASSERT_TRUE(h.result);
    if (GetParam().text) {
        ASSERT_TRUE(*h.result);
        EXPECT_EQ(h.result->value(), *GetParam().text);
    } else {
        ASSERT_FALSE(*h.result);
        EXPECT_EQ(h.result->error(), ASRError::timeout());
        EXPECT_EQ(h.result->error().description(), "识别超时，请检查网络");
    }
    // Text of audio the service had not finished with may stop short: its recording is kept.
    EXPECT_EQ(h.asr->wasCutShort(), GetParam().audio && !GetParam().frames.isEmpty());
    EXPECT_TRUE(h.asr->isClosed());
}

INSTANTIATE_TEST_SUITE_P(Table, FinishTimeout,
    ::testing::Values(TimeoutCase{"noItems", true, {}, QString()},
        TimeoutCase{"itemsWithoutAudio", false, {created("A"), delta("A", "半", "句")}, QString("半句")},
        TimeoutCase{"itemsWithoutAudioOrText", false, {created("A")}, QString()},
        TimeoutCase{"itemsAndAudioButNoText", true, {created("A")}, std::nullopt},
        TimeoutCase{"someLiveText", true, {created("A"), created("B"), delta("B", "一", "半")}, QString("一半")},
        TimeoutCase{
            "completedAndLive", true, {completed("A", "全文。"), delta("B", "还有", "")}, QString("全文。还有")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(QwenRealtimeASR, OddTimeoutsNeitherHangNorOverflow)
{
    for (double seconds : {-1.0, 0.0, std::nan(""), 1e300}) {
        AsrHarness h;
        h.asr->connect();
        h.finish(seconds);
        h.scheduler.advance(24h);
        EXPECT_TRUE(h.result) << seconds;
    }
}

TEST(QwenRealtimeASR, ErrorEventFailsWithTheMessageOrTheRawFrame)
{
    const QString raw = R"({"type":"error","error":{"code":"x"}})";
    const std::vector<std::pair<QString, QString>> cases{{errorEvent("配额不足"), "配额不足"}, {raw, raw}};
    for (const auto &[event, message] : cases) {
        AsrHarness h;
        h.asr->connect();
        h.finish();
        h.deliver(event);
        ASSERT_TRUE(h.result && !*h.result);
        EXPECT_EQ(h.result->error(), ASRError::server(message));
        EXPECT_EQ(h.result->error().description(), "识别服务错误：" + message);
    }
}

TEST(QwenRealtimeASR, FirstFailureWins)
{
    AsrHarness h;
    h.asr->connect();
    h.asr->sendAudio("ab");
    h.deliver(errorEvent("first"));
    h.deliver(errorEvent("second"));
    h.socket->fail("network down");
    h.asr->cancel();
    EXPECT_EQ(h.asr->failure(), ASRError::server("first"));
    h.asr->sendAudio("cd");
    EXPECT_EQ(h.asr->bytesSent(), 2);
}

TEST(QwenRealtimeASR, TransportFailureBecomesConnectionErrorOnce)
{
    AsrHarness h;
    h.asr->connect();
    h.finish();
    h.socket->fail("Connection refused");
    h.socket->fail("later");
    ASSERT_TRUE(h.result && !*h.result);
    EXPECT_EQ(h.result->error(), ASRError::connection("Connection refused"));
    EXPECT_EQ(h.completions, 1);
}

TEST(QwenRealtimeASR, FailedSendEndsTheRecognition)
{
    AsrHarness h;
    h.asr->connect();
    h.socket->setHoldSends(true);
    h.asr->sendAudio(QByteArray(10, '\0'));
    h.socket->completeHeldSends(QString("Broken pipe"));
    EXPECT_TRUE(h.asr->isFinished());
    EXPECT_EQ(h.asr->failure(), ASRError::connection("Broken pipe"));
}

TEST(QwenRealtimeASR, CancelDuringFinishRaisesCancellationAndCloses)
{
    AsrHarness h;
    h.asr->connect();
    h.asr->sendAudio("ab");
    h.finish();
    h.asr->cancel();
    ASSERT_TRUE(h.result && !*h.result);
    EXPECT_TRUE(h.result->error().isCancellation());
    EXPECT_EQ(h.log->closeCode, 1000);
    const auto sent = h.log->sent.size();
    h.asr->sendAudio("cd");
    h.deliver(completed("A", "ignored after close"));
    EXPECT_EQ(h.log->sent.size(), sent);
    EXPECT_TRUE(h.partials.isEmpty());
    h.scheduler.advance(20s);
    EXPECT_EQ(h.completions, 1);
}

TEST(QwenRealtimeASR, CancelKeepsAnEarlierError)
{
    AsrHarness h;
    h.asr->connect();
    h.deliver(errorEvent("quota"));
    h.asr->cancel();
    h.finish();
    h.scheduler.runDue();
    ASSERT_TRUE(h.result && !*h.result);
    EXPECT_EQ(h.result->error(), ASRError::server("quota"));
}

TEST(QwenRealtimeASR, EventsAfterFinishedStillUpdateTextUntilClosed)
{
    AsrHarness h;
    h.asr->connect();
    h.deliver(errorEvent("early")); // finished, not closed: the receive loop goes on
    h.deliver(completed("A", "迟到的文字"));
    EXPECT_EQ(h.partials, QStringList{"迟到的文字"});
    h.deliver(errorEvent("again"));
    EXPECT_EQ(h.asr->failure(), ASRError::server("early"));
}

TEST(QwenRealtimeASR, FinishAfterSessionFinishedCompletesFromTheEventLoop)
{
    AsrHarness h;
    h.asr->connect();
    h.deliver(completed("A", "好"));
    h.deliver(sessionFinished());
    h.finish();
    EXPECT_FALSE(h.result);
    h.scheduler.runDue();
    ASSERT_TRUE(h.result && *h.result);
    EXPECT_EQ(h.result->value(), "好");
}

TEST(QwenRealtimeASR, BinaryFramesAreDecodedWithReplacement)
{
    AsrHarness h;
    h.asr->connect();
    h.socket->deliverBinary(completed("A", "ok").toUtf8());
    QByteArray invalid
        = R"({"type":"conversation.item.input_audio_transcription.completed","item_id":"B","transcript":"x)";
    invalid += "\xff\xfe";
    invalid += R"("})";
    h.socket->deliverBinary(invalid);
    EXPECT_EQ(h.asr->transcript(), QString("ok x") + QChar(0xFFFD) + QChar(0xFFFD));
}

TEST(QwenRealtimeASR, BadFramesNeitherCrashNorChangeState)
{
    AsrHarness h;
    h.asr->connect();
    const QString tenMegabytes(10 * 1024 * 1024, QChar('x'));
    const QString nested = QString("[").repeated(100000) + QString("]").repeated(100000);
    for (const QString &bad : {nested, QString("{\"type\":").repeated(5000), QString(R"({"type":["error"]})"),
             QString(R"({"type":null,"item_id":"A"})"),
             QString(R"({"item_id":{"id":"A"},"type":"conversation.item.created"})"),
             frame({{"type", "response.audio.delta"}, {"delta", tenMegabytes}}), tenMegabytes,
             QString::fromLatin1("\0\0\0", 3)}) {
        h.deliver(bad);
    }
    h.socket->deliverBinary(QByteArray(10 * 1024 * 1024, '\xff'));
    EXPECT_FALSE(h.asr->failure());
    EXPECT_TRUE(h.partials.isEmpty());
    const QString bareMessage = R"({"type":"error","error":{"message":7}})";
    h.deliver(bareMessage);
    EXPECT_EQ(h.asr->failure(), ASRError::server(bareMessage));
    // A long transcript still arrives whole.
    h.deliver(completed("A", QString(64 * 1024, QChar(u'字'))));
    EXPECT_EQ(h.asr->transcript().size(), 64 * 1024);
}

TEST(QwenRealtimeASR, OwnerMayDropTheClientFromAnyCallback)
{
    {
        AsrHarness h;
        h.asr->connect();
        h.asr->onPartial = [&h](const QString &) { h.asr.reset(); };
        h.deliver(created("A"));
        h.socket->deliverText(completed("A", "x"));
        EXPECT_TRUE(h.log->destroyed);
    }
    {
        AsrHarness h;
        h.asr->connect();
        h.asr->finish(10, [&h](RecognitionSession::FinishResult) { h.asr.reset(); });
        h.asr->finish(10, [](RecognitionSession::FinishResult) { FAIL() << "second waiter after destruction"; });
        h.asr->cancel();
        EXPECT_FALSE(h.asr);
    }
    {
        AsrHarness h;
        h.asr->connect();
        h.finish(1);
        h.asr.reset();
        h.scheduler.advance(2s);
        EXPECT_FALSE(h.result);
        EXPECT_EQ(h.scheduler.pendingCount(), 0u);
    }
}

} // namespace
