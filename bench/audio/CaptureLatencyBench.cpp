// Time from AudioRecorder::start to the first chunk on a real sound server, with
// either capture adapter (the argument: 0 PulseAudio, 1 Qt Multimedia), and from the
// key press to the first chunk as the program starts a recording. Run through
// bench_audio_capture, which starts a private PulseAudio. The time is the mean of 20
// recordings, median_ms their median; start_ms is the median time the caller (the main
// thread) spends inside start().
#include "audio/AudioRecorder.h"
#include "platform/pulse/PulseAudioInput.h"
#include "platform/qt/QtAudioInput.h"

#include <QCoreApplication>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quillo {
namespace {

using Clock = std::chrono::steady_clock;

struct FirstChunk {
    std::mutex lock;
    std::condition_variable arrived;
    std::optional<Clock::time_point> at;

    AudioRecorder::ChunkCallback callback()
    {
        return [this](const QByteArray &, float) {
            const std::lock_guard guard(lock);
            if (!at)
                at = Clock::now();
            arrived.notify_all();
        };
    }

    bool wait(std::chrono::milliseconds limit)
    {
        std::unique_lock guard(lock);
        return arrived.wait_for(guard, limit, [&] { return at.has_value(); });
    }
};

std::unique_ptr<AudioInput> makeInput(std::int64_t adapter)
{
    if (adapter == 0)
        return std::make_unique<PulseAudioInput>();
    return std::make_unique<QtAudioInput>();
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Per recording: from `begin` (start() or the key press) to the first chunk, and the
// time spent inside start().
struct Figures {
    std::vector<double> firstChunkMs;
    std::vector<double> startMs;

    void report(benchmark::State &state) const
    {
        state.counters["median_ms"] = median(firstChunkMs);
        state.counters["start_ms"] = median(startMs);
    }
};

// One recording; false when there was none.
bool recordOnce(benchmark::State &state, AudioRecorder &recorder, Clock::time_point begin, Figures &figures)
{
    FirstChunk first;
    const auto starting = Clock::now();
    if (!recorder.start(first.callback())) {
        state.SkipWithError("no input device (run under tests/support/with-pulse)");
        return false;
    }
    figures.startMs.push_back(millisecondsSince(starting));
    if (!first.wait(std::chrono::milliseconds(5000))) {
        state.SkipWithError("no chunk within 5 s");
        return false;
    }
    const double firstChunk = std::chrono::duration<double>(*first.at - begin).count();
    figures.firstChunkMs.push_back(firstChunk * 1000);
    state.SetIterationTime(firstChunk);
    recorder.stop();
    return true;
}

void BM_StartToFirstChunk(benchmark::State &state)
{
    AudioRecorder recorder(makeInput(state.range(0)));
    Figures figures;
    for (auto _ : state) {
        if (!recordOnce(state, recorder, Clock::now(), figures))
            return;
    }
    figures.report(state);
}
BENCHMARK(BM_StartToFirstChunk)
    ->ArgName("adapter")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// As the program does it: prepare() at the key press, then the API key is read from the
// keyring (keyReadMs on the main thread, which is free meanwhile), then start().
void BM_PressToFirstChunk(benchmark::State &state)
{
    AudioRecorder recorder(makeInput(0));
    const std::chrono::milliseconds keyRead(state.range(0));
    Figures figures;
    for (auto _ : state) {
        const auto pressed = Clock::now();
        recorder.prepare();
        std::this_thread::sleep_for(keyRead);
        if (!recordOnce(state, recorder, pressed, figures))
            return;
    }
    figures.report(state);
}
BENCHMARK(BM_PressToFirstChunk)
    ->ArgName("keyReadMs")
    ->Arg(0)
    ->Arg(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace
} // namespace quillo

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // A null sink renders in blocks of up to 2 s while nobody asks for less; a
    // silent low-latency stream keeps it ticking like a live microphone, so the
    // figure is ours rather than the test sink's.
    QProcess keepAlive;
    keepAlive.start(QStringLiteral("pacat"),
        {QStringLiteral("--playback"), QStringLiteral("-d"), QStringLiteral("vsink"),
            QStringLiteral("--latency-msec=10"), QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"),
            QStringLiteral("--channels=1"), QStringLiteral("/dev/zero")});
    keepAlive.waitForStarted(5000);
    {
        quillo::AudioRecorder warmUp(std::make_unique<quillo::QtAudioInput>());
        quillo::FirstChunk first;
        if (warmUp.start(first.callback()))
            first.wait(std::chrono::milliseconds(5000));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    keepAlive.kill();
    keepAlive.waitForFinished(5000);
    return 0;
}
