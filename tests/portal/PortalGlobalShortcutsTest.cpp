#include "FakePortalProcess.h"

#include "platform/portal/PortalConnection.h"
#include "platform/portal/PortalGlobalShortcuts.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace quillo;
using namespace quillo::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using State = PortalGlobalShortcuts::State;

namespace {

constexpr std::uint64_t option = 0x80000, control = 0x40000, shift = 0x20000;
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
        PortalGlobalShortcuts::Options options;
        options.openDesktopSettings = [this] {
            ++desktopSettingsOpened;
            return true;
        };
        auto shortcuts = std::make_unique<PortalGlobalShortcuts>(
            QDBusConnection::sessionBus(), names(), version, std::move(options));
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
    int desktopSettingsOpened = 0;
};

// Lone modifiers, bare Escape and Alt+Space never reach a desktop: their defaults do.
TEST_F(PortalGlobalShortcutsTest, DeclaresEveryShortcutOnceWithTriggersDesktopsFire)
{
    portal.setTrigger(QStringLiteral("toggle"), QStringLiteral("Ctrl+Space"));
    auto shortcuts = makeShortcuts();
    registerDefaults(*shortcuts);
    EXPECT_EQ(shortcuts->registerHotKey(7, 63, 0x800000), -1) << "not one of the session's shortcuts";
    ASSERT_TRUE(settled(*shortcuts));
    EXPECT_EQ(shortcuts->state(), State::bound) << shortcuts->problem().toStdString();
    const QString declared = QStringLiteral("hold=CTRL+ALT+space toggle=CTRL+ALT+SHIFT+space cancel=CTRL+SHIFT+Escape");
    EXPECT_THAT(portal.log(QStringLiteral("GlobalShortcuts.CreateSession")),
        ElementsAre("GlobalShortcuts.CreateSession app=- shortcuts: " + declared))
        << "KDE 5.27 binds only what CreateSession brings";
    EXPECT_THAT(portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")),
        ElementsAre("GlobalShortcuts.BindShortcuts " + declared));
    using Trigger = std::pair<const std::uint32_t, QString>;
    EXPECT_THAT(shortcuts->triggerDescriptions(),
        ElementsAre(Trigger{1, QStringLiteral("CTRL+ALT+space")}, Trigger{2, QStringLiteral("Ctrl+Space")},
            Trigger{101, QStringLiteral("CTRL+SHIFT+Escape")}))
        << "what the desktop bound, not what was asked";
    EXPECT_EQ(shortcuts->boundCount(), 3u);
    EXPECT_TRUE(shortcuts->serves());
    EXPECT_FALSE(shortcuts->access().listen);
}

TEST_F(PortalGlobalShortcutsTest, ActivatedAndDeactivatedArePressAndReleaseOfRegisteredKeys)
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
    // Registered again, changed or not: no new session, nothing bound again, delivered again.
    shortcuts->registerHotKey(1, keyD, control | shift);
    shortcuts->registerHotKey(2, space, option);
    portal.activate(QStringLiteral("hold"));
    ASSERT_TRUE(waitUntil([&] { return hotKeys.size() == 5; }));
    EXPECT_EQ(hotKeys.back(), (Event{1, true}));
    EXPECT_EQ(portal.log(QStringLiteral("GlobalShortcuts.CreateSession")).size(), 1);
    EXPECT_EQ(portal.log(QStringLiteral("GlobalShortcuts.BindShortcuts")).size(), 1);
    EXPECT_THAT(portal.log(QStringLiteral("Session.Close")), IsEmpty());
}

// The desktop keeps the keys of shortcuts it knows: changing them is its own dialog's job.
TEST_F(PortalGlobalShortcutsTest, ChangesGoThroughTheDesktopsOwnPlace)
{
    for (const std::uint32_t version : {2u, 1u}) {
        auto shortcuts = makeShortcuts(version);
        registerDefaults(*shortcuts);
        ASSERT_TRUE(settled(*shortcuts));
        const int before = changes;
        portal.changeTrigger(QStringLiteral("hold"), QStringLiteral("Super+H"));
        ASSERT_TRUE(waitUntil([&] { return shortcuts->boundTrigger(1) == QStringLiteral("Super+H"); }));
        EXPECT_GT(changes, before);
        portal.changeTrigger(QStringLiteral("cancel"), QString());
        ASSERT_TRUE(waitUntil([&] { return !shortcuts->triggerDescriptions().contains(101); }))
            << "a shortcut left without a trigger is not shown as bound";
        EXPECT_EQ(shortcuts->boundCount(), 2u);

        ASSERT_TRUE(shortcuts->canConfigure());
        shortcuts->configureShortcuts();
        if (version >= 2) {
            ASSERT_TRUE(
                waitUntil([&] { return !portal.log(QStringLiteral("GlobalShortcuts.ConfigureShortcuts")).isEmpty(); }));
        }
        EXPECT_EQ(desktopSettingsOpened, version >= 2 ? 0 : 1) << version;
        shortcuts.reset();
        portal.closeSessions(QStringLiteral("GlobalShortcuts"));
    }
}

