// The portal client against what KDE, GNOME and Hyprland really answer where that
// differs from the portal documentation (the fake's desktop profiles).
#include "FakePortalProcess.h"

#include "platform/fake/MemoryDefaultsStore.h"
#include "platform/portal/PortalClipboard.h"
#include "platform/portal/PortalConnection.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/PortalRemoteDesktop.h"

#include <QDBusConnection>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace quillo;
using namespace quillo::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using State = PortalGlobalShortcuts::State;

namespace {

constexpr std::uint64_t option = 0x80000;
constexpr std::uint16_t rightOption = 61, space = 49, escape = 53;

PortalGlobalShortcuts::Names names()
{
    return {{1, {QStringLiteral("hold"), QStringLiteral("Hold to talk")}},
        {2, {QStringLiteral("toggle"), QStringLiteral("Start or stop")}},
        {101, {QStringLiteral("cancel"), QStringLiteral("Cancel")}}};
}

// The same shortcuts as a Chinese interface declares them.
PortalGlobalShortcuts::Names chineseNames()
{
    return {{1, {QStringLiteral("hold"), QStringLiteral("按住说话")}},
        {2, {QStringLiteral("toggle"), QStringLiteral("开始 / 结束免提")}},
        {101, {QStringLiteral("cancel"), QStringLiteral("取消本次录音")}}};
}

class PortalDesktopsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(portal.ready()); }

    void profile(const char *name) { portal.control(QStringLiteral("SetProfile"), {QString::fromLatin1(name)}); }

    // One start of the program: its own connection, the stored default hot keys.
    std::unique_ptr<PortalGlobalShortcuts> start(
        std::uint32_t version, bool triggersElsewhere = false, PortalGlobalShortcuts::Names declared = names())
    {
        // Registered first, where the portal has a registry, as the program does.
        connections.push_back(std::make_unique<PortalConnection>(PortalConnection::openPrivate()));
        bool answered = false;
        connections.back()->onAnswer = [&answered](const PortalSupport &) { answered = true; };
        connections.back()->start();
        waitUntil([&] { return answered; });
        PortalGlobalShortcuts::Options options;
        options.triggersElsewhere = triggersElsewhere;
        auto shortcuts
            = std::make_unique<PortalGlobalShortcuts>(connections.back()->bus(), std::move(declared), version, options);
        shortcuts->setSink({nullptr, [this](std::uint32_t id, bool pressed) { hotKeys.emplace_back(id, pressed); }});
        shortcuts->registerHotKey(1, rightOption, option);
        shortcuts->registerHotKey(2, space, option);
        shortcuts->registerHotKey(101, escape, 0);
        waitUntil([&] { return shortcuts->state() != State::unbound && shortcuts->state() != State::binding; });
        return shortcuts;
    }

    FakePortalProcess portal;
    std::vector<std::unique_ptr<PortalConnection>> connections;
    std::vector<std::pair<std::uint32_t, bool>> hotKeys;
};

