#include "AsrHarness.h"

#include "recognition/RealtimeProtocol.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace quillo;
using namespace quillo::testing;

namespace {

struct LanguageCase {
    QString language;
    QJsonObject expectedTranscription;
};

class SessionUpdate : public ::testing::TestWithParam<LanguageCase> { };

TEST_P(SessionUpdate, IsCompactWithExactlyTheFiveSessionMembers)
{
    const QString message = realtime::sessionUpdateMessage(GetParam().language);
    const QJsonObject object = QJsonDocument::fromJson(message.toUtf8()).object();
    EXPECT_EQ(message, frame(object)) << "not compact";
    EXPECT_EQ(object.value("type").toString(), "session.update");
    const QJsonObject session = object.value("session").toObject();
    EXPECT_EQ(session.keys(),
        (QStringList{
            "input_audio_format", "input_audio_transcription", "modalities", "sample_rate", "turn_detection"}));
    EXPECT_EQ(session.value("modalities").toArray(), QJsonArray{"text"});
    EXPECT_EQ(session.value("input_audio_format").toString(), "pcm");
    EXPECT_TRUE(message.contains(R"("sample_rate":16000)"));
    EXPECT_EQ(session.value("input_audio_transcription").toObject(), GetParam().expectedTranscription);
    const QJsonObject vad = session.value("turn_detection").toObject();
    EXPECT_EQ(vad.value("type").toString(), "server_vad");
    EXPECT_EQ(vad.value("threshold").toDouble(-1), 0.0);
    EXPECT_TRUE(message.contains(R"("silence_duration_ms":800)"));
}

INSTANTIATE_TEST_SUITE_P(Languages, SessionUpdate,
    ::testing::Values(LanguageCase{"", {}}, LanguageCase{"auto", {}}, LanguageCase{"zh", {{"language", "zh"}}},
        LanguageCase{"Auto", {{"language", "Auto"}}}, LanguageCase{"yue", {{"language", "yue"}}}));

TEST(RealtimeProtocol, AppendCarriesPaddedStandardBase64)
{
    const std::vector<std::pair<QByteArray, QString>> cases{{QByteArray(), ""}, {QByteArray(1, '\xff'), "/w=="},
        {QByteArray("\xfb\xff", 2), "+/8="}, {QByteArray("abc"), "YWJj"}};
    for (const auto &[pcm, base64] : cases) {
        const QString message = realtime::appendMessage(pcm);
        const QJsonObject object = QJsonDocument::fromJson(message.toUtf8()).object();
        EXPECT_EQ(object, (QJsonObject{{"type", "input_audio_buffer.append"}, {"audio", base64}}));
        EXPECT_EQ(message.size(), frame(object).size()) << "not compact";
    }
    const QByteArray big(64 * 1024, '\x7f');
    EXPECT_FALSE(realtime::appendMessage(big).contains('\n'));
}

TEST(RealtimeProtocol, TrailingSilenceIsHalfASecondOfZeros)
{
    const QJsonObject object = QJsonDocument::fromJson(realtime::trailingSilenceMessage().toUtf8()).object();
    EXPECT_EQ(QByteArray::fromBase64(object.value("audio").toString().toLatin1()), QByteArray(16000, '\0'));
    EXPECT_EQ(realtime::finishMessage(), R"({"type":"session.finish"})");
}

TEST(RealtimeProtocol, UrlCarriesTheModelAsAPercentEncodedQueryValue)
{
    const std::vector<std::pair<QString, QByteArray>> cases{
        {"qwen3-asr-flash-realtime", "model=qwen3-asr-flash-realtime"},
        {"a b&c=d+e/f?#", "model=a%20b%26c%3Dd%2Be%2Ff%3F%23"},
        {"模型", "model=%E6%A8%A1%E5%9E%8B"},
    };
    for (const auto &[model, query] : cases) {
        const auto url = realtime::sessionUrl("example.com:8443", model);
        ASSERT_TRUE(url);
        EXPECT_EQ(url->toEncoded(), "wss://example.com:8443/api-ws/v1/realtime?" + query);
    }
}

TEST(RealtimeProtocol, HostsThatCannotFormAUrlAreRejected)
{
    for (const QString host :
        {"", " ", "a b", "host/path", "host?x", "user@host", "host#frag", "ex ample.com", "[::1", "host:port"}) {
        EXPECT_FALSE(realtime::sessionUrl(host, "m")) << host.toStdString();
    }
    for (const QString host : {"dashscope.aliyuncs.com", "127.0.0.1:9000", "localhost", "[::1]:443"})
        EXPECT_TRUE(realtime::sessionUrl(host, "m")) << host.toStdString();
}

struct EventCase {
    const char *name;
    QString frame;
    realtime::ServerEvent::Kind kind;
    QString itemId;
    QString text;
};

class ServerEvents : public ::testing::TestWithParam<EventCase> { };

TEST_P(ServerEvents, AreReadFromTheirMembers)
{
    const auto event = realtime::parseServerEvent(GetParam().frame);
    EXPECT_EQ(event.kind, GetParam().kind);
    EXPECT_EQ(event.itemId, GetParam().itemId);
    EXPECT_EQ(event.text, GetParam().text);
}

using K = realtime::ServerEvent::Kind;
const QString errorWithoutMessage = R"({"type":"error","error":"boom"})";

INSTANTIATE_TEST_SUITE_P(Table, ServerEvents,
    ::testing::Values(
        EventCase{"speechStarted", R"({"type":"input_audio_buffer.speech_started","item_id":"A","audio_start_ms":64})",
            K::itemSeen, "A", ""},
        EventCase{"createdNested", R"({"type":"conversation.item.created","item":{"id":"B"},"previous_item_id":null})",
            K::itemSeen, "B", ""},
        EventCase{"itemIdWinsOverNested", R"({"type":"conversation.item.created","item_id":"A","item":{"id":"B"}})",
            K::itemSeen, "A", ""},
        EventCase{"numericIdFallsBackToNested", R"({"type":"conversation.item.created","item_id":7,"item":{"id":"B"}})",
            K::itemSeen, "B", ""},
        EventCase{"noId", R"({"type":"conversation.item.created","item":{"id":5}})", K::ignored, "", ""},
        EventCase{"delta",
            R"({"type":"conversation.item.input_audio_transcription.text","item_id":"A","text":"今天","stash":"天气","language":"zh"})",
            K::liveText, "A", "今天天气"},
        EventCase{"deltaWrongTypes",
            R"({"type":"conversation.item.input_audio_transcription.text","item_id":"A","text":3,"stash":null})",
            K::liveText, "A", ""},
        EventCase{"deltaNestedIdOnly",
            R"({"type":"conversation.item.input_audio_transcription.text","item":{"id":"A"},"text":"x"})", K::ignored,
            "", ""},
        EventCase{"completed",
            R"({"type":"conversation.item.input_audio_transcription.completed","item_id":"A","transcript":"好。"})",
            K::completed, "A", "好。"},
        EventCase{"completedNoTranscript",
            R"({"type":"conversation.item.input_audio_transcription.completed","item_id":"A"})", K::completed, "A", ""},
        EventCase{"completedNumericId",
            R"({"type":"conversation.item.input_audio_transcription.completed","item_id":1,"transcript":"x"})",
            K::ignored, "", ""},
        EventCase{"finished", R"({"event_id":"e","type":"session.finished"})", K::sessionFinished, "", ""},
        EventCase{"error", R"({"type":"error","error":{"code":"invalid_value","message":"bad audio"}})", K::error, "",
            "bad audio"},
        EventCase{"errorWithoutMessage", errorWithoutMessage, K::error, "", errorWithoutMessage},
        EventCase{"unknownType", R"({"type":"session.updated"})", K::ignored, "", ""},
        EventCase{"typeNotText", R"({"type":5})", K::ignored, "", ""},
        EventCase{"noType", R"({"item_id":"A"})", K::ignored, "", ""},
        EventCase{"array", R"([{"type":"session.finished"}])", K::ignored, "", ""},
        EventCase{"notJson", "session.finished", K::ignored, "", ""}, EventCase{"empty", "", K::ignored, "", ""}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
