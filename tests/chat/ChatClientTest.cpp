#include "refinement/ChatClient.h"
#include "platform/fake/FakeHttpClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

using namespace quillo;
using namespace std::chrono_literals;

namespace {

ChatRequest sampleRequest()
{
    return {{{"system", "清理口述"}, {"user", "<transcript>嗯 明天开会</transcript>"}}, "sk-1",
        "dashscope.aliyuncs.com", "qwen-flash", 0.1};
}

struct Call {
    FakeHttpClient http;
    std::optional<ChatResult> result;
    int completions = 0;

    explicit Call(const ChatRequest &request = sampleRequest())
    {
        completeChat(http, request, [this](ChatResult r) {
            ++completions;
            result.emplace(std::move(r));
        });
    }
};

TEST(ChatClient, PostsCompactBodyWithHeadersAndTimeout)
{
    Call call;
    ASSERT_EQ(call.http.requestCount(), 1u);
    const HttpRequest &request = call.http.request(0);
    EXPECT_EQ(request.url.toString(), "https://dashscope.aliyuncs.com/compatible-mode/v1/chat/completions");
    EXPECT_EQ(request.headers,
        (QList<QPair<QByteArray, QByteArray>>{{"Authorization", "Bearer sk-1"}, {"Content-Type", "application/json"}}));
    EXPECT_EQ(request.timeout, 12s);
    const QJsonObject body = QJsonDocument::fromJson(request.body).object();
    EXPECT_EQ(request.body, QJsonDocument(body).toJson(QJsonDocument::Compact));
    EXPECT_EQ(body.keys(), (QStringList{"enable_thinking", "messages", "model", "temperature"}));
    EXPECT_EQ(body.value("enable_thinking"), QJsonValue(false));
    EXPECT_EQ(body.value("model").toString(), "qwen-flash");
    EXPECT_DOUBLE_EQ(body.value("temperature").toDouble(), 0.1);
    const QJsonArray messages{QJsonObject{{"role", "system"}, {"content", "清理口述"}},
        QJsonObject{{"role", "user"}, {"content", "<transcript>嗯 明天开会</transcript>"}}};
    EXPECT_EQ(body.value("messages").toArray(), messages);
}

TEST(ChatClient, EmptyKeyStillSendsBearer)
{
    auto request = sampleRequest();
    request.apiKey.clear();
    Call call(request);
    EXPECT_EQ(call.http.request(0).headers.first().second, "Bearer ");
}

TEST(ChatClient, HostWithoutUrlFailsWithoutTraffic)
{
    for (const QString host : {"", "a b", "host/path", "h?x"}) {
        auto request = sampleRequest();
        request.host = host;
        Call call(request);
        EXPECT_EQ(call.http.requestCount(), 0u);
        ASSERT_TRUE(call.result && !*call.result);
        EXPECT_EQ(call.result->error(), PolishError::http(0, "无效的域名"));
    }
}

TEST(ChatClient, NonFiniteTemperatureIsNotSent)
{
    auto request = sampleRequest();
    request.temperature = std::nan("");
    Call call(request);
    EXPECT_EQ(call.http.requestCount(), 0u);
    ASSERT_TRUE(call.result && !*call.result);
    EXPECT_EQ(call.result->error().kind, PolishError::Kind::invalidJson);
}

TEST(ChatClient, TransportFailurePassesTheMessageOn)
{
    Call call;
    call.http.fail(0, {HttpFailure::Kind::timeout, "The request timed out"});
    ASSERT_TRUE(call.result && !*call.result);
    EXPECT_EQ(call.result->error(), PolishError::transport("The request timed out"));
    // The library's own words, with nothing added: notes built on it read "翻译失败，已输入原文：<text>".
    EXPECT_EQ(call.result->error().description(), "The request timed out");
    EXPECT_EQ(call.completions, 1);
}

struct ResponseCase {
    const char *name;
    int status;
    QByteArray body;
    std::optional<QString> content; // nothing: an error of `kind`
    PolishError::Kind kind = PolishError::Kind::http;
};

class Responses : public ::testing::TestWithParam<ResponseCase> { };

TEST_P(Responses, MapOntoContentOrError)
{
    Call call;
    call.http.respond(0, GetParam().status, GetParam().body);
    ASSERT_TRUE(call.result);
    if (GetParam().content) {
        ASSERT_TRUE(*call.result) << call.result->error().description().toStdString();
        EXPECT_EQ(call.result->value(), *GetParam().content);
        return;
    }
    ASSERT_FALSE(*call.result);
    EXPECT_EQ(call.result->error().kind, GetParam().kind);
    if (GetParam().kind == PolishError::Kind::http) {
        EXPECT_EQ(call.result->error().code, GetParam().status);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Responses,
    ::testing::Values(
        ResponseCase{"ok", 200, R"({"choices":[{"message":{"role":"assistant","content":"明天开会。"}}]})",
            QString("明天开会。")},
        ResponseCase{"untrimmed", 200, R"({"choices":[{"message":{"content":"  a\n"}}]})", QString("  a\n")},
        ResponseCase{"emptyString", 200, R"({"choices":[{"message":{"content":""}}]})", QString("")},
        ResponseCase{"noChoices", 200, R"({"choices":[]})", {}, PolishError::Kind::emptyResponse},
        ResponseCase{
            "nullContent", 200, R"({"choices":[{"message":{"content":null}}]})", {}, PolishError::Kind::emptyResponse},
        ResponseCase{
            "numberContent", 200, R"({"choices":[{"message":{"content":1}}]})", {}, PolishError::Kind::emptyResponse},
        ResponseCase{"messageNotObject", 200, R"({"choices":[{"message":"x"}]})", {}, PolishError::Kind::emptyResponse},
        ResponseCase{"laterChoiceNotObject", 200, R"({"choices":[{"message":{"content":"a"}},3]})", {},
            PolishError::Kind::emptyResponse},
        ResponseCase{
            "choicesNotArray", 200, R"({"choices":{"message":{"content":"a"}}})", {}, PolishError::Kind::emptyResponse},
        ResponseCase{"topLevelArray", 200, R"([1,2])", {}, PolishError::Kind::emptyResponse},
        ResponseCase{"notJson", 200, "<html>busy</html>", {}, PolishError::Kind::invalidJson},
        ResponseCase{"emptyBody", 200, "", {}, PolishError::Kind::invalidJson},
        ResponseCase{"deepNesting", 200, QByteArray(100000, '['), {}, PolishError::Kind::invalidJson},
        ResponseCase{"created", 201, R"({"choices":[{"message":{"content":"a"}}]})", {}},
        ResponseCase{"unauthorized", 401, R"({"error":{"code":"invalid_api_key"}})", {}},
        ResponseCase{"notHttp", 0, "raw", {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PolishErrorText, DescribesEachCase)
{
    EXPECT_EQ(PolishError::http(401, "denied").description(), "润色服务返回 401：denied");
    EXPECT_EQ(PolishError::emptyResponse().description(), "润色服务没有返回内容");
    // 200 user-perceived characters: a flag is one character made of two code points.
    const QString flag = QString::fromUtf8("\U0001F1E8\U0001F1F3");
    const QString body = flag.repeated(150) + QString("x").repeated(150);
    EXPECT_EQ(PolishError::http(500, body).description(),
        "润色服务返回 500：" + flag.repeated(150) + QString("x").repeated(50));
    EXPECT_EQ(PolishError::http(502, "短").description(), "润色服务返回 502：短");
    // A flag right after an emoji is still one character: the cut never ends on half a flag.
    const QString emojiFlag = QString::fromUtf8("\U0001F600\U0001F1EF\U0001F1F5");
    EXPECT_EQ(
        PolishError::http(500, emojiFlag.repeated(150)).description(), "润色服务返回 500：" + emojiFlag.repeated(100));
    EXPECT_EQ(PolishError::invalidJson("illegal value").description(), "illegal value");
}

TEST(ChatClient, NonUtf8ErrorBodyIsDecodedWithReplacement)
{
    Call call;
    call.http.respond(0, 500, "bad\xff");
    ASSERT_TRUE(call.result && !*call.result);
    EXPECT_EQ(call.result->error().body, QString("bad") + QChar(0xFFFD));
}

TEST(ChatClient, ChatFunctionCallsThroughTheClient)
{
    FakeHttpClient http;
    const ChatFunction chat = makeChatFunction(http);
    QString answer;
    chat(sampleRequest(), [&](ChatResult r) { answer = r.value(); });
    http.respond(0, 200, R"({"choices":[{"message":{"content":"好"}}]})");
    EXPECT_EQ(answer, "好");
}

} // namespace
