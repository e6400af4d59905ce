#include "FakePortalProcess.h"

#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/PortalSupport.h"

#include <QDBusConnection>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace quillo;
using namespace quillo::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using State = PortalGlobalShortcuts::State;

namespace {

constexpr std::uint64_t option = 0x80000, control = 0x40000;
constexpr std::uint16_t rightOption = 61, space = 49, escape = 53, keyD = 2;

PortalGlobalShortcuts::Names names()
{
    return {{1, {QStringLiteral("hold"), QStringLiteral("Hold to talk")}},
        {2, {QStringLiteral("toggle"), QStringLiteral("Start or stop")}},
        {101, {QStringLiteral("cancel"), QStringLiteral("Cancel")}}};
}

class PortalGlobalShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(portal.ready()); }

    std::unique_ptr<PortalGlobalShortcuts> makeShortcuts(std::uint32_t version = 2)
    {
        auto shortcuts = std::make_unique<PortalGlobalShortcuts>(QDBusConnection::sessionBus(), names(), version);
        shortcuts->setSink({nullptr, [this](std::uint32_t id, bool pressed) { hotKeys.emplace_back(id, pressed); }});
        shortcuts->onChanged = [this] { ++changes; };
        return shortcuts;
    }

    void registerDefaults(PortalGlobalShortcuts &shortcuts)
    {
        EXPECT_EQ(shortcuts.registerHotKey(1, rightOption, option), 0);
        EXPECT_EQ(shortcuts.registerHotKey(2, space, option), 0);
        EXPECT_EQ(shortcuts.registerHotKey(101, escape, 0), 0);
    }

    bool settled(const PortalGlobalShortcuts &shortcuts)
    {
        return waitUntil([&] { return shortcuts.state() != State::unbound && shortcuts.state() != State::binding; });
    }

    FakePortalProcess portal;
    std::vector<std::pair<std::uint32_t, bool>> hotKeys;
    int changes = 0;
};

TEST_F(PortalGlobalShortcutsTest, BindsOneShortcutPerHotKeyInOneGo)
{
    portal.setTrigger(QStringLiteral("toggle"), QStringLiteral("Ctrl+Space"));
    auto shortcuts = makeShortcuts();
    registerDefaults(*shortcuts);
    EXPECT_EQ(shortcuts->registerHotKey(7, 63, 0x800000), -1) << "Fn has no keysym";
    ASSERT_TRUE(settled(*shortcuts));
    EXPECT_EQ(shortcuts->state(), State::bound) << shortcuts->problem().toStdString();
    EXPECT_THAT(portal.log(QStringLiteral("GlobalShortcuts.")),
        ElementsAre("GlobalShortcuts.CreateSession app=-",
            "GlobalShortcuts.BindShortcuts hold=Alt_R toggle=ALT+space cancel=Escape"));
    using Trigger = std::pair<const std::uint32_t, QString>;
    EXPECT_THAT(shortcuts->triggerDescriptions(),
        ElementsAre(Trigger{1, QStringLiteral("Alt_R")}, Trigger{2, QStringLiteral("Ctrl+Space")},
            Trigger{101, QStringLiteral("Escape")}))
        << "what the desktop bound, not what was asked";
    EXPECT_TRUE(shortcuts->canConfigure());
    EXPECT_FALSE(shortcuts->access().listen);
    EXPECT_FALSE(shortcuts->startListening());
}

