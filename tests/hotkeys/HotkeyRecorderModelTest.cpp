#include "hotkeys/HotkeyRecorderModel.h"
#include "hotkeys/HotkeyManager.h"
#include "platform/fake/FakeKeyboardSource.h"
#include "platform/fake/ManualScheduler.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace quillo;

namespace {

// One scripted key event: a modifier going down or up, or a key-down.
struct Step {
    enum Kind { modDown, modUp, key } kind;
    std::uint16_t keyCode;
};

struct CaptureCase {
    const char *label;
    std::vector<Step> steps;
    std::optional<Hotkey> committed;
    bool stillRecording;
    std::optional<QString> hint;
};

std::uint64_t flagOf(std::uint16_t keyCode)
{
    const std::optional<ModifierKey> key = modifierKey(keyCode);
    return key ? key->flag : 0;
}

class RecorderTest : public ::testing::Test {
protected:
    RecorderTest() { manager.configure(defaultHoldHotkey, defaultToggleHotkey, std::nullopt); }

    void start()
    {
        model.start([this](const Hotkey &hotkey) { committed.push_back(hotkey); });
    }

    ManualScheduler scheduler;
    FakeKeyboardSource source;
    HotkeyManager manager{source, scheduler};
    HotkeyRecorderModel model{&manager};
    std::vector<Hotkey> committed;
    std::uint64_t flags = 0;
};

class CaptureTest : public RecorderTest, public ::testing::WithParamInterface<CaptureCase> { };

TEST_P(CaptureTest, CaptureRule)
{
    const CaptureCase &c = GetParam();
    start();
    // Only the first event can end the capture in these cases, or none does.
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const Step &step = c.steps[i];
        if (step.kind == Step::modDown)
            flags |= flagOf(step.keyCode);
        if (step.kind == Step::modUp)
            flags &= ~flagOf(step.keyCode);
        const auto type = step.kind == Step::key ? KeyEvent::Type::keyDown : KeyEvent::Type::flagsChanged;
        const bool wasRecording = model.isRecording();
        EXPECT_EQ(model.handleKeyEvent({type, step.keyCode, flags}), wasRecording) << c.label << " step " << i;
    }
    if (c.committed) {
        ASSERT_EQ(committed.size(), 1u) << c.label;
        EXPECT_EQ(committed.front(), *c.committed) << c.label;
    } else {
        EXPECT_TRUE(committed.empty()) << c.label;
    }
    EXPECT_EQ(model.isRecording(), c.stillRecording) << c.label;
    EXPECT_EQ(model.hint(), c.hint) << c.label;
    EXPECT_EQ(manager.suspended(), c.stillRecording) << c.label;
}

const Hotkey rightOptionAlone{61, modifierFlag::option, true};

INSTANTIATE_TEST_SUITE_P(Cases, CaptureTest,
    ::testing::Values(CaptureCase{"right Option alone", {{Step::modDown, 61}, {Step::modUp, 61}}, rightOptionAlone,
                          false, std::nullopt},
        CaptureCase{"Option then Space", {{Step::modDown, 61}, {Step::key, 49}, {Step::modUp, 61}}, defaultToggleHotkey,
            false, std::nullopt},
        CaptureCase{
            "A alone is invalid", {{Step::key, 0}}, std::nullopt, true, HotkeyRecorderModel::invalidCombinationHint()},
        CaptureCase{"A then F5", {{Step::key, 0}, {Step::key, 96}}, Hotkey{96, 0, false}, false, std::nullopt},
        CaptureCase{"Escape cancels", {{Step::key, 53}}, std::nullopt, false, std::nullopt},
        CaptureCase{"Shift+Escape is a combination", {{Step::modDown, 56}, {Step::key, 53}},
            Hotkey{53, modifierFlag::shift, false}, false, std::nullopt},
        CaptureCase{"last modifier down wins",
            {{Step::modDown, 56}, {Step::modDown, 55}, {Step::modUp, 55}, {Step::modUp, 56}},
            Hotkey{55, modifierFlag::command, true}, false, std::nullopt},
        CaptureCase{"releasing an earlier modifier does nothing",
            {{Step::modDown, 56}, {Step::modDown, 55}, {Step::modUp, 56}}, std::nullopt, true,
            HotkeyRecorderModel::startHint()},
        CaptureCase{"Fn alone", {{Step::modDown, 63}, {Step::modUp, 63}}, Hotkey{63, modifierFlag::function, true},
            false, std::nullopt},
        CaptureCase{"Fn does not make A valid", {{Step::modDown, 63}, {Step::key, 0}}, std::nullopt, true,
            HotkeyRecorderModel::invalidCombinationHint()},
        CaptureCase{"caps lock is no modifier hotkey", {{Step::modDown, 57}, {Step::modUp, 57}}, std::nullopt, true,
            HotkeyRecorderModel::startHint()},
        // Print, Pause, media keys: capture goes on, and the hint says why nothing was taken.
        CaptureCase{"unknown key keeps waiting", {{Step::modDown, 59}, {Step::key, unknownKeyCode}}, std::nullopt, true,
            HotkeyRecorderModel::invalidCombinationHint()}));

TEST_F(RecorderTest, SuspendsTheManagerWhileCapturing)
{
    ASSERT_EQ(source.registrations().size(), 2u);
    start();
    EXPECT_TRUE(manager.suspended());
    EXPECT_TRUE(source.registrations().empty());
    EXPECT_FALSE(source.isListening());
    model.stop();
    EXPECT_FALSE(manager.suspended());
    EXPECT_EQ(source.registrations().size(), 2u);
    EXPECT_TRUE(source.isListening());
}

TEST_F(RecorderTest, StopWhileCapturingKeepsTheHint)
{
    start();
    model.handleKeyEvent({KeyEvent::Type::keyDown, 0, 0});
    model.stop();
    EXPECT_FALSE(model.isRecording());
    EXPECT_EQ(model.hint(), HotkeyRecorderModel::invalidCombinationHint());
    EXPECT_FALSE(model.handleKeyEvent({KeyEvent::Type::keyDown, 96, 0})) << "events pass once stopped";
    EXPECT_TRUE(committed.empty());
}

TEST_F(RecorderTest, StartingAgainRestartsCleanly)
{
    start();
    model.handleKeyEvent({KeyEvent::Type::flagsChanged, 61, modifierFlag::option});
    start();
    EXPECT_TRUE(manager.suspended());
    EXPECT_FALSE(model.pendingModifier().has_value());
    model.handleKeyEvent({KeyEvent::Type::flagsChanged, 61, 0});
    EXPECT_TRUE(committed.empty());
}

TEST_F(RecorderTest, DestroyedWhileCapturingResumesTheManager)
{
    auto other = std::make_unique<HotkeyRecorderModel>(&manager);
    other->start([](const Hotkey &) {});
    EXPECT_TRUE(manager.suspended());
    other.reset();
    EXPECT_FALSE(manager.suspended());
    EXPECT_EQ(source.registrations().size(), 2u);
}

} // namespace
