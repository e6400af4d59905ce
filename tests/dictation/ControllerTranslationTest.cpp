#include "ControllerHarness.h"

namespace quillo::test {
namespace {

using Kind = DictationPhase::Kind;

const QString transcript = QStringLiteral("我们明天下午四点开会");
const QString english = QStringLiteral("We have a meeting at four tomorrow afternoon.");
// Right language, but far longer than a translation of the transcript can be.
const QString rambling = QStringLiteral(
    "Sure, here is what I think about your meeting tomorrow afternoon at four, and some advice on how to prepare "
    "the agenda, the slides and the notes for it, so that everyone arrives ready and on time");
const QString tooLong = QStringLiteral("翻译结果明显长于原文，疑似模型在回答问题");
const QString notEnglish = QStringLiteral("翻译结果不是英文");
const QString failedPrefix = QStringLiteral("翻译失败，已输入原文：");

PolishError serverError()
{
    return PolishError::http(500, QStringLiteral("boom"));
}

struct TranslationCase {
    const char *name;
    std::vector<ChatResult> replies;
    QString inserted;
    std::optional<QString> note;
};

void PrintTo(const TranslationCase &c, std::ostream *os)
{
    *os << c.name;
}

class TranslationMatrixTest : public ControllerHarness, public ::testing::WithParamInterface<TranslationCase> { };

TEST_P(TranslationMatrixTest, InsertsTheExpectedTextAndNote)
{
    const TranslationCase &c = GetParam();
    settings.setTranslateModel(QStringLiteral("qwen-plus"));
    controller->handlePress(HotkeySlot::toggleTranslate);
    speak();
    controller->handlePress(HotkeySlot::toggle);
    finishTranscript(transcript);
    EXPECT_EQ(phase(), Kind::polishing);

    for (std::size_t i = 0; i < c.replies.size(); ++i) {
        ASSERT_EQ(chats.size(), i + 1);
        EXPECT_EQ(chats[i].request.model, QStringLiteral("qwen-plus"));
        EXPECT_EQ(chats[i].request.temperature, i == 0 ? 0.1 : 0.4);
        EXPECT_EQ(chats[i].request.messages, chats[0].request.messages);
        answerChat(i, c.replies[i]);
    }
    EXPECT_EQ(chats.size(), c.replies.size());
    ASSERT_EQ(insertions.size(), 1u);
    EXPECT_EQ(insertions[0].text, c.inserted);
    EXPECT_EQ(controller->lastMessage(), c.note);
    EXPECT_EQ(controller->phase(), DictationPhase::done(c.inserted));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].language, QStringLiteral("en"));
    EXPECT_EQ(history[0].raw, transcript);
}

const QString englishInserted = QStringLiteral("We have a meeting at four tomorrow afternoon");

INSTANTIATE_TEST_SUITE_P(Translation, TranslationMatrixTest,
    ::testing::Values(TranslationCase{"acceptedFirstTry", {english}, englishInserted, std::nullopt},
        TranslationCase{"strayBackticksDropped", {QStringLiteral("We have a `meeting` at four tomorrow afternoon.")},
            englishInserted, std::nullopt},
        TranslationCase{"rejectedThenAccepted", {transcript, QStringLiteral("```\n") + english + "\n```"},
            englishInserted, std::nullopt},
        TranslationCase{"rejectedTwiceRightLanguage", {transcript, rambling}, rambling, tooLong},
        TranslationCase{"rejectedTwiceWrongLanguage", {rambling, transcript}, transcript, failedPrefix + notEnglish},
        TranslationCase{"errorThenSuccess", {unexpected(serverError()), english}, englishInserted, std::nullopt},
        TranslationCase{"errorTwiceNothingRemembered", {unexpected(serverError()), unexpected(serverError())},
            transcript, failedPrefix + serverError().description()},
        TranslationCase{"rejectedThenErrorRemembersTheOutput", {rambling, unexpected(serverError())}, rambling,
            serverError().description()},
        TranslationCase{"rejectedWrongLanguageThenError", {transcript, unexpected(serverError())}, transcript,
            failedPrefix + serverError().description()}),
    [](const ::testing::TestParamInfo<TranslationCase> &info) { return std::string(info.param.name); });

} // namespace
} // namespace quillo::test
