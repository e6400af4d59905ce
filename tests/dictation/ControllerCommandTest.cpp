#include "ControllerHarness.h"

namespace quillo::test {
namespace {

using Kind = DictationPhase::Kind;

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
    for (const Case &c : {Case{"overtaken", 100ms, Kind::idle}, Case{"a later start", 350ms, Kind::recording}}) {
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
