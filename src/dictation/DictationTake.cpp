#include "dictation/DictationTake.h"

#include "dictation/AppClassifier.h"
#include "dictation/DictationTexts.h"

#include <utility>

namespace quillo {

DictationTake DictationTake::fromMicrophone(RecordingMode mode, HotkeySlot holdSlot, bool translate)
{
    DictationTake take;
    take.mode = mode;
    take.holdSlot = holdSlot;
    take.autoSend = holdSlot == HotkeySlot::holdSend;
    take.translate = translate;
    return take;
}

DictationTake DictationTake::fromFile(bool autoSend, std::optional<TargetLanguage> translation)
{
    DictationTake take;
    take.autoSend = autoSend;
    take.translation = translation;
    return take;
}

DictationTake DictationTake::retrying(const FailedRecording &recording)
{
    DictationTake take;
    take.translation = recording.translation;
    take.retried = recording;
    return take;
}

TranscriptPipeline::Capture DictationTake::finished(
    double seconds, std::optional<TargetLanguage> translation, const QString &endedBy, const QString &recordingId)
{
    TranscriptPipeline::Capture finished = capture();
    finished.seconds = seconds;
    finished.translation = translation;
    finished.style = targetApp ? forApp(*targetApp) : AppStyle::general;
    finished.endedBy = endedBy;
    finished.recordingId = recordingId;
    finished.autoSend = autoSend;
    return finished;
}

TranscriptPipeline::Capture DictationTake::retry()
{
    TranscriptPipeline::Capture again = capture();
    if (!retried)
        return again;
    again.translation = retried->translation;
    again.style = retried->style;
    again.seconds = retried->seconds();
    again.recordingId = retried->id;
    again.polish = retried->polish;
    // It arrives faster than spoken: the service may still work through it at speaking pace.
    again.finishTimeout = dictationTimes::finishTimeoutSeconds + retried->seconds();
    return again;
}

FailedRecording DictationTake::recordedWith(std::optional<TargetLanguage> translationNow, bool polish) const
{
    FailedRecording choices;
    choices.style = targetApp ? forApp(*targetApp) : AppStyle::general;
    choices.translation = translationNow;
    choices.polish = polish;
    return choices;
}

TranscriptPipeline::Capture DictationTake::capture()
{
    TranscriptPipeline::Capture capture;
    capture.apiKey = std::exchange(apiKey, {});
    capture.appName = targetApp && !targetApp->name.isEmpty() ? targetApp->name : dictationTexts::unknownAppName;
    return capture;
}

} // namespace quillo
