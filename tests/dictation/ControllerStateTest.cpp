#include "ControllerHarness.h"

namespace quillo::test {
namespace {

using Kind = DictationPhase::Kind;

class ControllerStateTest : public ControllerHarness { };

TEST_F(ControllerStateTest, BindingConfiguresTheManagerAndFollowsTheSettings)
{
    controller->bindHotkeys();
    ASSERT_EQ(hotkeys.configurations.size(), 1u);
    EXPECT_EQ(hotkeys.configurations[0].hold, defaultHoldHotkey);
    EXPECT_EQ(hotkeys.configurations[0].toggle, defaultToggleHotkey);
    EXPECT_EQ(hotkeys.configurations[0].holdSend, (Hotkey{54, modifierFlag::command, true}));
    EXPECT_EQ(hotkeys.configurations[0].trigger, TranslateTrigger::shift);

    settings.setToggleHotkey(std::nullopt);
    settings.setTranslateTrigger(TranslateTrigger::option);
    EXPECT_EQ(hotkeys.configurations.size(), 3u);
    EXPECT_EQ(hotkeys.configurations.back().toggle, std::nullopt);
    EXPECT_EQ(controller->hud().toggleKeyName(), QStringLiteral("未设置"));
    EXPECT_EQ(controller->hud().translateKeyName(), QStringLiteral("Alt"));
    EXPECT_EQ(controller->hud().holdKeyName(), QStringLiteral("右 Alt"));

    // The callbacks reach the controller, and die with it.
    hotkeys.callbacks.onPress(HotkeySlot::hold);
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_TRUE(hotkeys.callbacks.shouldInterceptEscape());
    controller.reset();
    hotkeys.callbacks.onPress(HotkeySlot::toggle);
    EXPECT_FALSE(hotkeys.callbacks.shouldInterceptEscape());
}

TEST_F(ControllerStateTest, StartingWiresSessionRecorderSoundTimerAndPanel)
{
    settings.setLanguage(QStringLiteral("yue"));
    controller->handlePress(HotkeySlot::hold);

    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(session().config.apiKey, QStringLiteral("sk-test"));
    EXPECT_EQ(session().config.host, settings.normalizedHost());
    EXPECT_EQ(session().config.model, settings.asrModel());
    EXPECT_EQ(session().config.language, QStringLiteral("yue"));
    EXPECT_EQ(session().connects, 1);
    EXPECT_TRUE(recorder.running);
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_EQ(controller->hud().phase(), DictationPhase::recording());
    EXPECT_TRUE(panel.visible);
    ASSERT_EQ(sounds.played.size(), 1u);
    EXPECT_EQ(sounds.played[0].sound, Sound::tink);
    EXPECT_FLOAT_EQ(sounds.played[0].volume, 0.35f);

    scheduler.advance(350ms);
    EXPECT_NEAR(controller->hud().elapsed(), 0.3, 1e-9);

    session().partial(QStringLiteral("我们明天"));
    EXPECT_EQ(controller->hud().partial(), QStringLiteral("我们明天"));
}

TEST_F(ControllerStateTest, RefusedStartsShowTheirMessageForTwoSeconds)
{
    struct Case {
        const char *name;
        std::function<void(ControllerStateTest &)> arrange;
        QString message;
    };
    const std::vector<Case> cases = {
        {"no key", [](ControllerStateTest &t) { t.apiKey.clear(); }, QStringLiteral("请先在设置中填写千问 API Key")},
        {"key store refuses", [](ControllerStateTest &t) { t.keyStoreFails = true; },
            QStringLiteral("无法读取系统钥匙串中的 API Key，请确认钥匙串已解锁")},
        {"key store does not answer in time", [](ControllerStateTest &t) { t.keyStoreSilent = true; },
            QStringLiteral("系统钥匙串没有响应，无法读取 API Key")},
        {"microphone never asked",
            [](ControllerStateTest &t) { t.permissions.microphone = MicrophoneAuthorization::notDetermined; },
            QStringLiteral("请允许麦克风权限后再试一次")},
        {"microphone denied",
            [](ControllerStateTest &t) { t.permissions.microphone = MicrophoneAuthorization::denied; },
            QStringLiteral("没有麦克风权限，请在系统设置中开启")},
        {"microphone restricted",
            [](ControllerStateTest &t) { t.permissions.microphone = MicrophoneAuthorization::restricted; },
            QStringLiteral("没有麦克风权限，请在系统设置中开启")},
        {"recorder fails",
            [](ControllerStateTest &t) { t.recorder.failure = QStringLiteral("没有可用的麦克风输入设备"); },
            QStringLiteral("没有可用的麦克风输入设备")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        apiKey = QStringLiteral("sk-test");
        keyStoreFails = false;
        keyStoreSilent = false;
        permissions.microphone = MicrophoneAuthorization::authorized;
        recorder.failure.reset();
        c.arrange(*this);

        controller->handlePress(HotkeySlot::hold);
        EXPECT_EQ(controller->phase(), DictationPhase::failed(c.message));
        EXPECT_TRUE(panel.visible);
        scheduler.advance(1999ms);
        EXPECT_EQ(phase(), Kind::failed);
        scheduler.advance(1ms);
        EXPECT_EQ(phase(), Kind::idle);
        EXPECT_FALSE(panel.visible);
    }
    EXPECT_EQ(permissions.microphoneRequests, 1);
    EXPECT_EQ(microphoneSettingsOpened, 2);
    // The recorder failure cancelled the session it had opened.
    EXPECT_EQ(sessions.back()->cancels, 1);
    EXPECT_TRUE(history.empty());
}

TEST_F(ControllerStateTest, TheKeyIsReadFreshAtEveryStart)
{
    // Stored after the program started (quillo --import-env from a terminal): the next press uses it.
    apiKey.clear();
    controller->handlePress(HotkeySlot::hold);
    EXPECT_EQ(controller->phase(), DictationPhase::failed(QStringLiteral("请先在设置中填写千问 API Key")));
    apiKey = QStringLiteral("sk-imported");
    scheduler.advance(2s);
    controller->handlePress(HotkeySlot::hold);
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_EQ(session().config.apiKey, QStringLiteral("sk-imported"));
    controller->handleEscape();
    // Removed again: refused again.
    apiKey.clear();
    controller->handlePress(HotkeySlot::hold);
    EXPECT_EQ(phase(), Kind::failed);
}

TEST_F(ControllerStateTest, AStartWaitsForTheKeyAndEndsWithTheKeyRelease)
{
    holdKeyReads = true;
    controller->handlePress(HotkeySlot::hold);
    EXPECT_TRUE(controller->isStarting());
    EXPECT_EQ(phase(), Kind::idle);
    EXPECT_TRUE(sessions.empty());
    // Released before the store answered: nothing starts, nothing shows.
    controller->handleRelease(HotkeySlot::hold);
    EXPECT_FALSE(controller->isStarting());
    pendingKeyReads.at(0)();
    EXPECT_EQ(phase(), Kind::idle);
    EXPECT_TRUE(sessions.empty());
    EXPECT_FALSE(panel.visible);

    // Answered while still held: the recording starts.
    controller->handlePress(HotkeySlot::hold);
    pendingKeyReads.at(1)();
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_FALSE(controller->isStarting());
}

TEST_F(ControllerStateTest, ACommandStopWhileTheStartWaitsForItsKeyDropsBoth)
{
    holdKeyReads = true;
    EXPECT_TRUE(controller->startFromCommand());
    EXPECT_TRUE(controller->stopFromCommand());
    pendingKeyReads.at(0)();
    EXPECT_EQ(phase(), Kind::idle);
    EXPECT_TRUE(sessions.empty());
    // A started command recording names no key of ours in its hint.
    holdKeyReads = false;
    controller->startFromCommand();
    EXPECT_EQ(controller->hud().holdKeyName(), QStringLiteral("快捷键"));
}

TEST_F(ControllerStateTest, AKeyStoreThatNeverAnswersEndsTheStartWithAMessage)
{
    holdKeyReads = true;
    controller->handlePress(HotkeySlot::toggle);
    scheduler.advance(4999ms);
    EXPECT_EQ(phase(), Kind::idle);
    scheduler.advance(1ms);
    EXPECT_EQ(controller->phase(), DictationPhase::failed(QStringLiteral("系统钥匙串没有响应，无法读取 API Key")));
    // Its late answer starts nothing.
    pendingKeyReads.at(0)();
    EXPECT_EQ(phase(), Kind::failed);
    EXPECT_TRUE(sessions.empty());
}

TEST_F(ControllerStateTest, PressTableWhileRecording)
{
    struct Case {
        const char *name;
        RecordingMode mode;
        bool holdDown;
        HotkeySlot pressed;
        Kind phaseAfter;
        RecordingMode modeAfter;
    };
    const std::vector<Case> cases = {
        {"hold in hold mode", RecordingMode::hold, true, HotkeySlot::hold, Kind::recording, RecordingMode::hold},
        {"hold hands-free", RecordingMode::handsFree, false, HotkeySlot::hold, Kind::transcribing,
            RecordingMode::handsFree},
        {"toggle hands-free", RecordingMode::handsFree, false, HotkeySlot::toggle, Kind::transcribing,
            RecordingMode::handsFree},
        {"toggle while hold key down", RecordingMode::hold, true, HotkeySlot::toggle, Kind::recording,
            RecordingMode::handsFree},
        {"toggle after hold key up", RecordingMode::hold, false, HotkeySlot::toggle, Kind::transcribing,
            RecordingMode::hold},
        {"translate while hold key down", RecordingMode::hold, true, HotkeySlot::toggleTranslate, Kind::recording,
            RecordingMode::handsFree},
        {"translate hands-free", RecordingMode::handsFree, false, HotkeySlot::toggleTranslate, Kind::transcribing,
            RecordingMode::handsFree},
        {"send in hold mode", RecordingMode::hold, true, HotkeySlot::holdSend, Kind::recording, RecordingMode::hold},
        {"send hands-free", RecordingMode::handsFree, false, HotkeySlot::holdSend, Kind::transcribing,
            RecordingMode::handsFree},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        controller = std::make_unique<DictationController>(deps());
        hotkeys.held.clear();
        if (c.holdDown)
            hotkeys.held.insert(HotkeySlot::hold);
        controller->handlePress(c.mode == RecordingMode::hold ? HotkeySlot::hold : HotkeySlot::toggle);
        speak();

        controller->handlePress(c.pressed);
        EXPECT_EQ(phase(), c.phaseAfter);
        EXPECT_EQ(controller->hud().mode(), c.modeAfter);
        if (c.pressed == HotkeySlot::toggleTranslate && c.phaseAfter == Kind::recording) {
            EXPECT_EQ(controller->hud().translation(), TargetLanguage::english);
        }
    }
}

TEST_F(ControllerStateTest, PressesDuringProcessingAreIgnoredAndFreePhasesStart)
{
    holdDictation();
    ASSERT_EQ(phase(), Kind::transcribing);
    for (HotkeySlot slot : {HotkeySlot::hold, HotkeySlot::toggle, HotkeySlot::toggleTranslate, HotkeySlot::holdSend})
        controller->handlePress(slot);
    controller->toggleFromMenu();
    EXPECT_EQ(phase(), Kind::transcribing);
    EXPECT_EQ(sessions.size(), 1u);

    struct Case {
        HotkeySlot slot;
        RecordingMode mode;
        bool translating;
    };
    for (const Case &c :
        {Case{HotkeySlot::hold, RecordingMode::hold, false}, Case{HotkeySlot::toggle, RecordingMode::handsFree, false},
            Case{HotkeySlot::toggleTranslate, RecordingMode::handsFree, true},
            Case{HotkeySlot::holdSend, RecordingMode::hold, false}}) {
        controller->handleEscape();
        controller->handlePress(c.slot);
        EXPECT_EQ(phase(), Kind::recording);
        EXPECT_EQ(controller->hud().mode(), c.mode);
        EXPECT_EQ(controller->hud().translation().has_value(), c.translating);
    }
    EXPECT_EQ(controller->hud().holdKeyName(), QStringLiteral("右 Super"));
}

TEST_F(ControllerStateTest, HoldTurnedHandsFreeIgnoresTheReleaseAndStopsOnTheNextToggle)
{
    hotkeys.held.insert(HotkeySlot::hold);
    controller->handlePress(HotkeySlot::hold);
    speak();
    controller->handlePress(HotkeySlot::toggle);
    hotkeys.held.clear();
    controller->handleRelease(HotkeySlot::hold);
    EXPECT_EQ(phase(), Kind::recording);
    controller->handlePress(HotkeySlot::toggle);
    EXPECT_EQ(phase(), Kind::transcribing);
}

TEST_F(ControllerStateTest, OnlyTheReleaseOfTheHoldSlotStopsAHoldRecording)
{
    controller->handlePress(HotkeySlot::holdSend);
    speak();
    controller->handleRelease(HotkeySlot::hold);
    EXPECT_EQ(phase(), Kind::recording);
    controller->handleRelease(HotkeySlot::holdSend);
    EXPECT_EQ(phase(), Kind::transcribing);
}

TEST_F(ControllerStateTest, ShortTapsOtherKeysAndEscapeEndSilently)
{
    struct Case {
        const char *name;
        std::chrono::milliseconds after;
        std::function<void(DictationController &)> act;
        Kind expected;
    };
    const std::vector<Case> cases = {
        {"tap of 0.2 s", 200ms, [](DictationController &c) { c.handleRelease(HotkeySlot::hold); }, Kind::idle},
        {"other key at 0.5 s", 500ms, [](DictationController &c) { c.handleOtherKeyWhileHolding(); }, Kind::idle},
        {"other key at 1.5 s", 1500ms, [](DictationController &c) { c.handleOtherKeyWhileHolding(); }, Kind::recording},
        {"escape", 2000ms, [](DictationController &c) { c.handleEscape(); }, Kind::idle},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        controller = std::make_unique<DictationController>(deps());
        controller->handlePress(HotkeySlot::hold);
        recorder.deliver(chunk(0.6f), 0.6f);
        scheduler.advance(c.after);
        c.act(*controller);
        EXPECT_EQ(phase(), c.expected);
        if (c.expected == Kind::idle) {
            EXPECT_FALSE(panel.visible);
            EXPECT_FALSE(recorder.running);
            EXPECT_EQ(session().cancels, 1);
            EXPECT_EQ(sounds.played.back().sound, Sound::tink); // no end sound
        }
    }
    EXPECT_TRUE(history.empty());
    EXPECT_TRUE(insertions.empty());
}

TEST_F(ControllerStateTest, SilenceEndsWithoutWaitingForATranscript)
{
    controller->handlePress(HotkeySlot::hold);
    for (int i = 0; i < 20; ++i)
        recorder.deliver(chunk(0.1f), 0.1f);
    scheduler.advance(2s);
    controller->handleRelease(HotkeySlot::hold);

    EXPECT_EQ(controller->phase(), DictationPhase::failed(QStringLiteral("没有听到说话声")));
    EXPECT_FALSE(session().finishDone);
    EXPECT_EQ(session().cancels, 1);
    EXPECT_TRUE(session().sent.isEmpty());
    scheduler.advance(1200ms);
    EXPECT_EQ(phase(), Kind::idle);
    EXPECT_TRUE(history.empty());
}

TEST_F(ControllerStateTest, GatedAudioReachesTheSessionAndLevelsTheWaveform)
{
    controller->handlePress(HotkeySlot::hold);
    recorder.deliver(chunk(0.1f, 1000), 0.1f);
    recorder.deliver(chunk(0.5f, 1000), 0.5f);
    recorder.deliver(chunk(0.5f, 1000), 0.5f);
    EXPECT_TRUE(session().sent.isEmpty());
    recorder.deliver(chunk(0.5f, 1000), 0.5f);
    EXPECT_EQ(session().sent.size(), 4); // the pre-roll, oldest first
    recorder.deliver(chunk(0.0f, 1000), 0.0f);
    EXPECT_EQ(session().sent.size(), 5);
    EXPECT_EQ(controller->hud().levels().last(), 0.0f);
    EXPECT_EQ(controller->hud().levels()[22], 0.5f);

    // A chunk that was on its way when the recording stopped is dropped.
    auto late = recorder.onChunk;
    scheduler.advance(1s);
    controller->handleRelease(HotkeySlot::hold);
    late(chunk(0.5f, 1000), 0.5f);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(session().sent.size(), 5);
}

TEST_F(ControllerStateTest, AChunkFromAnEarlierRecordingNeverReachesTheNextOne)
{
    controller->handlePress(HotkeySlot::hold);
    auto old = recorder.onChunk;
    scheduler.advance(100ms);
    controller->handleRelease(HotkeySlot::hold); // tap: dropped
    controller->handlePress(HotkeySlot::hold);
    for (int i = 0; i < 3; ++i)
        old(chunk(0.6f), 0.6f);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(sessions.back()->sent.isEmpty());
    EXPECT_EQ(controller->hud().levels(), QList<float>(24, 0.0f));
}

TEST_F(ControllerStateTest, APartialFromAnAbandonedSessionStaysOffTheNextPanel)
{
    controller->handlePress(HotkeySlot::hold);
    auto oldPartial = session().partial;
    controller->handleEscape();
    controller->handlePress(HotkeySlot::toggle);
    oldPartial(QStringLiteral("旧的"));
    EXPECT_TRUE(controller->hud().partial().isEmpty());
    session().partial(QStringLiteral("新的"));
    EXPECT_EQ(controller->hud().partial(), QStringLiteral("新的"));
}

TEST_F(ControllerStateTest, ChunksPostedToADestroyedControllerAreDropped)
{
    controller->handlePress(HotkeySlot::hold);
    auto callback = recorder.onChunk;
    callback(chunk(0.6f), 0.6f);
    controller.reset();
    QCoreApplication::sendPostedEvents(); // must not touch the destroyed controller
    EXPECT_FALSE(recorder.running);
}

TEST_F(ControllerStateTest, TranslateTapsCycleThroughTheLanguages)
{
    settings.setTranslateTarget(TargetLanguage::japanese);
    controller->handleTranslateTap(scheduler.now()); // not recording: ignored
    controller->handlePress(HotkeySlot::hold);
    const auto started = scheduler.now();
    const std::vector<std::optional<TargetLanguage>> expected = {TargetLanguage::japanese, TargetLanguage::english,
        TargetLanguage::vietnamese, std::nullopt, TargetLanguage::japanese};
    for (const auto &language : expected) {
        controller->handleTranslateTap(started + 10ms);
        EXPECT_EQ(controller->hud().translation(), language);
    }
    EXPECT_EQ(sounds.played.back().sound, Sound::morse);
    EXPECT_EQ(sounds.played.size(), 1u + expected.size());
}

TEST_F(ControllerStateTest, ATapJustBeforeTheStartCountsAnEarlierOneDoesNot)
{
    controller->handlePress(HotkeySlot::hold);
    const auto started = scheduler.now();
    controller->handleTranslateTap(started - 80ms);
    EXPECT_EQ(controller->hud().translation(), std::nullopt);
    controller->handleTranslateTap(started - 30ms);
    EXPECT_EQ(controller->hud().translation(), TargetLanguage::english);
}

TEST_F(ControllerStateTest, HoldingTheTriggerAtStartTranslatesUnlessItIsPartOfAHotkey)
{
    struct Case {
        const char *name;
        TranslateTrigger trigger;
        std::optional<Hotkey> hold;
        std::optional<Hotkey> toggle;
        std::uint64_t held;
        bool translating;
    };
    const Hotkey rightShift{60, modifierFlag::shift, true};
    const Hotkey shiftSpace{49, modifierFlag::shift, false};
    const Hotkey ctrlD{2, modifierFlag::control, false};
    const std::vector<Case> cases = {
        {"shift held, default keys", TranslateTrigger::shift, defaultHoldHotkey, defaultToggleHotkey,
            modifierFlag::shift, true},
        {"nothing held", TranslateTrigger::shift, defaultHoldHotkey, defaultToggleHotkey, 0, false},
        {"other modifier held", TranslateTrigger::shift, defaultHoldHotkey, defaultToggleHotkey, modifierFlag::control,
            false},
        {"option trigger is the hold key", TranslateTrigger::option, defaultHoldHotkey, std::nullopt,
            modifierFlag::option, false},
        {"shift trigger is the right shift hold key", TranslateTrigger::shift, rightShift, std::nullopt,
            modifierFlag::shift, false},
        {"hold combination holds it", TranslateTrigger::control, ctrlD, std::nullopt, modifierFlag::control, false},
        {"toggle combination holds it", TranslateTrigger::shift, defaultHoldHotkey, shiftSpace, modifierFlag::shift,
            false},
        {"no hotkeys at all", TranslateTrigger::option, std::nullopt, std::nullopt, modifierFlag::option, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        settings.setTranslateTrigger(c.trigger);
        settings.setHoldHotkey(c.hold);
        settings.setToggleHotkey(c.toggle);
        hotkeys.modifiers = c.held;
        controller = std::make_unique<DictationController>(deps());
        controller->handlePress(HotkeySlot::hold);
        EXPECT_EQ(controller->hud().translation().has_value(), c.translating);
    }
}

TEST_F(ControllerStateTest, StartInstallsTheManagerOnlyWhenTrustAppearedSinceLaunch)
{
    struct Case {
        bool suspended, tap, trusted;
        int installs;
    };
    for (const Case &c : {Case{false, false, true, 1}, Case{true, false, true, 0}, Case{false, true, true, 0},
             Case{false, false, false, 0}}) {
        hotkeys.installs = 0;
        hotkeys.suspended = c.suspended;
        hotkeys.tap = c.tap;
        permissions.accessibility = c.trusted;
        controller = std::make_unique<DictationController>(deps());
        controller->handlePress(HotkeySlot::toggle);
        EXPECT_EQ(hotkeys.installs, c.installs);
    }
}

TEST_F(ControllerStateTest, MenuItemStartsHandsFreeAndStops)
{
    controller->toggleFromMenu();
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_EQ(controller->hud().mode(), RecordingMode::handsFree);
    speak();
    controller->toggleFromMenu();
    EXPECT_EQ(phase(), Kind::transcribing);
    ASSERT_EQ(sounds.played.size(), 2u);
    EXPECT_EQ(sounds.played[1].sound, Sound::pop);
}

// The actions a desktop key binding sends through `quillo --start` and friends.
class ControllerCommandTest : public ControllerHarness {
protected:
    enum class Command { start, stop, toggle, cancel, translate };

    bool run(Command command)
    {
        switch (command) {
        case Command::start:
            return controller->startFromCommand();
        case Command::stop:
            return controller->stopFromCommand();
        case Command::toggle:
            return controller->toggleFromCommand();
        case Command::cancel:
            return controller->cancelFromCommand();
        case Command::translate:
            return controller->translateFromCommand();
        }
        return false;
    }
};

TEST_F(ControllerCommandTest, StartRecordsInHoldModeUntilStop)
{
    EXPECT_TRUE(controller->startFromCommand());
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_EQ(controller->hud().mode(), RecordingMode::hold);
    EXPECT_EQ(controller->hud().translation(), std::nullopt);
    EXPECT_EQ(controller->hud().holdKeyName(), QStringLiteral("快捷键"));
    speak();

    // A repeated start (key repeat of the binding) and a stray release of the hold key change nothing.
    EXPECT_FALSE(controller->startFromCommand());
    controller->handleRelease(HotkeySlot::hold);
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_EQ(sessions.size(), 1u);

    EXPECT_TRUE(controller->stopFromCommand());
    EXPECT_EQ(phase(), Kind::transcribing);
    finishTranscript(QStringLiteral("我们明天开会。"));
    ASSERT_EQ(insertions.size(), 1u);
    EXPECT_EQ(insertions[0].text, QStringLiteral("我们明天开会"));
    EXPECT_EQ(returns, 0);
}

TEST_F(ControllerCommandTest, AStopThatOvertookItsStartDropsThePairLikeATap)
{
    struct Case {
        const char *name;
        std::chrono::milliseconds gap;
        Kind after;
    };
    for (const Case &c : {Case{"overtaken", 100ms, Kind::idle}, Case{"a later start", 400ms, Kind::recording}}) {
        SCOPED_TRACE(c.name);
        controller = std::make_unique<DictationController>(deps());
        EXPECT_FALSE(controller->stopFromCommand());
        scheduler.advance(c.gap);
        EXPECT_EQ(controller->startFromCommand(), c.after == Kind::recording);
        EXPECT_EQ(phase(), c.after);
    }
    // The next press records again at once.
    controller = std::make_unique<DictationController>(deps());
    controller->stopFromCommand();
    EXPECT_FALSE(controller->startFromCommand());
    EXPECT_TRUE(controller->startFromCommand());
    EXPECT_EQ(phase(), Kind::recording);
}

TEST_F(ControllerCommandTest, EachCommandActsOnlyWhereItsKeyWould)
{
    struct Phase {
        const char *name;
        std::function<void(ControllerCommandTest &)> arrange;
    };
    const std::vector<Phase> phases = {
        {"idle", [](ControllerCommandTest &) {}},
        {"hold recording",
            [](ControllerCommandTest &t) {
                t.controller->handlePress(HotkeySlot::hold);
                t.speak();
            }},
        {"transcribing", [](ControllerCommandTest &t) { t.holdDictation(); }},
        {"done",
            [](ControllerCommandTest &t) {
                t.holdDictation();
                t.finishTranscript(QStringLiteral("你好"));
            }},
    };
    struct Expect {
        bool taken;
        Kind after;
    };
    // One row per phase above; columns: start, stop, toggle, cancel, translate.
    const std::vector<std::vector<Expect>> table = {
        {{true, Kind::recording}, {false, Kind::idle}, {true, Kind::recording}, {false, Kind::idle},
            {true, Kind::recording}},
        {{false, Kind::recording}, {true, Kind::transcribing}, {true, Kind::transcribing}, {true, Kind::idle},
            {true, Kind::recording}},
        {{false, Kind::transcribing}, {false, Kind::transcribing}, {false, Kind::transcribing}, {true, Kind::idle},
            {false, Kind::transcribing}},
        {{true, Kind::recording}, {false, Kind::done}, {true, Kind::recording}, {false, Kind::done},
            {true, Kind::recording}},
    };
    const std::vector<std::pair<const char *, Command>> commands = {{"start", Command::start}, {"stop", Command::stop},
        {"toggle", Command::toggle}, {"cancel", Command::cancel}, {"translate", Command::translate}};
    for (std::size_t p = 0; p < phases.size(); ++p) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            SCOPED_TRACE(std::string(phases[p].name) + " / " + commands[c].first);
            controller = std::make_unique<DictationController>(deps());
            phases[p].arrange(*this);
            const std::size_t sessionsBefore = sessions.size();
            EXPECT_EQ(run(commands[c].second), table[p][c].taken);
            EXPECT_EQ(phase(), table[p][c].after);
            const bool started = table[p][c].after == Kind::recording && sessions.size() > sessionsBefore;
            if (started) {
                EXPECT_EQ(controller->hud().mode(),
                    commands[c].second == Command::start ? RecordingMode::hold : RecordingMode::handsFree);
                EXPECT_EQ(controller->hud().translation().has_value(), commands[c].second == Command::translate);
            }
        }
    }
}

TEST_F(ControllerCommandTest, TranslateCyclesDuringARecordingLikeATriggerTap)
{
    settings.setTranslateTarget(TargetLanguage::japanese);
    controller->startFromCommand();
    const std::vector<std::optional<TargetLanguage>> expected
        = {TargetLanguage::japanese, TargetLanguage::english, TargetLanguage::vietnamese, std::nullopt};
    for (const auto &language : expected) {
        EXPECT_TRUE(controller->translateFromCommand());
        EXPECT_EQ(controller->hud().translation(), language);
        EXPECT_EQ(sounds.played.back().sound, Sound::morse);
    }
    EXPECT_EQ(controller->hud().mode(), RecordingMode::hold);
}

TEST_F(ControllerCommandTest, TranslateWhenFreeStartsAHandsFreeTranslationThatToggleEnds)
{
    settings.setTranslateTarget(TargetLanguage::vietnamese);
    EXPECT_TRUE(controller->translateFromCommand());
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_EQ(controller->hud().mode(), RecordingMode::handsFree);
    EXPECT_EQ(controller->hud().translation(), TargetLanguage::vietnamese);
    speak();
    controller->handleRelease(HotkeySlot::hold);
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_TRUE(controller->toggleFromCommand());
    EXPECT_EQ(phase(), Kind::transcribing);
}

TEST_F(ControllerCommandTest, CancelWhileTranscribingDropsTheLateTranscript)
{
    controller->startFromCommand();
    speak();
    controller->stopFromCommand();
    auto late = session().finishDone;
    EXPECT_TRUE(controller->cancelFromCommand());
    EXPECT_EQ(phase(), Kind::idle);
    EXPECT_FALSE(panel.visible);
    EXPECT_EQ(session().cancels, 1);
    if (late)
        late(QStringLiteral("迟到的文字"));
    EXPECT_TRUE(insertions.empty());
    EXPECT_TRUE(history.empty());
}

} // namespace
} // namespace quillo::test
