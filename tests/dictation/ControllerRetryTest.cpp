#include "ControllerHarness.h"

#include "dictation/RecordingFiles.h"
#include "dictation/RecordingJournal.h"
#include "refinement/Prompts.h"

#include <QFile>
#include <QFileInfo>

namespace quillo::test {
namespace {

using Kind = DictationPhase::Kind;

const QString transcript = QStringLiteral("我们明天下午四点开会");
const QString keptSuffix = QStringLiteral("（录音已保存，可在菜单中重试）");

class ControllerRetryTest : public ControllerHarness {
public:
    // Everything session n was handed, in order (the last one by default).
    QByteArray sentTo(std::size_t n = SIZE_MAX) const
    {
        QByteArray all;
        for (const QByteArray &chunk : sessions.at(n == SIZE_MAX ? sessions.size() - 1 : n)->sent)
            all.append(chunk);
        return all;
    }

    void answer(RecognitionSession::FinishResult result)
    {
        auto done = std::exchange(session().finishDone, {});
        ASSERT_TRUE(done);
        done(std::move(result));
    }

    // A held dictation of some seconds of loud speech, answered with result.
    QByteArray dictate(RecognitionSession::FinishResult result, int chunks = 3)
    {
        controller->handlePress(HotkeySlot::hold);
        for (int i = 0; i < chunks; ++i)
            recorder.deliver(chunk(0.6f), 0.6f);
        scheduler.advance(1s);
        controller->handleRelease(HotkeySlot::hold);
        answer(std::move(result));
        wallClock = wallClock.addSecs(60);
        return sentTo();
    }

    // The audio in a kept recording's file.
    QByteArray audioOf(const FailedRecording &kept) const
    {
        QFile file(failedRecordings.audioPath(kept.id));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray wav = file.readAll();
        return recordingFiles::isOurWav(wav) ? wav.mid(recordingFiles::wavHeaderBytes) : QByteArray();
    }

    QList<QByteArray> keptAudio() const
    {
        QList<QByteArray> all;
        for (const FailedRecording &kept : failedRecordings.recordings())
            all.append(audioOf(kept));
        return all;
    }

    // A recording kept as a failed dictation would leave it.
    FailedRecording keep(const QByteArray &pcm, FailedRecording choices = {})
    {
        choices.id = QStringLiteral("%1").arg(failedRecordings.recordings().size() + 1, 32, 10, QLatin1Char('0'));
        choices.recordedAt = wallClock;
        wallClock = wallClock.addSecs(60);
        RecordingJournal journal(fileTasks, failedRecordings.folder(), choices);
        journal.append(pcm);
        const FailedRecording kept = journal.finish(choices);
        failedRecordings.keep(kept);
        return kept;
    }

