#include "dictation/HUDModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(HUDModelTest, StartsWithTheDefaultKeyNamesAndTwentyFourZeroLevels)
{
    HUDModel hud;
    EXPECT_EQ(hud.phase(), DictationPhase::idle());
    EXPECT_EQ(hud.mode(), RecordingMode::hold);
    EXPECT_EQ(hud.levels(), QList<float>(24, 0.0f));
    EXPECT_EQ(hud.holdKeyName(), QStringLiteral("右 Alt"));
    EXPECT_EQ(hud.toggleKeyName(), QStringLiteral("Alt+Space"));
    EXPECT_EQ(hud.translateKeyName(), QStringLiteral("Shift"));
    EXPECT_FALSE(hud.translation().has_value());
}

TEST(HUDModelTest, PushLevelKeepsTheNewestTwentyFourOldestFirst)
{
    HUDModel hud;
    for (int i = 0; i < 30; ++i)
        hud.pushLevel(1.0f);
    EXPECT_EQ(hud.levels(), QList<float>(24, 1.0f));

    hud.pushLevel(0.5f);
    ASSERT_EQ(hud.levels().size(), 24);
    EXPECT_EQ(hud.levels().last(), 0.5f);
    EXPECT_EQ(hud.levels().first(), 1.0f);

    // Levels pass unscaled, even outside 0...1.
    hud.pushLevel(7.5f);
    EXPECT_EQ(hud.levels().last(), 7.5f);
    EXPECT_EQ(hud.levels()[22], 0.5f);
}

TEST(HUDModelTest, ResetClearsOneDictationButKeepsPhaseModeAndKeyNames)
{
    HUDModel hud;
    hud.setPhase(DictationPhase::done(QStringLiteral("你好")));
    hud.setMode(RecordingMode::handsFree);
    hud.setHoldKeyName(QStringLiteral("右 ⌘"));
    hud.setToggleKeyName(QStringLiteral("未设置"));
    hud.setTranslateKeyName(QStringLiteral("⌥"));
    hud.setPartial(QStringLiteral("部分"));
    hud.setElapsed(3.2);
    hud.setTranslation(TargetLanguage::japanese);
    hud.pushLevel(0.8f);

    hud.reset();

    EXPECT_EQ(hud.levels(), QList<float>(24, 0.0f));
    EXPECT_TRUE(hud.partial().isEmpty());
    EXPECT_EQ(hud.elapsed(), 0.0);
    EXPECT_FALSE(hud.translation().has_value());
    EXPECT_EQ(hud.phase(), DictationPhase::done(QStringLiteral("你好")));
    EXPECT_EQ(hud.mode(), RecordingMode::handsFree);
    EXPECT_EQ(hud.holdKeyName(), QStringLiteral("右 ⌘"));
    EXPECT_EQ(hud.toggleKeyName(), QStringLiteral("未设置"));
    EXPECT_EQ(hud.translateKeyName(), QStringLiteral("⌥"));
}

TEST(HUDModelTest, EveryAssignmentNotifiesItsSignalAndChanged)
{
    HUDModel hud;
    QSignalSpy changed(&hud, &HUDModel::changed);
    QSignalSpy phase(&hud, &HUDModel::phaseChanged);
    QSignalSpy levels(&hud, &HUDModel::levelsChanged);
    QSignalSpy translation(&hud, &HUDModel::translationChanged);

    hud.setPhase(DictationPhase::recording());
    hud.setPhase(DictationPhase::recording()); // same value still notifies
    hud.pushLevel(0.1f);
    hud.setTranslation(TargetLanguage::english);
    hud.reset();

    EXPECT_EQ(phase.count(), 2);
    EXPECT_EQ(levels.count(), 2);
    EXPECT_EQ(translation.count(), 2);
    EXPECT_EQ(changed.count(), 5);
}

TEST(DictationPhaseTest, BusyPhasesAndPayloadEquality)
{
    struct Case {
        DictationPhase phase;
        bool busy;
    };
    const std::vector<Case> cases = {
        {DictationPhase::idle(), false},
        {DictationPhase::recording(), true},
        {DictationPhase::transcribing(), true},
        {DictationPhase::polishing(), true},
        {DictationPhase::done(QStringLiteral("x")), false},
        {DictationPhase::failed(QStringLiteral("x")), false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.phase.isBusy(), c.busy) << static_cast<int>(c.phase.kind());
        EXPECT_EQ(c.phase.isFree(), !c.busy);
    }
    EXPECT_EQ(DictationPhase::done(QStringLiteral("a")), DictationPhase::done(QStringLiteral("a")));
    EXPECT_NE(DictationPhase::done(QStringLiteral("a")), DictationPhase::done(QStringLiteral("b")));
    EXPECT_NE(DictationPhase::done(QStringLiteral("a")), DictationPhase::failed(QStringLiteral("a")));
}

} // namespace
} // namespace quillo
