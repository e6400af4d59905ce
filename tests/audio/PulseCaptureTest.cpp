// Capture from a real sound server: run under tests/support/with-pulse, whose
// default source "vmic" hears whatever is played into the sink "vsink".
#include "audio/AudioRecorder.h"
#include "audio/SpeechGate.h"
#include "platform/pulse/PulseAudioInput.h"
#include "platform/qt/QtAudioInput.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>

#include <gtest/gtest.h>

#include <optional>

#include <chrono>
#include <condition_variable>
#include <iostream>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

namespace quillo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test_audio_capture";
        static char *argv[] = {name, nullptr};
        app_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] auto *const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Everything the audio thread hands over, with its arrival time and thread. A
// callback may still run after stop(): declare a Capture before the recorder, so
// it outlives the recorder, whose end waits for the audio thread.
struct Capture {
    struct Chunk {
        QByteArray data;
        float level;
        Clock::time_point at;
        std::thread::id thread;
    };

    AudioRecorder::ChunkCallback callback()
    {
        return [this](const QByteArray &data, float level) {
            const std::lock_guard guard(lock);
            chunks.push_back({data, level, Clock::now(), std::this_thread::get_id()});
            arrived.notify_all();
        };
    }

    bool waitForChunks(std::size_t count, std::chrono::milliseconds limit)
    {
        std::unique_lock guard(lock);
        return arrived.wait_for(guard, limit, [&] { return chunks.size() >= count; });
    }

    std::vector<Chunk> taken()
    {
        const std::lock_guard guard(lock);
        return chunks;
    }

    AudioRecorder::ErrorCallback errorCallback()
    {
        return [this](const AudioRecorderError &error) {
            const std::lock_guard guard(lock);
            errors.push_back({error, std::this_thread::get_id()});
            arrived.notify_all();
        };
    }

    bool waitForError(std::chrono::milliseconds limit)
    {
        std::unique_lock guard(lock);
        return arrived.wait_for(guard, limit, [&] { return !errors.empty(); });
    }

    std::size_t errorCount()
    {
        const std::lock_guard guard(lock);
        return errors.size();
    }

    struct Error {
        AudioRecorderError error;
        std::thread::id thread;
    };

    std::mutex lock;
    std::condition_variable arrived;
    std::vector<Chunk> chunks;
    std::vector<Error> errors;
};

// The two capture adapters: PulseAudio with a connection per recording, and Qt
// Multimedia, kept as the fallback.
std::unique_ptr<AudioInput> makeInput(const std::string &adapter, const QString &device = {})
{
    if (adapter == "pulse")
        return std::make_unique<PulseAudioInput>(device);
    return std::make_unique<QtAudioInput>(device);
}

long long millisecondsOf(Clock::duration d)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

bool runToEnd(QProcess &process, const QString &program, const QStringList &args, int timeoutMs)
{
    process.start(program, args);
    return process.waitForFinished(timeoutMs) && process.exitCode() == 0;
}

class PulseServer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // A null sink renders in blocks of up to 2 s while nothing asks for less,
        // so its monitor delivers nothing for that long; a real capture device has
        // no such wait. A silent low-latency stream keeps the sink rendering in
        // short blocks, like a live microphone.
        keepAlive = new QProcess;
        keepAlive->start(QStringLiteral("pacat"),
            {QStringLiteral("--playback"), QStringLiteral("-d"), QStringLiteral("vsink"),
                QStringLiteral("--latency-msec=10"), QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"),
                QStringLiteral("--channels=1"), QStringLiteral("/dev/zero")});
        keepAlive->waitForStarted(5000);
        // Wait out the block the sink was in when the stream arrived.
        Capture capture;
        AudioRecorder warmUp(makeInput("pulse"));
        if (warmUp.start(capture.callback()))
            capture.waitForChunks(1, 5000ms);
        warmUp.stop();
    }

    static void TearDownTestSuite()
    {
        keepAlive->kill();
        keepAlive->waitForFinished(5000);
        delete keepAlive;
        keepAlive = nullptr;
    }

    static QProcess *keepAlive;
};

