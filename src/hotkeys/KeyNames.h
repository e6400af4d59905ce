#pragma once

#include "hotkeys/Hotkey.h"

#include <QString>

#include <cstdint>

namespace quillo::keyNames {

// How keys are written on screen: the stored hotkeys are the same everywhere,
// but a Linux keyboard says Alt, Ctrl and Super where a Mac shows ⌥, ⌃ and ⌘.
enum class Style { symbols, words };

// The style of the platform this program was built for.
constexpr Style platformStyle()
{
#if defined(Q_OS_MACOS)
    return Style::symbols;
#else
    return Style::words;
#endif
}

// "右 Alt", "Alt+Space", "Ctrl+Shift+D" — or, in the mac style, displayName's "右 ⌥", "⌥Space", "⌃⇧D".
QString name(const Hotkey &hotkey, Style style = platformStyle());
// One modifier by its flag: "Shift" or "⇧", "Ctrl" or "⌃", "Alt" or "⌥", "Super" or "⌘", "Fn" or "fn".
QString modifierName(std::uint64_t flag, Style style = platformStyle());
// The paste chord a user presses by hand: "Ctrl+V" or "⌘V".
QString manualPaste(Style style = platformStyle());

// The recorder's hints, naming keys the way this platform does.
QString recorderStartHint(Style style = platformStyle());
QString recorderInvalidHint(Style style = platformStyle());

} // namespace quillo::keyNames
