#include "ControllerHarness.h"

#include <QSignalSpy>

namespace quillo::test {
namespace {

using Kind = DictationPhase::Kind;

const QString transcript = QStringLiteral("我们明天下午四点开会");
const QString english = QStringLiteral("We have a meeting at four tomorrow afternoon.");

PolishError serverError()
{
    return PolishError::http(500, QStringLiteral("boom"));
}

class ControllerPipelineTest : public ControllerHarness { };

TEST_F(ControllerPipelineTest, PlainDictationInsertsTheTranscriptMinusOneFullStop)
{
    QSignalSpy phases(controller.get(), &DictationController::phaseChanged);
    holdDictation(1.5);
    EXPECT_EQ(session().finishTimeout, 10.0);
    // The microphone and the clock stop with the key.
    EXPECT_FALSE(recorder.running);
    const double elapsed = controller->hud().elapsed();
    scheduler.advance(300ms);
    EXPECT_EQ(controller->hud().elapsed(), elapsed);
    finishTranscript(QStringLiteral("  我们明天下午四点开会。\n"));

    ASSERT_EQ(insertions.size(), 1u);
    EXPECT_EQ(insertions[0].text, transcript);
    EXPECT_TRUE(insertions[0].restore);
    EXPECT_TRUE(chats.empty());
    EXPECT_EQ(controller->phase(), DictationPhase::done(transcript));
    EXPECT_EQ(controller->lastMessage(), std::nullopt);
    EXPECT_FALSE(session().alive);

    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].raw, QStringLiteral("我们明天下午四点开会。"));
    EXPECT_EQ(history[0].text, transcript);
    EXPECT_EQ(history[0].appName, QStringLiteral("微信"));
    EXPECT_NEAR(history[0].seconds, 1.5, 1e-9);
    EXPECT_EQ(history[0].language, std::nullopt);
    EXPECT_FALSE(history[0].id.isNull());
    EXPECT_EQ(history[0].date, HistoryEntry::dateFrom(scheduler.wallNow()));

    scheduler.advance(599ms);
    EXPECT_TRUE(panel.visible);
    scheduler.advance(1ms);
    EXPECT_EQ(phase(), Kind::idle);
    EXPECT_FALSE(panel.visible);

    std::vector<Kind> seen;
    for (const auto &args : phases)
        seen.push_back(args.at(0).value<DictationPhase>().kind());
    EXPECT_EQ(seen, (std::vector<Kind>{Kind::recording, Kind::transcribing, Kind::done, Kind::idle}));
}

