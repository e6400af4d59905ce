#include "app/KeyboardSourceSwitch.h"
#include "hotkeys/HotkeyManager.h"
#include "platform/fake/FakeKeyboardSource.h"
#include "platform/fake/ManualScheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillo {
namespace {

// Start-up binds the hotkeys through X11; when the portal answers, the manager moves to its
// global shortcuts: from then on only the portal's events count, and the bindings live there.
TEST(KeyboardSourceSwitch, HotkeysMoveToTheSourceThatAnsweredLater)
{
    ManualScheduler scheduler;
    FakeKeyboardSource x11;
    FakeKeyboardSource portal;
    portal.setShortcutsOnly(true);
    KeyboardSourceSwitch keyboard(x11);
    HotkeyManager manager(keyboard, scheduler);
    std::vector<std::string> events;
    manager.onPress = [&](HotkeySlot s) { events.push_back("press " + slotName(s).toStdString()); };
    manager.onRelease = [&](HotkeySlot s) { events.push_back("release " + slotName(s).toStdString()); };
    manager.configure(defaultHoldHotkey, defaultToggleHotkey, std::nullopt);
    ASSERT_TRUE(x11.isListening());

    manager.uninstall();
    keyboard.switchTo(portal);
    manager.install();

    EXPECT_FALSE(x11.hasSink());
    EXPECT_TRUE(x11.registrations().empty());
    EXPECT_FALSE(x11.isListening());
    EXPECT_TRUE(portal.hasSink());
    EXPECT_TRUE(keyboard.shortcutsOnly());
    // The lone right Option is a shortcut of its own now.
    ASSERT_TRUE(portal.registrations().contains(1));
    EXPECT_EQ(portal.registrations().at(1).keyCode, defaultHoldHotkey.keyCode);

    x11.modifierDown(defaultHoldHotkey.keyCode);
    EXPECT_TRUE(events.empty()) << "the old source delivers nothing more";
    portal.systemHotKey(1, true);
    scheduler.advance(std::chrono::seconds(2)); // held to talk
    portal.systemHotKey(1, false);
    EXPECT_EQ(events, (std::vector<std::string>{"press hold", "release hold"}));

    keyboard.switchTo(portal); // the same source again changes nothing
    EXPECT_TRUE(portal.hasSink());
}

} // namespace
} // namespace quillo
