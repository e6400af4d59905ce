#include "platform/portal/XdgShortcutTrigger.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/SystemdAppScope.h"

#include <gtest/gtest.h>

#include <optional>

using namespace quillo;

namespace {

constexpr std::uint64_t shift = 0x20000, control = 0x40000, option = 0x80000, command = 0x100000, fn = 0x800000;

struct TriggerCase {
    const char *label;
    std::uint16_t keyCode;
    std::uint64_t modifiers;
    std::optional<const char *> expected;
};

class TriggerTest : public ::testing::TestWithParam<TriggerCase> { };

TEST_P(TriggerTest, FromHotKey)
{
    const TriggerCase &c = GetParam();
    const std::optional<QString> trigger = XdgShortcutTrigger::fromHotKey(c.keyCode, c.modifiers);
    ASSERT_EQ(trigger.has_value(), c.expected.has_value()) << c.label;
    if (c.expected) {
        EXPECT_EQ(trigger->toStdString(), *c.expected) << c.label;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TriggerTest,
    ::testing::Values(TriggerCase{"lone right Option", 61, option, "Alt_R"},
        TriggerCase{"lone left Shift", 56, shift, "Shift_L"}, TriggerCase{"lone right Command", 54, command, "Super_R"},
        TriggerCase{"Option+Space", 49, option, "ALT+space"},
        TriggerCase{"Control+Shift+D", 2, control | shift, "CTRL+SHIFT+d"},
        TriggerCase{"every modifier in a fixed order", 0, shift | command | option | control, "CTRL+ALT+SHIFT+LOGO+a"},
        TriggerCase{"Escape alone", 53, 0, "Escape"}, TriggerCase{"function key", 122, 0, "F1"},
        TriggerCase{"keypad", 76, control, "CTRL+KP_Enter"}, TriggerCase{"punctuation", 43, option, "ALT+comma"},
        TriggerCase{"a modifier key with another modifier", 61, option | control, "CTRL+Alt_R"},
        TriggerCase{"Fn flag is dropped", 49, option | fn, "ALT+space"},
        TriggerCase{"Fn key has no keysym", 63, fn, std::nullopt},
        TriggerCase{"unknown key code", 200, 0, std::nullopt}));

TEST(PortalRequestTest, PathsFollowTheSenderAndToken)
{
    EXPECT_EQ(
        PortalRequest::predictedPath(QStringLiteral("request"), QStringLiteral(":1.42"), QStringLiteral("quillo_1"))
            .toStdString(),
        "/org/freedesktop/portal/desktop/request/1_42/quillo_1");
    EXPECT_EQ(PortalRequest::predictedPath(QStringLiteral("session"), QStringLiteral(":1.7.3"), QStringLiteral("t"))
                  .toStdString(),
        "/org/freedesktop/portal/desktop/session/1_7_3/t");
    const QString token = PortalRequest::newToken();
    EXPECT_NE(token, PortalRequest::newToken());
    for (QChar c : token)
        EXPECT_TRUE(c.isLetterOrNumber() || c == QLatin1Char('_'))
            << "not an object path element: " << token.toStdString();
}

// What a desktop is asked to bind: the stored hot key where desktops fire it with a press
// and a release, else the shortcut's default.
TEST(PortalTrigger, StoredKeysDesktopsCannotFireBecomeDefaults)
{
    struct Case {
        const char *id;
        std::optional<std::uint16_t> keyCode;
        std::uint64_t modifiers;
        const char *expected;
    };
    const Case cases[] = {
        {"hold", 61, option, "CTRL+ALT+space"}, // right Alt alone: "any Alt" on KDE, no release on GNOME
        {"holdSend", 54, command, "CTRL+ALT+Return"},
        {"translate", 56, shift, "CTRL+ALT+SHIFT+t"},
        {"cancel", 53, 0, "CTRL+SHIFT+Escape"}, // bare Escape would be taken from every window
        {"cancel", 53, control, "CTRL+Escape"},
        {"toggle", 49, option, "CTRL+ALT+SHIFT+space"}, // KRunner's and GNOME's window-menu key
        {"toggle", 18, shift | control, "CTRL+ALT+SHIFT+space"}, // KDE matches Shift+1 as "!": never fires
        {"toggle", 2, shift | control, "CTRL+SHIFT+d"}, // letters are fine with Shift
        {"toggleTranslate", 49, option | shift, "ALT+SHIFT+space"},
        {"hold", std::nullopt, 0, "CTRL+ALT+space"},
    };
    for (const Case &c : cases) {
        const auto trigger = XdgShortcutTrigger::forPortal(QString::fromLatin1(c.id), c.keyCode, c.modifiers);
        ASSERT_TRUE(trigger) << c.id;
        EXPECT_EQ(trigger->toStdString(), c.expected) << c.id << " " << (c.keyCode ? *c.keyCode : -1);
    }
    EXPECT_FALSE(XdgShortcutTrigger::forPortal(QStringLiteral("unknown"), std::nullopt, 0));
}

// Where portals without a registry look for a program's app id.
TEST(SystemdAppScope, ReadsTheAppIdTheWayPortalsDo)
{
    const auto unitOf = [](const char *cgroup) { return SystemdAppScope::userUnit(QString::fromLatin1(cgroup)); };
    EXPECT_EQ(unitOf("0::/user.slice/user-1000.slice/user@1000.service/app.slice/app-com.nolt.quillo-42.scope\n"),
        QStringLiteral("app-com.nolt.quillo-42.scope"));
    EXPECT_EQ(unitOf("12:pids:/x\n0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                     "app-org.kde.konsole-7.scope/tab\n"),
        QStringLiteral("app-org.kde.konsole-7.scope"));
    EXPECT_EQ(unitOf("0::/user.slice/user-1000.slice/session-2.scope\n"), std::nullopt) << "not the user's manager";
    EXPECT_EQ(unitOf("0::/\n"), std::nullopt);

    const std::pair<const char *, const char *> units[] = {
        {"app-com.nolt.quillo-1234.scope", "com.nolt.quillo"},
        {"app-gnome-org.gnome.Terminal-99.scope", "org.gnome.Terminal"},
        {"app-org.kde.konsole@abc.service", "org.kde.konsole"},
        {"app-flatpak-x.scope", ""}, // no reverse-DNS id
        {"session-3.scope", ""},
    };
    for (const auto &[unit, id] : units)
        EXPECT_EQ(SystemdAppScope::appIdOfUnit(QString::fromLatin1(unit)).toStdString(), id) << unit;
    EXPECT_EQ(SystemdAppScope::appIdOfUnit(SystemdAppScope::scopeName(QStringLiteral("com.nolt.quillo"), 77)),
        QStringLiteral("com.nolt.quillo"));
}

} // namespace
