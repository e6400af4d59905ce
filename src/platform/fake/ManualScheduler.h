#pragma once

#include "platform/Scheduler.h"

#include <cstdint>
#include <map>
#include <memory>

namespace quillo {

// A scheduler whose clock moves only when a test says so. Work runs in due
// order, then in the order it was scheduled.
class ManualScheduler final : public Scheduler {
public:
    ManualScheduler();
    ~ManualScheduler() override;

    TimePoint now() const override { return now_; }
    std::chrono::system_clock::time_point wallNow() const override;
    ScheduledWork after(Duration delay, std::function<void()> fn) override;
    ScheduledWork every(Duration interval, std::function<void()> fn) override;

    // Moves the clock forward by d, running everything that falls due.
    void advance(Duration d);
    // Runs what is due now without moving the clock.
    void runDue() { advance(Duration::zero()); }
    std::size_t pendingCount() const { return queue_.size(); }
    void setWallClock(std::chrono::system_clock::time_point t) { wallStart_ = t; }

private:
    struct Item {
        std::function<void()> fn;
        Duration interval{};
        bool repeat = false;
    };
    using Key = std::pair<TimePoint, std::uint64_t>;

    ScheduledWork schedule(Duration delay, Duration interval, bool repeat, std::function<void()> fn);

    TimePoint start_;
    TimePoint now_;
    std::chrono::system_clock::time_point wallStart_;
    std::uint64_t nextId_ = 0;
    std::map<Key, Item> queue_;
    std::shared_ptr<ManualScheduler *> self_;
};

} // namespace quillo
