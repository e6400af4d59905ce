#include "FakePortalProcess.h"

#include "platform/fake/MemoryDefaultsStore.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/PortalPermissions.h"
#include "platform/portal/PortalRemoteDesktop.h"

#include <QDBusConnection>

#include <gtest/gtest.h>

using namespace quillo;
using namespace quillo::test;

namespace {

// The settings' permission row: true only once the desktop agreed, and its button asks again.
TEST(PortalPermissionsTest, GrantedOnlyWhenTheDesktopAgreedAndAskingAgainAsks)
{
    FakePortalProcess portal;
    ASSERT_TRUE(portal.ready());
    portal.setOutcome(QStringLiteral("GlobalShortcuts.BindShortcuts"), 1);
    portal.setOutcome(QStringLiteral("RemoteDesktop.Start"), 1);
    MemoryDefaultsStore settings;
    PortalGlobalShortcuts shortcuts(
        QDBusConnection::sessionBus(), {{1, {QStringLiteral("hold"), QStringLiteral("hold")}}}, 2);
    PortalRemoteDesktop keyboard(QDBusConnection::sessionBus(), settings);
    PortalPermissions permissions(&shortcuts, &keyboard);

    shortcuts.registerHotKey(1, 61, 0x80000);
    keyboard.start();
    ASSERT_TRUE(waitUntil([&] {
        return shortcuts.state() == PortalGlobalShortcuts::State::refused
            && keyboard.state() == PortalRemoteDesktop::State::refused;
    }));
    EXPECT_FALSE(permissions.shortcutsBound());
    EXPECT_FALSE(permissions.keyboardGranted());
    EXPECT_FALSE(permissions.isAccessibilityTrusted());

    portal.setOutcome(QStringLiteral("GlobalShortcuts.BindShortcuts"), 0);
    portal.setOutcome(QStringLiteral("RemoteDesktop.Start"), 0);
    permissions.promptForAccessibility();
    ASSERT_TRUE(waitUntil([&] { return permissions.isAccessibilityTrusted(); }));
    EXPECT_EQ(portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")).size(), 2);
    EXPECT_EQ(portal.log(QStringLiteral("RemoteDesktop.Start")).size(), 2);

    // Nothing missing: asking again shows no dialog.
    permissions.promptForAccessibility();
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")).size(), 2);
    EXPECT_EQ(portal.log(QStringLiteral("RemoteDesktop.Start")).size(), 2);
}

TEST(PortalPermissionsTest, AbsentAdaptersDoNotCount)
{
    PortalPermissions permissions(nullptr, nullptr);
    EXPECT_TRUE(permissions.isAccessibilityTrusted());
    permissions.promptForAccessibility();
}

} // namespace
