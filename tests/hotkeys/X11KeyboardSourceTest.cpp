#include "platform/x11/X11KeyboardSource.h"
#include "hotkeys/HotkeyManager.h"
#include "platform/fake/ManualScheduler.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quillo;

namespace {

// Without an X server (a Wayland-only session, a broken DISPLAY) hotkeys are
// reported as unavailable and nothing crashes.
TEST(X11KeyboardSourceWithoutDisplay, ReportsEverythingUnavailable)
{
    const char *saved = std::getenv("DISPLAY");
    const std::string display = saved ? saved : "";
    setenv("DISPLAY", ":9999", 1);
    X11KeyboardSource source;
    if (saved)
        setenv("DISPLAY", display.c_str(), 1);
    else
        unsetenv("DISPLAY");

    ManualScheduler scheduler;
    HotkeyManager manager(source, scheduler);
    std::vector<QString> log;
    manager.debugLog = [&log](const QString &line) { log.push_back(line); };
    manager.shouldInterceptEscape = [] { return true; };
    manager.configure(defaultHoldHotkey, defaultToggleHotkey, std::nullopt);
    scheduler.advance(std::chrono::seconds(1));

    EXPECT_FALSE(manager.hasEventTap());
    EXPECT_FALSE(source.hasKey(49));
    EXPECT_EQ(source.currentModifiers(), 0u);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], QStringLiteral("register toggle ⌥Space status=-1"));
    EXPECT_EQ(log[2], QStringLiteral("modifier hold 右 ⌥ unavailable: no such key on this keyboard"));
    EXPECT_EQ(log[3], QStringLiteral("eventTap off listen=false post=false ax=false"));
}

} // namespace
