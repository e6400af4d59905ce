#include "ContextId.h"

namespace quillo::fcitx5 {

namespace {

constexpr char digits[] = "0123456789abcdef";

int nibble(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::string ContextId::format(const fcitx::ICUUID &uuid)
{
    std::string text;
    text.reserve(uuid.size() * 2);
    for (const auto byte : uuid) {
        text += digits[byte >> 4];
        text += digits[byte & 0xf];
    }
    return text;
}

std::optional<fcitx::ICUUID> ContextId::parse(std::string_view text)
{
    fcitx::ICUUID uuid{};
    if (text.size() != uuid.size() * 2) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < uuid.size(); ++i) {
        const int high = nibble(text[2 * i]);
        const int low = nibble(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        uuid[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return uuid;
}

} // namespace quillo::fcitx5