QProcess *PulseServer::keepAlive = nullptr;

class PulseCaptureTest : public PulseServer, public ::testing::WithParamInterface<std::string> { };

TEST_P(PulseCaptureTest, FirstChunkArrivesQuicklyAcrossStopsAndRestarts)
{
    std::list<Capture> captures;
    AudioRecorder recorder(makeInput(GetParam()));
    recorder.stop();
    for (int run = 0; run < 3; ++run) {
        Capture &replaced = captures.emplace_back();
        ASSERT_TRUE(recorder.start(replaced.callback()));
        Capture &capture = captures.emplace_back();
        const auto started = Clock::now();
        ASSERT_TRUE(recorder.start(capture.callback()));
        ASSERT_TRUE(capture.waitForChunks(1, 3000ms)) << "no audio at all";
        const auto firstChunk = capture.taken().front().at - started;
        recorder.stop();
        recorder.stop();
        // The figure for bench/README.md: start() (device query included) to the first chunk.
        std::cout << GetParam() << " run " << run << ": first chunk " << millisecondsOf(firstChunk) << " ms\n";
        EXPECT_LT(firstChunk, 500ms) << "run " << run << ": first chunk after " << millisecondsOf(firstChunk) << " ms";
    }
}

TEST_P(PulseCaptureTest, SpeechArrivesOffTheMainThreadAtFullRateAndOpensTheGate)
{
    QTemporaryDir dir;
    const QString speech = dir.filePath(QStringLiteral("speech.wav"));
    QProcess espeak;
    ASSERT_TRUE(runToEnd(espeak, QStringLiteral("espeak-ng"),
        {QStringLiteral("-v"), QStringLiteral("zh"), QStringLiteral("我们明天下午四点开会"), QStringLiteral("-w"),
            speech},
        20000));

    Capture capture;
    AudioRecorder recorder(makeInput(GetParam()));
    const auto started = Clock::now();
    ASSERT_TRUE(recorder.start(capture.callback()));
    QProcess player;
    ASSERT_TRUE(
        runToEnd(player, QStringLiteral("paplay"), {QStringLiteral("-d"), QStringLiteral("vsink"), speech}, 20000));
    std::this_thread::sleep_for(300ms); // the tail still in the pipeline
    recorder.stop();
    const auto elapsed = std::chrono::duration<double>(Clock::now() - started).count();
    const auto chunks = capture.taken();
    ASSERT_FALSE(chunks.empty());

    SpeechGate gate;
    qsizetype bytes = 0;
    float loudest = 0;
    for (const auto &chunk : chunks) {
        EXPECT_NE(chunk.thread, std::this_thread::get_id());
        bytes += chunk.data.size();
        loudest = std::max(loudest, chunk.level);
        gate.process(chunk.data, chunk.level);
    }
    EXPECT_TRUE(gate.isOpen()) << "loudest level " << loudest;
    // The sound server hands over a tenth of a second at a time; chunks still come at
    // the pace of 1600-frame buffers (about 1070 bytes of 16 kHz audio from 48 kHz).
    std::vector<qsizetype> sizes;
    for (const auto &chunk : chunks)
        sizes.push_back(chunk.data.size());
    std::nth_element(sizes.begin(), sizes.begin() + sizes.size() / 2, sizes.end());
    EXPECT_GT(sizes[sizes.size() / 2], 600);
    EXPECT_LT(sizes[sizes.size() / 2], 1800);
    // 16 000 samples per second of recording, give or take start-up and the
    // buffer still in flight at stop.
    const double rate = static_cast<double>(bytes / 2) / elapsed;
    EXPECT_NEAR(rate, 16000, 1600) << bytes << " bytes in " << elapsed << " s";
}

// The index the server gives the next client: every connection takes the next one.
int nextClientIndex()
{
    QProcess pactl;
    if (!runToEnd(pactl, QStringLiteral("pactl"),
            {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("clients")}, 10000))
        return -1;
    int highest = -1;
    for (const QByteArray &line : pactl.readAllStandardOutput().split('\n'))
        highest = std::max(highest, line.split('\t').value(0).toInt());
    return highest + 1; // pactl's own connection was the highest
}

