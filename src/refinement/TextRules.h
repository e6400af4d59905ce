#pragma once

#include "common/AppStyle.h"
#include "settings/TargetLanguage.h"

#include <QString>
#include <QStringList>

#include <optional>

// Guards against bad chat-model answers and the small text rules applied to every
// dictation result. Pure functions; counts are user-perceived characters.
namespace quillo {

// Strips the transcript tags, a surrounding code fence and white space from a model answer.
QString cleanModelOutput(const QString &text);

// A reason is a user-facing note explaining why a result was rejected; none means accepted.
using Reason = std::optional<QString>;

Reason checkPolish(const QString &transcript, const QString &result);
Reason checkTranslation(const QString &transcript, const QString &result, TargetLanguage target);

// A script test for the target language, on Unicode scalars.
bool looksLikeLanguage(const QString &text, TargetLanguage target);

// The fallback paragraphing of an accepted translation.
QString formatTranslation(const QString &text, TargetLanguage target, AppStyle style);
QStringList splitSentences(const QString &text, bool japanese);
QString normalizeParagraphs(const QString &text, AppStyle style);

// Drops one final "。" or "." (not an ellipsis) from the text about to be inserted.
QString stripTrailingPeriod(const QString &text);

// "英文", "日文", "越南语": the language names used in guard messages.
QString guardLanguageName(TargetLanguage target);

} // namespace quillo
