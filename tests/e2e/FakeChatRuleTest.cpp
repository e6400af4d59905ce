#include "FakeScenario.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

using quillo::fake::FakeScenario;

// The self-test sends the same transcript for polishing and for three translations: only the
// system prompt tells the requests apart, so the rules must be able to look at it.
constexpr auto scenarioJson = R"({
  "chat": {
    "rules": [
      {"match": "四点", "system": "英语（English）", "content": "en"},
      {"match": "四点", "system": "日语（日本語）", "content": "ja"},
      {"match": "四点", "system": "文本整理引擎", "content": "polish"},
      {"match": "四点", "content": "any"}
    ],
    "default": {"content": "default"}
  }
})";

struct Case {
    const char *transcript;
    const char *system;
    const char *expected;
};

class FakeChatRuleTest : public ::testing::TestWithParam<Case> { };

TEST_P(FakeChatRuleTest, picksTheFirstRuleMatchingTranscriptAndSystemPrompt)
{
    QString error;
    const auto scenario = FakeScenario::fromJson(QJsonDocument::fromJson(scenarioJson).object(), &error);
    ASSERT_TRUE(scenario) << error.toStdString();
    const Case c = GetParam();
    const auto &rule = scenario->chatRule(QString::fromUtf8(c.transcript), QString::fromUtf8(c.system));
    ASSERT_TRUE(rule.content);
    EXPECT_EQ(rule.content->toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, FakeChatRuleTest,
    ::testing::Values(Case{"明天四点开会", "……翻译成英语（English），只输出译文。", "en"},
        Case{"明天四点开会", "……翻译成日语（日本語），只输出译文。", "ja"},
        Case{"明天四点开会", "你是语音输入法的文本整理引擎", "polish"},
        Case{"明天四点开会", "翻译成越南语（Tiếng Việt）", "any"}, // no rule of its own: the unconditioned one
        Case{"明天四点开会", "", "any"}, Case{"别的话", "你是语音输入法的文本整理引擎", "default"}));

TEST(FakeChatRuleTest, rejectsASystemMatcherThatIsNotText)
{
    QString error;
    const auto scenario = FakeScenario::fromJson(
        QJsonDocument::fromJson(R"({"chat": {"rules": [{"match": "a", "system": 3}]}})").object(), &error);
    EXPECT_FALSE(scenario);
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
