#include "FakePortalProcess.h"

#include "app/WaylandDesktop.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryDefaultsStore.h"

#include <QDBusConnection>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace quillo;
using namespace quillo::test;
using ::testing::ElementsAre;
using State = PortalRemoteDesktop::State;

namespace {

// A GNOME-like session: no data-control, no virtual keyboard, no compositor IPC, no
// X11 paste; only the RemoteDesktop portal (the fake) can paste.
class PortalInsertionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(portal.ready()); }

    std::unique_ptr<WaylandDesktop> makeDesktop()
    {
        auto desktop = std::make_unique<WaylandDesktop>(
            WaylandDesktop::Offer{}, WaylandDesktop::X11Side{.clipboard = &fallbackClipboard}, scheduler);
        PortalSupport support;
        support.remoteDesktopVersion = 2;
        support.remoteDesktopDeviceTypes = 7;
        support.clipboardVersion = 1;
        desktop->useRemoteDesktop(QDBusConnection::sessionBus(), settings, support);
        return desktop;
    }

    static bool settled(WaylandDesktop &desktop)
    {
        return waitUntil([&] {
            const State state = desktop.remoteDesktop()->state();
            return state != State::idle && state != State::starting;
        });
    }

    std::optional<InsertOutcome> paste(WaylandDesktop &desktop, const QString &text)
    {
        std::optional<InsertOutcome> outcome;
        desktop.insert(text, false, false, [&outcome](InsertOutcome o) { outcome = o; });
        waitUntil([&] {
            scheduler.advance(std::chrono::milliseconds(50)); // the focus coming back from a dialog
            return outcome.has_value();
        });
        return outcome;
    }

    FakePortalProcess portal;
    MemoryDefaultsStore settings;
    ManualScheduler scheduler;
    FakePasteboard fallbackClipboard;
};

TEST_F(PortalInsertionTest, GrantedAtStartThenEveryPasteGoesThroughTheSession)
{
    auto desktop = makeDesktop();
    ASSERT_TRUE(settled(*desktop));
    EXPECT_EQ(desktop->remoteDesktop()->state(), State::started);
    EXPECT_TRUE(desktop->permissions().isAccessibilityTrusted());
    EXPECT_EQ(desktop->permissions().desktopAccess()->keyboard, DesktopAccess::Keyboard::remoteDesktop);

    EXPECT_EQ(paste(*desktop, QStringLiteral("第一句")), InsertOutcome::pasted);
    EXPECT_EQ(paste(*desktop, QStringLiteral("第二句")), InsertOutcome::pasted);
    ASSERT_TRUE(waitUntil([&] { return portal.log(QStringLiteral("keycode")).size() == 8; }));
    EXPECT_THAT(portal.log(QStringLiteral("keycode")).mid(0, 4),
        ElementsAre("keycode 0x1d down", "keycode 0x2f down", "keycode 0x2f up", "keycode 0x1d up"));
    EXPECT_EQ(portal.log(QStringLiteral("RemoteDesktop.CreateSession")).size(), 1) << "the session is kept";
    // The text went through the portal's clipboard: another application pasting gets it.
    portal.paste(QStringLiteral("text/plain"));
    EXPECT_TRUE(waitUntil([&] { return !portal.log(QStringLiteral("pasted")).isEmpty(); }));
    EXPECT_THAT(portal.log(QStringLiteral("pasted")), ElementsAre(QStringLiteral("pasted text/plain 第二句")));
    EXPECT_TRUE(fallbackClipboard.written.empty());
}

TEST_F(PortalInsertionTest, TheGrantIsAskedOnceAcrossRuns)
{
    {
        auto first = makeDesktop();
        ASSERT_TRUE(settled(*first));
    }
    const QString token = settings.text(QLatin1String(PortalRemoteDesktop::restoreTokenKey)).value_or(QString());
    ASSERT_FALSE(token.isEmpty());
    portal.setOutcome(QStringLiteral("RemoteDesktop.Start"), 1); // were the user asked again: no
    auto second = makeDesktop();
    ASSERT_TRUE(settled(*second));
    EXPECT_EQ(second->remoteDesktop()->state(), State::started);
    EXPECT_THAT(portal.log(QStringLiteral("RemoteDesktop.Start")),
        ElementsAre("RemoteDesktop.Start asked", "RemoteDesktop.Start restored"));
    EXPECT_THAT(portal.log(QStringLiteral("RemoteDesktop.SelectDevices")).last().toStdString(),
        ::testing::EndsWith("restore_token=" + token.toStdString()));
    EXPECT_EQ(paste(*second, QStringLiteral("文字")), InsertOutcome::pasted);
}

TEST_F(PortalInsertionTest, RefusedKeyboardLeavesTheTextOnTheClipboard)
{
    portal.setOutcome(QStringLiteral("RemoteDesktop.Start"), 1);
    auto desktop = makeDesktop();
    ASSERT_TRUE(settled(*desktop));
    EXPECT_EQ(desktop->remoteDesktop()->state(), State::refused);
    EXPECT_FALSE(desktop->permissions().isAccessibilityTrusted());
    EXPECT_EQ(desktop->permissions().desktopAccess()->keyboard, DesktopAccess::Keyboard::notGranted);

    EXPECT_EQ(paste(*desktop, QStringLiteral("留着")), InsertOutcome::copiedOnly);
    ASSERT_EQ(fallbackClipboard.written.size(), 1u);
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_TRUE(portal.log(QStringLiteral("keycode")).isEmpty());
    EXPECT_EQ(portal.log(QStringLiteral("RemoteDesktop.CreateSession")).size(), 1) << "a refusal is not asked again";

    // The settings' "ask again".
    portal.setOutcome(QStringLiteral("RemoteDesktop.Start"), 0);
    desktop->permissions().askForKeyboard();
    ASSERT_TRUE(waitUntil([&] { return desktop->remoteDesktop()->state() == State::started; }));
    EXPECT_EQ(paste(*desktop, QStringLiteral("再来")), InsertOutcome::pasted);
}

TEST_F(PortalInsertionTest, ASessionTheDesktopClosedIsStartedAgainByTheNextPaste)
{
    auto desktop = makeDesktop();
    ASSERT_TRUE(settled(*desktop));
    portal.closeSessions(QStringLiteral("RemoteDesktop"));
    ASSERT_TRUE(waitUntil([&] { return desktop->remoteDesktop()->state() == State::idle; }));

    // The paste opens a new one, restored without a dialog, and is claimed once its keys went out.
    EXPECT_EQ(paste(*desktop, QStringLiteral("这一句")), InsertOutcome::pasted);
    EXPECT_EQ(desktop->remoteDesktop()->state(), State::started);
    EXPECT_THAT(portal.log(QStringLiteral("RemoteDesktop.Start")),
        ElementsAre("RemoteDesktop.Start asked", "RemoteDesktop.Start restored"));
    EXPECT_EQ(portal.log(QStringLiteral("keycode")).size(), 4);
}

} // namespace