TEST_F(PortalGlobalShortcutsTest, ActivatedAndDeactivatedArePressAndRelease)
{
    auto shortcuts = makeShortcuts();
    registerDefaults(*shortcuts);
    ASSERT_TRUE(settled(*shortcuts));
    portal.activate(QStringLiteral("hold"));
    portal.activate(QStringLiteral("toggle"));
    portal.deactivate(QStringLiteral("toggle"));
    portal.deactivate(QStringLiteral("hold"));
    ASSERT_TRUE(waitUntil([&] { return hotKeys.size() == 4; }));
    using Event = std::pair<std::uint32_t, bool>;
    EXPECT_THAT(hotKeys, ElementsAre(Event{1, true}, Event{2, true}, Event{2, false}, Event{1, false}));

    // Everything unregistered (the recorder capturing): the session stays, its activations are dropped.
    for (std::uint32_t id : {1u, 2u, 101u})
        shortcuts->unregisterHotKey(id);
    portal.activate(QStringLiteral("hold"));
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(hotKeys.size(), 4u);
    // The same set again binds nothing new and is delivered again.
    registerDefaults(*shortcuts);
    portal.activate(QStringLiteral("hold"));
    ASSERT_TRUE(waitUntil([&] { return hotKeys.size() == 5; }));
    EXPECT_EQ(hotKeys.back(), (Event{1, true}));
    EXPECT_EQ(portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")).size(), 1);
}

TEST_F(PortalGlobalShortcutsTest, ChangedHotKeysBindANewSessionOnce)
{
    auto shortcuts = makeShortcuts();
    registerDefaults(*shortcuts);
    ASSERT_TRUE(settled(*shortcuts));
    shortcuts->unregisterHotKey(1);
    shortcuts->registerHotKey(1, keyD, control | 0x20000);
    ASSERT_TRUE(waitUntil([&] { return portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")).size() == 2; }));
    ASSERT_TRUE(settled(*shortcuts));
    EXPECT_THAT(portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")).last().toStdString(),
        ::testing::HasSubstr("hold=CTRL+SHIFT+d"));
    EXPECT_THAT(portal.log(QStringLiteral("Session.Close")), ElementsAre("Session.Close GlobalShortcuts"));
    EXPECT_EQ(shortcuts->triggerDescriptions().at(1), QStringLiteral("CTRL+SHIFT+d"));
}

TEST_F(PortalGlobalShortcutsTest, TriggersRebounByTheUserAreFollowed)
{
    auto shortcuts = makeShortcuts();
    registerDefaults(*shortcuts);
    ASSERT_TRUE(settled(*shortcuts));
    const int before = changes;
    portal.changeTrigger(QStringLiteral("hold"), QStringLiteral("Super+H"));
    ASSERT_TRUE(waitUntil([&] { return shortcuts->triggerDescriptions().at(1) == QStringLiteral("Super+H"); }));
    EXPECT_GT(changes, before);
    portal.changeTrigger(QStringLiteral("cancel"), QString());
    ASSERT_TRUE(waitUntil([&] { return !shortcuts->triggerDescriptions().contains(101); }))
        << "a shortcut left without a trigger is not shown as bound";

    shortcuts->configureShortcuts();
    ASSERT_TRUE(waitUntil([&] { return !portal.log(QStringLiteral("GlobalShortcuts.ConfigureShortcuts")).isEmpty(); }));
}

struct RefusalCase {
    const char *label;
    const char *method;
    unsigned response;
    State state;
};

class PortalRefusalTest : public PortalGlobalShortcutsTest, public ::testing::WithParamInterface<RefusalCase> { };

TEST_P(PortalRefusalTest, IsReportedAndNotAskedAgainUnbidden)
{
    const RefusalCase &c = GetParam();
    portal.setOutcome(QString::fromLatin1(c.method), c.response);
    auto shortcuts = makeShortcuts();
    registerDefaults(*shortcuts);
    ASSERT_TRUE(settled(*shortcuts));
    EXPECT_EQ(shortcuts->state(), c.state) << c.label;
    EXPECT_FALSE(shortcuts->problem().isEmpty()) << c.label;
    EXPECT_THAT(shortcuts->triggerDescriptions(), IsEmpty()) << c.label;

    portal.setOutcome(QString::fromLatin1(c.method), 0);
    shortcuts->bindAgain();
    ASSERT_TRUE(waitUntil([&] { return shortcuts->state() == State::bound; })) << c.label;
    EXPECT_EQ(shortcuts->triggerDescriptions().size(), 3u) << c.label;
}

INSTANTIATE_TEST_SUITE_P(Cases, PortalRefusalTest,
    ::testing::Values(RefusalCase{"bind refused", "GlobalShortcuts.BindShortcuts", 1, State::refused},
        RefusalCase{"bind ended", "GlobalShortcuts.BindShortcuts", 2, State::failed},
        RefusalCase{"session refused", "GlobalShortcuts.CreateSession", 1, State::refused}));

TEST_F(PortalGlobalShortcutsTest, RefusedShortcutsAreNotAskedForAtEveryReconfiguration)
{
    portal.setOutcome(QStringLiteral("GlobalShortcuts.BindShortcuts"), 1);
    auto shortcuts = makeShortcuts();
    registerDefaults(*shortcuts);
    ASSERT_TRUE(settled(*shortcuts));
    shortcuts->unregisterHotKey(1);
    shortcuts->registerHotKey(1, rightOption, option);
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")).size(), 1);
}

// Start-up asks without blocking; the answer comes through the event loop.
std::optional<PortalSupport> probe()
{
    std::optional<PortalSupport> answer;
    QObject context;
    PortalSupport::probe(QDBusConnection::sessionBus(), &context, [&](const PortalSupport &s) { answer = s; });
    waitUntil([&] { return answer.has_value(); });
    return answer;
}

TEST_F(PortalGlobalShortcutsTest, HostRegistrationComesFirstAndOnce)
{
    const std::optional<PortalSupport> answer = probe();
    ASSERT_TRUE(answer);
    const PortalSupport support = *answer;
    EXPECT_FALSE(registerHostApplication(QDBusConnection::sessionBus()).isEmpty()) << "the portal allows it once";
    EXPECT_TRUE(support.hasGlobalShortcuts());
    EXPECT_TRUE(support.canConfigureShortcuts());
    EXPECT_TRUE(support.hasRemoteKeyboard());

    auto shortcuts = makeShortcuts(support.globalShortcutsVersion);
    registerDefaults(*shortcuts);
    ASSERT_TRUE(settled(*shortcuts));
    EXPECT_THAT(portal.log(QStringLiteral("GlobalShortcuts.CreateSession")),
        ElementsAre("GlobalShortcuts.CreateSession app=com.nolt.quillo"));
}

TEST_F(PortalGlobalShortcutsTest, OlderOrMissingPortalsAreRecognised)
{
    portal.setVersion(QStringLiteral("GlobalShortcuts"), 1);
    portal.setVersion(QStringLiteral("RemoteDesktop"), 0);
    const PortalSupport support = probe().value_or(PortalSupport{});
    EXPECT_EQ(support.globalShortcutsVersion, 1u);
    EXPECT_FALSE(support.canConfigureShortcuts());
    EXPECT_FALSE(support.hasRemoteKeyboard());

    auto shortcuts = makeShortcuts(support.globalShortcutsVersion);
    registerDefaults(*shortcuts);
    ASSERT_TRUE(settled(*shortcuts));
    EXPECT_FALSE(shortcuts->canConfigure());
}

} // namespace
