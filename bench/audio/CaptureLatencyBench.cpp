// Time from AudioRecorder::start to the first chunk on a real sound server, with
// either capture adapter (the argument: 0 PulseAudio, 1 Qt Multimedia). Run
// through bench_audio_capture, which starts a private PulseAudio.
#include "audio/AudioRecorder.h"
#include "platform/pulse/PulseAudioInput.h"
#include "platform/qt/QtAudioInput.h"

#include <QCoreApplication>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

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

void BM_StartToFirstChunk(benchmark::State &state)
{
    AudioRecorder recorder(makeInput(state.range(0)));
    for (auto _ : state) {
        FirstChunk first;
        const auto started = Clock::now();
        if (!recorder.start(first.callback())) {
            state.SkipWithError("no input device (run under tests/support/with-pulse)");
            return;
        }
        if (!first.wait(std::chrono::milliseconds(5000))) {
            state.SkipWithError("no chunk within 5 s");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(*first.at - started).count());
        recorder.stop();
    }
}
BENCHMARK(BM_StartToFirstChunk)
    ->ArgName("adapter")
    ->Arg(0)
    ->Arg(1)
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
