#include "platform/x11/X11KeyMap.h"

#include <X11/keysym.h>

#include <gtest/gtest.h>

using namespace quillo;

namespace {

struct KeysymCase {
    std::uint32_t keysym;
    std::optional<std::uint16_t> macKeyCode;
};

class KeysymToMac : public ::testing::TestWithParam<KeysymCase> { };

TEST_P(KeysymToMac, Maps)
{
    EXPECT_EQ(X11KeyMap::macKeyCode(GetParam().keysym), GetParam().macKeyCode) << std::hex << GetParam().keysym;
}

// The main keys round-trip below; these are the keys where the side, the
// layout level or a stand-in keysym matters.
INSTANTIATE_TEST_SUITE_P(Table, KeysymToMac,
    ::testing::Values(KeysymCase{XK_Alt_R, 61}, KeysymCase{XK_ISO_Level3_Shift, 61}, KeysymCase{XK_Alt_L, 58},
        KeysymCase{XK_Super_L, 55}, KeysymCase{XK_Super_R, 54}, KeysymCase{XK_Shift_R, 60},
        KeysymCase{XK_Control_R, 62}, KeysymCase{XK_ISO_Left_Tab, 48}, KeysymCase{XK_A, 0},
        KeysymCase{XK_parenright, 29}, KeysymCase{XK_at, 19}, KeysymCase{XK_bar, 42}, KeysymCase{XK_asciitilde, 50},
        KeysymCase{XK_F20, std::nullopt}, KeysymCase{XK_Num_Lock, std::nullopt}, KeysymCase{XK_Print, std::nullopt},
        KeysymCase{0, std::nullopt}));

TEST(X11KeyMap, EveryNamedMacKeyHasAKeysymThatMapsBack)
{
    // The main keys of hotkeys (letters, digits, punctuation, named and function keys).
    const std::uint16_t codes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
        25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 53,
        64, 79, 80, 96, 97, 98, 99, 100, 101, 103, 105, 106, 107, 109, 111, 113, 115, 116, 117, 118, 119, 120, 121, 122,
        123, 124, 125, 126};
    for (std::uint16_t code : codes) {
        const auto syms = X11KeyMap::keysyms(code);
        ASSERT_FALSE(syms.empty()) << code;
        EXPECT_EQ(X11KeyMap::macKeyCode(syms.front()), code) << code;
    }
}

TEST(X11KeyMap, CanonicalKeysymsForGrabbing)
{
    EXPECT_EQ(X11KeyMap::keysyms(61).front(), static_cast<std::uint32_t>(XK_Alt_R));
    EXPECT_EQ(X11KeyMap::keysyms(0).front(), static_cast<std::uint32_t>(XK_a));
    EXPECT_EQ(X11KeyMap::keysyms(29).front(), static_cast<std::uint32_t>(XK_0));
    EXPECT_TRUE(X11KeyMap::keysyms(63).empty()) << "there is no Fn key on X11";
}

TEST(X11KeyMap, ModifierFlags)
{
    EXPECT_EQ(X11KeyMap::modifierFlag(56), 0x20000u);
    EXPECT_EQ(X11KeyMap::modifierFlag(62), 0x40000u);
    EXPECT_EQ(X11KeyMap::modifierFlag(61), 0x80000u);
    EXPECT_EQ(X11KeyMap::modifierFlag(54), 0x100000u);
    EXPECT_EQ(X11KeyMap::modifierFlag(63), 0u);
    EXPECT_EQ(X11KeyMap::modifierFlag(49), 0u);
}

} // namespace
