#include "audio/AudioLevel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace quillo {
namespace {

// A square wave of the given rms: every sample is +-rms.
std::vector<float> squareOfRms(double rms, std::size_t frames, int channels = 1)
{
    std::vector<float> out(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i)
        out[i * static_cast<std::size_t>(channels)] = static_cast<float>(i % 2 ? rms : -rms);
    return out;
}

QByteArray pcmOf(const std::vector<std::int16_t> &samples)
{
    QByteArray out;
    for (const auto s : samples) {
        const auto u = static_cast<std::uint16_t>(s);
        out.append(static_cast<char>(u & 0xff));
        out.append(static_cast<char>(u >> 8));
    }
    return out;
}

TEST(BufferLevel, FollowsTheDecibelScale)
{
    struct Case {
        double rms;
        float level;
    };
    const Case cases[] = {
        {0.0, 0.0f},
        {0.00001, 0.0f},
        {std::pow(10.0, -55.0 / 20), 0.0f},
        {0.01, 1.0f / 3},
        {std::pow(10.0, -32.5 / 20), 0.5f},
        {std::pow(10.0, -10.0 / 20), 1.0f},
        {1.0, 1.0f},
        {3.0, 1.0f},
    };
    for (const auto &c : cases) {
        const auto samples = squareOfRms(c.rms, 1600);
        EXPECT_NEAR(bufferLevel({samples, {48000, 1}}), c.level, 1e-5) << c.rms;
    }
}

TEST(BufferLevel, MeasuresChannelZeroOnly)
{
    auto samples = squareOfRms(0.01, 800, 2);
    for (std::size_t i = 1; i < samples.size(); i += 2)
        samples[i] = 1.0f;
    EXPECT_NEAR(bufferLevel({samples, {48000, 2}}), 1.0f / 3, 1e-5);
}

TEST(BufferLevel, EmptyOrBrokenInputGivesZero)
{
    EXPECT_EQ(bufferLevel({{}, {48000, 1}}), 0.0f);
    const std::vector<float> one{0.5f};
    EXPECT_EQ(bufferLevel({one, {48000, 2}}), 0.0f); // less than one frame
    const std::vector<float> nan(64, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(bufferLevel({nan, {48000, 1}}), 0.0f);
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
        {pcmOf({32767, -32768}), 1.0f, 0},
        {pcmOf({-32768, -32768, -32768}), 1.0f, 0},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(pcm16Level(c.chunk), c.level, c.tolerance) << c.chunk.toHex().toStdString();
}

TEST(PCM16Level, IgnoresADanglingOddByte)
{
    const QByteArray even = pcmOf({328, -328});
    EXPECT_FLOAT_EQ(pcm16Level(even + QByteArray(1, '\x7f')), pcm16Level(even));
}

} // namespace
} // namespace quillo
