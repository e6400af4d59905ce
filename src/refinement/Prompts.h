#pragma once

#include "common/AppStyle.h"
#include "refinement/ChatMessage.h"
#include "settings/TargetLanguage.h"

#include <QString>
#include <QStringList>

namespace quillo {

// The fixed conversations sent to the chat model. The texts are part of the
// behaviour: every character matters to how the model answers.

// "<transcript>\n" + text + "\n</transcript>"; the text goes in verbatim.
QString wrapTranscript(const QString &text);

QString sceneDescription(AppStyle style);
// The language name used inside the prompts, e.g. "英语（English）".
QString promptLanguageName(TargetLanguage target);
QString languageRule(TargetLanguage target);

QString polishSystemPrompt(AppStyle style, const QStringList &vocabulary);
QString translationSystemPrompt(TargetLanguage target, AppStyle style, const QStringList &vocabulary);

// Eight messages: system, three example user/assistant pairs, the wrapped transcript.
Conversation polishMessages(const QString &transcript, AppStyle style, const QStringList &vocabulary);
Conversation translationMessages(
    const QString &transcript, TargetLanguage target, AppStyle style, const QStringList &vocabulary);

} // namespace quillo
