#pragma once

#include "common/Expected.h"
#include "dictation/RecordingStream.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace quillo {

// Where the audio of a dictation comes from: the microphone while the user speaks, a
// recorded file played at speaking pace (`--e2e-file`), or the kept audio of a failed
// dictation, there all at once (a retry). Each feeds the dictation's RecordingStream.
class AudioFeed {
public:
    // The feed ended by itself; endedBy says why when that is worth telling the user.
    using OnEnd = std::function<void(std::optional<QString> endedBy)>;

    static AudioFeed microphone();
    static AudioFeed file(QByteArray pcm16, double speed);
    static AudioFeed kept(QByteArray pcm16);

    bool isMicrophone() const { return kind_ == Kind::microphone; }
    // Heard as it plays, so the dictation records first; kept audio is transcribed at once.
    bool isLive() const { return kind_ != Kind::kept; }

    // Readies the source before the recording shows. Fails with the description the user
    // sees (the microphone), or with none when there is no session to feed.
    Expected<Done, QString> open(RecordingStream &stream, OnEnd onEnd) const;
    // Lets a file flow once the recording shows: its first chunk goes out at once.
    void play(RecordingStream &stream, OnEnd onEnd) const;

private:
    enum class Kind { microphone, file, kept };

    AudioFeed(Kind kind, QByteArray pcm16, double speed);

    Kind kind_;
    QByteArray pcm16_;
    double speed_ = 1.0;
};

} // namespace quillo
