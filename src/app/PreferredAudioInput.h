#pragma once

#include "platform/AudioInput.h"

#include <memory>

namespace quillo {

// The microphone from the preferred adapter while it finds a device, else from the
// fallback. Chosen anew for every recording: a sound server that was missing at
// one dictation is used again at the next.
class PreferredAudioInput final : public AudioInput {
public:
    PreferredAudioInput(std::unique_ptr<AudioInput> preferred, std::unique_ptr<AudioInput> fallback);

    void prepare() override;
    AudioInputFormat inputFormat() override;
    Expected<Done, QString> start(
        AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError) override;
    void stop() override;

private:
    std::unique_ptr<AudioInput> preferred_;
    std::unique_ptr<AudioInput> fallback_;
    AudioInput *chosen_; // the one that gave the last format
    AudioInput *running_ = nullptr;
};

} // namespace quillo
