#include "dictation/KeptAudioFeed.h"

#include "dictation/RecordingFiles.h"

namespace quillo {

KeptAudioFeed::KeptAudioFeed(Scheduler &scheduler, const QString &path, std::function<void(const QByteArray &)> send,
    std::function<void(bool readable)> onEnd)
    : scheduler_(scheduler)
    , file_(path)
    , send_(std::move(send))
    , onEnd_(std::move(onEnd))
{
}

void KeptAudioFeed::start()
{
    const bool ours
        = file_.open(QIODevice::ReadOnly) && recordingFiles::isOurWav(file_.read(recordingFiles::wavHeaderBytes));
    if (!ours || file_.atEnd()) {
        // onEnd may destroy this feed: nothing may follow it.
        onEnd_(false);
        return;
    }
    step();
}

void KeptAudioFeed::step()
{
    const QByteArray block = file_.read(bytesPerStep);
    for (qsizetype at = 0; at + 1 < block.size(); at += chunkBytes)
        send_(block.mid(at, chunkBytes));
    if (block.size() < bytesPerStep || file_.atEnd()) {
        onEnd_(true);
        return;
    }
    next_ = scheduler_.after(interval, [this] { step(); }); // cancelled with the feed
}

} // namespace quillo
