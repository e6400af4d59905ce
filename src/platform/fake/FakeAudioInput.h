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
    Expected<Done, QString> start(
        AudioInputFormat format, std::size_t framesHint, BufferHandler handler, ErrorHandler onError) override;
    void stop() override;

    void setFormat(AudioInputFormat format);
    void failNextStart(QString message);
    // Returns false when nothing is running (the buffer is dropped).
    bool feed(const std::vector<float> &interleaved);
    // Ends the running capture as a removed device would: the error handler is called
    // on the caller's thread. Returns false when nothing is running.
    bool lose(const QString &reason);

    bool isRunning() const;
    int startCount() const;
    int stopCount() const;
    std::size_t lastFramesHint() const;

private:
    mutable std::mutex lock_;
    AudioInputFormat format_;
    std::optional<QString> startFailure_;
    BufferHandler handler_;
    ErrorHandler onError_;
    AudioInputFormat running_;
    int starts_ = 0;
    int stops_ = 0;
    std::size_t framesHint_ = 0;
};

} // namespace quillo
