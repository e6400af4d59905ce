#include "dictation/InputMethodRoute.h"

#include "platform/fake/FakeFrontmostApp.h"
#include "platform/fake/FakeInputMethodBridge.h"
#include "platform/fake/FakeKeystrokePoster.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/ManualScheduler.h"

#include <gtest/gtest.h>

#include <optional>

using namespace std::chrono_literals;

namespace quillo {
namespace {

const PasteboardItems userClipboard{{
    {QStringLiteral("text/plain"), QByteArrayLiteral("mine")},
    {QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)},
}};

// The input method route in front of a real clipboard paste over fake ports.
struct Rig {
    FakeInputMethodBridge bridge;
    ManualScheduler scheduler;
    bool liveText = true;
    InputMethodRoute route{
        {.bridge = bridge, .scheduler = scheduler, .liveText = [this] { return liveText; }, .report = {}}};
    FakePasteboard clipboard;
    FakeKeystrokePoster keys;
    FakePermissions permissions;
    FakeFrontmostApp frontmost;
    TextInserter paste{{clipboard, nullptr, keys, permissions, frontmost, scheduler}};
    int fallbacks = 0;

    Rig() { clipboard.write(userClipboard); }

    std::optional<InsertOutcome> deliver(const QString &text)
    {
        std::optional<InsertOutcome> outcome;
        route.insert(
            text, [&outcome](InsertOutcome o) { outcome = o; },
            [this, text](InsertDone done) {
                ++fallbacks;
                paste.insert(text, false, std::move(done));
            });
        scheduler.runDue();
        return outcome;
    }
};

struct RouteCase {
    const char *name;
    bool present;
    QString focusAtStart;
    QString focusAtEnd;
    bool composingAtEnd;
    bool throughInputMethod;
};

class InputMethodRouteChoice : public testing::TestWithParam<RouteCase> { };

TEST_P(InputMethodRouteChoice, CommitsOrFallsBackAndLeavesNoPreedit)
{
    const RouteCase &c = GetParam();
    Rig rig;
    rig.bridge.present = c.present;
    rig.bridge.focusedContext = c.focusAtStart;
    rig.route.begin();
    rig.route.showPartial(QStringLiteral("你好"));
    rig.bridge.focusedContext = c.focusAtEnd;
    rig.bridge.userComposing = c.composingAtEnd;

    const auto outcome = rig.deliver(QStringLiteral("你好，世界 🎉"));

    EXPECT_EQ(outcome, InsertOutcome::pasted);
    EXPECT_EQ(rig.route.lastCommitted(), c.throughInputMethod);
    EXPECT_EQ(rig.fallbacks, c.throughInputMethod ? 0 : 1);
    EXPECT_EQ(rig.bridge.committed.size(), c.throughInputMethod ? 1 : 0);
    EXPECT_TRUE(rig.bridge.preedit.isEmpty());
    if (c.throughInputMethod) {
        EXPECT_EQ(rig.bridge.committed.front(), QStringLiteral("你好，世界 🎉"));
        EXPECT_EQ(rig.clipboard.items(), userClipboard);
        EXPECT_EQ(rig.clipboard.changeCount(), 1u);
        EXPECT_TRUE(rig.keys.posted.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, InputMethodRouteChoice,
    testing::Values(RouteCase{"committed", true, "ctx-1", "ctx-1", false, true},
        RouteCase{"addonAbsent", false, "ctx-1", "ctx-1", false, false},
        RouteCase{"noFieldFocused", true, "", "", false, false},
        // A grabbed hotkey held at the start takes the focus from the field until it is let go.
        RouteCase{"fieldFocusedOnlyAfterTheStart", true, "", "ctx-1", false, true},
        RouteCase{"focusMovedToAnotherField", true, "ctx-1", "ctx-2", false, false},
        RouteCase{"userComposingRefuses", true, "ctx-1", "ctx-1", true, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(InputMethodRoute, FocusNotYetNamedAtDeliveryFallsBack)
{
    Rig rig;
    rig.bridge.deferAnswers = true;
    rig.route.begin();
    EXPECT_EQ(rig.deliver(QStringLiteral("text")), InsertOutcome::pasted);
    EXPECT_EQ(rig.fallbacks, 1);
    rig.bridge.answerAll();
    EXPECT_TRUE(rig.bridge.committed.isEmpty());
}

TEST(InputMethodRoute, PreeditFollowsPartialsAtMostEveryInterval)
{
    Rig rig;
    rig.route.begin();
    rig.route.showPartial(QStringLiteral("今"));
    EXPECT_EQ(rig.bridge.preedit, QStringLiteral("今"));
    rig.scheduler.advance(30ms);
    rig.route.showPartial(QStringLiteral("今天"));
    rig.route.showPartial(QStringLiteral("今天天"));
    EXPECT_EQ(rig.bridge.preedit, QStringLiteral("今"));
    rig.scheduler.advance(70ms);
    EXPECT_EQ(rig.bridge.preedit, QStringLiteral("今天天"));
    rig.scheduler.advance(500ms);
    rig.route.showPartial(QStringLiteral("今天天"));
    EXPECT_EQ(rig.bridge.setPreeditCalls, 2);

    EXPECT_EQ(rig.deliver(QStringLiteral("今天天气好")), InsertOutcome::pasted);
    EXPECT_TRUE(rig.bridge.preedit.isEmpty());
    EXPECT_EQ(rig.bridge.committed, QStringList{QStringLiteral("今天天气好")});
}

// A cancel (idle), a failure or an empty answer (failed) ends the dictation without a delivery.
TEST(InputMethodRoute, EndingWithoutDeliveryClearsThePreedit)
{
    for (const DictationPhase &end : {DictationPhase::idle(), DictationPhase::failed(QStringLiteral("x"))}) {
        Rig rig;
        rig.route.follow(DictationPhase::recording());
        rig.route.showPartial(QStringLiteral("半句"));
        rig.route.follow(DictationPhase::recording()); // the same recording: its field stays
        rig.route.showPartial(QStringLiteral("半句话"));
        rig.route.follow(DictationPhase::transcribing());
        EXPECT_EQ(rig.bridge.preedit, QStringLiteral("半句"));
        rig.route.follow(end);
        rig.scheduler.advance(1s);
        EXPECT_TRUE(rig.bridge.preedit.isEmpty());
        EXPECT_TRUE(rig.bridge.committed.isEmpty());
        EXPECT_EQ(rig.bridge.setPreeditCalls, 1);
    }
}

TEST(InputMethodRoute, CommitAnsweredAfterCancelDeliversNothing)
{
    Rig rig;
    rig.route.begin();
    rig.bridge.deferAnswers = true;
    const auto outcome = rig.deliver(QStringLiteral("text"));
    rig.route.end();
    rig.bridge.answerAll();
    EXPECT_FALSE(outcome.has_value());
    EXPECT_EQ(rig.fallbacks, 0);
}

TEST(InputMethodRoute, UserCompositionStopsPreeditForTheDictation)
{
    Rig rig;
    rig.bridge.userComposing = true;
    rig.route.begin();
    rig.route.showPartial(QStringLiteral("一"));
    rig.bridge.userComposing = false;
    rig.scheduler.advance(1s);
    rig.route.showPartial(QStringLiteral("一二"));
    EXPECT_EQ(rig.bridge.setPreeditCalls, 1);
    EXPECT_TRUE(rig.bridge.preedit.isEmpty());
}

TEST(InputMethodRoute, LiveTextOffSendsNoPreeditButStillCommits)
{
    Rig rig;
    rig.liveText = false;
    rig.route.begin();
    rig.route.showPartial(QStringLiteral("一"));
    EXPECT_EQ(rig.bridge.setPreeditCalls, 0);
    EXPECT_EQ(rig.deliver(QStringLiteral("一二")), InsertOutcome::pasted);
    EXPECT_TRUE(rig.route.lastCommitted());
}

} // namespace
} // namespace quillo
