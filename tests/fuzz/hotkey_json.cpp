// Fuzz target: stored hotkey JSON, as read back from the settings.
#include "hotkeys/Hotkey.h"

#include <cstdint>

using namespace quillo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const auto hotkey = hotkeyFromJson(json);
    if (!hotkey)
        return 0;
    // What was accepted is stored again unchanged and still has a name to show.
    if (hotkeyFromJson(toJson(*hotkey)) != hotkey)
        __builtin_trap();
    if (displayName(*hotkey).isEmpty())
        __builtin_trap();
    (void)isValid(*hotkey);
    return 0;
}
