#include "platform/Scheduler.h"

#include <utility>

namespace quillo {

ScheduledWork::ScheduledWork(std::function<void()> cancel)
    : cancel_(std::move(cancel))
{
}

ScheduledWork::~ScheduledWork()
{
    cancel();
}

ScheduledWork::ScheduledWork(ScheduledWork &&other) noexcept
    : cancel_(std::exchange(other.cancel_, {}))
{
}

ScheduledWork &ScheduledWork::operator=(ScheduledWork &&other) noexcept
{
    if (this != &other) {
        cancel();
        cancel_ = std::exchange(other.cancel_, {});
    }
    return *this;
}

void ScheduledWork::cancel()
{
    if (auto fn = std::exchange(cancel_, {}))
        fn();
}

void ScheduledWork::release()
{
    cancel_ = {};
}

} // namespace quillo
