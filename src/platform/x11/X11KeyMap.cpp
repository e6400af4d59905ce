#include "platform/x11/X11KeyMap.h"

#include <X11/keysym.h>

#include <array>

namespace quillo::X11KeyMap {
namespace {

struct Entry {
    std::uint32_t keysym;
    std::uint16_t macKeyCode;
};

constexpr std::uint64_t shiftFlag = 0x20000;
constexpr std::uint64_t controlFlag = 0x40000;
constexpr std::uint64_t optionFlag = 0x80000;
constexpr std::uint64_t commandFlag = 0x100000;

// For each mac code the first entry is the keysym we look for when grabbing.
constexpr Entry table[] = {
    // Modifiers. ISO_Level3_Shift is where many layouts put the right Alt key.
    {XK_Shift_L, 56},
    {XK_Shift_R, 60},
    {XK_Control_L, 59},
    {XK_Control_R, 62},
    {XK_Alt_L, 58},
    {XK_Meta_L, 58},
    {XK_Alt_R, 61},
    {XK_ISO_Level3_Shift, 61},
    {XK_Meta_R, 61},
    {XK_Super_L, 55},
    {XK_Super_R, 54},
    {XK_Caps_Lock, 57},
    // Named keys.
    {XK_space, 49},
    {XK_Return, 36},
    {XK_Tab, 48},
    {XK_ISO_Left_Tab, 48},
    {XK_BackSpace, 51},
    {XK_Escape, 53},
    {XK_Delete, 117},
    {XK_Insert, 114},
    {XK_Left, 123},
    {XK_Right, 124},
    {XK_Down, 125},
    {XK_Up, 126},
    {XK_Home, 115},
    {XK_End, 119},
    {XK_Prior, 116},
    {XK_Next, 121},
    // Function keys F1 to F19.
    {XK_F1, 122},
    {XK_F2, 120},
    {XK_F3, 99},
    {XK_F4, 118},
    {XK_F5, 96},
    {XK_F6, 97},
    {XK_F7, 98},
    {XK_F8, 100},
    {XK_F9, 101},
    {XK_F10, 109},
    {XK_F11, 103},
    {XK_F12, 111},
    {XK_F13, 105},
    {XK_F14, 107},
    {XK_F15, 113},
    {XK_F16, 106},
    {XK_F17, 64},
    {XK_F18, 79},
    {XK_F19, 80},
    // Letters, lower case first.
    {XK_a, 0},
    {XK_b, 11},
    {XK_c, 8},
    {XK_d, 2},
    {XK_e, 14},
    {XK_f, 3},
    {XK_g, 5},
    {XK_h, 4},
    {XK_i, 34},
    {XK_j, 38},
    {XK_k, 40},
    {XK_l, 37},
    {XK_m, 46},
    {XK_n, 45},
    {XK_o, 31},
    {XK_p, 35},
    {XK_q, 12},
    {XK_r, 15},
    {XK_s, 1},
    {XK_t, 17},
    {XK_u, 32},
    {XK_v, 9},
    {XK_w, 13},
    {XK_x, 7},
    {XK_y, 16},
    {XK_z, 6},
    {XK_A, 0},
    {XK_B, 11},
    {XK_C, 8},
    {XK_D, 2},
    {XK_E, 14},
    {XK_F, 3},
    {XK_G, 5},
    {XK_H, 4},
    {XK_I, 34},
    {XK_J, 38},
    {XK_K, 40},
    {XK_L, 37},
    {XK_M, 46},
    {XK_N, 45},
    {XK_O, 31},
    {XK_P, 35},
    {XK_Q, 12},
    {XK_R, 15},
    {XK_S, 1},
    {XK_T, 17},
    {XK_U, 32},
    {XK_V, 9},
    {XK_W, 13},
    {XK_X, 7},
    {XK_Y, 16},
    {XK_Z, 6},
    // Digits, then what Shift makes of them on a US keyboard.
    {XK_0, 29},
    {XK_1, 18},
    {XK_2, 19},
    {XK_3, 20},
    {XK_4, 21},
    {XK_5, 23},
    {XK_6, 22},
    {XK_7, 26},
    {XK_8, 28},
    {XK_9, 25},
    {XK_parenright, 29},
    {XK_exclam, 18},
    {XK_at, 19},
    {XK_numbersign, 20},
    {XK_dollar, 21},
    {XK_percent, 23},
    {XK_asciicircum, 22},
    {XK_ampersand, 26},
    {XK_asterisk, 28},
    {XK_parenleft, 25},
    // Punctuation and its shifted forms.
    {XK_minus, 27},
    {XK_underscore, 27},
    {XK_equal, 24},
    {XK_plus, 24},
    {XK_bracketleft, 33},
    {XK_braceleft, 33},
    {XK_bracketright, 30},
    {XK_braceright, 30},
    {XK_backslash, 42},
    {XK_bar, 42},
    {XK_semicolon, 41},
    {XK_colon, 41},
    {XK_apostrophe, 39},
    {XK_quotedbl, 39},
    {XK_comma, 43},
    {XK_less, 43},
    {XK_period, 47},
    {XK_greater, 47},
    {XK_slash, 44},
    {XK_question, 44},
    {XK_grave, 50},
    {XK_asciitilde, 50},
    // Keypad: mac has codes of its own for these.
    {XK_KP_Decimal, 65},
    {XK_KP_Multiply, 67},
    {XK_KP_Add, 69},
    {XK_KP_Divide, 75},
    {XK_KP_Enter, 76},
    {XK_KP_Subtract, 78},
    {XK_KP_Equal, 81},
    {XK_KP_0, 82},
    {XK_KP_1, 83},
    {XK_KP_2, 84},
    {XK_KP_3, 85},
    {XK_KP_4, 86},
    {XK_KP_5, 87},
    {XK_KP_6, 88},
    {XK_KP_7, 89},
    {XK_KP_8, 91},
    {XK_KP_9, 92},
};

struct Modifier {
    std::uint16_t macKeyCode;
    std::uint64_t flag;
};

constexpr std::array<Modifier, 8> modifiers = {{
    {56, shiftFlag},
    {60, shiftFlag},
    {59, controlFlag},
    {62, controlFlag},
    {58, optionFlag},
    {61, optionFlag},
    {55, commandFlag},
    {54, commandFlag},
}};

} // namespace

std::optional<std::uint16_t> macKeyCode(std::uint32_t keysym)
{
    for (const Entry &entry : table) {
        if (entry.keysym == keysym)
            return entry.macKeyCode;
    }
    return std::nullopt;
}

std::vector<std::uint32_t> keysyms(std::uint16_t macKeyCode)
{
    std::vector<std::uint32_t> found;
    for (const Entry &entry : table) {
        if (entry.macKeyCode == macKeyCode)
            found.push_back(entry.keysym);
    }
    return found;
}

std::uint64_t modifierFlag(std::uint16_t macKeyCode)
{
    for (const Modifier &modifier : modifiers) {
        if (modifier.macKeyCode == macKeyCode)
            return modifier.flag;
    }
    return 0;
}

} // namespace quillo::X11KeyMap
