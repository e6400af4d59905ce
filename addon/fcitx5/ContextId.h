#pragma once

#include <fcitx/inputcontext.h>

#include <optional>
#include <string>
#include <string_view>

namespace quillo::fcitx5 {

// An input context's UUID as it travels over D-Bus: 32 lowercase hex digits.
class ContextId {
public:
    static std::string format(const fcitx::ICUUID &uuid);
    // Anything but exactly 32 hex digits is no context at all.
    static std::optional<fcitx::ICUUID> parse(std::string_view text);
};

} // namespace quillo::fcitx5
