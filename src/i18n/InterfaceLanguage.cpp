#include "i18n/InterfaceLanguage.h"

#include <QRegularExpression>

namespace quillo {

namespace {

// "zh-Hant-TW", "zh_CN.UTF-8", "en" -> "zh", "zh", "en".
QString languagePart(const QString &entry)
{
    QString language = entry.trimmed().toLower();
    const qsizetype end = language.indexOf(QRegularExpression(QStringLiteral("[-_.@]")));
    return end < 0 ? language : language.left(end);
}

bool namesNoLanguage(const QString &language)
{
    return language.isEmpty() || language == QLatin1String("c") || language == QLatin1String("posix");
}

} // namespace

std::optional<InterfaceLanguage> interfaceLanguageFromCode(const QString &code)
{
    const QString language = languagePart(code);
    if (language == QLatin1String("zh"))
        return InterfaceLanguage::chinese;
    if (language == QLatin1String("en"))
        return InterfaceLanguage::english;
    return std::nullopt;
}

InterfaceLanguage interfaceLanguageFor(const QStringList &uiLanguages)
{
    bool someLanguage = false;
    for (const QString &entry : uiLanguages) {
        const QString language = languagePart(entry);
        if (namesNoLanguage(language))
            continue;
        if (const auto known = interfaceLanguageFromCode(language))
            return *known;
        someLanguage = true;
    }
    return someLanguage ? InterfaceLanguage::english : InterfaceLanguage::chinese;
}

} // namespace quillo
