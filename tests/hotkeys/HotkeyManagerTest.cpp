#include "hotkeys/HotkeyManager.h"
#include "platform/fake/FakeKeyboardSource.h"
#include "platform/fake/ManualScheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace quillo;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr std::uint16_t rightOption = 61, leftOption = 58, leftShift = 56, rightShift = 60, rightCommand = 54,
                        leftCommand = 55, space = 49, keyA = 0, escape = 53;
constexpr TriggerModifier shiftTrigger{modifierFlag::shift, 56, 60};
constexpr TriggerModifier optionTrigger{modifierFlag::option, 58, 61};
constexpr TriggerModifier commandTrigger{modifierFlag::command, 55, 54};
constexpr Hotkey holdSendHotkey{rightCommand, modifierFlag::command, true};

std::string name(HotkeySlot slot)
{
    return slotName(slot).toStdString();
}

class HotkeyManagerTest : public ::testing::Test {
protected:
    HotkeyManagerTest()
    {
        manager.onPress = [this](HotkeySlot s) { events.push_back("press " + name(s)); };
        manager.onRelease = [this](HotkeySlot s) { events.push_back("release " + name(s)); };
        manager.onOtherKeyWhileHolding = [this] { events.push_back("other"); };
        manager.onEscape = [this] { events.push_back("escape"); };
        manager.shouldInterceptEscape = [this] { return busy; };
        manager.onTranslateTap = [this](HotkeyManager::TimePoint t) {
            events.push_back("translate");
            tapTimes.push_back(t);
        };
        manager.debugLog = [this](const QString &line) { log.push_back(line.toStdString()); };
    }

    void configureDefaults(TriggerModifier trigger = shiftTrigger)
    {
        manager.configure(defaultHoldHotkey, defaultToggleHotkey, holdSendHotkey, trigger);
    }

    ManualScheduler scheduler;
    FakeKeyboardSource source;
    HotkeyManager manager{source, scheduler};
    std::vector<std::string> events;
    std::vector<std::string> log;
    std::vector<HotkeyManager::TimePoint> tapTimes;
    bool busy = false;
};

TEST_F(HotkeyManagerTest, RightOptionHoldGivesOnePressAndOneRelease)
{
    configureDefaults();
    source.modifierDown(rightOption);
    source.modifierDown(leftCommand); // more flags-changed with Option still set
    source.modifierUp(leftCommand);
    EXPECT_TRUE(manager.heldModifierSlots().contains(HotkeySlot::hold));
    source.modifierUp(rightOption);
    EXPECT_THAT(events, ElementsAre("press hold", "release hold"));
    EXPECT_THAT(manager.heldModifierSlots(), IsEmpty());
}

TEST_F(HotkeyManagerTest, LeftOptionDoesNothingAndRightOptionEventsAreSwallowed)
{
    configureDefaults();
    source.modifierDown(leftOption);
    source.modifierUp(leftOption);
    EXPECT_THAT(events, IsEmpty());

    const KeyEvent right{KeyEvent::Type::flagsChanged, rightOption, modifierFlag::option};
    const KeyEvent left{KeyEvent::Type::flagsChanged, leftOption, modifierFlag::option};
    EXPECT_EQ(manager.handleTapEvent(right), HotkeyManager::Verdict::swallow);
    EXPECT_EQ(manager.handleTapEvent(left), HotkeyManager::Verdict::pass);
}

