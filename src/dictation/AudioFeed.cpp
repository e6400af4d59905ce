#include "dictation/AudioFeed.h"

#include "dictation/DictationTexts.h"

namespace quillo {

AudioFeed::AudioFeed(Kind kind, QByteArray pcm16, double speed, QString path)
    : kind_(kind)
    , pcm16_(std::move(pcm16))
    , path_(std::move(path))
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

AudioFeed AudioFeed::kept(QString path)
{
    return AudioFeed(Kind::kept, {}, 1.0, std::move(path));
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
        return Done{};
    }
    return Done{};
}

void AudioFeed::play(RecordingStream &stream, OnEnd onEnd) const
{
    switch (kind_) {
    case Kind::microphone:
        return;
    case Kind::file:
        stream.startFile(pcm16_, speed_, [onEnd = std::move(onEnd)] { onEnd(std::nullopt); });
        return;
    case Kind::kept:
        stream.startKept(path_, [onEnd = std::move(onEnd)](bool readable) {
            onEnd(readable ? std::nullopt : std::optional(dictationTexts::keptAudioUnreadableMessage));
        });
        return;
    }
}

} // namespace quillo
