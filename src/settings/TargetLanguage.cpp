#include "settings/TargetLanguage.h"

#include <QHashFunctions>

namespace quillo {

QString rawValue(TargetLanguage language)
{
    switch (language) {
    case TargetLanguage::english:
        return QStringLiteral("en");
    case TargetLanguage::japanese:
        return QStringLiteral("ja");
    case TargetLanguage::vietnamese:
        return QStringLiteral("vi");
    }
    return {};
}

std::optional<TargetLanguage> targetLanguageFromRaw(const QString &raw)
{
    for (const TargetLanguage language : allTargetLanguages) {
        if (rawValue(language) == raw)
            return language;
    }
    return std::nullopt;
}

QString displayName(TargetLanguage language)
{
    switch (language) {
    case TargetLanguage::english:
        return QStringLiteral("英文");
    case TargetLanguage::japanese:
        return QStringLiteral("日文");
    case TargetLanguage::vietnamese:
        return QStringLiteral("越南语");
    }
    return {};
}

std::size_t qHash(TargetLanguage language, std::size_t seed) noexcept
{
    return ::qHash(static_cast<int>(language), seed);
}

} // namespace quillo
