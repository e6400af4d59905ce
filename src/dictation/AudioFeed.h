#pragma once

#include "common/Expected.h"
#include "dictation/RecordingStream.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace quillo {

// Where the audio of a dictation comes from: the microphone while the user speaks, a
// recorded file played at speaking pace (`--e2e-file`), or the file of a kept failed
// recording, read as it goes out faster than spoken (a retry). Each feeds the
// dictation's RecordingStream.
class AudioFeed {
public:
    // The feed ended by itself; endedBy says why when that is worth telling the user.
    using OnEnd = std::function<void(std::optional<QString> endedBy)>;

    static AudioFeed microphone();
    static AudioFeed file(QByteArray pcm16, double speed);
    static AudioFeed kept(QString path);

    bool isMicrophone() const { return kind_ == Kind::microphone; }
    // Heard as it plays, so the dictation records (and writes its audio down) first; kept
    // audio is transcribed as it is sent.
    bool isLive() const { return kind_ != Kind::kept; }

    // Readies the source before the recording shows. Fails with the description the user
    // sees (the microphone), or with none when there is no session to feed.
    Expected<Done, QString> open(RecordingStream &stream, OnEnd onEnd) const;
    // Lets a file flow once the recording shows: its first chunk goes out at once. Kept
    // audio that cannot be read ends with the description the user sees.
    void play(RecordingStream &stream, OnEnd onEnd) const;

private:
    enum class Kind { microphone, file, kept };

    AudioFeed(Kind kind, QByteArray pcm16, double speed, QString path = {});

    Kind kind_;
    QByteArray pcm16_;
    QString path_;
    double speed_ = 1.0;
};

} // namespace quillo
