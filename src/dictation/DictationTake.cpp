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
    double seconds, std::optional<TargetLanguage> translation, const QString &endedBy, QByteArray audio)
{
    TranscriptPipeline::Capture finished = capture();
    finished.seconds = seconds;
    finished.translation = translation;
    finished.style = targetApp ? forApp(*targetApp) : AppStyle::general;
    finished.endedBy = endedBy;
    finished.audio = std::move(audio);
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
    again.audio = retried->pcm;
    again.polish = retried->polish;
    // All of it arrives at once: the service may still work through it at speaking pace.
    again.finishTimeout = dictationTimes::finishTimeoutSeconds + retried->seconds();
    return again;
}

TranscriptPipeline::Capture DictationTake::capture()
{
    TranscriptPipeline::Capture capture;
    capture.apiKey = std::exchange(apiKey, {});
    capture.appName = targetApp && !targetApp->name.isEmpty() ? targetApp->name : dictationTexts::unknownAppName;
    return capture;
}

} // namespace quillo
