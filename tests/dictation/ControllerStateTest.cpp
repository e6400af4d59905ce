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
    settings.setHoldHotkey(Hotkey{60, modifierFlag::shift, true});
    EXPECT_EQ(hotkeys.configurations.size(), 4u);
    EXPECT_EQ(hotkeys.configurations.back().toggle, std::nullopt);
    EXPECT_EQ(hotkeys.configurations.back().hold, (Hotkey{60, modifierFlag::shift, true}));
    EXPECT_EQ(controller->hud().toggleKeyName(), QStringLiteral("未设置"));
    EXPECT_EQ(controller->hud().translateKeyName(), QStringLiteral("Alt"));
    EXPECT_EQ(controller->hud().holdKeyName(), QStringLiteral("右 Shift"));

    // Every callback reaches the controller, and dies with it.
    hotkeys.callbacks.onPress(HotkeySlot::hold);
    EXPECT_EQ(phase(), Kind::recording);
    EXPECT_TRUE(hotkeys.callbacks.shouldInterceptEscape());
    hotkeys.callbacks.onTranslateTap(scheduler.now());
    EXPECT_EQ(controller->hud().translation(), TargetLanguage::english);
    speak();
    hotkeys.callbacks.onRelease(HotkeySlot::hold);
    EXPECT_EQ(phase(), Kind::transcribing);
    hotkeys.callbacks.onEscape();
    EXPECT_EQ(phase(), Kind::idle);
    hotkeys.callbacks.onPress(HotkeySlot::hold);
    hotkeys.callbacks.onOtherKeyWhileHolding();
    EXPECT_EQ(phase(), Kind::idle);
    controller.reset();
    hotkeys.callbacks.onPress(HotkeySlot::toggle);
    EXPECT_FALSE(hotkeys.callbacks.shouldInterceptEscape());
}

TEST_F(ControllerStateTest, StartingWiresSessionRecorderSoundTimerAndPanel)
{
    settings.setLanguage(QStringLiteral("yue"));
    controller->handlePress(HotkeySlot::hold);

    // The key read for this start and the language chosen since launch reach the session.
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(session().config.apiKey, QStringLiteral("sk-test"));
    EXPECT_EQ(session().config.language, QStringLiteral("yue"));
    EXPECT_EQ(session().connects, 1);
    EXPECT_TRUE(recorder.running);
    EXPECT_EQ(controller->hud().phase(), DictationPhase::recording());
    EXPECT_TRUE(panel.visible);
    ASSERT_EQ(sounds.played.size(), 1u);
    EXPECT_EQ(sounds.played[0].sound, Sound::tink);

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
    // Released, or Escape pressed, before the store answered: nothing starts, nothing shows.
    controller->handleRelease(HotkeySlot::hold);
    EXPECT_FALSE(controller->isStarting());
    controller->handlePress(HotkeySlot::toggle);
    controller->handleEscape();
    EXPECT_FALSE(controller->isStarting());
    for (auto &read : std::exchange(pendingKeyReads, {}))
        read();
    EXPECT_EQ(phase(), Kind::idle);
    EXPECT_TRUE(sessions.empty());
    EXPECT_FALSE(panel.visible);

    // Answered while still held: the recording starts.
    controller->handlePress(HotkeySlot::hold);
    pendingKeyReads.at(0)();
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
        const bool translating = c.pressed == HotkeySlot::toggleTranslate && c.phaseAfter == Kind::recording;
        EXPECT_EQ(controller->hud().translation(),
            translating ? std::optional(TargetLanguage::english) : std::optional<TargetLanguage>());
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

    // The send key pressed while transcribing sends nothing after this paste.
    finishTranscript(QStringLiteral("你好"));
    scheduler.advance(1s);
    EXPECT_EQ(returns, 0);

    struct Case {
        HotkeySlot slot;
        RecordingMode mode;
        bool translating;
        QString holdKey; // the key the panel says ends the recording
    };
    for (const Case &c : {Case{HotkeySlot::holdSend, RecordingMode::hold, false, QStringLiteral("右 Super")},
             Case{HotkeySlot::hold, RecordingMode::hold, false, QStringLiteral("右 Alt")},
             Case{HotkeySlot::toggle, RecordingMode::handsFree, false, QStringLiteral("右 Alt")},
             Case{HotkeySlot::toggleTranslate, RecordingMode::handsFree, true, QStringLiteral("右 Alt")}}) {
        controller->handleEscape();
        controller->handlePress(c.slot);
        EXPECT_EQ(phase(), Kind::recording);
        EXPECT_EQ(controller->hud().mode(), c.mode);
        EXPECT_EQ(controller->hud().translation().has_value(), c.translating);
        EXPECT_EQ(controller->hud().holdKeyName(), c.holdKey);
    }
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
        HotkeySlot start;
        std::chrono::milliseconds after;
        std::function<void(DictationController &)> act;
        Kind expected;
    };
    const auto otherKey = [](DictationController &c) { c.handleOtherKeyWhileHolding(); };
    const std::vector<Case> cases = {
        {"tap of 0.2 s", HotkeySlot::hold, 200ms, [](DictationController &c) { c.handleRelease(HotkeySlot::hold); },
            Kind::idle},
        {"hold of 0.35 s counts, if silent", HotkeySlot::hold, 350ms,
            [](DictationController &c) { c.handleRelease(HotkeySlot::hold); }, Kind::failed},
        {"other key at 0.5 s", HotkeySlot::hold, 500ms, otherKey, Kind::idle},
        {"other key at 1 s", HotkeySlot::hold, 1000ms, otherKey, Kind::recording},
        {"other key hands-free", HotkeySlot::toggle, 500ms, otherKey, Kind::recording},
        {"escape", HotkeySlot::hold, 2000ms, [](DictationController &c) { c.handleEscape(); }, Kind::idle},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        controller = std::make_unique<DictationController>(deps());
        controller->handlePress(c.start);
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
    controller->handleTranslateTap(started - 50ms);
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
        {"shift held, a hold combination without it", TranslateTrigger::shift, ctrlD, std::nullopt, modifierFlag::shift,
            true},
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

} // namespace
} // namespace quillo::test
