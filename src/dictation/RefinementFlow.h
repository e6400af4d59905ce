#pragma once

#include "dictation/AppClassifier.h"
#include "refinement/ChatFunction.h"
#include "settings/TargetLanguage.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quillo {

// The text to insert and, when the model's answer was not used as is, why.
struct RefinementOutcome {
    QString text;
    std::optional<QString> note;

    friend bool operator==(const RefinementOutcome &, const RefinementOutcome &) = default;
};

// What one polish or translation call needs besides the transcript.
struct RefinementRequest {
    QString transcript; // trimmed
    AppStyle style = AppStyle::general;
    QStringList vocabulary;
    QString apiKey;
    QString host;
    QString model;
};

// The model paths of a finished dictation. A dictation never fails because of the
// model: a rejected or failed answer falls back to the transcript with a note.
// `stillWanted` is asked before a second request goes out, so an abandoned
// dictation does not keep calling the service.
namespace refinementFlow {

using Completion = std::function<void(RefinementOutcome)>;

inline constexpr double polishTemperature = 0.1;
inline constexpr double firstTranslationTemperature = 0.1;
inline constexpr double secondTranslationTemperature = 0.4;

void polish(const ChatFunction &chat, const RefinementRequest &request, Completion done);
void translate(const ChatFunction &chat, const RefinementRequest &request, TargetLanguage target,
    std::function<bool()> stillWanted, Completion done);

} // namespace refinementFlow

} // namespace quillo
