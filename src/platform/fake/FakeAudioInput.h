#pragma once

#include "platform/AudioInput.h"

#include <mutex>
#include <optional>
#include <vector>

namespace quillo {

// A microphone driven by the test: a chosen format, an optional start failure,
// and feed() hands a buffer to the running handler on the caller's thread (call
// it from another std::thread to play the audio thread).
class FakeAudioInput final : public AudioInput {
public:
    explicit FakeAudioInput(AudioInputFormat format = {48000, 1})
        : format_(format)
    {
    }

    AudioInputFormat inputFormat() override;
    Expected<Done, QString> start(AudioInputFormat format, std::size_t framesHint, BufferHandler handler) override;
    void stop() override;

    void setFormat(AudioInputFormat format);
    void failNextStart(QString message);
    // Returns false when nothing is running (the buffer is dropped).
    bool feed(const std::vector<float> &interleaved);

    bool isRunning() const;
    int startCount() const;
    int stopCount() const;
    std::size_t lastFramesHint() const;

private:
    mutable std::mutex lock_;
    AudioInputFormat format_;
    std::optional<QString> startFailure_;
    BufferHandler handler_;
    AudioInputFormat running_;
    int starts_ = 0;
    int stops_ = 0;
    std::size_t framesHint_ = 0;
};

} // namespace quillo
