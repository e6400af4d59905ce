#pragma once

#include "platform/AudioInput.h"

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <vector>

struct soxr;

namespace quillo {

// Streams float audio of one input format to the PCM chunk format: 16 kHz, mono,
// 16-bit signed little-endian. Keeps the resampler's state from one buffer to the
// next, so one instance serves exactly one recording (or one file).
//
// Mono is taken from channel 0 rather than a mix of all channels: the level that
// drives the speech gate is measured on channel 0 too, and laptop microphone pairs
// wired in opposite phase would cancel out in a mix.
class PCM16Converter {
public:
    static constexpr int targetSampleRate = 16000;

    // Nothing when the format cannot be converted (no channels, absurd rates).
    static std::unique_ptr<PCM16Converter> create(AudioInputFormat input);
    ~PCM16Converter();
    PCM16Converter(const PCM16Converter &) = delete;
    PCM16Converter &operator=(const PCM16Converter &) = delete;

    AudioInputFormat inputFormat() const { return input_; }

    // The chunk for one buffer; empty when the buffer's format differs from the
    // input format, on a resampler error, or while the resampler is still filling.
    QByteArray convert(const AudioBufferView &buffer);
    // Ends the stream and returns the audio still held in the resampler's filter
    // (the last few milliseconds). For files; a recording simply stops.
    QByteArray finish();

private:
    struct SoxrDeleter {
        void operator()(soxr *s) const;
    };

    PCM16Converter(AudioInputFormat input, std::unique_ptr<soxr, SoxrDeleter> resampler);

    QByteArray resampleAndQuantize(const float *mono, std::size_t frames);

    AudioInputFormat input_;
    std::unique_ptr<soxr, SoxrDeleter> resampler_; // none when the rate is already 16 kHz
    std::vector<float> mono_;
    std::vector<float> resampled_;
};

namespace pcm16 {
// One float sample to 16-bit: scaled by 32768, rounded to nearest, clipped to
// the 16-bit range; NaN becomes 0.
std::int16_t fromFloat(float sample);
} // namespace pcm16

} // namespace quillo
