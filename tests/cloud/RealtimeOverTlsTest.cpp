#include "CloudFixture.h"

#include "platform/qt/QtWebSocket.h"
#include "recognition/QwenRealtimeASR.h"

#include <QJsonArray>

using namespace quillo;
using namespace quillo::testing;
using namespace std::chrono_literals;

namespace {

class RealtimeOverTls : public CloudTest {
protected:
    std::unique_ptr<QwenRealtimeASR> session(const QString &key = "test-key", const QString &host = {})
    {
        RecognitionSession::Config config{
            key, host.isEmpty() ? service_->host() : host, "qwen3-asr-flash-realtime", "zh"};
        auto asr = std::make_unique<QwenRealtimeASR>(config, *scheduler_, QtWebSocket::factory());
        asr->onPartial = [this](const QString &text) { partials_.append(text); };
        asr->connect();
        return asr;
    }

    // Speech: non-zero samples, in 3200-byte chunks.
    static void speak(QwenRealtimeASR &asr, int bytes)
    {
        for (int sent = 0; sent < bytes; sent += 3200)
            asr.sendAudio(QByteArray(std::min(3200, bytes - sent), '\x11'));
    }

    RecognitionSession::FinishResult finish(QwenRealtimeASR &asr, double seconds = 5)
    {
        std::optional<RecognitionSession::FinishResult> result;
        asr.finish(seconds, [&](RecognitionSession::FinishResult r) { result.emplace(std::move(r)); });
        EXPECT_TRUE(waitFor([&] { return result.has_value(); }, 15s));
        return result.value_or(RecognitionSession::FinishResult(unexpected(ASRError::connection("no answer"))));
    }

    QJsonObject wireOf(int i) const { return received().value("asrSessions").toArray().at(i).toObject(); }

    QStringList partials_;
};

TEST_F(RealtimeOverTls, TranscribesAndPutsTheExpectedBytesOnTheWire)
{
    setScenario(R"({"asr":[{"items":["今天天气不错，","明天见。"],"bytesPerItem":16000}]})");
    auto asr = session();
    speak(*asr, 32000);
    const auto result = finish(*asr);
    ASSERT_TRUE(result) << result.error().description().toStdString();
    EXPECT_EQ(result.value(), "今天天气不错，明天见。");
    EXPECT_FALSE(partials_.isEmpty());
    EXPECT_TRUE(partials_.contains("今天天气不错，"));

    ASSERT_TRUE(waitFor([&] { return wireOf(0).contains("closeCode"); }));
    const QJsonObject wire = wireOf(0);
    EXPECT_EQ(wire.value("target").toString(), "/api-ws/v1/realtime?model=qwen3-asr-flash-realtime");
    const QJsonObject headers = wire.value("headers").toObject();
    EXPECT_EQ(headers.value("authorization").toString(), "Bearer <redacted>");
    EXPECT_EQ(headers.value("openai-beta").toString(), "realtime=v1");
    EXPECT_EQ(wire.value("closeCode").toInt(), 1000);
    const QJsonArray messages = wire.value("messages").toArray();
    ASSERT_EQ(messages.size(), 1 + 10 + 1 + 1);
    for (const QJsonValue &m : messages)
        EXPECT_TRUE(m.toObject().value("compact").toBool());
    EXPECT_EQ(messages.first().toObject().value("message").toObject().value("type").toString(), "session.update");
    for (int i = 1; i <= 10; ++i) {
        const QJsonObject append = messages.at(i).toObject().value("message").toObject();
        EXPECT_EQ(append.value("audioBytes").toInt(), 3200);
        EXPECT_TRUE(append.value("base64Ok").toBool());
    }
    const QJsonObject silence = messages.at(11).toObject().value("message").toObject();
    EXPECT_EQ(silence.value("audioBytes").toInt(), 16000);
    EXPECT_TRUE(silence.value("silent").toBool());
    EXPECT_EQ(messages.last().toObject().value("message").toObject().value("type").toString(), "session.finish");
    EXPECT_EQ(wire.value("audioBytes").toInt(), 48000);
}

TEST_F(RealtimeOverTls, SilenceOnlyGivesAnEmptyTranscript)
{
    setScenario(R"({"asr":[{"items":["不该出现"]}]})");
    auto asr = session();
    asr->sendAudio(QByteArray(96000, '\0'));
    const auto result = finish(*asr);
    ASSERT_TRUE(result);
    EXPECT_EQ(result.value(), "");
}

TEST_F(RealtimeOverTls, WrongKeyFailsTheHandshake)
{
    auto asr = session("wrong-key");
    speak(*asr, 3200);
    const auto result = finish(*asr);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, ASRError::Kind::connection);
    EXPECT_FALSE(wireOf(0).value("keyAccepted").toBool());
}

