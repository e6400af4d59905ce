#include "ControllerHarness.h"

#include "refinement/Prompts.h"

#include <QFileInfo>

namespace quillo::test {
namespace {

using Kind = DictationPhase::Kind;

const QString transcript = QStringLiteral("我们明天下午四点开会");

class ControllerRetryTest : public ControllerHarness {
public:
    // Everything the current session was handed, in order.
    QByteArray sentToSession() const
    {
        QByteArray all;
        for (const QByteArray &chunk : sessions.back()->sent)
            all.append(chunk);
        return all;
    }

    void failDictation(RecognitionSession::FinishResult result)
    {
        holdDictation();
        auto done = std::exchange(session().finishDone, {});
        ASSERT_TRUE(done);
        done(std::move(result));
    }

    bool filesThere() const
    {
        return QFileInfo::exists(failedRecordings.wavPath()) && QFileInfo::exists(failedRecordings.notePath());
    }

    static FailedRecording older()
    {
        return FailedRecording{QByteArray(6400, 'o'), AppStyle::document, TargetLanguage::english, true};
    }
};

TEST_F(ControllerRetryTest, FailuresThatLoseTheWordsKeepTheAudioThatWasSent)
{
    const std::vector<std::pair<const char *, RecognitionSession::FinishResult>> cases = {
        {"time-out", unexpected(ASRError::timeout())},
        {"service error", unexpected(ASRError::server(QStringLiteral("bad")))},
        {"wrong key or network", unexpected(ASRError::connection(QStringLiteral("401")))},
        {"empty result", QStringLiteral("  ")},
        {"filler only", QStringLiteral("嗯嗯")},
    };
    for (const auto &[name, result] : cases) {
        SCOPED_TRACE(name);
        failedRecordings.discard();
        failDictation(result);
        EXPECT_EQ(phase(), Kind::failed);
        ASSERT_TRUE(failedRecordings.current());
        EXPECT_FALSE(failedRecordings.current()->pcm.isEmpty());
        EXPECT_EQ(failedRecordings.current()->pcm, sentToSession());
        EXPECT_EQ(failedRecordings.current()->style, AppStyle::chat); // the captured WeChat
        EXPECT_EQ(failedRecordings.current()->translation, std::nullopt);
        EXPECT_FALSE(failedRecordings.current()->polish);
        EXPECT_TRUE(filesThere());
        scheduler.advance(3s);
    }
}

TEST_F(ControllerRetryTest, TheTranslationAndPolishOfTheRecordingAreKeptWithIt)
{
    settings.setPolishEnabled(true);
    settings.setTranslateTarget(TargetLanguage::japanese);
    controller->handlePress(HotkeySlot::toggleTranslate);
    speak();
    controller->handlePress(HotkeySlot::toggleTranslate);
    ASSERT_EQ(phase(), Kind::transcribing);
    std::exchange(session().finishDone, {})(unexpected(ASRError::timeout()));

    ASSERT_TRUE(failedRecordings.current());
    EXPECT_EQ(failedRecordings.current()->translation, TargetLanguage::japanese);
    EXPECT_TRUE(failedRecordings.current()->polish);
}

TEST_F(ControllerRetryTest, NothingIsKeptWhenTheUserDroppedItOrNothingWasSent)
{
    const std::vector<std::pair<const char *, std::function<void()>>> cases = {
        {"escape while recording",
            [&] {
                controller->handlePress(HotkeySlot::hold);
                speak();
                controller->handleEscape();
            }},
        {"escape while transcribing",
            [&] {
                holdDictation();
                controller->handleEscape();
            }},
        {"cancelled from outside", [&] { failDictation(unexpected(ASRError::cancelled())); }},
        {"accidental tap",
            [&] {
                controller->handlePress(HotkeySlot::hold);
                recorder.deliver(chunk(0.6f), 0.6f);
                scheduler.advance(200ms);
                controller->handleRelease(HotkeySlot::hold);
            }},
        {"silence",
            [&] {
                controller->handlePress(HotkeySlot::hold);
                recorder.deliver(chunk(0.01f), 0.01f);
                scheduler.advance(1s);
                controller->handleRelease(HotkeySlot::hold);
            }},
    };
    for (const auto &[name, run] : cases) {
        SCOPED_TRACE(name);
        failedRecordings.keep(older());
        run();
        EXPECT_EQ(failedRecordings.current(), older()); // neither replaced nor dropped
        EXPECT_TRUE(filesThere());
        scheduler.advance(3s);
        EXPECT_EQ(phase(), Kind::idle);
    }
}

TEST_F(ControllerRetryTest, ADeliveredDictationRemovesTheKeptAudio)
{
    // Also when the paste did not go through: the text is in the history then.
    for (const InsertOutcome outcome : {InsertOutcome::pasted, InsertOutcome::notTrusted}) {
        failedRecordings.keep(older());
        insertOutcome = outcome;
        holdDictation();
        finishTranscript(transcript);
        EXPECT_EQ(failedRecordings.current(), std::nullopt);
        EXPECT_FALSE(QFileInfo::exists(failedRecordings.wavPath()));
        EXPECT_FALSE(QFileInfo::exists(failedRecordings.notePath()));
        scheduler.advance(3s);
    }
}

TEST_F(ControllerRetryTest, AnOverlongRecordingIsNotKept)
{
    controller->handlePress(HotkeySlot::hold);
    const qsizetype big = 1024 * 1024;
    // The gate holds back (and drops most of) the first chunks: deliver a few more.
    for (qsizetype sent = 0; sent <= FailedRecordingStore::maxBytes + 3 * big; sent += big)
        recorder.deliver(chunk(0.6f, big), 0.6f);
    scheduler.advance(1s);
    controller->handleRelease(HotkeySlot::hold);
    ASSERT_GT(sentToSession().size(), FailedRecordingStore::maxBytes);
    std::exchange(session().finishDone, {})(unexpected(ASRError::timeout()));
    EXPECT_EQ(failedRecordings.current(), std::nullopt);
    scheduler.advance(3s);

    // The next one is short enough again.
    failDictation(unexpected(ASRError::timeout()));
    ASSERT_TRUE(failedRecordings.current());
    EXPECT_EQ(failedRecordings.current()->pcm, sentToSession());
}

struct RetryCase {
    const char *name;
    AppStyle style;
    std::optional<TargetLanguage> translation;
    bool polish;
};

void PrintTo(const RetryCase &c, std::ostream *os)
{
    *os << c.name;
}

class RetryPipelineTest : public ControllerRetryTest, public ::testing::WithParamInterface<RetryCase> { };

TEST_P(RetryPipelineTest, RetriesWithTheRecordingsChoicesIntoTheWindowFocusedNow)
{
    const RetryCase &c = GetParam();
    QByteArray pcm; // a whole number of chunks
    for (int i = 0; i < 32; ++i)
        pcm.append(QByteArray(1000, static_cast<char>(i)));
    failedRecordings.keep(FailedRecording{pcm, c.style, c.translation, c.polish});
    // The settings and the focus moved on since the recording.
    settings.setPolishEnabled(!c.polish);
    settings.setVocabulary(QStringLiteral("Quillo"));
    frontmost.app = AppIdentity{QStringLiteral("org.gnome.TextEditor"), QStringLiteral("文本编辑器"), {}, {}, 0};

    ASSERT_TRUE(controller->retryLastRecording());
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(phase(), Kind::transcribing);
    EXPECT_TRUE(panel.visible);
    EXPECT_EQ(sentToSession(), pcm); // all of it at once, not at speaking pace
    for (const QByteArray &sent : session().sent) {
        EXPECT_LE(sent.size(), 3200);
        EXPECT_FALSE(sent.isEmpty());
    }
    EXPECT_DOUBLE_EQ(session().finishTimeout, 10.0 + pcm.size() / 32000.0);
    EXPECT_EQ(controller->hud().translation(), c.translation);

    finishTranscript(transcript);
    QString expected = transcript;
    if (c.translation || c.polish) {
        ASSERT_EQ(chats.size(), 1u);
        EXPECT_EQ(chats[0].request.apiKey, QStringLiteral("sk-test"));
        const QStringList vocabulary = settings.vocabularyTerms();
        EXPECT_EQ(chats[0].request.messages,
            c.translation ? translationMessages(transcript, *c.translation, c.style, vocabulary)
                          : polishMessages(transcript, c.style, vocabulary));
        expected
            = c.translation ? QStringLiteral("明日の午後四時に会議があります") : QStringLiteral("我们明天下午四点开会");
        answerChat(0, expected + QStringLiteral("。"));
    } else {
        EXPECT_TRUE(chats.empty());
    }
    ASSERT_EQ(insertions.size(), 1u);
    EXPECT_EQ(insertions[0].text, expected);
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].appName, QStringLiteral("文本编辑器"));
    EXPECT_NEAR(history[0].seconds, pcm.size() / 32000.0, 1e-9);
    scheduler.advance(1s);
    EXPECT_EQ(returns, 0);
    EXPECT_EQ(failedRecordings.current(), std::nullopt);
    EXPECT_FALSE(filesThere());
}