TEST_F(HotkeyManagerTest, ToggleTappedWhileHoldingContinuesHandsFree)
{
    configureDefaults();
    source.modifierDown(rightOption);
    EXPECT_TRUE(source.takenKeys().contains(space)) << "Space must not reach the application";

    EXPECT_EQ(manager.handleTapEvent({KeyEvent::Type::keyDown, space, modifierFlag::option}),
        HotkeyManager::Verdict::swallow);
    EXPECT_EQ(manager.handleTapEvent({KeyEvent::Type::keyDown, space, modifierFlag::option, true}),
        HotkeyManager::Verdict::swallow);
    // The system hot key of the same keystroke arrives just after.
    source.systemHotKey(rawValue(HotkeySlot::toggle), true);
    scheduler.advance(100ms);
    source.systemHotKey(rawValue(HotkeySlot::toggle), false);
    EXPECT_EQ(
        manager.handleTapEvent({KeyEvent::Type::keyUp, space, modifierFlag::option}), HotkeyManager::Verdict::swallow);
    EXPECT_EQ(
        manager.handleTapEvent({KeyEvent::Type::keyUp, space, modifierFlag::option}), HotkeyManager::Verdict::pass);
    source.modifierUp(rightOption);
    EXPECT_THAT(events, ElementsAre("press hold", "press toggle", "release hold"));
    EXPECT_FALSE(source.takenKeys().contains(space));
}

TEST_F(HotkeyManagerTest, SystemHotKeyAfterDedupWindowCounts)
{
    configureDefaults();
    source.modifierDown(rightOption);
    source.keyDown(space);
    scheduler.advance(400ms);
    source.systemHotKey(rawValue(HotkeySlot::toggle), true);
    EXPECT_THAT(events, ElementsAre("press hold", "press toggle", "press toggle"));
}

TEST_F(HotkeyManagerTest, HoldSystemHotKeyIsNeverDeduplicated)
{
    manager.configure(Hotkey{space, modifierFlag::control, false}, std::nullopt, std::nullopt, shiftTrigger);
    manager.handleSystemHotKey(HotkeySlot::hold, true);
    manager.handleSystemHotKey(HotkeySlot::hold, true); // key repeat
    manager.handleSystemHotKey(HotkeySlot::hold, false);
    EXPECT_THAT(events, ElementsAre("press hold", "release hold"));
}

TEST_F(HotkeyManagerTest, ReleaseOfNeverPressedComboStillReleases)
{
    configureDefaults();
    source.systemHotKey(rawValue(HotkeySlot::toggle), false);
    EXPECT_THAT(events, ElementsAre("release toggle"));
}

TEST_F(HotkeyManagerTest, SystemHotKeyIdsOutsideTheSlotsAreNotHandled)
{
    configureDefaults();
    EXPECT_FALSE(manager.handleSystemHotKeyId(0, true));
    EXPECT_FALSE(manager.handleSystemHotKeyId(5, true));
    EXPECT_TRUE(manager.handleSystemHotKeyId(3, true));
    EXPECT_THAT(events, ElementsAre("press toggleTranslate"));
}

struct TapCase {
    const char *label;
    std::chrono::milliseconds held;
    bool withKeyInBetween;
    int expectedTaps;
};

class TranslateTapTest : public HotkeyManagerTest, public ::testing::WithParamInterface<TapCase> { };

TEST_P(TranslateTapTest, TapOfTheTriggerModifier)
{
    const TapCase &c = GetParam();
    configureDefaults();
    source.modifierDown(leftShift);
    const auto down = scheduler.now();
    if (c.withKeyInBetween)
        source.keyDown(keyA);
    scheduler.advance(c.held);
    source.modifierUp(leftShift);
    EXPECT_EQ(static_cast<int>(tapTimes.size()), c.expectedTaps) << c.label;
    if (c.expectedTaps == 1) {
        EXPECT_EQ(tapTimes.front(), down);
    }
    EXPECT_FALSE(manager.pendingTranslate().has_value());
}

INSTANTIATE_TEST_SUITE_P(Cases, TranslateTapTest,
    ::testing::Values(TapCase{"quick tap", 200ms, false, 1}, TapCase{"just under the limit", 799ms, false, 1},
        TapCase{"at the limit", 800ms, false, 0}, TapCase{"long hold", 2s, false, 0},
        TapCase{"Shift+A typed", 100ms, true, 0}));

TEST_F(HotkeyManagerTest, TriggerKeyThatIsTheHoldKeyNeverTaps)
{
    configureDefaults(optionTrigger);
    source.modifierDown(rightOption);
    source.modifierUp(rightOption);
    source.modifierDown(leftOption);
    source.modifierUp(leftOption);
    EXPECT_THAT(events, ElementsAre("press hold", "release hold", "translate"));
}

