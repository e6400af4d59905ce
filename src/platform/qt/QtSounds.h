#pragma once

#include "platform/Sounds.h"

#include <QByteArray>
#include <QObject>
#include <QTemporaryDir>

#include <map>
#include <memory>

class QSoundEffect;

namespace quillo {

// Plays our own short synthesised tones through Qt Multimedia. The WAV files
// are written to a private temporary folder at first use; without an audio
// output QSoundEffect fails quietly and the dictation goes on.
class QtSounds final : public Sounds {
public:
    QtSounds();
    ~QtSounds() override;

    void play(Sound sound, float volume) override;

private:
    QSoundEffect *effect(Sound sound);

    std::unique_ptr<QObject> context_; // parent of every effect
    std::unique_ptr<QTemporaryDir> folder_;
    std::map<Sound, QSoundEffect *> effects_;
};

namespace tones {
// A complete 16 kHz mono 16-bit WAV file of the tone for this sound.
QByteArray wavFile(Sound sound);
} // namespace tones

} // namespace quillo
