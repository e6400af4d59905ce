#pragma once

#include "platform/Scheduler.h"

#include <QObject>

namespace quillo {

// Scheduler on the Qt event loop of the thread that owns it (the main thread).
class QtScheduler final : public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;

    TimePoint now() const override;
    std::chrono::system_clock::time_point wallNow() const override;
    ScheduledWork after(Duration delay, std::function<void()> fn) override;
    ScheduledWork every(Duration interval, std::function<void()> fn) override;

private:
    ScheduledWork start(Duration delay, bool repeat, std::function<void()> fn);

    // Parent of every timer: timers die with the scheduler.
    std::unique_ptr<QObject> context_;
};

} // namespace quillo
