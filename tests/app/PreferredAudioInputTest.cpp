#include "app/PreferredAudioInput.h"
#include "platform/fake/FakeAudioInput.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

// The preferred adapter (PulseAudio) while it finds a device, the fallback (Qt)
// otherwise, decided again for every recording.
TEST(PreferredAudioInput, FallsBackPerRecordingAndComesBack)
{
    auto preferredOwned = std::make_unique<FakeAudioInput>(AudioInputFormat{0, 0});
    auto fallbackOwned = std::make_unique<FakeAudioInput>(AudioInputFormat{44100, 2});
    FakeAudioInput &preferred = *preferredOwned;
    FakeAudioInput &fallback = *fallbackOwned;
    PreferredAudioInput input(std::move(preferredOwned), std::move(fallbackOwned));
    const auto ignore = [](const AudioBufferView &) {};

    struct Step {
        const char *name;
        AudioInputFormat preferredFormat;
        AudioInputFormat expected;
        FakeAudioInput *runs;
    };
    const Step steps[] = {
        {"no server: the fallback records", {0, 0}, {44100, 2}, &fallback},
        {"server up: the preferred records again", {48000, 1}, {48000, 1}, &preferred},
        {"server gone again", {0, 0}, {44100, 2}, &fallback},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        preferred.setFormat(step.preferredFormat);
        const AudioInputFormat format = input.inputFormat();
        EXPECT_EQ(format, step.expected);
        ASSERT_TRUE(input.start(format, 1600, ignore, {}));
        EXPECT_TRUE(step.runs->isRunning());
        EXPECT_FALSE((step.runs == &preferred ? fallback : preferred).isRunning());
        input.stop();
        EXPECT_FALSE(step.runs->isRunning());
    }

    // Neither has a device: the answer is unusable and nothing starts.
    fallback.setFormat({0, 0});
    EXPECT_FALSE(input.inputFormat().isUsable());
    input.stop(); // harmless
}

TEST(PreferredAudioInput, AStartFailureLeavesNothingRunning)
{
    auto preferredOwned = std::make_unique<FakeAudioInput>(AudioInputFormat{48000, 1});
    FakeAudioInput &preferred = *preferredOwned;
    PreferredAudioInput input(std::move(preferredOwned), std::make_unique<FakeAudioInput>());
    preferred.failNextStart(QStringLiteral("音频服务不可用"));
    const auto started = input.start(input.inputFormat(), 1600, [](const AudioBufferView &) {}, {});
    ASSERT_FALSE(started);
    EXPECT_EQ(started.error(), QStringLiteral("音频服务不可用"));
    const int stops = preferred.stopCount();
    input.stop();
    EXPECT_EQ(preferred.stopCount(), stops) << "nothing was running";
}

} // namespace
} // namespace quillo
