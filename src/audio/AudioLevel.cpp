#include "audio/AudioLevel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quillo {

namespace {
constexpr double silenceFloorRms = 0.00001;
constexpr double bottomDb = -55.0;
constexpr double rangeDb = 45.0;
} // namespace

float levelFromRms(double rms)
{
    // A NaN rms (non-finite samples) must not leak into the gate as NaN.
    if (!(rms >= silenceFloorRms))
        rms = silenceFloorRms;
    const double db = 20.0 * std::log10(rms);
    return static_cast<float>(std::clamp((db - bottomDb) / rangeDb, 0.0, 1.0));
}

float bufferLevel(const AudioBufferView &buffer)
{
    const std::size_t frames = buffer.frameCount();
    if (frames == 0)
        return 0.0f;
    const auto stride = static_cast<std::size_t>(buffer.format.channelCount);
    double sum = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double s = buffer.samples[i * stride];
        sum += s * s;
    }
    return levelFromRms(std::sqrt(sum / static_cast<double>(frames)));
}

float pcm16Level(const QByteArray &chunk)
{
    const qsizetype samples = chunk.size() / 2;
    if (samples == 0)
        return 0.0f;
    const auto *bytes = reinterpret_cast<const unsigned char *>(chunk.constData());
    double sum = 0.0;
    for (qsizetype i = 0; i < samples; ++i) {
        const auto raw = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        const double s = static_cast<std::int16_t>(raw) / 32768.0;
        sum += s * s;
    }
    return levelFromRms(std::sqrt(sum / static_cast<double>(samples)));
}

} // namespace quillo