TEST_F(HotkeyManagerTest, TapOfTheOtherTriggerKeyDoesNotFinishAPendingTap)
{
    configureDefaults();
    source.modifierDown(leftShift);
    source.modifierUp(rightShift); // a stray up of the other side
    EXPECT_TRUE(manager.pendingTranslate().has_value());
}

struct EscapeCase {
    const char *label;
    bool busy;
    bool holding;
    bool escapeHandlerSet;
    HotkeyManager::Verdict verdict;
    std::vector<std::string> events;
};

class EscapeTest : public HotkeyManagerTest, public ::testing::WithParamInterface<EscapeCase> { };

TEST_P(EscapeTest, EscapeKeyDown)
{
    const EscapeCase &c = GetParam();
    configureDefaults();
    busy = c.busy;
    if (!c.escapeHandlerSet)
        manager.onEscape = nullptr;
    if (c.holding)
        source.modifierDown(rightOption);
    EXPECT_EQ(manager.handleTapEvent({KeyEvent::Type::keyDown, escape, 0}), c.verdict) << c.label;
    EXPECT_EQ(events, c.events) << c.label;
}

INSTANTIATE_TEST_SUITE_P(Cases, EscapeTest,
    ::testing::Values(EscapeCase{"busy", true, false, true, HotkeyManager::Verdict::swallow, {"escape"}},
        EscapeCase{"busy without handler", true, false, false, HotkeyManager::Verdict::swallow, {}},
        EscapeCase{"busy while holding", true, true, true, HotkeyManager::Verdict::swallow, {"press hold", "escape"}},
        EscapeCase{"idle", false, false, true, HotkeyManager::Verdict::pass, {}},
        EscapeCase{"idle while holding", false, true, true, HotkeyManager::Verdict::pass, {"press hold", "other"}}));

TEST_F(HotkeyManagerTest, EscapeIsTakenOnlyWhileBusy)
{
    configureDefaults();
    EXPECT_FALSE(source.takenKeys().contains(escape));
    busy = true;
    manager.refreshEscapeInterception();
    EXPECT_TRUE(source.takenKeys().contains(escape));
    busy = false;
    manager.refreshEscapeInterception();
    EXPECT_FALSE(source.takenKeys().contains(escape));
    busy = true;
    manager.uninstall();
    manager.refreshEscapeInterception();
    EXPECT_THAT(source.takenKeys(), IsEmpty()) << "nothing is taken once uninstalled";
}

TEST_F(HotkeyManagerTest, OurOwnKeystrokesPassUntouched)
{
    configureDefaults();
    source.modifierDown(rightOption);
    events.clear();
    source.modifierDown(59, true);
    source.keyDown(9, false, true);
    source.keyUp(9, true);
    source.modifierUp(59, true);
    EXPECT_THAT(events, IsEmpty());
}

TEST_F(HotkeyManagerTest, SuspendingEmptiesTheHeldSets)
{
    configureDefaults();
    source.modifierDown(rightOption);
    source.systemHotKey(rawValue(HotkeySlot::toggle), true);
    source.modifierDown(leftShift);
    manager.setSuspended(true);
    manager.uninstall();
    EXPECT_THAT(manager.heldModifierSlots(), IsEmpty());
    EXPECT_THAT(manager.heldComboSlots(), IsEmpty());
    EXPECT_FALSE(manager.pendingTranslate().has_value());
    EXPECT_THAT(source.registrations(), IsEmpty());
    source.modifierUp(rightOption);
    EXPECT_THAT(events, ElementsAre("press hold", "press toggle"));

    manager.configure(defaultHoldHotkey, defaultToggleHotkey, holdSendHotkey, shiftTrigger);
    EXPECT_THAT(source.registrations(), IsEmpty()) << "configure while suspended stays stopped";
    manager.setSuspended(false);
    manager.uninstall();
    manager.install();
    EXPECT_EQ(source.registrations().size(), 2u);
}

