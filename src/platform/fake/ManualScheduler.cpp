#include "platform/fake/ManualScheduler.h"

#include <algorithm>

namespace quillo {

ManualScheduler::ManualScheduler()
    : start_(TimePoint{} + std::chrono::hours(1))
    , now_(start_)
    , wallStart_(std::chrono::sys_days{std::chrono::year{2026} / 1 / 1})
    , self_(std::make_shared<ManualScheduler *>(this))
{
}

ManualScheduler::~ManualScheduler() = default;

std::chrono::system_clock::time_point ManualScheduler::wallNow() const
{
    return wallStart_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(now_ - start_);
}

ScheduledWork ManualScheduler::after(Duration delay, std::function<void()> fn)
{
    return schedule(delay, {}, false, std::move(fn));
}

ScheduledWork ManualScheduler::every(Duration interval, std::function<void()> fn)
{
    return schedule(interval, interval, true, std::move(fn));
}

ScheduledWork ManualScheduler::schedule(Duration delay, Duration interval, bool repeat, std::function<void()> fn)
{
    const Key key{now_ + std::max(delay, Duration::zero()), nextId_++};
    queue_.emplace(key, Item{std::move(fn), interval, repeat});
    std::weak_ptr<ManualScheduler *> weak = self_;
    // A repeating item is re-queued under a new key; follow it by id.
    const auto id = key.second;
    return ScheduledWork([weak, id] {
        if (auto self = weak.lock()) {
            auto &q = (*self)->queue_;
            std::erase_if(q, [id](const auto &entry) { return entry.first.second == id; });
        }
    });
}

void ManualScheduler::advance(Duration d)
{
    const TimePoint target = now_ + d;
    while (!queue_.empty() && queue_.begin()->first.first <= target) {
        auto node = queue_.extract(queue_.begin());
        now_ = std::max(now_, node.key().first);
        if (node.mapped().repeat) {
            // Keep the id so a handle still cancels the next round.
            auto fn = node.mapped().fn;
            node.key().first = now_ + std::max(node.mapped().interval, Duration(1));
            queue_.insert(std::move(node));
            fn();
        } else {
            node.mapped().fn();
        }
    }
    now_ = target;
}

} // namespace quillo
