#include "KdeTrigger.h"

#include <gtest/gtest.h>

using quillo::fakeportal::KdeTrigger;

namespace {

// What xdg-desktop-portal-kde (5.27, xdgshortcut.cpp) binds for a preferred
// trigger and how it describes it; the fake's KDE profile answers the same.
struct TriggerCase {
    const char *trigger;
    const char *described;
};

class KdeTriggerTest : public ::testing::TestWithParam<TriggerCase> { };

TEST_P(KdeTriggerTest, DescribesWhatKdeBinds)
{
    const TriggerCase &c = GetParam();
    EXPECT_EQ(KdeTrigger::describe(QString::fromUtf8(c.trigger)).toStdString(), c.described) << c.trigger;
}

INSTANTIATE_TEST_SUITE_P(Cases, KdeTriggerTest,
    ::testing::Values(TriggerCase{"CTRL+ALT+space", "Ctrl+Alt+Space"}, TriggerCase{"ALT+space", "Alt+Space"},
        TriggerCase{"CTRL+SHIFT+d", "Ctrl+Shift+D"}, TriggerCase{"LOGO+a", "Meta+A"}, TriggerCase{"Alt_R", "Alt"},
        TriggerCase{"Control_L", "Control"}, TriggerCase{"escape", "Esc"}, // keysyms are found whatever their case
        TriggerCase{"SHIFT+1", "Shift+1"}, // bound, though KWin never delivers Shift with a digit
        TriggerCase{"CTRL+KP_Enter", "Ctrl+Enter"}, TriggerCase{"ALT+comma", "Alt+,"}, TriggerCase{"F1", "F1"},
        TriggerCase{"CTRL+a;Banana", "Ctrl+A"}, // the key name ends where its word does
        TriggerCase{"Ctrl+a", ""}, // modifiers only in upper case
        TriggerCase{"SUPER+a", ""}, TriggerCase{"CTRL++", ""}, TriggerCase{"CTRL+nosuchkey", ""}, TriggerCase{"", ""}));

TEST(KdeTriggerKeys, EitherAltIsTheSameKey)
{
    EXPECT_EQ(KdeTrigger::parse(QStringLiteral("Alt_R")), KdeTrigger::parse(QStringLiteral("Alt_L")));
    EXPECT_EQ(KdeTrigger::parse(QStringLiteral("Alt_R")), int(Qt::Key_Alt));
}

} // namespace