TEST_F(PortalGlobalShortcutsTest, ASessionTheDesktopClosedComesBackUnderTheSameIdentity)
{
    auto shortcuts = makeShortcuts();
    registerDefaults(*shortcuts);
    ASSERT_TRUE(settled(*shortcuts));
    const QStringList created = portal.log(QStringLiteral("GlobalShortcuts.CreateSession"));
    portal.closeSessions(QStringLiteral("GlobalShortcuts"));
    ASSERT_TRUE(waitUntil([&] { return portal.log(QStringLiteral("GlobalShortcuts.CreateSession")).size() == 2; }));
    ASSERT_TRUE(waitUntil([&] { return shortcuts->state() == State::bound; }));
    portal.activate(QStringLiteral("toggle"));
    ASSERT_TRUE(waitUntil([&] { return !hotKeys.empty(); })) << "the new session delivers";
    EXPECT_EQ(hotKeys.front(), (std::pair<std::uint32_t, bool>{2, true}));
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
    EXPECT_FALSE(shortcuts->serves()) << c.label;
    // Re-registering (a reconfiguration, the hotkey recorder) asks nothing again.
    shortcuts->registerHotKey(1, rightOption, option);
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(portal.log(QString::fromLatin1(c.method)).size(), 1) << c.label;

    portal.setOutcome(QString::fromLatin1(c.method), 0);
    shortcuts->bindAgain();
    ASSERT_TRUE(waitUntil([&] { return shortcuts->state() == State::bound; })) << c.label;
    EXPECT_EQ(shortcuts->triggerDescriptions().size(), 3u) << c.label;
}

INSTANTIATE_TEST_SUITE_P(Cases, PortalRefusalTest,
    ::testing::Values(RefusalCase{"bind refused", "GlobalShortcuts.BindShortcuts", 1, State::refused},
        RefusalCase{"bind ended", "GlobalShortcuts.BindShortcuts", 2, State::failed},
        RefusalCase{"session refused", "GlobalShortcuts.CreateSession", 1, State::refused}));

// Start-up asks without blocking; the answer comes through the event loop.
std::optional<PortalSupport> probe(PortalConnection &connection)
{
    std::optional<PortalSupport> answer;
    connection.onAnswer = [&](const PortalSupport &s) { answer = s; };
    connection.start();
    waitUntil([&] { return answer.has_value(); });
    return answer;
}

TEST_F(PortalGlobalShortcutsTest, RegistrationComesFirstOnAConnectionOfOurOwn)
{
    // Qt's platform theme asks the portal over the shared connection before we get to it.
    QDBusMessage themeCall = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    themeCall.setArguments({QStringLiteral("org.freedesktop.portal.GlobalShortcuts"), QStringLiteral("version")});
    ASSERT_EQ(QDBusConnection::sessionBus().call(themeCall).type(), QDBusMessage::ReplyMessage);
    PortalConnection connection(PortalConnection::openPrivate());
    const std::optional<PortalSupport> answer = probe(connection);
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->registered) << answer->registryProblem.toStdString();
    EXPECT_TRUE(answer->hasGlobalShortcuts());
    EXPECT_TRUE(answer->canConfigureShortcuts());
    EXPECT_TRUE(answer->hasRemoteKeyboard());
    // The shared connection spoke to the portal first; ours is still registered.
    PortalGlobalShortcuts shortcuts(connection.bus(), names(), answer->globalShortcutsVersion, {});
    registerDefaults(shortcuts);
    ASSERT_TRUE(settled(shortcuts));
    ASSERT_EQ(portal.log(QStringLiteral("GlobalShortcuts.CreateSession")).size(), 1);
    EXPECT_TRUE(portal.log(QStringLiteral("GlobalShortcuts.CreateSession app=com.nolt.quillo ")).size() == 1);
}

TEST_F(PortalGlobalShortcutsTest, OlderOrMissingPortalsAreRecognised)
{
    portal.setVersion(QStringLiteral("GlobalShortcuts"), 1);
    portal.setVersion(QStringLiteral("RemoteDesktop"), 0);
    PortalConnection connection(PortalConnection::openPrivate());
    const PortalSupport support = probe(connection).value_or(PortalSupport{});
    EXPECT_EQ(support.globalShortcutsVersion, 1u);
    EXPECT_FALSE(support.canConfigureShortcuts());
    EXPECT_FALSE(support.hasRemoteKeyboard());
    EXPECT_FALSE(support.remoteDesktopRestores());
}

} // namespace
