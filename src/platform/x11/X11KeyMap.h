#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Translation between X keysyms and the macOS virtual key codes and modifier
// flags that hotkeys store. Keys are matched by keysym (what the key types), so a
// hotkey shows the letter printed on the user's key. Pure data: no X connection,
// and usable with the keysyms Qt reports (QKeyEvent::nativeVirtualKey on X11).
namespace quillo::X11KeyMap {

// The mac key code of a keysym; shifted keysyms of the US layout ("A", "!",
// "{") give the code of their key. Empty for keys with no counterpart.
std::optional<std::uint16_t> macKeyCode(std::uint32_t keysym);

// Keysyms that produce a mac key code, the usual one first (Alt_R before
// ISO_Level3_Shift for 61). Empty for codes with no X key (Fn, 63).
std::vector<std::uint32_t> keysyms(std::uint16_t macKeyCode);

// The modifier flag of a modifier key (Shift 0x20000, Control 0x40000,
// Option 0x80000, Command 0x100000); 0 for every other key.
std::uint64_t modifierFlag(std::uint16_t macKeyCode);

} // namespace quillo::X11KeyMap
