#include "audio/AudioRecorder.h"
#include "audio/AudioLevel.h"
#include "platform/fake/FakeAudioInput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace quillo {
namespace {

using namespace std::chrono_literals;

struct Received {
    std::vector<QByteArray> chunks;
    std::vector<float> levels;
    std::vector<std::thread::id> threads;
};

class AudioRecorderTest : public ::testing::Test {
protected:
    AudioRecorderTest()
    {
        auto input = std::make_unique<FakeAudioInput>(AudioInputFormat{48000, 1});
        fake = input.get();
        recorder = std::make_unique<AudioRecorder>(std::move(input));
    }

    AudioRecorder::ChunkCallback collect()
    {
        return [this](const QByteArray &chunk, float level) {
            got.chunks.push_back(chunk);
            got.levels.push_back(level);
            got.threads.push_back(std::this_thread::get_id());
        };
    }

    std::vector<float> buffer(float value = 0.01f, std::size_t frames = 1600)
    {
        std::vector<float> b(frames);
        for (std::size_t i = 0; i < frames; ++i)
            b[i] = i % 2 ? value : -value;
        return b;
    }

    FakeAudioInput *fake = nullptr;
    std::unique_ptr<AudioRecorder> recorder;
    Received got;
};

TEST_F(AudioRecorderTest, RefusesUnusableDevicesWithoutStarting)
{
    struct Case {
        AudioInputFormat format;
        AudioRecorderError::Kind kind;
    };
    const Case cases[] = {
        {{0, 2}, AudioRecorderError::Kind::noInputDevice},
        {{48000, 0}, AudioRecorderError::Kind::noInputDevice},
        {{-1, 1}, AudioRecorderError::Kind::noInputDevice},
        {{50, 1}, AudioRecorderError::Kind::converterUnavailable},
    };
    recorder->stop(); // never started: harmless
    for (const auto &c : cases) {
        fake->setFormat(c.format);
        const auto result = recorder->start(collect());
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().kind, c.kind);
        EXPECT_EQ(fake->startCount(), 0);
    }
    EXPECT_EQ(AudioRecorderError::noInputDevice().description(), QStringLiteral("没有可用的麦克风输入设备"));
    EXPECT_EQ(AudioRecorderError::converterUnavailable().description(), QStringLiteral("无法转换麦克风音频格式"));
}

TEST_F(AudioRecorderTest, PassesTheEngineErrorOnAndDeliversNothing)
{
    fake->failNextStart(QStringLiteral("Connection refused"));
    const auto result = recorder->start(collect());
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), AudioRecorderError::engineFailed(QStringLiteral("Connection refused")));
    EXPECT_TRUE(result.error().description().contains(QStringLiteral("Connection refused")));
    EXPECT_FALSE(fake->feed(buffer()));
    EXPECT_TRUE(got.chunks.empty());
}

TEST_F(AudioRecorderTest, DeliversChunkAndLevelOnTheAudioThreadUntilStopped)
{
    ASSERT_TRUE(recorder->start(collect()));
    EXPECT_EQ(fake->lastFramesHint(), AudioRecorder::bufferFrames);
    std::thread audio([&] {
        for (int i = 0; i < 10; ++i)
            fake->feed(buffer());
    });
    audio.join();
    recorder->stop();
    EXPECT_FALSE(fake->feed(buffer()));

    ASSERT_GE(got.chunks.size(), 8u);
    qsizetype bytes = 0;
    for (std::size_t i = 0; i < got.chunks.size(); ++i) {
        EXPECT_NE(got.threads[i], std::this_thread::get_id());
        EXPECT_NEAR(got.levels[i], 1.0f / 3, 1e-4);
        bytes += got.chunks[i].size();
    }
    // 10 x 1600 frames at 48 kHz is 5333 samples at 16 kHz, less the filter delay.
    EXPECT_GT(bytes / 2, 4800);
    EXPECT_LE(bytes / 2, 5334);
}