struct BindingCase {
    const char *label;
    std::optional<Hotkey> hold;
    std::optional<Hotkey> toggle;
    std::optional<Hotkey> holdSend;
    TriggerModifier trigger;
    std::map<HotkeySlot, Hotkey> expected;
};

class ConfigureTest : public HotkeyManagerTest, public ::testing::WithParamInterface<BindingCase> { };

TEST_P(ConfigureTest, Bindings)
{
    const BindingCase &c = GetParam();
    manager.configure(c.hold, c.toggle, c.holdSend, c.trigger);
    EXPECT_EQ(manager.bindings(), c.expected) << c.label;
}

const Hotkey optionSpace = defaultToggleHotkey;
const Hotkey shiftOptionSpace{space, modifierFlag::shift | modifierFlag::option, false};
const Hotkey shiftSpace{space, modifierFlag::shift, false};
const Hotkey leftCommandAlone{leftCommand, modifierFlag::command, true};

INSTANTIATE_TEST_SUITE_P(Cases, ConfigureTest,
    ::testing::Values(BindingCase{"defaults", defaultHoldHotkey, optionSpace, holdSendHotkey, shiftTrigger,
                          {{HotkeySlot::hold, defaultHoldHotkey}, {HotkeySlot::toggle, optionSpace},
                              {HotkeySlot::toggleTranslate, shiftOptionSpace}, {HotkeySlot::holdSend, holdSendHotkey}}},
        BindingCase{"toggle identical to hold", optionSpace, optionSpace, std::nullopt, shiftTrigger,
            {{HotkeySlot::hold, optionSpace}}},
        BindingCase{"toggle already holds the trigger", defaultHoldHotkey, shiftSpace, std::nullopt, shiftTrigger,
            {{HotkeySlot::hold, defaultHoldHotkey}, {HotkeySlot::toggle, shiftSpace}}},
        BindingCase{"translate variant taken by a combination hold", shiftOptionSpace, optionSpace, std::nullopt,
            shiftTrigger, {{HotkeySlot::hold, shiftOptionSpace}, {HotkeySlot::toggle, optionSpace}}},
        BindingCase{"holdSend on a trigger key", defaultHoldHotkey, optionSpace, holdSendHotkey, commandTrigger,
            {{HotkeySlot::hold, defaultHoldHotkey}, {HotkeySlot::toggle, optionSpace},
                {HotkeySlot::toggleTranslate, Hotkey{space, modifierFlag::command | modifierFlag::option, false}}}},
        BindingCase{"holdSend equal to hold", holdSendHotkey, std::nullopt, holdSendHotkey, shiftTrigger,
            {{HotkeySlot::hold, holdSendHotkey}}},
        BindingCase{"holdSend equal to a modifier-only toggle", defaultHoldHotkey, holdSendHotkey, holdSendHotkey,
            shiftTrigger, {{HotkeySlot::hold, defaultHoldHotkey}, {HotkeySlot::toggle, holdSendHotkey}}},
        BindingCase{"holdSend must be a lone modifier", std::nullopt, std::nullopt,
            Hotkey{space, modifierFlag::command, false}, shiftTrigger, {}},
        BindingCase{"invalid hold and toggle", Hotkey{keyA, 0, false}, Hotkey{space, 0, true}, leftCommandAlone,
            shiftTrigger, {{HotkeySlot::holdSend, leftCommandAlone}}}));

TEST_F(HotkeyManagerTest, InstallRegistersCombinationsAndReports)
{
    source.failRegistration(space, 10);
    manager.configure(defaultHoldHotkey, Hotkey{keyA, modifierFlag::control, false}, std::nullopt, shiftTrigger);
    EXPECT_EQ(source.registrations().size(), 2u);
    const auto toggle = source.registrations().at(rawValue(HotkeySlot::toggle));
    EXPECT_EQ(toggle.keyCode, keyA);
    EXPECT_EQ(toggle.modifiers, modifierFlag::control);
    EXPECT_THAT(log,
        ElementsAre("register toggle ⌃A status=0", "register toggleTranslate ⌃⇧A status=0",
            "eventTap on listen=true post=true ax=true"));

    log.clear();
    manager.configure(std::nullopt, optionSpace, std::nullopt, shiftTrigger);
    EXPECT_THAT(log,
        ElementsAre("register toggle ⌥Space status=10", "register toggleTranslate ⌥⇧Space status=10",
            "eventTap on listen=true post=true ax=true"));
    EXPECT_THAT(source.registrations(), IsEmpty());
}

