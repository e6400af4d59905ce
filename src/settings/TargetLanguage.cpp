#include "settings/TargetLanguage.h"

#include <QCoreApplication>
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

namespace {

const char *sourceName(TargetLanguage language)
{
    switch (language) {
    case TargetLanguage::english:
        return QT_TRANSLATE_NOOP("Settings", "英文");
    case TargetLanguage::japanese:
        return QT_TRANSLATE_NOOP("Settings", "日文");
    case TargetLanguage::vietnamese:
        return QT_TRANSLATE_NOOP("Settings", "越南语");
    }
    return "";
}

} // namespace

QString displayName(TargetLanguage language)
{
    return QString::fromUtf8(sourceName(language));
}

QString shownName(TargetLanguage language)
{
    return QCoreApplication::translate("Settings", sourceName(language));
}

std::size_t qHash(TargetLanguage language, std::size_t seed) noexcept
{
    return ::qHash(static_cast<int>(language), seed);
}

} // namespace quillo
