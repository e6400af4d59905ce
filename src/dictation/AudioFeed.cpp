#include "dictation/AudioFeed.h"

namespace quillo {

AudioFeed::AudioFeed(Kind kind, QByteArray pcm16, double speed)
    : kind_(kind)
    , pcm16_(std::move(pcm16))
    , speed_(speed)
{
}

AudioFeed AudioFeed::microphone()
{
    return AudioFeed(Kind::microphone, {}, 1.0);
}

AudioFeed AudioFeed::file(QByteArray pcm16, double speed)
{
    return AudioFeed(Kind::file, std::move(pcm16), speed);
}

AudioFeed AudioFeed::kept(QByteArray pcm16)
{
    return AudioFeed(Kind::kept, std::move(pcm16), 1.0);
}

Expected<Done, QString> AudioFeed::open(RecordingStream &stream, OnEnd onEnd) const
{
    switch (kind_) {
    case Kind::microphone:
        // A microphone lost mid-way ends the recording as if the user had let go.
        return stream.startMicrophone([onEnd = std::move(onEnd)](const QString &description) { onEnd(description); });
    case Kind::file:
        return Done{};
    case Kind::kept:
        if (!stream.hasSession())
            return unexpected(QString());
        stream.sendAsIs(pcm16_);
        return Done{};
    }
    return Done{};
}

void AudioFeed::play(RecordingStream &stream, OnEnd onEnd) const
{
    if (kind_ != Kind::file)
        return;
    stream.startFile(pcm16_, speed_, [onEnd = std::move(onEnd)] { onEnd(std::nullopt); });
}

} // namespace quillo