TEST_F(AudioRecorderTest, EachRecordingStartsWithAFreshConverter)
{
    std::vector<float> speech(1600);
    for (std::size_t i = 0; i < speech.size(); ++i)
        speech[i] = static_cast<float>(0.5 * std::sin(0.05 * static_cast<double>(i)));
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(recorder->start(collect()));
        for (int i = 0; i < 4; ++i)
            fake->feed(speech);
        recorder->stop();
    }
    // Resampler state left over from the first run would change the second.
    ASSERT_EQ(got.chunks.size() % 2, 0u);
    ASSERT_GE(got.chunks.size(), 4u);
    const std::size_t half = got.chunks.size() / 2;
    for (std::size_t i = 0; i < half; ++i)
        EXPECT_EQ(got.chunks[i], got.chunks[half + i]) << i;
}

TEST_F(AudioRecorderTest, StartWhileRunningReplacesTheCallback)
{
    ASSERT_TRUE(recorder->start(collect()));
    int second = 0;
    ASSERT_TRUE(recorder->start([&](const QByteArray &, float) { ++second; }));
    for (int i = 0; i < 3; ++i)
        fake->feed(buffer());
    EXPECT_TRUE(got.chunks.empty());
    EXPECT_GE(second, 2);
}

TEST_F(AudioRecorderTest, StopDoesNotWaitForARunningCallback)
{
    std::promise<void> entered;
    std::promise<void> release;
    auto released = release.get_future().share();
    std::atomic<int> calls = 0;
    ASSERT_TRUE(recorder->start([&, released](const QByteArray &, float) {
        if (calls++ == 0) {
            entered.set_value();
            released.wait_for(10s);
        }
    }));
    // The resampler may swallow the first buffer while its filter fills.
    std::thread audio([&] {
        for (int i = 0; i < 5 && calls == 0; ++i)
            fake->feed(buffer());
    });
    ASSERT_EQ(entered.get_future().wait_for(5s), std::future_status::ready);

    auto stopped = std::async(std::launch::async, [&] { recorder->stop(); });
    EXPECT_EQ(stopped.wait_for(2s), std::future_status::ready) << "stop waited on the callback";
    release.set_value();
    audio.join();
    stopped.wait();
    EXPECT_EQ(calls.load(), 1);
}

TEST_F(AudioRecorderTest, LostDeviceIsReportedOnceOnTheAudioThreadAndEndsDelivery)
{
    std::vector<AudioRecorderError> errors;
    std::vector<std::thread::id> errorThreads;
    ASSERT_TRUE(recorder->start(collect(), [&](const AudioRecorderError &error) {
        errors.push_back(error);
        errorThreads.push_back(std::this_thread::get_id());
    }));
    std::thread audio([&] {
        for (int i = 0; i < 4; ++i)
            fake->feed(buffer());
        fake->lose(QStringLiteral("Stream killed"));
        fake->feed(buffer()); // nothing runs any more
    });
    audio.join();
    const std::size_t before = got.chunks.size();
    EXPECT_GE(before, 2u);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].kind, AudioRecorderError::Kind::deviceLost);
    EXPECT_EQ(errors[0].description(), QStringLiteral("麦克风已断开，录音已结束"));
    EXPECT_NE(errorThreads[0], std::this_thread::get_id());
    EXPECT_FALSE(fake->lose(QStringLiteral("again")));
    recorder->stop();
    EXPECT_EQ(errors.size(), 1u);

    // The next recording starts as usual and hears again.
    ASSERT_TRUE(recorder->start(collect(), [&](const AudioRecorderError &error) { errors.push_back(error); }));
    fake->feed(buffer());
    fake->feed(buffer());
    EXPECT_GT(got.chunks.size(), before);
    recorder->stop();
    EXPECT_FALSE(fake->lose(QStringLiteral("after stop")));
    EXPECT_EQ(errors.size(), 1u);
}

} // namespace
} // namespace quillo
