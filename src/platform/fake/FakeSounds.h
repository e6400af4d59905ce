#pragma once

#include "platform/Sounds.h"

#include <vector>

namespace quillo {

// Records what would have been played.
class FakeSounds final : public Sounds {
public:
    struct Played {
        Sound sound;
        float volume;
    };

    void play(Sound sound, float volume) override { played.push_back({sound, volume}); }

    std::vector<Played> played;
};

} // namespace quillo