// KDE 5.27 binds what CreateSession brings and opens System Settings at every BindShortcuts;
// it names its component after the session token, and keeps a vanished component's keys.
TEST_F(PortalDesktopsTest, Kde5BindsFromTheSessionAndKeepsItAcrossStarts)
{
    profile("kde5");
    for (int run = 1; run <= 2; ++run) {
        auto shortcuts = start(1);
        EXPECT_EQ(shortcuts->state(), State::bound) << run << shortcuts->problem().toStdString();
        EXPECT_EQ(shortcuts->boundCount(), 3u) << run;
        EXPECT_TRUE(shortcuts->serves()) << run;
        EXPECT_EQ(shortcuts->boundTrigger(1), QStringLiteral("Ctrl+Alt+Space")) << run;
        EXPECT_THAT(portal.log(QStringLiteral("opened systemsettings")), IsEmpty()) << run;
        EXPECT_THAT(portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")), IsEmpty()) << run;
        QDBusConnection::disconnectFromBus(connections.back()->bus().name());
    }
    portal.control(QStringLiteral("Keys"), {QStringLiteral("+Control_L +Alt_L +space ~50 -space -Alt_L -Control_L")});
    EXPECT_FALSE(waitUntil([&] { return !hotKeys.empty(); }, std::chrono::milliseconds(200)))
        << "the first run's connection is gone";
}

TEST_F(PortalDesktopsTest, Kde5HoldIsPressedAndReleasedAndLeftAltDoesNothing)
{
    profile("kde5");
    auto shortcuts = start(1);
    ASSERT_TRUE(shortcuts->serves());
    portal.control(QStringLiteral("Keys"), {QStringLiteral("+Alt_L +Tab ~50 -Tab -Alt_L")});
    portal.control(QStringLiteral("Keys"), {QStringLiteral("+Control_L +Alt_L +space ~300 -space -Alt_L -Control_L")});
    ASSERT_TRUE(waitUntil([&] { return hotKeys.size() >= 2; }));
    EXPECT_EQ(hotKeys.front(), (std::pair<std::uint32_t, bool>{1, true}));
    EXPECT_EQ(hotKeys.at(1), (std::pair<std::uint32_t, bool>{1, false}));
}

// GNOME 48 answers a successful bind with 2; what it lists decides.
TEST_F(PortalDesktopsTest, Gnome48BindsDespiteItsAnswerCode)
{
    profile("gnome48");
    auto shortcuts = start(1);
    EXPECT_EQ(shortcuts->state(), State::bound) << shortcuts->problem().toStdString();
    EXPECT_GT(shortcuts->boundCount(), 0u);
    // The second start: the desktop knows them; no dialog.
    auto again = start(1);
    EXPECT_EQ(again->state(), State::bound);
    EXPECT_EQ(portal.log(QStringLiteral("GlobalShortcuts: dialog")).size(), 1);
}

// A first start in Chinese, the next in English: KDE renames the shortcuts with the session;
// GNOME keeps the names of the first bind, and no portal call renames them.
TEST_F(PortalDesktopsTest, ShortcutNamesFollowTheLanguageWhereTheDesktopLetsThem)
{
    struct Desktop {
        const char *profile;
        std::uint32_t version;
        QString holdNamed;
        bool namedOtherwise;
    };
    for (const Desktop &d : {Desktop{"kde5", 1, QStringLiteral("Hold to talk"), false},
             Desktop{"gnome48", 1, QStringLiteral("按住说话"), true}}) {
        profile(d.profile);
        auto first = start(d.version, false, chineseNames());
        ASSERT_TRUE(first->serves()) << d.profile;
        EXPECT_EQ(first->describedAs(1), QStringLiteral("按住说话")) << d.profile;
        QDBusConnection::disconnectFromBus(connections.back()->bus().name());
        auto next = start(d.version);
        ASSERT_TRUE(next->serves()) << d.profile;
        EXPECT_EQ(next->describedAs(1), d.holdNamed) << d.profile;
        EXPECT_EQ(next->namedOtherwise(), d.namedOtherwise) << d.profile;
    }
}

// Hyprland binds keys in its own configuration: every description comes back empty.
TEST_F(PortalDesktopsTest, HyprlandShortcutsAreNotCalledUnbound)
{
    profile("hyprland");
    auto shortcuts = start(1, true);
    EXPECT_EQ(shortcuts->state(), State::bound);
    EXPECT_THAT(shortcuts->triggerDescriptions(), IsEmpty());
    EXPECT_TRUE(shortcuts->serves());
}

// A frontend that lists GlobalShortcuts without a backend for it ends every request.
TEST_F(PortalDesktopsTest, AnInterfaceWithoutABackendIsAsIfAbsent)
{
    portal.control(QStringLiteral("SetBackend"), {QStringLiteral("GlobalShortcuts"), false});
    auto shortcuts = start(2);
    EXPECT_EQ(shortcuts->state(), State::failed);
    EXPECT_FALSE(shortcuts->serves()) << "the X11 hotkeys must stay";
}

// A portal that restarts forgets our registration and sessions: we register first again,
// and the shortcuts come back under the same identity.
TEST_F(PortalDesktopsTest, ARestartedPortalIsRegisteredWithAndBoundAgain)
{
    profile("kde5");
    PortalConnection connection(PortalConnection::openPrivate());
    int answers = 0;
    int gone = 0;
    connection.onAnswer = [&](const PortalSupport &) { ++answers; };
    connection.onGone = [&] { ++gone; };
    connection.start();
    ASSERT_TRUE(waitUntil([&] { return answers == 1; }));
    PortalGlobalShortcuts shortcuts(connection.bus(), names(), 1, {});
    shortcuts.registerHotKey(1, rightOption, option);
    ASSERT_TRUE(waitUntil([&] { return shortcuts.serves(); }));

    portal.control(QStringLiteral("Restart"), {false});
    ASSERT_TRUE(waitUntil([&] { return gone == 1 && answers == 2; }));
    shortcuts.portalGone();
    EXPECT_FALSE(shortcuts.serves());
    shortcuts.portalBack();
    ASSERT_TRUE(waitUntil([&] { return shortcuts.serves(); }));
    EXPECT_EQ(portal.log(QStringLiteral("GlobalShortcuts.CreateSession")).size(), 2);
    portal.control(QStringLiteral("Keys"), {QStringLiteral("+Control_L +Alt_L +space ~50 -space -Alt_L -Control_L")});
    EXPECT_TRUE(waitUntil([&] { return !hotKeys.empty() || !portal.log(QStringLiteral("Activated hold")).isEmpty(); }));
}

// The frontend runs each call in a thread of its own: key events sent together can be
// processed out of order and leave Ctrl held in the desktop.
TEST_F(PortalDesktopsTest, KeyEventsGoOutOneAfterAnother)
{
    portal.control(QStringLiteral("SetShuffle"), {7u, 30u});
    MemoryDefaultsStore settings;
    PortalRemoteDesktop remote(QDBusConnection::sessionBus(), settings, {.restores = true});
    std::vector<bool> answers;
    for (int i = 0; i < 3; ++i)
        remote.postPaste(PasteChord::ctrlShiftV, [&](bool ok) { answers.push_back(ok); });
    ASSERT_TRUE(waitUntil([&] { return answers.size() == 3; }));
    EXPECT_THAT(answers, ElementsAre(true, true, true));
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_THAT(portal.log(QStringLiteral("keys: ")), IsEmpty()) << "a key left held";
    EXPECT_THAT(portal.log(QStringLiteral("keycode")).mid(0, 6),
        ElementsAre("keycode 0x1d down", "keycode 0x2a down", "keycode 0x2f down", "keycode 0x2f up", "keycode 0x2a up",
            "keycode 0x1d up"));
}

// GNOME echoes our own selection as an owner change: the user's clipboard still comes back.
TEST_F(PortalDesktopsTest, Gnome48OwnSelectionIsNoOnesCopy)
{
    profile("gnome48");
    MemoryDefaultsStore settings;
    PortalRemoteDesktop remote(QDBusConnection::sessionBus(), settings, {.restores = true, .clipboardWanted = true});
    PortalClipboard clipboard(QDBusConnection::sessionBus(), remote);
    remote.start();
    ASSERT_TRUE(waitUntil([&] { return remote.clipboardEnabled(); }));
    const std::uint64_t count = [&] {
        clipboard.clear();
        EXPECT_TRUE(clipboard.write({{{QStringLiteral("text/plain"), QByteArrayLiteral("dictated")}}}));
        return clipboard.changeCount();
    }();
    waitUntil([] { return false; }, std::chrono::milliseconds(150)); // the echo arrives
    EXPECT_EQ(clipboard.changeCount(), count) << "the restore would be skipped";
    EXPECT_THAT(portal.log(QStringLiteral("Clipboard: mutter refused")), IsEmpty()) << "no empty type list";
}

} // namespace
