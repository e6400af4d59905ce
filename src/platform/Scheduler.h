#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace quillo {

// A pending piece of delayed work. Move-only; cancels the work when destroyed,
// so a component's timers die with it.
class ScheduledWork {
public:
    ScheduledWork() = default;
    explicit ScheduledWork(std::function<void()> cancel);
    ~ScheduledWork();
    ScheduledWork(ScheduledWork &&other) noexcept;
    ScheduledWork &operator=(ScheduledWork &&other) noexcept;
    ScheduledWork(const ScheduledWork &) = delete;
    ScheduledWork &operator=(const ScheduledWork &) = delete;

    void cancel();
    // Forgets the work without cancelling it (it still runs when due).
    void release();
    bool isSet() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

// Time and delayed work on the main thread. Injected everywhere a delay or a
// time-out matters, so tests run the same logic on a manual clock.
class Scheduler {
public:
    using Duration = std::chrono::steady_clock::duration;
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Scheduler() = default;

    // Monotonic time, for intervals.
    virtual TimePoint now() const = 0;
    // Wall-clock time, for timestamps users see (history dates).
    virtual std::chrono::system_clock::time_point wallNow() const = 0;
    // Runs fn once after delay on the scheduler's thread.
    virtual ScheduledWork after(Duration delay, std::function<void()> fn) = 0;
    // Runs fn every interval until cancelled.
    virtual ScheduledWork every(Duration interval, std::function<void()> fn) = 0;
};

} // namespace quillo
