#include "platform/x11/X11KeyEventTranslator.h"

#include <X11/keysym.h>

#include <gtest/gtest.h>

using namespace quillo;

namespace {

struct Input {
    bool press;
    std::uint32_t keysym;
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    bool autoRepeat = false;
};

struct TranslationCase {
    const char *label;
    std::vector<Input> inputs;
    // Expected form of the last input.
    std::optional<KeyEvent> expected;
};

class TranslatorTest : public ::testing::TestWithParam<TranslationCase> { };

TEST_P(TranslatorTest, LastEvent)
{
    const TranslationCase &c = GetParam();
    X11KeyEventTranslator translator;
    std::optional<KeyEvent> last;
    for (const Input &in : c.inputs)
        last = translator.translate(in.press, in.keysym, in.qtKey, in.modifiers, in.autoRepeat);
    ASSERT_EQ(last.has_value(), c.expected.has_value()) << c.label;
    if (!last)
        return;
    EXPECT_EQ(last->type, c.expected->type) << c.label;
    EXPECT_EQ(last->keyCode, c.expected->keyCode) << c.label;
    EXPECT_EQ(last->modifiers, c.expected->modifiers) << c.label;
    EXPECT_EQ(last->isRepeat, c.expected->isRepeat) << c.label;
}

using T = KeyEvent::Type;
constexpr auto none = Qt::NoModifier;

INSTANTIATE_TEST_SUITE_P(Cases, TranslatorTest,
    ::testing::Values(TranslationCase{"right Alt down", {{true, XK_Alt_R, Qt::Key_Alt, none}},
                          KeyEvent{T::flagsChanged, 61, 0x80000}},
        TranslationCase{"right Alt up",
            {{true, XK_Alt_R, Qt::Key_Alt, none}, {false, XK_Alt_R, Qt::Key_Alt, Qt::AltModifier}},
            KeyEvent{T::flagsChanged, 61, 0}},
        TranslationCase{"left Shift up while right Shift held",
            {{true, XK_Shift_L, Qt::Key_Shift, none}, {true, XK_Shift_R, Qt::Key_Shift, Qt::ShiftModifier},
                {false, XK_Shift_L, Qt::Key_Shift, Qt::ShiftModifier}},
            KeyEvent{T::flagsChanged, 56, 0x20000}},
        TranslationCase{
            "Alt+Space", {{true, XK_space, Qt::Key_Space, Qt::AltModifier}}, KeyEvent{T::keyDown, 49, 0x80000}},
        TranslationCase{"Shift+1 gives the 1 key", {{true, XK_exclam, Qt::Key_Exclam, Qt::ShiftModifier}},
            KeyEvent{T::keyDown, 18, 0x20000}},
        TranslationCase{"Super+Control+D", {{true, XK_d, Qt::Key_D, Qt::MetaModifier | Qt::ControlModifier}},
            KeyEvent{T::keyDown, 2, 0x140000}},
        TranslationCase{"key up", {{false, XK_F5, Qt::Key_F5, none}}, KeyEvent{T::keyUp, 96, 0}},
        TranslationCase{"repeat", {{true, XK_a, Qt::Key_A, none, true}}, KeyEvent{T::keyDown, 0, 0, true}},
        TranslationCase{
            "repeat of a modifier is dropped", {{true, XK_Control_R, Qt::Key_Control, none, true}}, std::nullopt},
        TranslationCase{"no keysym: Qt's Escape", {{true, 0, Qt::Key_Escape, none}}, KeyEvent{T::keyDown, 53, 0}},
        TranslationCase{
            "no keysym: Qt's letter", {{true, 0, Qt::Key_Z, Qt::ControlModifier}}, KeyEvent{T::keyDown, 6, 0x40000}},
        TranslationCase{
            "unknown key", {{true, XK_Print, Qt::Key_Print, none}}, KeyEvent{T::keyDown, unknownKeyCode, 0}}));

} // namespace
