#include "platform/fake/ManualScheduler.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::chrono_literals;

namespace quillo {
namespace {

TEST(ManualScheduler, RunsDueWorkInTimeThenSchedulingOrder)
{
    ManualScheduler s;
    std::string log;
    auto b = s.after(200ms, [&] { log += 'b'; });
    auto a = s.after(100ms, [&] { log += 'a'; });
    auto c = s.after(200ms, [&] { log += 'c'; });
    s.advance(150ms);
    EXPECT_EQ(log, "a");
    s.advance(50ms);
    EXPECT_EQ(log, "abc");
}

TEST(ManualScheduler, CancelledOrDestroyedHandlesNeverRun)
{
    ManualScheduler s;
    int runs = 0;
    auto kept = s.after(10ms, [&] { ++runs; });
    kept.cancel();
    {
        auto dropped = s.after(10ms, [&] { ++runs; });
    }
    auto released = s.after(10ms, [&] { ++runs; });
    released.release();
    s.advance(1s);
    EXPECT_EQ(runs, 1);
}

TEST(ManualScheduler, RepeatingWorkCanCancelItselfAndSeesItsOwnTime)
{
    ManualScheduler s;
    const auto t0 = s.now();
    std::vector<Scheduler::Duration> seen;
    ScheduledWork timer;
    timer = s.every(100ms, [&] {
        seen.push_back(s.now() - t0);
        if (seen.size() == 3)
            timer.cancel();
    });
    s.advance(1s);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2], 300ms);
    EXPECT_EQ(s.now() - t0, 1s);
    EXPECT_EQ(s.pendingCount(), 0u);
}

TEST(ManualScheduler, WorkScheduledWhileRunningFallsInTheSameAdvance)
{
    ManualScheduler s;
    int inner = 0;
    ScheduledWork second;
    auto first = s.after(10ms, [&] { second = s.after(10ms, [&] { ++inner; }); });
    s.advance(25ms);
    EXPECT_EQ(inner, 1);
}

} // namespace
} // namespace quillo
