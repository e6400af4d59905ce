#include "audio/AudioLevel.h"
#include "audio/PCM16Converter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace quillo {
namespace {

std::vector<float> sine(int rate, int channels, double seconds, double hz, double amplitude)
{
    const auto frames = static_cast<std::size_t>(rate * seconds);
    std::vector<float> out(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c)
            // Other channels carry a different signal, so taking the wrong one shows.
            out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)]
                = c == 0 ? static_cast<float>(v) : static_cast<float>(0.9 * std::cos(v));
    }
    return out;
}

std::vector<std::int16_t> samplesOf(const QByteArray &chunk)
{
    std::vector<std::int16_t> out(static_cast<std::size_t>(chunk.size() / 2));
    const auto *b = reinterpret_cast<const unsigned char *>(chunk.constData());
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(b[2 * i] | (b[2 * i + 1] << 8)));
    return out;
}

// Feeds `input` in blocks of blockFrames and returns every chunk produced.
std::vector<QByteArray> convertInBlocks(
    PCM16Converter &converter, const std::vector<float> &input, std::size_t blockFrames)
{
    const AudioInputFormat format = converter.inputFormat();
    const auto stride = static_cast<std::size_t>(format.channelCount);
    std::vector<QByteArray> chunks;
    for (std::size_t start = 0; start < input.size(); start += blockFrames * stride) {
        const std::size_t count = std::min(blockFrames * stride, input.size() - start);
        chunks.push_back(converter.convert({std::span<const float>(input.data() + start, count), format}));
    }
    return chunks;
}

QByteArray joined(const std::vector<QByteArray> &chunks)
{
    QByteArray all;
    for (const auto &c : chunks)
        all += c;
    return all;
}

struct FormatCase {
    int rate;
    int channels;
};

class ConverterFormats : public ::testing::TestWithParam<FormatCase> { };

TEST_P(ConverterFormats, ChunksFollowInputBuffersAndKeepTheSignal)
{
    const auto [rate, channels] = GetParam();
    auto converter = PCM16Converter::create({rate, channels});
    ASSERT_TRUE(converter);
    const auto input = sine(rate, channels, 2.0, 440, 0.5);
    const auto chunks = convertInBlocks(*converter, input, 1600);

    // The resampler hands out whole filter blocks, so sizes vary around the
    // proportional share, but nearly every buffer yields its chunk.
    const double expected = 1600.0 * 16000 / rate;
    std::size_t empty = 0;
    for (const auto &chunk : chunks) {
        empty += chunk.isEmpty();
        EXPECT_LE(chunk.size() / 2, 2.1 * expected);
    }
    EXPECT_LE(empty, 1u);

    const auto out = samplesOf(joined(chunks));
    // Everything but the resampler's filter delay comes out, as 16 kHz.
    EXPECT_GT(out.size(), 2 * 16000 - 16000 / 20);
    EXPECT_LE(out.size(), 2 * 16000u);

    // Past the filter's start-up the level matches a 0.5 sine, i.e. channel 0.
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = 4000; i < out.size(); ++i, ++n)
        sum += (out[i] / 32768.0) * (out[i] / 32768.0);
    EXPECT_NEAR(std::sqrt(sum / static_cast<double>(n)), 0.5 / std::sqrt(2.0), 0.005);
}

TEST_P(ConverterFormats, SmallBuffersGiveTheSameAudioAsOneWholeBuffer)
{
    const auto [rate, channels] = GetParam();
    const auto input = sine(rate, channels, 1.0, 1000, 0.8);
    auto whole = PCM16Converter::create({rate, channels});
    auto pieces = PCM16Converter::create({rate, channels});
    const auto a = samplesOf(joined(convertInBlocks(*whole, input, input.size())));
    const auto b = samplesOf(joined(convertInBlocks(*pieces, input, 37)));
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_LE(std::abs(a[i] - b[i]), 1) << "sample " << i;
}

TEST_P(ConverterFormats, SilenceStaysExactlyZero)
{
    const auto [rate, channels] = GetParam();
    auto converter = PCM16Converter::create({rate, channels});
    const std::vector<float> silence(static_cast<std::size_t>(rate * channels), 0.0f);
    const auto out = samplesOf(joined(convertInBlocks(*converter, silence, 480)));
    ASSERT_FALSE(out.empty());
    for (const auto s : out)
        ASSERT_EQ(s, 0);
}

TEST_P(ConverterFormats, OverloadClipsWithoutWrapping)
{
    const auto [rate, channels] = GetParam();
    auto converter = PCM16Converter::create({rate, channels});
    const auto input = sine(rate, channels, 0.5, 200, 1.6);
    const auto out = samplesOf(joined(convertInBlocks(*converter, input, 1600)));
    std::size_t atTop = 0;
    std::size_t atBottom = 0;
    // A wrapped sample would flip sign in the middle of a loud half-wave.
    for (std::size_t i = 1000; i + 1 < out.size(); ++i) {
        atTop += out[i] == 32767;
        atBottom += out[i] == -32768;
        if (out[i - 1] > 20000 && out[i + 1] > 20000) {
            ASSERT_GT(out[i], 0) << i;
        }
        if (out[i - 1] < -20000 && out[i + 1] < -20000) {
            ASSERT_LT(out[i], 0) << i;
        }
    }
    EXPECT_GT(atTop, 100u);
    EXPECT_GT(atBottom, 100u);
}

INSTANTIATE_TEST_SUITE_P(Rates, ConverterFormats,
    ::testing::Values(FormatCase{48000, 1}, FormatCase{48000, 2}, FormatCase{44100, 1}, FormatCase{44100, 2},
        FormatCase{16000, 1}, FormatCase{16000, 2}, FormatCase{8000, 1}, FormatCase{8000, 2}),
    [](const auto &info) {
        return std::to_string(info.param.rate) + "Hz_" + std::to_string(info.param.channels) + "ch";
    });

TEST(PCM16Converter, RefusesFormatsItCannotConvert)
{
    for (const AudioInputFormat f : {AudioInputFormat{0, 1}, AudioInputFormat{48000, 0}, AudioInputFormat{-44100, 2},
             AudioInputFormat{100, 1}, AudioInputFormat{48000, 100000}})
        EXPECT_FALSE(PCM16Converter::create(f)) << f.sampleRate << "/" << f.channelCount;
}

TEST(PCM16Converter, DropsBuffersOfAnotherFormat)
{
    auto converter = PCM16Converter::create({48000, 1});
    const std::vector<float> samples(3200, 0.1f);
    EXPECT_TRUE(converter->convert({samples, {44100, 1}}).isEmpty());
    EXPECT_TRUE(converter->convert({samples, {48000, 2}}).isEmpty());
    EXPECT_TRUE(converter->convert({{}, {48000, 1}}).isEmpty());
}

TEST(PCM16Quantize, RoundsAndClips)
{
    struct Case {
        float in;
        std::int16_t out;
    };
    const Case cases[] = {
        {0.0f, 0},
        {-0.0f, 0},
        {1.0f, 32767},
        {-1.0f, -32768},
        {4.0f, 32767},
        {-4.0f, -32768},
        {0.5f, 16384},
        {-0.5f, -16384},
        {0.4f / 32768, 0},
        {0.6f / 32768, 1},
        {-0.6f / 32768, -1},
        {1.4f / 32768, 1},
        {std::numeric_limits<float>::infinity(), 32767},
        {-std::numeric_limits<float>::infinity(), -32768},
        {std::numeric_limits<float>::quiet_NaN(), 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pcm16::fromFloat(c.in), c.out) << c.in;
}

} // namespace
} // namespace quillo