class PulseConnections : public PulseServer { };

TEST_F(PulseConnections, EachRecordingOpensOne)
{
    Capture capture;
    AudioRecorder recorder(makeInput("pulse"));
    for (const bool prepared : {false, true}) {
        const int before = nextClientIndex();
        if (prepared)
            recorder.prepare();
        ASSERT_TRUE(recorder.start(capture.callback()));
        recorder.stop();
        EXPECT_EQ(nextClientIndex(), before + 2) << "one for the recording, one for pactl; prepared: " << prepared;
    }
}

TEST_P(PulseCaptureTest, UnknownDeviceNameMeansNoDevice)
{
    Capture capture;
    AudioRecorder recorder(makeInput(GetParam(), QStringLiteral("no-such-microphone-xyz")));
    const auto result = recorder.start(capture.callback());
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, AudioRecorderError::Kind::noInputDevice);
    AudioRecorder named(makeInput(GetParam(), QStringLiteral("VMIC")));
    EXPECT_TRUE(named.start(capture.callback()));
}

bool shell(const char *script)
{
    QProcess process;
    return runToEnd(process, QStringLiteral("sh"), {QStringLiteral("-c"), QString::fromLatin1(script)}, 20000);
}

INSTANTIATE_TEST_SUITE_P(Adapters, PulseCaptureTest, ::testing::Values("pulse", "qt"),
    [](const ::testing::TestParamInfo<std::string> &info) { return info.param; });

// The faults below change the server itself (a CTest entry of their own runs them
// with a server of their own), with the adapter the program prefers.
class PulseFaultTest : public PulseServer { };

const char *const unloadMicrophone
    = "pactl unload-module $(pactl list short modules | awk '/module-remap-source/ { print $1 }')";
const char *const loadMicrophone = "pactl load-module module-remap-source master=vsink.monitor source_name=vmic"
                                   " >/dev/null && pactl set-default-source vmic";

TEST_F(PulseFaultTest, MicrophoneRemovedMidRecordingEndsItOnceAndTheNextOneHears)
{
    Capture before;
    Capture after;
    AudioRecorder recorder(makeInput("pulse"));
    ASSERT_TRUE(recorder.start(before.callback(), before.errorCallback()));
    ASSERT_TRUE(before.waitForChunks(2, 3000ms));
    ASSERT_TRUE(shell(unloadMicrophone));
    ASSERT_TRUE(before.waitForError(3000ms)) << "the recording went on without a microphone";
    const std::size_t chunks = before.taken().size();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(before.errorCount(), 1u);
    EXPECT_EQ(before.errors[0].error.kind, AudioRecorderError::Kind::deviceLost);
    EXPECT_NE(before.errors[0].thread, std::this_thread::get_id());
    EXPECT_EQ(before.taken().size(), chunks) << "audio after the end was reported";
    const auto stopping = Clock::now();
    recorder.stop();
    EXPECT_LT(Clock::now() - stopping, 2s) << "stop waited for a gone device";

    ASSERT_TRUE(shell(loadMicrophone));
    ASSERT_TRUE(recorder.start(after.callback(), after.errorCallback()));
    EXPECT_TRUE(after.waitForChunks(2, 3000ms)) << "no audio once the microphone was back";
    recorder.stop();
    EXPECT_EQ(after.errorCount(), 0u);
    EXPECT_EQ(before.errorCount(), 1u);
}

// The same server with-pulse starts, started again.
const char *const restartServer
    = "pulseaudio --kill; for i in $(seq 100); do pactl info >/dev/null 2>&1 || break; sleep 0.05; done;"
      " pulseaudio -D --exit-idle-time=-1 -n --disallow-exit=false --system=false"
      " --load=module-native-protocol-unix --load='module-null-sink sink_name=vsink'"
      " --load='module-remap-source master=vsink.monitor source_name=vmic' --load=module-always-sink"
      " >/dev/null 2>&1;"
      " for i in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done;"
      " pactl set-default-source vmic && pactl set-default-sink vsink";

