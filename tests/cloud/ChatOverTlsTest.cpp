#include "CloudFixture.h"

#include "platform/qt/QtHttpClient.h"
#include "refinement/ChatClient.h"

#include <QJsonArray>

using namespace quillo;
using namespace quillo::testing;
using namespace std::chrono_literals;

namespace {

class ChatOverTls : public CloudTest {
protected:
    ChatResult ask(const QString &transcript, const QString &key = "test-key", const QString &host = {})
    {
        ChatRequest request{{{"system", "清理口述"}, {"user", "<transcript>" + transcript + "</transcript>"}}, key,
            host.isEmpty() ? service_->host() : host, "qwen-flash", 0.1};
        std::optional<ChatResult> result;
        completeChat(http_, request, [&](ChatResult r) { result.emplace(std::move(r)); });
        EXPECT_TRUE(waitFor([&] { return result.has_value(); }, 15s));
        return result.value_or(ChatResult(unexpected(PolishError::transport("no answer"))));
    }

    QJsonObject request(int i) const { return received().value("chatRequests").toArray().at(i).toObject(); }

    QtHttpClient http_;
};

TEST_F(ChatOverTls, ReturnsTheAnswerAndSendsTheDocumentedRequest)
{
    const auto result = ask("嗯 明天开会");
    ASSERT_TRUE(result) << result.error().description().toStdString();
    EXPECT_EQ(result.value(), "明天开会。");
    const QJsonObject wire = request(0);
    EXPECT_TRUE(wire.value("compact").toBool());
    EXPECT_EQ(wire.value("headers").toObject().value("authorization").toString(), "Bearer <redacted>");
    EXPECT_EQ(wire.value("headers").toObject().value("content-type").toString(), "application/json");
    const QJsonObject body = wire.value("body").toObject();
    EXPECT_EQ(body.value("enable_thinking"), QJsonValue(false));
    EXPECT_EQ(body.value("model").toString(), "qwen-flash");
    EXPECT_EQ(body.value("messages").toArray().size(), 2);
}

TEST_F(ChatOverTls, EmptyKeySendsBareBearerAndGets401)
{
    const auto result = ask("你好", "");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, 401);
    EXPECT_TRUE(result.error().description().startsWith("润色服务返回 401：{\"error\""));
    EXPECT_EQ(request(0).value("headers").toObject().value("authorization").toString(), "Bearer ");
}

struct AnswerCase {
    const char *name;
    QByteArray rule;
    std::optional<QString> content; // nothing: an error of `kind`
    PolishError::Kind kind = PolishError::Kind::http;
    int code = 0;
};

class ChatAnswers : public ChatOverTls, public ::testing::WithParamInterface<AnswerCase> { };

TEST_P(ChatAnswers, MapAsDocumented)
{
    setScenario(R"({"chat":{"default":)" + GetParam().rule + "}}");
    const auto result = ask("今天天气怎么样");
    if (GetParam().content) {
        ASSERT_TRUE(result) << result.error().description().toStdString();
        EXPECT_EQ(result.value(), *GetParam().content);
        return;
    }
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, GetParam().kind) << result.error().description().toStdString();
    EXPECT_EQ(result.error().code, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Table, ChatAnswers,
    ::testing::Values(
        AnswerCase{"fenced", R"({"content":"```\n{cleaned}\n```"})", QString("```\n今天天气怎么样。\n```")},
        AnswerCase{"answersTheQuestion", R"({"content":"今天晴，气温 25 度。"})", QString("今天晴，气温 25 度。")},
        AnswerCase{"untrimmed", R"({"content":"  {transcript}\n"})", QString("  今天天气怎么样\n")},
        AnswerCase{"nullContent", R"({"content":null})", {}, PolishError::Kind::emptyResponse},
        AnswerCase{"emptyChoices", R"({"emptyChoices":true})", {}, PolishError::Kind::emptyResponse},
        AnswerCase{"notJson", R"({"raw":"<html>oops</html>"})", {}, PolishError::Kind::invalidJson},
        AnswerCase{"rateLimited", R"({"status":429,"errorCode":"limit_requests"})", {}, PolishError::Kind::http, 429},
        AnswerCase{"serverError", R"({"status":500})", {}, PolishError::Kind::http, 500},
        AnswerCase{"created", R"({"status":201,"raw":"{}"})", {}, PolishError::Kind::http, 201}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ChatOverTls, RulesPickTranslations)
{
    setScenario(R"({"chat":{"rules":[{"match":"天气","content":"How is the weather today?"}]}})");
    EXPECT_EQ(ask("今天天气怎么样").value(), "How is the weather today?");
    EXPECT_EQ(ask("嗯 你好").value(), "你好。");
}

TEST_F(ChatOverTls, SlowAnswerTimesOut)
{
    setScenario(R"({"chat":{"default":{"delayMs":3000}}})");
    HttpRequest request;
    request.url = QUrl("https://" + service_->host() + "/compatible-mode/v1/chat/completions");
    request.headers = {{"Authorization", "Bearer test-key"}};
    request.body = "{}";
    request.timeout = 300ms;
    std::optional<HttpResult> result;
    http_.post(request, [&](HttpResult r) { result.emplace(std::move(r)); });
    ASSERT_TRUE(waitFor([&] { return result.has_value(); }, 2s));
    ASSERT_FALSE(*result);
    EXPECT_EQ(result->error().kind, HttpFailure::Kind::timeout);
}

// The connection a request goes out on is the one opened ahead of it; with an HTTP/2 offer
// that differs between the two, the manager would keep them apart and connect again.
TEST_F(ChatOverTls, RequestsGoOutOnTheConnectionOpenedAhead)
{
    const QUrl url = *chat::completionsUrl(service_->host());
    http_.prewarm(url);
    ASSERT_TRUE(waitFor([&] { return service_->connectionsAccepted() == 1; }));
    ASSERT_TRUE(ask("第一句"));
    ASSERT_TRUE(ask("第二句")); // a translation's second attempt right after the first
    EXPECT_EQ(service_->connectionsAccepted(), 1);

    // The service dropped it meanwhile, as it does with idle connections: opened again.
    service_->closeIdleConnections();
    waitFor([] { return false; }, 100ms);
    http_.prewarm(url);
    ASSERT_TRUE(waitFor([&] { return service_->connectionsAccepted() == 2; }));
    http_.prewarm(url); // one open already: nothing more
    ASSERT_TRUE(ask("第三句"));
    EXPECT_EQ(service_->connectionsAccepted(), 2);
}

TEST_F(ChatOverTls, UntrustedCertificateIsRefused)
{
    fake::FakeCloudService stranger;
    ASSERT_TRUE(startService(stranger, TestCertificates::get().stranger));
    // A connection opened ahead is checked as strictly as a request's own.
    http_.prewarm(*chat::completionsUrl(stranger.host()));
    waitFor([] { return false; }, 300ms);
    const auto result = ask("你好", "test-key", stranger.host());
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, PolishError::Kind::transport);
    EXPECT_TRUE(stranger.received().value("chatRequests").toArray().isEmpty());
}

TEST_F(ChatOverTls, DestroyedClientNeverCallsBack)
{
    setScenario(R"({"chat":{"default":{"delayMs":200}}})");
    bool called = false;
    {
        QtHttpClient http;
        completeChat(
            http, {{{"user", "x"}}, "test-key", service_->host(), "m", 0.1}, [&](ChatResult) { called = true; });
    }
    waitFor([] { return false; }, 500ms);
    EXPECT_FALSE(called);
}

} // namespace
