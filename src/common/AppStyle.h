#pragma once

#include <QString>

#include <array>
#include <optional>

namespace quillo {

// The input scene of the application that had the focus when a dictation started.
// The enumeration lives here so that prompts and text rules can use it without
// depending on the dictation layer; the classification is in dictation/AppClassifier.h.
enum class AppStyle { coding, chat, document, general };

inline constexpr std::array allAppStyles{AppStyle::coding, AppStyle::chat, AppStyle::document, AppStyle::general};

// "coding", "chat", "document" or "general".
inline QString appStyleName(AppStyle style)
{
    switch (style) {
    case AppStyle::coding:
        return QStringLiteral("coding");
    case AppStyle::chat:
        return QStringLiteral("chat");
    case AppStyle::document:
        return QStringLiteral("document");
    case AppStyle::general:
        break;
    }
    return QStringLiteral("general");
}

inline std::optional<AppStyle> appStyleFromName(const QString &name)
{
    for (const AppStyle style : allAppStyles) {
        if (appStyleName(style) == name)
            return style;
    }
    return std::nullopt;
}

} // namespace quillo
