#include "ControllerHarness.h"

namespace quillo::test {
namespace {

using Kind = DictationPhase::Kind;

// The audio on its way to the service: gated, levelled, and never crossing into another recording.
class ControllerAudioTest : public ControllerHarness { };

TEST_F(ControllerAudioTest, GatedAudioReachesTheSessionAndLevelsTheWaveform)
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

TEST_F(ControllerAudioTest, AChunkFromAnEarlierRecordingNeverReachesTheNextOne)
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

TEST_F(ControllerAudioTest, APartialFromAnAbandonedSessionStaysOffTheNextPanel)
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

TEST_F(ControllerAudioTest, ChunksPostedToADestroyedControllerAreDropped)
{
    controller->handlePress(HotkeySlot::hold);
    auto callback = recorder.onChunk;
    callback(chunk(0.6f), 0.6f);
    controller.reset();
    QCoreApplication::sendPostedEvents(); // must not touch the destroyed controller
    EXPECT_FALSE(recorder.running);
}

} // namespace
} // namespace quillo::test
