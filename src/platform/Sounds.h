#pragma once

namespace quillo {

// Short feedback sounds of a dictation: start of recording, end of recording and
// a switch of the translation language.
enum class Sound { tink, pop, morse };

// Plays a feedback sound. Fire and forget: a missing or failing audio output
// never delays or fails the caller.
class Sounds {
public:
    virtual ~Sounds() = default;
    // volume: 0...1
    virtual void play(Sound sound, float volume) = 0;
};

} // namespace quillo
