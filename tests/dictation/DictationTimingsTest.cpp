#include "dictation/DictationTimings.h"

#include <gtest/gtest.h>

#include <cctype>

#include <variant>
#include <vector>

using namespace quillo;
using namespace std::chrono_literals;
using Kind = DictationPhase::Kind;
using Stage = DictationTimings::Stage;

namespace {

struct Begin { };
// What the controller tells the timings, at a time in milliseconds.
struct Event {
    std::variant<Begin, Stage, Kind> what;
    int ms;
};

struct Case {
    const char *name;
    std::vector<Event> events;
    const char *summary; // of the newest record; null: none finished
};

class Timings : public ::testing::TestWithParam<Case> { };

TEST_P(Timings, SayWhereTheTimeWent)
{
    DictationTimings timings;
    const DictationTimings::TimePoint zero{};
    for (const Event &e : GetParam().events) {
        const auto at = zero + std::chrono::milliseconds(e.ms);
        if (std::holds_alternative<Begin>(e.what))
            timings.begin(at);
        else if (const auto *stage = std::get_if<Stage>(&e.what))
            timings.mark(*stage, at);
        else
            timings.phaseChanged(std::get<Kind>(e.what), at);
    }
    if (!GetParam().summary) {
        EXPECT_TRUE(timings.last().empty());
        return;
    }
    ASSERT_FALSE(timings.last().empty());
    EXPECT_EQ(timings.last().front().summary(), QString::fromUtf8(GetParam().summary));
}

INSTANTIATE_TEST_SUITE_P(Dictations, Timings,
    ::testing::Values(
        Case{"polished",
            {{Begin{}, 0}, {Kind::recording, 20}, {Stage::firstAudio, 50}, {Stage::firstAudio, 80},
                {Kind::transcribing, 2000}, {Stage::transcript, 2150}, {Kind::polishing, 2150},
                {Stage::chatAnswer, 2300}, {Stage::inserted, 2310}, {Kind::done, 2310}, {Kind::idle, 3000}},
            "press->recording 20 ms, press->audio 50 ms, release->transcript 150 ms, transcript->chat 150 ms, "
            "chat->paste 10 ms, release->paste 310 ms, done"},
        Case{"without the chat model",
            {{Begin{}, 0}, {Kind::recording, 20}, {Stage::firstAudio, 50}, {Kind::transcribing, 900},
                {Stage::transcript, 1000}, {Stage::inserted, 1012}, {Kind::done, 1012}},
            "press->recording 20 ms, press->audio 50 ms, release->transcript 100 ms, transcript->paste 12 ms, "
            "release->paste 112 ms, done"},
        Case{"refused before recording", {{Begin{}, 0}, {Kind::failed, 4}}, "failed"},
        Case{"cancelled while recording", {{Begin{}, 0}, {Kind::recording, 20}, {Kind::idle, 500}},
            "press->recording 20 ms, cancelled"},
        Case{"a new start drops the one left open",
            {{Begin{}, 0}, {Kind::recording, 20}, {Begin{}, 100}, {Kind::recording, 130}, {Kind::failed, 200}},
            "press->recording 30 ms, failed"},
        Case{"nothing counts outside a dictation", {{Kind::recording, 0}, {Stage::transcript, 10}, {Kind::done, 20}},
            nullptr}),
    [](const auto &info) {
        std::string name = info.param.name;
        for (char &c : name)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(Timings, KeepOnlyTheLastDictationsAndTellOfEach)
{
    DictationTimings timings;
    int told = 0;
    timings.onFinished = [&told](const DictationTimings::Record &) { ++told; };
    const DictationTimings::TimePoint zero{};
    for (std::size_t i = 0; i < DictationTimings::kept + 3; ++i) {
        timings.begin(zero + std::chrono::seconds(i));
        timings.phaseChanged(Kind::done, zero + std::chrono::seconds(i) + 1ms);
    }
    EXPECT_EQ(told, static_cast<int>(DictationTimings::kept) + 3);
    ASSERT_EQ(timings.last().size(), DictationTimings::kept);
    EXPECT_EQ(timings.last().front().of(Stage::pressed), zero + std::chrono::seconds(DictationTimings::kept + 2));
}

} // namespace