TEST_F(ControllerPipelineTest, TranscriptFailures)
{
    const QString kept = QStringLiteral("（录音已保存，可在菜单中重试）");
    struct Case {
        const char *name;
        RecognitionSession::FinishResult result;
        std::optional<DictationPhase> shown; // none: nothing shown
        double hideAfter;
    };
    const std::vector<Case> cases = {
        // The recording is kept for a retry, and the panel says so.
        {"timeout", unexpected(ASRError::timeout()), DictationPhase::failed(ASRError::timeout().description() + kept),
            3.0},
        {"server error", unexpected(ASRError::server(QStringLiteral("bad"))),
            DictationPhase::failed(ASRError::server(QStringLiteral("bad")).description() + kept), 3.0},
        {"cancelled", unexpected(ASRError::cancelled()), std::nullopt, 0},
        {"empty", QStringLiteral(" \n "), DictationPhase::failed(QStringLiteral("没有识别到有效语音")), 1.2},
        {"filler", QStringLiteral("嗯嗯"), DictationPhase::failed(QStringLiteral("没有识别到有效语音")), 1.2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        holdDictation();
        auto done = std::exchange(session().finishDone, {});
        done(c.result);
        if (!c.shown) {
            // Silent, and not left busy: the hotkeys must work again.
            EXPECT_EQ(phase(), Kind::idle);
            EXPECT_FALSE(panel.visible);
            continue;
        }
        EXPECT_EQ(controller->phase(), *c.shown);
        const auto hide = std::chrono::round<Scheduler::Duration>(std::chrono::duration<double>(c.hideAfter));
        scheduler.advance(hide - 1ms);
        EXPECT_EQ(phase(), c.shown->kind());
        scheduler.advance(1ms);
        EXPECT_EQ(phase(), Kind::idle);
    }
    EXPECT_TRUE(insertions.empty());
    EXPECT_TRUE(history.empty());
}

TEST_F(ControllerPipelineTest, AMicrophoneLostMidRecordingStillDeliversWhatWasSaid)
{
    const QString lost = QStringLiteral("麦克风已断开，录音已结束");
    controller->handlePress(HotkeySlot::hold);
    speak(1.2);
    recorder.lose(lost);
    EXPECT_FALSE(recorder.running);
    EXPECT_EQ(phase(), Kind::transcribing);
    EXPECT_FALSE(session().sent.isEmpty());
    // The key let go afterwards changes nothing.
    controller->handleRelease(HotkeySlot::hold);
    EXPECT_EQ(phase(), Kind::transcribing);

    finishTranscript(QStringLiteral("我们明天下午四点开会。"));
    ASSERT_EQ(insertions.size(), 1u);
    EXPECT_EQ(insertions[0].text, transcript);
    ASSERT_EQ(history.size(), 1u);
    EXPECT_NEAR(history[0].seconds, 1.2, 1e-9);
    EXPECT_EQ(controller->phase(), DictationPhase::failed(lost));
    EXPECT_EQ(controller->lastMessage(), lost);
    EXPECT_TRUE(panel.visible);
    scheduler.advance(2999ms);
    EXPECT_EQ(phase(), Kind::failed);
    scheduler.advance(1ms);
    EXPECT_EQ(phase(), Kind::idle);

    // The next dictation works as usual, and the note goes with the lost recording.
    holdDictation();
    finishTranscript(transcript);
    EXPECT_EQ(controller->phase(), DictationPhase::done(transcript));
    EXPECT_EQ(controller->lastMessage(), std::nullopt);
}

TEST_F(ControllerPipelineTest, AMicrophoneLostWithNothingToTranscribeSaysSo)
{
    const QString lost = QStringLiteral("麦克风已断开，录音已结束");
    struct Case {
        const char *name;
        double after; // seconds recorded before the loss
        bool speech;
        std::optional<QString> transcript; // none: the session is not even asked
    };
    const Case cases[] = {
        {"within the tap threshold", 0.2, true, std::nullopt},
        {"before any speech", 2.0, false, std::nullopt},
        {"speech the service did not recognise", 2.0, true, QStringLiteral("嗯")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        controller->handlePress(HotkeySlot::hold);
        if (c.speech)
            speak(c.after);
        else
            scheduler.advance(std::chrono::round<Scheduler::Duration>(std::chrono::duration<double>(c.after)));
        recorder.lose(lost);
        if (c.transcript) {
            EXPECT_EQ(phase(), Kind::transcribing);
            finishTranscript(*c.transcript);
        } else {
            EXPECT_FALSE(static_cast<bool>(session().finishDone));
            EXPECT_FALSE(session().alive);
        }
        EXPECT_EQ(controller->phase(), DictationPhase::failed(lost));
        EXPECT_TRUE(panel.visible);
        scheduler.advance(3s);
        EXPECT_EQ(phase(), Kind::idle);
    }
    EXPECT_TRUE(insertions.empty());
    EXPECT_TRUE(history.empty());
}

TEST_F(ControllerPipelineTest, ALossReportedAfterTheRecordingEndedIsIgnored)
{
    controller->handlePress(HotkeySlot::hold);
    speak();
    auto late = recorder.onLost;
    controller->handleRelease(HotkeySlot::hold);
    ASSERT_TRUE(late);
    late(QStringLiteral("麦克风已断开，录音已结束"));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(phase(), Kind::transcribing);
    finishTranscript(transcript);
    EXPECT_EQ(controller->phase(), DictationPhase::done(transcript));
}

TEST_F(ControllerPipelineTest, PolishUsesTheModelOrFallsBackWithANote)
{
    struct Case {
        const char *name;
        ChatResult reply;
        QString inserted;
        std::optional<QString> note;
    };
    const QString raw = QStringLiteral("嗯我们明天下午四点开会吧");
    const std::vector<Case> cases = {
        {"accepted", QStringLiteral("<transcript>我们明天下午四点开会。</transcript>"), transcript, std::nullopt},
        {"empty answer rejected", QStringLiteral("  "), raw, QStringLiteral("润色结果为空，已使用原文")},
        {"error", unexpected(serverError()), raw, serverError().description()},
    };
    settings.setPolishEnabled(true);
    settings.setPolishModel(QStringLiteral("qwen-flash"));
    frontmost.app = AppIdentity{QStringLiteral("com.apple.Terminal"), QStringLiteral("终端"), {}, {}, 0};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        chats.clear();
        insertions.clear();
        holdDictation();
        finishTranscript(raw);
        EXPECT_EQ(phase(), Kind::polishing);
        ASSERT_EQ(chats.size(), 1u);
        EXPECT_EQ(chats[0].request.model, QStringLiteral("qwen-flash"));
        EXPECT_EQ(chats[0].request.temperature, 0.1);
        EXPECT_EQ(chats[0].request.apiKey, QStringLiteral("sk-test"));
        EXPECT_EQ(chats[0].request.host, settings.normalizedHost());
        EXPECT_EQ(chats[0].request.messages.size(), 8);
        EXPECT_TRUE(chats[0].request.messages.last().content.contains(raw));
        answerChat(0, c.reply);
        ASSERT_EQ(insertions.size(), 1u);
        EXPECT_EQ(insertions[0].text, c.inserted);
        EXPECT_EQ(controller->lastMessage(), c.note);
        EXPECT_EQ(controller->phase(), DictationPhase::done(c.inserted));
    }
}

TEST_F(ControllerPipelineTest, HoldSendPressesReturnAQuarterSecondAfterThePaste)
{
    controller->handlePress(HotkeySlot::toggle);
    speak();
    controller->handlePress(HotkeySlot::holdSend);
    EXPECT_EQ(phase(), Kind::transcribing);
    finishTranscript(transcript);
    ASSERT_EQ(insertions.size(), 1u);
    scheduler.advance(249ms);
    EXPECT_EQ(returns, 0);
    scheduler.advance(1ms);
    EXPECT_EQ(returns, 1);

    // A plain dictation afterwards does not send.
    holdDictation();
    finishTranscript(transcript);
    scheduler.advance(1s);
    EXPECT_EQ(returns, 1);
}

TEST_F(ControllerPipelineTest, ReturnIsTimedFromTheKeystrokeNotFromTheCallThatPastes)
{
    // The paste waits half a second for the user to let go of modifier keys.
    pasteWaitsForModifiers = true;
    controller->handlePress(HotkeySlot::holdSend);
    speak();
    controller->handleRelease(HotkeySlot::holdSend);
    finishTranscript(transcript);
    scheduler.advance(500ms);
    EXPECT_EQ(returns, 0);
    ASSERT_EQ(pendingPastes.size(), 1u);
    pendingPastes[0]();
    scheduler.advance(249ms);
    EXPECT_EQ(returns, 0);
    scheduler.advance(1ms);
    EXPECT_EQ(returns, 1);
}

TEST_F(ControllerPipelineTest, SwitchesForSoundsAndClipboardRestore)
{
    struct Case {
        const char *name;
        bool playSounds;
        bool restoreClipboard;
        bool trusted;
        bool expectRestore;
    };
    const Case cases[] = {
        {"all on", true, true, true, true},
        {"sounds off", false, true, true, true},
        {"restore off", true, false, true, false},
        {"untrusted never restores", true, true, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        settings.setPlaySounds(c.playSounds);
        settings.setRestoreClipboard(c.restoreClipboard);
        permissions.accessibility = c.trusted;
        insertOutcome = c.trusted ? InsertOutcome::pasted : InsertOutcome::notTrusted;
        sounds.played.clear();
        insertions.clear();

        controller->handlePress(HotkeySlot::hold);
        controller->handleTranslateTap(scheduler.now());
        speak();
        controller->handleRelease(HotkeySlot::hold);
        finishTranscript(transcript);
        // Translation was tapped on: answer it so the dictation delivers.
        answerChat(chats.size() - 1, english);

        ASSERT_EQ(insertions.size(), 1u);
        EXPECT_EQ(insertions[0].restore, c.expectRestore);
        // Start, translate tap and stop each play a sound, or none of them does.
        EXPECT_EQ(sounds.played.size(), c.playSounds ? 3u : 0u);
        scheduler.advance(5s);
        EXPECT_EQ(phase(), Kind::idle);
    }
}

TEST_F(ControllerPipelineTest, TextThatCouldNotBePastedIsKeptAndTheUserToldWhereItIs)
{
    struct Case {
        const char *name;
        InsertOutcome outcome;
        bool trusted;
        QString message;
        int prompts; // only a missing permission is worth asking for
    };
    const Case cases[] = {
        {"not trusted", InsertOutcome::notTrusted, false,
            QStringLiteral("缺少辅助功能权限，文字已复制到剪贴板，请手动 Ctrl+V"), 1},
        {"clipboard refused", InsertOutcome::clipboardFailed, true,
            QStringLiteral("无法写入剪贴板，文字已保存在历史记录中"), 0},
        {"no way to paste", InsertOutcome::copiedOnly, true, QStringLiteral("已复制到剪贴板，请按 Ctrl+V 粘贴"), 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        history.clear();
        insertions.clear();
        permissions.accessibilityPrompts = 0;
        controller->handlePress(HotkeySlot::holdSend);
        speak();
        controller->handleRelease(HotkeySlot::holdSend);
        permissions.accessibility = c.trusted;
        insertOutcome = c.outcome;
        finishTranscript(transcript);

        ASSERT_EQ(insertions.size(), 1u);
        EXPECT_EQ(insertions[0].restore, c.trusted); // untrusted: the text must stay on the clipboard
        EXPECT_EQ(history.size(), 1u);
        EXPECT_EQ(controller->phase(), DictationPhase::failed(c.message));
        EXPECT_EQ(permissions.accessibilityPrompts, c.prompts);
        scheduler.advance(2999ms);
        EXPECT_EQ(phase(), Kind::failed);
        scheduler.advance(1ms);
        EXPECT_EQ(phase(), Kind::idle);
        EXPECT_EQ(returns, 0); // no Return into a window that got no text
    }
}

TEST_F(ControllerPipelineTest, EscapeInEveryBusyPhaseLeavesNoTrace)
{
    settings.setPolishEnabled(true);
    const std::vector<Kind> phases = {Kind::recording, Kind::transcribing, Kind::polishing};
    for (Kind at : phases) {
        SCOPED_TRACE(static_cast<int>(at));
        controller->handlePress(HotkeySlot::hold);
        speak();
        if (at != Kind::recording)
            controller->handleRelease(HotkeySlot::hold);
        if (at == Kind::polishing)
            finishTranscript(transcript);
        ASSERT_EQ(phase(), at);
        EXPECT_TRUE(controller->isBusy());

        controller->handleEscape();
        EXPECT_EQ(phase(), Kind::idle);
        EXPECT_FALSE(panel.visible);
        if (at == Kind::polishing)
            answerChat(chats.size() - 1, transcript); // arrives late
        scheduler.advance(5s);
    }
    EXPECT_TRUE(insertions.empty());
    EXPECT_TRUE(history.empty());
    EXPECT_EQ(phase(), Kind::idle);
}

TEST_F(ControllerPipelineTest, ALateTranscriptAfterEscapeIsIgnored)
{
    holdDictation();
    auto done = session().finishDone; // the service answers after the user gave up
    controller->handleEscape();
    done(transcript);
    done(unexpected(ASRError::server(QStringLiteral("late"))));
    EXPECT_EQ(phase(), Kind::idle);
    EXPECT_FALSE(panel.visible);
    EXPECT_TRUE(insertions.empty());
}

TEST_F(ControllerPipelineTest, AnAbandonedPipelineNeverPastesIntoTheNextDictation)
{
    settings.setPolishEnabled(true);
    holdDictation();
    finishTranscript(QStringLiteral("第一次口述的内容"));
    ASSERT_EQ(phase(), Kind::polishing);
    controller->handleEscape();

    // The next dictation is recording when the old model answer finally comes.
    controller->handlePress(HotkeySlot::toggle);
    speak();
    answerChat(0, QStringLiteral("第一次口述的内容。"));
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_TRUE(insertions.empty());
    EXPECT_TRUE(history.empty());

    // The new one completes normally and alone.
    controller->handlePress(HotkeySlot::toggle);
    finishTranscript(transcript);
    answerChat(1, QStringLiteral("我们明天下午四点开会。"));
    ASSERT_EQ(insertions.size(), 1u);
    EXPECT_EQ(insertions[0].text, transcript);
    EXPECT_EQ(history.size(), 1u);
}

TEST_F(ControllerPipelineTest, AnAbandonedTranslationSendsNoSecondAttempt)
{
    controller->handlePress(HotkeySlot::toggleTranslate);
    speak();
    controller->handlePress(HotkeySlot::toggle);
    finishTranscript(transcript);
    controller->handleEscape();
    answerChat(0, transcript); // rejected, but nobody wants a retry now
    EXPECT_EQ(chats.size(), 1u);
    EXPECT_TRUE(insertions.empty());
}

TEST_F(ControllerPipelineTest, ADoneResultStaysWhenANewDictationStarts)
{
    holdDictation();
    finishTranscript(transcript);
    scheduler.advance(300ms);
    controller->handlePress(HotkeySlot::hold);
    scheduler.advance(1s);
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_TRUE(panel.visible);
}

TEST_F(ControllerPipelineTest, ResultsOfADestroyedControllerAreDropped)
{
    settings.setPolishEnabled(true);
    holdDictation();
    auto done = session().finishDone;
    controller.reset();
    EXPECT_EQ(session().cancels, 1); // its connection does not linger
    done(transcript);
    EXPECT_TRUE(chats.empty());
    EXPECT_TRUE(insertions.empty());
}

} // namespace
} // namespace quillo::test
