#pragma once

#include <QString>

#include <chrono>

namespace quillo {

// Whether the microphone a dictation would record from is there and takes a recording:
// the same source choice as PulseAudioInput (the default, or QUILLO_INPUT_DEVICE), a
// stream opened on it and closed again. Blocks for at most a few times the time-out, so
// callers run it off the main thread.
class PulseMicrophoneCheck {
public:
    struct Outcome {
        bool opened = false;
        bool serverAnswered = false; // a sound server (PulseAudio, PipeWire's pulse) took the connection
        QString name; // the source's own name, e.g. "alsa_input.pci-0000_00_1f.3.analog-stereo"
        QString description; // its name for people
        QString problem; // why not, in the adapter's words; empty when opened
    };

    static Outcome run(const QString &deviceMatch, std::chrono::milliseconds timeout);
};

} // namespace quillo