TEST_F(PulseFaultTest, ServerKilledMidRecordingEndsItAndARestartedOneIsFoundAgain)
{
    Capture first;
    Capture second;
    AudioRecorder recorder(makeInput("pulse"));
    ASSERT_TRUE(recorder.start(first.callback(), first.errorCallback()));
    ASSERT_TRUE(first.waitForChunks(2, 3000ms));
    ASSERT_TRUE(shell(restartServer));
    EXPECT_TRUE(first.waitForError(3000ms)) << "the recording outlived its server";
    EXPECT_EQ(first.errorCount(), 1u);
    recorder.stop();
    keepAlive->kill();
    keepAlive->waitForFinished(5000);
    keepAlive->start(keepAlive->program(), keepAlive->arguments());
    keepAlive->waitForStarted(5000);

    // No event loop, no retry: the next start simply finds the new server.
    const auto started = recorder.start(second.callback(), second.errorCallback());
    ASSERT_TRUE(started) << started.error().description().toStdString();
    EXPECT_TRUE(second.waitForChunks(2, 5000ms)) << "no audio from the restarted server";
    recorder.stop();
    EXPECT_EQ(second.errorCount(), 0u);
}

// Run with no sound server reachable (PULSE_SERVER pointing nowhere): both
// adapters refuse at once.
class NoSoundServer : public ::testing::TestWithParam<std::string> { };

TEST_P(NoSoundServer, StartReportsNoInputDeviceAtOnce)
{
    Capture capture;
    AudioRecorder recorder(makeInput(GetParam()));
    const auto starting = Clock::now();
    const auto result = recorder.start(capture.callback(), capture.errorCallback());
    EXPECT_LT(Clock::now() - starting, 1s);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, AudioRecorderError::Kind::noInputDevice);
    EXPECT_EQ(result.error().description(), QStringLiteral("没有可用的麦克风输入设备"));
    recorder.stop();
    EXPECT_EQ(capture.errorCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Adapters, NoSoundServer, ::testing::Values("pulse", "qt"),
    [](const ::testing::TestParamInfo<std::string> &info) { return info.param; });

// A sound server that takes the connection and never answers (hung, stopped).
class SilentSoundServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(silent_.listen(dir_.filePath(QStringLiteral("native"))));
        qputenv("PULSE_SERVER", "unix:" + silent_.fullServerName().toUtf8());
        recorder.emplace(std::make_unique<PulseAudioInput>(QString(), 500ms));
    }
    void TearDown() override { qputenv("PULSE_SERVER", saved_); }

    Capture capture;
    std::optional<AudioRecorder> recorder; // made once the server is in place

private:
    QTemporaryDir dir_;
    QLocalServer silent_;
    const QByteArray saved_ = qgetenv("PULSE_SERVER");
};

// The start gives up within the connection time-out instead of freezing the program.
TEST_F(SilentSoundServer, StartGivesUpWithinTheTimeOut)
{
    const auto starting = Clock::now();
    const auto result = recorder->start(capture.callback(), capture.errorCallback());
    const auto took = Clock::now() - starting;
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, AudioRecorderError::Kind::noInputDevice);
    EXPECT_GE(took, 400ms);
    EXPECT_LT(took, 2s) << millisecondsOf(took) << " ms";
}

// Opening the connection ahead of a start leaves the caller's thread free even when the
// server never answers; the start that follows waits no longer than the time-out.
TEST_F(SilentSoundServer, PrepareReturnsAtOnce)
{
    const auto preparing = Clock::now();
    recorder->prepare();
    const auto prepareTook = Clock::now() - preparing;
    const auto result = recorder->start(capture.callback(), capture.errorCallback());
    const auto took = Clock::now() - preparing;
    EXPECT_LT(prepareTook, 200ms) << millisecondsOf(prepareTook) << " ms";
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, AudioRecorderError::Kind::noInputDevice);
    EXPECT_LT(took, 2s) << millisecondsOf(took) << " ms";
}

} // namespace
} // namespace quillo
