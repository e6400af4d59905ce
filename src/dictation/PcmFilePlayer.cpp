#include "dictation/PcmFilePlayer.h"

#include <chrono>
#include <cmath>

namespace quillo {

namespace {

Scheduler::Duration intervalFor(double speed)
{
    // A zero, negative or NaN speed would stall or spin the playback: real time instead.
    if (!(speed > 0) || !std::isfinite(speed))
        speed = 1.0;
    return std::chrono::round<Scheduler::Duration>(std::chrono::duration<double>(0.1 / speed));
}

} // namespace

PcmFilePlayer::PcmFilePlayer(Scheduler &scheduler, QByteArray pcm, double speed,
    std::function<bool(const QByteArray &)> onChunk, std::function<void()> onEnd)
    : scheduler_(scheduler)
    , pcm_(std::move(pcm))
    , interval_(intervalFor(speed))
    , onChunk_(std::move(onChunk))
    , onEnd_(std::move(onEnd))
{
}

void PcmFilePlayer::start()
{
    step();
}

void PcmFilePlayer::step()
{
    if (offset_ >= pcm_.size()) {
        // onEnd may destroy this player: nothing may follow it.
        if (onEnd_)
            onEnd_();
        return;
    }
    const QByteArray chunk = pcm_.mid(offset_, chunkBytes);
    offset_ += chunk.size();
    if (!onChunk_(chunk))
        return;
    next_ = scheduler_.after(interval_, [this] { step(); }); // cancelled with the player
}

} // namespace quillo
