#include "FakePortalProcess.h"

#include "hotkeys/HotkeyManager.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/portal/PortalGlobalShortcuts.h"

#include <QDBusConnection>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quillo;
using namespace quillo::test;
using ::testing::ElementsAre;

namespace {

PortalGlobalShortcuts::Names names()
{
    PortalGlobalShortcuts::Names result;
    for (HotkeySlot slot : {HotkeySlot::hold, HotkeySlot::toggle, HotkeySlot::toggleTranslate, HotkeySlot::holdSend})
        result[rawValue(slot)] = {slotName(slot), slotName(slot)};
    result[HotkeyManager::cancelHotKeyId] = {QStringLiteral("cancel"), QStringLiteral("cancel")};
    result[HotkeyManager::translateHotKeyId] = {QStringLiteral("translate"), QStringLiteral("translate")};
    return result;
}

// Hold-to-talk driven by the desktop's shortcuts alone: a held key, a tapped one (hands-free
// until its next press), key repeat, and a release the desktop never sent.
TEST(PortalHotkeysTest, ActivatedAndDeactivatedDriveTheHotkeyManager)
{
    FakePortalProcess portal;
    ASSERT_TRUE(portal.ready());
    ManualScheduler scheduler;
    PortalGlobalShortcuts shortcuts(QDBusConnection::sessionBus(), names(), 2, {});
    HotkeyManager manager(shortcuts, scheduler);
    std::vector<std::string> events;
    bool busy = false;
    manager.onPress = [&](HotkeySlot slot) { events.push_back("press " + slotName(slot).toStdString()); };
    manager.onRelease = [&](HotkeySlot slot) { events.push_back("release " + slotName(slot).toStdString()); };
    manager.onEscape = [&] { events.emplace_back("escape"); };
    manager.shouldInterceptEscape = [&] { return busy; };
    manager.onTranslateTap = [&](HotkeyManager::TimePoint) { events.emplace_back("translate"); };
    std::size_t heard = 0; // every activation the manager heard leaves a diagnostic line
    manager.debugLog = [&heard](const QString &line) {
        if (line.startsWith(QLatin1String("carbon")) || line.startsWith(QLatin1String("shortcut")))
            ++heard;
    };
    manager.configure(defaultHoldHotkey, defaultToggleHotkey, std::nullopt);

    ASSERT_TRUE(waitUntil([&] { return shortcuts.state() == PortalGlobalShortcuts::State::bound; }));
    EXPECT_THAT(portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")),
        ElementsAre("GlobalShortcuts.BindShortcuts hold=CTRL+ALT+space toggle=CTRL+ALT+SHIFT+space "
                    "toggleTranslate=ALT+SHIFT+space holdSend=CTRL+ALT+Return cancel=CTRL+SHIFT+Escape "
                    "translate=CTRL+ALT+SHIFT+t"));

    // Each signal is heard before the clock moves on.
    const auto step = [&](const char *signal, const char *shortcut, std::chrono::milliseconds later) {
        scheduler.advance(later);
        const std::size_t before = heard;
        if (std::string(signal) == "activate")
            portal.activate(QString::fromLatin1(shortcut));
        else
            portal.deactivate(QString::fromLatin1(shortcut));
        EXPECT_TRUE(waitUntil([&] { return heard > before; })) << signal << " " << shortcut;
        return events.size();
    };
    using namespace std::chrono_literals;
    EXPECT_EQ(step("activate", "hold", 0ms), 1u); // held to talk
    busy = true;
    EXPECT_EQ(step("activate", "translate", 100ms), 2u);
    EXPECT_EQ(step("deactivate", "translate", 50ms), 2u);
    EXPECT_EQ(step("activate", "hold", 30ms), 2u) << "key repeat";
    EXPECT_EQ(step("deactivate", "hold", 2s), 3u);
    EXPECT_EQ(step("activate", "cancel", 0ms), 4u);
    EXPECT_EQ(step("activate", "hold", 1s), 5u); // tapped: stays held until its next press
    EXPECT_EQ(step("deactivate", "hold", 100ms), 5u);
    EXPECT_EQ(step("activate", "hold", 3s), 7u);
    EXPECT_EQ(step("activate", "hold", 3s), 9u) << "the release never came";
    EXPECT_THAT(events,
        ElementsAre("press hold", "translate", "release hold", "escape", "press hold", "release hold", "press hold",
            "release hold", "press hold"));
}

} // namespace
