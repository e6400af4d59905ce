#include "audio/AudioLevel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace quillo {
namespace {

// Channel 0 alternates +-rms; other channels are loud, to show they are ignored.
std::vector<float> squareOfRms(double rms, std::size_t frames, int channels)
{
    std::vector<float> out(frames * static_cast<std::size_t>(channels), 1.0f);
    for (std::size_t i = 0; i < frames; ++i)
        out[i * static_cast<std::size_t>(channels)] = static_cast<float>(i % 2 ? rms : -rms);
    return out;
}

QByteArray pcmOf(std::initializer_list<std::int16_t> samples)
{
    QByteArray out;
    for (const auto s : samples) {
        out.append(static_cast<char>(static_cast<std::uint16_t>(s) & 0xff));
        out.append(static_cast<char>(static_cast<std::uint16_t>(s) >> 8));
    }
    return out;
}

TEST(BufferLevel, FollowsTheDecibelScaleOnChannelZero)
{
    struct Case {
        double rms;
        int channels;
        float level;
    };
    const Case cases[] = {
        {0.0, 1, 0.0f},
        {std::pow(10.0, -55.0 / 20), 1, 0.0f},
        {0.01, 1, 1.0f / 3},
        {0.01, 2, 1.0f / 3},
        {std::pow(10.0, -32.5 / 20), 1, 0.5f},
        {std::pow(10.0, -10.0 / 20), 2, 1.0f},
        {3.0, 1, 1.0f},
        {std::numeric_limits<double>::quiet_NaN(), 1, 0.0f},
    };
    for (const auto &c : cases) {
        const auto samples = squareOfRms(c.rms, 1600, c.channels);
        EXPECT_NEAR(bufferLevel({samples, {48000, c.channels}}), c.level, 1e-5) << c.rms << "/" << c.channels;
    }
    const std::vector<float> lessThanAFrame{0.5f};
    EXPECT_EQ(bufferLevel({lessThanAFrame, {48000, 2}}), 0.0f);
    EXPECT_EQ(bufferLevel({{}, {48000, 1}}), 0.0f);
}

TEST(PCM16Level, MatchesTheFloatScale)
{
    struct Case {
        QByteArray chunk;
        float level;
        float tolerance;
    };
    const Case cases[] = {
        {QByteArray(), 0.0f, 0},
        {QByteArray(1, '\x7f'), 0.0f, 0},
        {pcmOf({0, 0, 0, 0}), 0.0f, 0},
        {pcmOf({328, -328, 328, -328}), 1.0f / 3, 0.001f}, // rms ~0.01
        {pcmOf({328, -328}) + QByteArray(1, '\x7f'), 1.0f / 3, 0.001f}, // a dangling byte is no sample
        {pcmOf({32767, -32768}), 1.0f, 0},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(pcm16Level(c.chunk), c.level, c.tolerance) << c.chunk.toHex().toStdString();
}

} // namespace
} // namespace quillo
