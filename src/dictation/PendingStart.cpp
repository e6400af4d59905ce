#include "dictation/PendingStart.h"

#include "dictation/DictationTexts.h"

namespace quillo {

PendingStart::PendingStart(Scheduler &scheduler, ReadKey readKey)
    : scheduler_(scheduler)
    , readKey_(std::move(readKey))
{
}

void PendingStart::begin(std::optional<HotkeySlot> releaseSlot, std::function<void(const APIKeyRead &)> start,
    std::function<void()> onSilent)
{
    waiting_ = std::make_shared<Waiting>(Waiting{releaseSlot});
    const std::weak_ptr<Waiting> mine = waiting_;
    deadline_ = scheduler_.after(dictationTimes::keyReadTimeout, [this, mine, onSilent = std::move(onSilent)] {
        if (mine.expired())
            return;
        waiting_.reset();
        onSilent();
    });
    // The answer may come after this object is gone: it then finds nothing to start.
    readKey_([this, mine, start = std::move(start)](const APIKeyRead &read) {
        if (mine.expired())
            return; // given up, cancelled or released meanwhile
        drop();
        start(read);
    });
}

void PendingStart::drop()
{
    waiting_.reset();
    deadline_.cancel();
}

} // namespace quillo