TEST_F(HotkeyManagerTest, MissingFnKeyIsReportedNotFatal)
{
    source.setMissingKey(63);
    manager.configure(Hotkey{63, modifierFlag::function, true}, std::nullopt, std::nullopt, shiftTrigger);
    EXPECT_THAT(log,
        ElementsAre(
            "modifier hold Fn unavailable: no such key on this keyboard", "eventTap on listen=true post=true ax=true"));
    EXPECT_TRUE(manager.bindings().contains(HotkeySlot::hold));
}

TEST_F(HotkeyManagerTest, WithoutListeningNothingIsObservedOrTaken)
{
    source.setAccess({false, true, false});
    configureDefaults();
    EXPECT_FALSE(manager.hasEventTap());
    EXPECT_EQ(source.startCount(), 0);
    EXPECT_EQ(log.back(), "eventTap off listen=false post=true ax=false");
    busy = true;
    scheduler.advance(1s);
    EXPECT_THAT(source.takenKeys(), IsEmpty());
    source.modifierDown(rightOption);
    EXPECT_THAT(events, IsEmpty());
}

TEST_F(HotkeyManagerTest, DiagnosticLinesOfAHold)
{
    configureDefaults();
    log.clear();
    source.modifierDown(rightOption);
    source.keyDown(keyA);
    source.modifierUp(rightOption);
    source.modifierDown(leftShift);
    source.modifierUp(leftShift);
    source.systemHotKey(rawValue(HotkeySlot::toggle), true);
    EXPECT_THAT(log,
        ElementsAre(
            "modifier hold down", "keyDown 0", "modifier hold up", "translate tap", "carbon toggle pressed=true"));
}

TEST_F(HotkeyManagerTest, CallbackMayReconfigureMidEvent)
{
    configureDefaults();
    manager.onPress = [this](HotkeySlot) { manager.configure(defaultHoldHotkey, std::nullopt, std::nullopt); };
    source.modifierDown(rightOption);
    EXPECT_THAT(manager.heldModifierSlots(), IsEmpty());
}

TEST_F(HotkeyManagerTest, DestructionStopsDelivery)
{
    {
        HotkeyManager other(source, scheduler);
        other.configure(defaultHoldHotkey, std::nullopt, std::nullopt);
    }
    EXPECT_FALSE(source.hasSink());
    EXPECT_FALSE(source.isListening());
    source.modifierDown(rightOption);
}

// A desktop portal: no key stream, lone modifiers, Escape and the trigger tap as shortcuts.
class ShortcutsOnlyTest : public HotkeyManagerTest {
protected:
    ShortcutsOnlyTest()
    {
        source.setAccess({false, false, false});
        source.setShortcutsOnly(true);
    }

    std::map<std::uint32_t, std::pair<std::uint16_t, std::uint64_t>> registered() const
    {
        std::map<std::uint32_t, std::pair<std::uint16_t, std::uint64_t>> result;
        for (const auto &[id, registration] : source.registrations())
            result[id] = {registration.keyCode, registration.modifiers};
        return result;
    }
};

