#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quillo {

// The languages the interface can be shown in. Chinese is the text in the source.
enum class InterfaceLanguage { chinese, english };

// "zh" or "en" (as given to --lang); none for anything else.
std::optional<InterfaceLanguage> interfaceLanguageFromCode(const QString &code);

// The language for the user's preferred languages, most preferred first, as QLocale's
// uiLanguages() lists them ("zh-CN", "en_US", "de"). The first Chinese or English entry
// wins; other languages have no translation, so English stands in for them. A list of
// nothing but the C/POSIX locale (no language chosen at all) shows the source text.
InterfaceLanguage interfaceLanguageFor(const QStringList &uiLanguages);

} // namespace quillo
