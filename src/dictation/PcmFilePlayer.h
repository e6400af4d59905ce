#pragma once

#include "platform/Scheduler.h"

#include <QByteArray>

#include <functional>
#include <memory>

namespace quillo {

// Plays recorded PCM as if it came from the microphone: consecutive chunks of
// 0.1 s of audio (the last may be shorter), one every 0.1 s divided by speed.
// Destroying the player stops it.
class PcmFilePlayer {
public:
    static constexpr qsizetype chunkBytes = 3200; // 0.1 s of 16 kHz 16-bit mono

    // onChunk answers false to stop the playback; onEnd runs after the last chunk's time.
    PcmFilePlayer(Scheduler &scheduler, QByteArray pcm, double speed, std::function<bool(const QByteArray &)> onChunk,
        std::function<void()> onEnd);

    void start();

private:
    void step();

    Scheduler &scheduler_;
    QByteArray pcm_;
    Scheduler::Duration interval_;
    std::function<bool(const QByteArray &)> onChunk_;
    std::function<void()> onEnd_;
    qsizetype offset_ = 0;
    ScheduledWork next_;
};

} // namespace quillo