TEST_F(ShortcutsOnlyTest, EveryBindingEscapeAndTheTriggerAreRegistered)
{
    configureDefaults();
    using Entry = std::pair<const std::uint32_t, std::pair<std::uint16_t, std::uint64_t>>;
    EXPECT_THAT(registered(),
        ElementsAre(Entry{1, {rightOption, modifierFlag::option}}, Entry{2, {space, modifierFlag::option}},
            Entry{3, {space, modifierFlag::option | modifierFlag::shift}},
            Entry{4, {rightCommand, modifierFlag::command}}, Entry{HotkeyManager::cancelHotKeyId, {escape, 0}},
            Entry{HotkeyManager::translateHotKeyId, {leftShift, modifierFlag::shift}}));
    EXPECT_FALSE(manager.hasEventTap());
    EXPECT_EQ(source.startCount(), 0);

    manager.uninstall();
    EXPECT_THAT(source.registrations(), IsEmpty());
}

TEST_F(ShortcutsOnlyTest, TriggerShortcutAvoidsAKeyBoundAlone)
{
    manager.configure(Hotkey{leftOption, modifierFlag::option, true}, std::nullopt, std::nullopt, optionTrigger);
    EXPECT_EQ(source.registrations().at(HotkeyManager::translateHotKeyId).keyCode, rightOption);

    manager.configure(Hotkey{leftOption, modifierFlag::option, true}, Hotkey{rightOption, modifierFlag::option, true},
        std::nullopt, optionTrigger);
    EXPECT_FALSE(source.registrations().contains(HotkeyManager::translateHotKeyId));
    EXPECT_EQ(log.back(), "eventTap off listen=false post=false ax=false");
}

TEST_F(ShortcutsOnlyTest, ActivationAndDeactivationOfALoneModifierHold)
{
    configureDefaults();
    source.systemHotKey(rawValue(HotkeySlot::hold), true);
    EXPECT_TRUE(manager.heldComboSlots().contains(HotkeySlot::hold));
    source.systemHotKey(rawValue(HotkeySlot::hold), true); // repeated activation
    source.systemHotKey(rawValue(HotkeySlot::toggle), true);
    source.systemHotKey(rawValue(HotkeySlot::toggle), false);
    scheduler.advance(2s); // held to talk, not tapped
    source.systemHotKey(rawValue(HotkeySlot::hold), false);
    EXPECT_THAT(events, ElementsAre("press hold", "press toggle", "release toggle", "release hold"));
}

struct ShortcutKeyCase {
    const char *label;
    std::uint32_t id;
    bool busy;
    bool pressed;
    std::vector<std::string> events;
};

class ShortcutKeyTest : public ShortcutsOnlyTest, public ::testing::WithParamInterface<ShortcutKeyCase> { };

TEST_P(ShortcutKeyTest, CancelAndTranslateShortcuts)
{
    const ShortcutKeyCase &c = GetParam();
    configureDefaults();
    scheduler.advance(5s);
    busy = c.busy;
    source.systemHotKey(c.id, c.pressed);
    EXPECT_EQ(events, c.events) << c.label;
    if (!tapTimes.empty()) {
        EXPECT_EQ(tapTimes.front(), scheduler.now());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ShortcutKeyTest,
    ::testing::Values(ShortcutKeyCase{"Escape while busy", HotkeyManager::cancelHotKeyId, true, true, {"escape"}},
        ShortcutKeyCase{"Escape while idle", HotkeyManager::cancelHotKeyId, false, true, {}},
        ShortcutKeyCase{"Escape let go", HotkeyManager::cancelHotKeyId, true, false, {}},
        ShortcutKeyCase{"trigger pressed", HotkeyManager::translateHotKeyId, false, true, {"translate"}},
        ShortcutKeyCase{"trigger let go", HotkeyManager::translateHotKeyId, true, false, {}}));

TEST_F(HotkeyManagerTest, ExtraShortcutIdsMeanNothingToAListeningSource)
{
    configureDefaults();
    EXPECT_FALSE(source.registrations().contains(HotkeyManager::cancelHotKeyId));
    busy = true;
    EXPECT_FALSE(manager.handleSystemHotKeyId(HotkeyManager::cancelHotKeyId, true));
    EXPECT_FALSE(manager.handleSystemHotKeyId(HotkeyManager::translateHotKeyId, true));
    EXPECT_THAT(events, IsEmpty());
}

} // namespace