struct FaultCase {
    const char *name;
    QByteArray scenario;
    int speech;
    double timeoutSeconds;
    std::optional<QString> text; // nothing: an error of `kind`
    ASRError::Kind kind = ASRError::Kind::connection;
};

class RealtimeFaults : public RealtimeOverTls, public ::testing::WithParamInterface<FaultCase> { };

TEST_P(RealtimeFaults, EndAsTheClientPromises)
{
    setScenario(GetParam().scenario);
    auto asr = session();
    speak(*asr, GetParam().speech);
    const auto result = finish(*asr, GetParam().timeoutSeconds);
    if (GetParam().text) {
        ASSERT_TRUE(result) << result.error().description().toStdString();
        EXPECT_EQ(result.value(), *GetParam().text);
        return;
    }
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, GetParam().kind) << result.error().description().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, RealtimeFaults,
    ::testing::Values(
        FaultCase{"errorMidStream", R"({"asr":[{"items":["一二三"],"errorAfterBytes":6400,"errorMessage":"坏音频"}]})",
            16000, 5, {}, ASRError::Kind::server},
        FaultCase{"closedMidStream", R"({"asr":[{"items":["一二三"],"closeAfterBytes":6400}]})", 16000, 5, {}},
        FaultCase{"closedOnFinish", R"({"asr":[{"items":["一二三"],"onFinish":"close"}]})", 16000, 5, {}},
        FaultCase{"errorOnFinish", R"({"asr":[{"items":["一二三"],"onFinish":"error"}]})", 16000, 5, {},
            ASRError::Kind::server},
        FaultCase{"neverFinishesWithText", R"({"asr":[{"items":["半句话"],"onFinish":"ignore"}]})", 16000, 0.5,
            QString("半句话")},
        FaultCase{"neverFinishesWithoutText",
            R"({"asr":[{"items":["一二三四五六"],"bytesPerItem":64000,"partialBytes":64000,"onFinish":"ignore"}]})",
            3200, 0.5, {}, ASRError::Kind::timeout},
        FaultCase{"neverFinishesWithoutItems", R"({"asr":[{"onFinish":"ignore"}]})", 3200, 0.5, QString("")},
        FaultCase{"slowFinishWithinTime", R"({"asr":[{"items":["慢"],"finishDelayMs":300}]})", 16000, 5, QString("慢")},
        FaultCase{"failedItemIsSkipped", R"({"asr":[{"items":["好的，",{"transcript":"坏","fail":true},"再见"]}]})",
            48000, 5, QString("好的，再见")},
        FaultCase{"garbageBetweenEvents", R"({"asr":[{"items":["抗干扰","测试"],"garbage":true}]})", 32000, 5,
            QString("抗干扰测试")},
        FaultCase{
            "binaryFrames", R"({"asr":[{"items":["二进制"],"binaryFrames":true}]})", 16000, 5, QString("二进制")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(RealtimeOverTls, CancelDuringFinishClosesNormally)
{
    setScenario(R"({"asr":[{"items":["取消"],"onFinish":"ignore"}]})");
    auto asr = session();
    speak(*asr, 16000);
    std::optional<RecognitionSession::FinishResult> result;
    asr->finish(10, [&](RecognitionSession::FinishResult r) { result.emplace(std::move(r)); });
    ASSERT_TRUE(waitFor([&] { return !partials_.isEmpty(); }));
    asr->cancel();
    ASSERT_TRUE(result && !*result);
    EXPECT_TRUE(result->error().isCancellation());
    ASSERT_TRUE(waitFor([&] { return wireOf(0).contains("closeCode"); }));
    EXPECT_EQ(wireOf(0).value("closeCode").toInt(), 1000);
}

TEST_F(RealtimeOverTls, UntrustedCertificateIsRefused)
{
    fake::FakeCloudService stranger;
    ASSERT_TRUE(startService(stranger, TestCertificates::get().stranger));
    auto asr = session("test-key", stranger.host());
    const auto result = finish(*asr);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, ASRError::Kind::connection);
    EXPECT_TRUE(stranger.received().value("asrSessions").toArray().isEmpty());
}

TEST_F(RealtimeOverTls, NoServerAtAllIsAConnectionError)
{
    auto asr = session("test-key", "127.0.0.1:1");
    const auto result = finish(*asr);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, ASRError::Kind::connection);
}

TEST_F(RealtimeOverTls, HandshakeThatNeverCompletesTimesOut)
{
    setScenario(R"({"asr":[{"handshakeDelayMs":5000}]})");
    QtWebSocket socket;
    std::optional<QString> failure;
    socket.onFailure = [&](const QString &message) { failure = message; };
    socket.open(
        QUrl("wss://" + service_->host() + "/api-ws/v1/realtime"), {{"Authorization", "Bearer test-key"}}, 300ms);
    ASSERT_TRUE(waitFor([&] { return failure.has_value(); }, 3s));
    EXPECT_TRUE(failure->contains("timed out"));
}

} // namespace