INSTANTIATE_TEST_SUITE_P(Choices, RetryPipelineTest,
    ::testing::Values(RetryCase{"plain", AppStyle::general, std::nullopt, false},
        RetryCase{"polishedForChat", AppStyle::chat, std::nullopt, true},
        RetryCase{"translatedInADocument", AppStyle::document, TargetLanguage::japanese, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ControllerRetryTest, ARetryIsRefusedWhileBusyOrWithNothingKept)
{
    EXPECT_FALSE(controller->retryLastRecording());
    EXPECT_TRUE(sessions.empty());

    failedRecordings.keep(older());
    controller->handlePress(HotkeySlot::hold);
    EXPECT_FALSE(controller->retryLastRecording());
    EXPECT_EQ(sessions.size(), 1u);
    controller->handleEscape();

    holdKeyReads = true;
    ASSERT_TRUE(controller->retryLastRecording());
    EXPECT_FALSE(controller->retryLastRecording()); // the first is waiting for the key
    for (auto &read : std::exchange(pendingKeyReads, {}))
        read();
    EXPECT_EQ(sessions.size(), 2u);
}

TEST_F(ControllerRetryTest, AFailedOrAbandonedRetryKeepsTheAudio)
{
    failedRecordings.keep(older());
    apiKey.clear();
    ASSERT_TRUE(controller->retryLastRecording());
    EXPECT_EQ(controller->phase(), DictationPhase::failed(QStringLiteral("请先在设置中填写千问 API Key")));
    EXPECT_TRUE(sessions.empty());
    scheduler.advance(2s);

    apiKey = QStringLiteral("sk-test");
    ASSERT_TRUE(controller->retryLastRecording());
    controller->handleEscape();
    EXPECT_EQ(phase(), Kind::idle);
    EXPECT_EQ(session().cancels, 1);

    ASSERT_TRUE(controller->retryLastRecording());
    std::exchange(session().finishDone, {})(unexpected(ASRError::timeout()));
    EXPECT_EQ(phase(), Kind::failed);
    EXPECT_EQ(failedRecordings.current(), older());
    EXPECT_TRUE(filesThere());
    EXPECT_TRUE(insertions.empty());
}

} // namespace
} // namespace quillo::test
