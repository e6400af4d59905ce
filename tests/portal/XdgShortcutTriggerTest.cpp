#include "platform/portal/XdgShortcutTrigger.h"
#include "platform/portal/PortalRequest.h"

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

} // namespace
