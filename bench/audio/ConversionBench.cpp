#include "audio/AudioLevel.h"
#include "audio/PCM16Converter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace quillo {
namespace {

std::vector<float> speechLike(int rate, int channels)
{
    std::vector<float> out(static_cast<std::size_t>(rate * channels));
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<float>(
            0.3 * std::sin(0.031 * static_cast<double>(i)) + 0.1 * std::sin(0.27 * static_cast<double>(i)));
    return out;
}

// One second of capture as the audio thread sees it: 1600-frame buffers, each
// converted and measured. Time per iteration = cost per second of audio.
void BM_ConvertAndLevelOneSecond(benchmark::State &state)
{
    const int rate = static_cast<int>(state.range(0));
    const int channels = static_cast<int>(state.range(1));
    const AudioInputFormat format{rate, channels};
    const auto second = speechLike(rate, channels);
    auto converter = PCM16Converter::create(format);
    const std::size_t block = 1600 * static_cast<std::size_t>(channels);
    for (auto _ : state) {
        for (std::size_t at = 0; at < second.size(); at += block) {
            const AudioBufferView buffer{
                std::span<const float>(second.data() + at, std::min(block, second.size() - at)), format};
            benchmark::DoNotOptimize(bufferLevel(buffer));
            benchmark::DoNotOptimize(converter->convert(buffer));
        }
    }
    state.SetItemsProcessed(state.iterations() * rate);
}
BENCHMARK(BM_ConvertAndLevelOneSecond)
    ->Args({48000, 1})
    ->Args({44100, 2})
    ->Args({16000, 1})
    ->Unit(benchmark::kMicrosecond);

// The level alone, so the figure above splits into resampling and metering.
void BM_BufferLevelOneSecond(benchmark::State &state)
{
    const AudioInputFormat format{48000, 1};
    const auto second = speechLike(48000, 1);
    for (auto _ : state) {
        for (std::size_t at = 0; at < second.size(); at += 1600)
            benchmark::DoNotOptimize(bufferLevel({std::span<const float>(second.data() + at, 1600), format}));
    }
}
BENCHMARK(BM_BufferLevelOneSecond)->Unit(benchmark::kMicrosecond);

void BM_PCM16LevelOneSecond(benchmark::State &state)
{
    auto converter = PCM16Converter::create({16000, 1});
    const auto second = speechLike(16000, 1);
    const QByteArray pcm = converter->convert({second, {16000, 1}});
    for (auto _ : state)
        benchmark::DoNotOptimize(pcm16Level(pcm));
}
BENCHMARK(BM_PCM16LevelOneSecond)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace quillo

BENCHMARK_MAIN();