    // Runs a retry's feed to its end.
    void feedAll()
    {
        for (int i = 0; i < 1000 && !session().finishDone; ++i)
            scheduler.advance(KeptAudioFeed::interval);
    }
};

// Each row once lost the audio it should have kept.
struct WhyRow {
    const char *name;
    // Runs the row; answers the audio that must be kept, newest first.
    std::function<QList<QByteArray>(ControllerRetryTest &)> run;
};

void PrintTo(const WhyRow &row, std::ostream *os)
{
    *os << row.name;
}

class WhyTest : public ControllerRetryTest, public ::testing::WithParamInterface<WhyRow> { };

TEST_P(WhyTest, NoRecordingIsLostTheWayItOnceWas)
{
    const QList<QByteArray> expected = GetParam().run(*this);
    // As a restart finds them.
    const FailedRecordingStore reloaded(cacheDir.path(), fileTasks, [this] { return wallClock; });
    QList<QByteArray> kept;
    for (const FailedRecording &recording : reloaded.recordings())
        kept.append(audioOf(recording));
    EXPECT_EQ(kept, expected);
    EXPECT_EQ(QDir(cacheDir.path()).entryList(QDir::Files).size(), 2 * expected.size());
}

INSTANTIATE_TEST_SUITE_P(Why, WhyTest,
    ::testing::Values(WhyRow{"laterEmptyResultsDoNotDisplaceAFailedLongOne",
                          [](ControllerRetryTest &t) {
                              const QByteArray failed = t.dictate(unexpected(ASRError::timeout()), 40);
                              t.dictate(QStringLiteral(" "));
                              t.dictate(QStringLiteral("嗯嗯"));
                              EXPECT_EQ(t.failedRecordings.recordings().size(), 1);
                              return QList<QByteArray>{failed};
                          }},
        WhyRow{"aLaterSuccessKeepsAnotherRecordingsAudio",
            [](ControllerRetryTest &t) {
                const QByteArray failed = t.dictate(unexpected(ASRError::connection(QStringLiteral("401"))));
                t.dictate(QStringLiteral("好的"));
                EXPECT_EQ(t.insertions.size(), 1u);
                return QList<QByteArray>{failed};
            }},
        WhyRow{"aFinishTimeOutThatCutTheTextKeepsTheWholeRecording",
            [](ControllerRetryTest &t) {
                t.controller->handlePress(HotkeySlot::hold);
                t.speak();
                t.controller->handleRelease(HotkeySlot::hold);
                t.session().cutShort = true;
                t.answer(QStringLiteral("我们明天"));
                EXPECT_EQ(t.insertions.back().text, QStringLiteral("我们明天"));
                EXPECT_EQ(t.controller->phase(),
                    DictationPhase::failed(QStringLiteral("识别超时，文字可能不完整") + keptSuffix));
                return QList<QByteArray>{t.sentTo()};
            }},
        WhyRow{"aRecordingOverTenMinutesIsKeptWhole",
            [](ControllerRetryTest &t) {
                const QByteArray failed = t.dictate(unexpected(ASRError::server(QStringLiteral("busy"))), 6200);
                EXPECT_GT(failed.size(), qsizetype{FailedRecording::bytesPerSecond} * 600);
                return QList<QByteArray>{failed};
            }},
        WhyRow{"aRecordingWhoseProcessDiedIsKeptAtTheNextStart",
            [](ControllerRetryTest &t) {
                const QByteArray failed = t.dictate(unexpected(ASRError::timeout()));
                t.controller->handlePress(HotkeySlot::hold);
                t.speak();
                const QByteArray cut = t.sentTo();
                t.controller.reset(); // gone mid-recording: nothing settled its files
                return QList<QByteArray>{cut, failed};
            }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ControllerRetryTest, FailuresKeepTheAudioThatWasSentAndSaySo)
{
    const std::vector<std::pair<const char *, ASRError>> cases = {
        {"time-out", ASRError::timeout()},
        {"service error", ASRError::server(QStringLiteral("bad"))},
        {"wrong key or network", ASRError::connection(QStringLiteral("401"))},
    };
    for (const auto &[name, error] : cases) {
        SCOPED_TRACE(name);
        const QByteArray sent = dictate(unexpected(error));
        EXPECT_EQ(controller->phase(), DictationPhase::failed(error.description() + keptSuffix));
        const FailedRecording kept = failedRecordings.recordings().front();
        EXPECT_EQ(audioOf(kept), sent);
        EXPECT_EQ(kept.style, AppStyle::chat); // the captured WeChat
        EXPECT_EQ(kept.translation, std::nullopt);
        EXPECT_FALSE(kept.polish);
        scheduler.advance(3s);
    }
    EXPECT_EQ(failedRecordings.recordings().size(), 3);
}

TEST_F(ControllerRetryTest, TheChoicesAndFirstWordsOfTheRecordingAreKeptWithIt)
{
    settings.setPolishEnabled(true);
    settings.setTranslateTarget(TargetLanguage::japanese);
    controller->handlePress(HotkeySlot::toggleTranslate);
    speak();
    session().partial(QStringLiteral("我们明天下午"));
    controller->handlePress(HotkeySlot::toggleTranslate);
    answer(unexpected(ASRError::timeout()));

    const FailedRecordingStore reloaded(cacheDir.path(), fileTasks, [this] { return wallClock; });
    ASSERT_EQ(reloaded.recordings().size(), 1);
    const FailedRecording kept = reloaded.recordings().front();
    EXPECT_EQ(kept.translation, TargetLanguage::japanese);
    EXPECT_TRUE(kept.polish);
    EXPECT_EQ(kept.firstWords, QStringLiteral("我们明天下午"));
    EXPECT_EQ(kept.recordedAt, wallClock);
}

TEST_F(ControllerRetryTest, NothingIsKeptWhenTheUserDroppedItOrTheServiceHeardNothing)
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
        {"cancelled from outside", [&] { dictate(unexpected(ASRError::cancelled())); }},
        {"empty result", [&] { dictate(QStringLiteral("  ")); }},
        {"filler only", [&] { dictate(QStringLiteral("嗯嗯")); }},
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
    const FailedRecording older = keep(QByteArray(6400, 'o'));
    for (const auto &[name, run] : cases) {
        SCOPED_TRACE(name);
        run();
        EXPECT_EQ(failedRecordings.recordings(), QList<FailedRecording>{older});
        EXPECT_EQ(QDir(cacheDir.path()).entryList(QDir::Files).size(), 2);
        scheduler.advance(3s);
        EXPECT_EQ(phase(), Kind::idle);
    }
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
    QByteArray pcm; // 2.5 s
    for (int i = 0; i < 80; ++i)
        pcm.append(QByteArray(1000, static_cast<char>(i)));
    FailedRecording choices;
    choices.style = c.style;
    choices.translation = c.translation;
    choices.polish = c.polish;
    keep(pcm, choices);
    // The settings and the focus moved on since the recording.
    settings.setPolishEnabled(!c.polish);
    settings.setVocabulary(QStringLiteral("Quillo"));
    frontmost.app = AppIdentity{QStringLiteral("org.gnome.TextEditor"), QStringLiteral("文本编辑器"), {}, {}, 0};

    ASSERT_TRUE(controller->retryLastRecording());
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(phase(), Kind::transcribing);
    EXPECT_TRUE(panel.visible);
    // A second at a time, ten times speaking pace, and the finish only after the last.
    EXPECT_EQ(sentTo().size(), KeptAudioFeed::bytesPerStep);
    scheduler.advance(KeptAudioFeed::interval);
    EXPECT_EQ(sentTo().size(), 2 * KeptAudioFeed::bytesPerStep);
    EXPECT_FALSE(session().finishDone);
    scheduler.advance(KeptAudioFeed::interval);
    EXPECT_EQ(sentTo(), pcm);
    for (const QByteArray &sent : session().sent)
        EXPECT_TRUE(sent.size() == 3200 || &sent == &session().sent.back());
    EXPECT_DOUBLE_EQ(session().finishTimeout, 10.0 + 2.5);
    EXPECT_EQ(controller->hud().translation(), c.translation);

    answer(transcript);
    QString expected = transcript;
    if (c.translation || c.polish) {
        ASSERT_EQ(chats.size(), 1u);
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
    EXPECT_NEAR(history[0].seconds, 2.5, 1e-9);
    EXPECT_TRUE(failedRecordings.recordings().isEmpty());
    EXPECT_TRUE(QDir(cacheDir.path()).entryList(QDir::Files).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Choices, RetryPipelineTest,
    ::testing::Values(RetryCase{"plain", AppStyle::general, std::nullopt, false},
        RetryCase{"polishedForChat", AppStyle::chat, std::nullopt, true},
        RetryCase{"translatedInADocument", AppStyle::document, TargetLanguage::japanese, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ControllerRetryTest, ARetrySettlesOnlyItsOwnRecording)
{
    const FailedRecording older = keep(QByteArray(6400, 'o'));
    const FailedRecording newer = keep(QByteArray(3200, 'n'));
    const std::vector<std::pair<const char *, std::function<void()>>> keeping = {
        {"failed", [&] { answer(unexpected(ASRError::timeout())); }},
        {"heard nothing", [&] { answer(QStringLiteral("嗯")); }},
        {"cut short",
            [&] {
                session().cutShort = true;
                answer(transcript);
            }},
        {"escape", [&] { controller->handleEscape(); }},
    };
    for (const auto &[name, end] : keeping) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(controller->retryRecording(older.id));
        feedAll();
        EXPECT_EQ(sentTo(), QByteArray(6400, 'o'));
        end();
        EXPECT_EQ(failedRecordings.recordings(), (QList<FailedRecording>{newer, older}));
        scheduler.advance(3s);
    }
    ASSERT_TRUE(controller->retryRecording(older.id));
    feedAll();
    answer(transcript);
    EXPECT_EQ(failedRecordings.recordings(), QList<FailedRecording>{newer});
    EXPECT_EQ(audioOf(newer), QByteArray(3200, 'n'));
}

TEST_F(ControllerRetryTest, ARetryIsRefusedWhileBusyOrWithNothingKept)
{
    EXPECT_FALSE(controller->retryLastRecording());
    EXPECT_TRUE(sessions.empty());

    const FailedRecording kept = keep(QByteArray(6400, 'o'));
    EXPECT_FALSE(controller->retryRecording(QStringLiteral("gone")));
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

TEST_F(ControllerRetryTest, AKeptRecordingWhoseFileIsGoneIsRemovedWithAWord)
{
    const FailedRecording kept = keep(QByteArray(6400, 'o'));
    QFile::remove(failedRecordings.audioPath(kept.id));
    ASSERT_TRUE(controller->retryLastRecording());
    EXPECT_TRUE(sentTo().isEmpty());
    EXPECT_EQ(controller->phase(), DictationPhase::failed(QStringLiteral("保存的录音无法读取，已移除")));
    EXPECT_TRUE(failedRecordings.recordings().isEmpty());
    EXPECT_TRUE(QDir(cacheDir.path()).entryList(QDir::Files).isEmpty());
}

} // namespace
} // namespace quillo::test
