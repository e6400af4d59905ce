// What desktops really send for a shortcut, and the presses and releases made of it.
#include "hotkeys/ShortcutPressTracker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace quillo {
namespace {

struct Signal {
    bool activated;
    std::chrono::milliseconds at;
};

struct TrackerCase {
    const char *desktop;
    bool holdLike;
    std::vector<Signal> signals;
    std::string expected; // P press, R release, in order
};

std::string run(const TrackerCase &c)
{
    ShortcutPressTracker tracker;
    const ShortcutPressTracker::TimePoint start{};
    std::string out;
    for (const Signal &s : c.signals) {
        const auto now = start + s.at;
        const auto events = s.activated ? tracker.activated(1, now) : tracker.deactivated(1, now, c.holdLike);
        for (const auto event : events)
            out += event == ShortcutPressTracker::Event::press ? 'P' : 'R';
    }
    return out;
}

class ShortcutPressTrackerTest : public ::testing::TestWithParam<TrackerCase> { };

TEST_P(ShortcutPressTrackerTest, GivesPressesAndReleasesADictationCanRelyOn)
{
    EXPECT_EQ(run(GetParam()), GetParam().expected) << GetParam().desktop;
}

constexpr bool A = true, D = false;

INSTANTIATE_TEST_SUITE_P(Desktops, ShortcutPressTrackerTest,
    ::testing::Values(TrackerCase{"KDE: held 3 s", true, {{A, 0ms}, {D, 3000ms}}, "PR"},
        TrackerCase{
            "GNOME: autorepeat while held", true, {{A, 0ms}, {A, 500ms}, {A, 533ms}, {A, 566ms}, {D, 2000ms}}, "PR"},
        TrackerCase{"GNOME: modifier let go first, so no release; the next press ends it", true,
            {{A, 0ms}, {A, 500ms}, {A, 1000ms}, {A, 6000ms}}, "PRP"},
        TrackerCase{"KDE lone modifier: both at the release, then again to stop", true,
            {{A, 0ms}, {D, 0ms}, {A, 4000ms}, {D, 4000ms}}, "PRP"},
        TrackerCase{"a quick tap of a chord keeps recording until the next press", true,
            {{A, 0ms}, {D, 120ms}, {A, 5000ms}, {D, 5300ms}}, "PRP"},
        TrackerCase{"toggle: a lost release never eats the next press", false, {{A, 0ms}, {A, 3000ms}}, "PRP"},
        TrackerCase{"toggle: tapped quickly is an ordinary press and release", false,
            {{A, 0ms}, {D, 80ms}, {A, 3000ms}, {D, 3080ms}}, "PRPR"},
        TrackerCase{"a release never pressed is still reported", false, {{D, 0ms}}, "R"}),
    [](const auto &info) { return std::to_string(info.index); });

} // namespace
} // namespace quillo
