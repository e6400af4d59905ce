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

// Hold-to-talk driven by the desktop's shortcuts alone.
TEST(PortalHotkeysTest, ActivatedAndDeactivatedDriveTheHotkeyManager)
{
    FakePortalProcess portal;
    ASSERT_TRUE(portal.ready());
    ManualScheduler scheduler;
    PortalGlobalShortcuts shortcuts(QDBusConnection::sessionBus(), names(), 2);
    HotkeyManager manager(shortcuts, scheduler);
    std::vector<std::string> events;
    bool busy = false;
    manager.onPress = [&](HotkeySlot slot) { events.push_back("press " + slotName(slot).toStdString()); };
    manager.onRelease = [&](HotkeySlot slot) { events.push_back("release " + slotName(slot).toStdString()); };
    manager.onEscape = [&] { events.emplace_back("escape"); };
    manager.shouldInterceptEscape = [&] { return busy; };
    manager.onTranslateTap = [&](HotkeyManager::TimePoint) { events.emplace_back("translate"); };
    manager.configure(defaultHoldHotkey, defaultToggleHotkey, std::nullopt);

    ASSERT_TRUE(waitUntil([&] { return shortcuts.state() == PortalGlobalShortcuts::State::bound; }));
    EXPECT_THAT(portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")),
        ElementsAre("GlobalShortcuts.BindShortcuts hold=Alt_R toggle=ALT+space toggleTranslate=ALT+SHIFT+space "
                    "cancel=Escape translate=Shift_L"));

    portal.activate(QStringLiteral("hold"));
    ASSERT_TRUE(waitUntil([&] { return events.size() == 1; }));
    busy = true;
    portal.activate(QStringLiteral("translate"));
    portal.deactivate(QStringLiteral("translate"));
    portal.deactivate(QStringLiteral("hold"));
    portal.activate(QStringLiteral("cancel"));
    ASSERT_TRUE(waitUntil([&] { return events.size() == 4; }));
    EXPECT_THAT(events, ElementsAre("press hold", "translate", "release hold", "escape"));
    EXPECT_TRUE(manager.heldComboSlots().empty());
}

} // namespace
