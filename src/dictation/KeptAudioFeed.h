#pragma once

#include "platform/Scheduler.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <chrono>
#include <functional>

namespace quillo {

// Streams a kept recording to the service as it is read from its file: a second of
// audio every tenth of a second (ten times speaking pace, which the realtime service
// takes), in the chunk size of a live recording. Memory stays at one second whatever
// the recording's length. Destroying the feed stops it.
class KeptAudioFeed {
public:
    static constexpr qint64 bytesPerStep = 32000;
    static constexpr qint64 chunkBytes = 3200;
    static constexpr auto interval = std::chrono::milliseconds(100);

    // onEnd runs once after the last chunk; readable is false when the file held no
    // audio of ours (then nothing was sent).
    KeptAudioFeed(Scheduler &scheduler, const QString &path, std::function<void(const QByteArray &)> send,
        std::function<void(bool readable)> onEnd);

    void start();

private:
    void step();

    Scheduler &scheduler_;
    QFile file_;
    std::function<void(const QByteArray &)> send_;
    std::function<void(bool)> onEnd_;
    ScheduledWork next_;
};

} // namespace quillo
