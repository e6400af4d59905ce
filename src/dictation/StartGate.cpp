#include "dictation/StartGate.h"

#include "dictation/DictationRules.h"
#include "dictation/DictationTexts.h"

#include <chrono>

namespace quillo {

StartGate::StartGate(Deps deps)
    : deps_(std::move(deps))
    , pending_(deps_.scheduler, deps_.readKey)
{
}

void StartGate::withAPIKey(
    std::optional<HotkeySlot> releaseSlot, std::function<void(const QString &key)> start, bool keyRequired)
{
    // Read fresh at every start: a key stored, changed or removed since the last one counts.
    pending_.begin(
        releaseSlot,
        [this, keyRequired, start = std::move(start)](const APIKeyRead &read) {
            if (const auto refusal = dictationRules::keyRefusal(read, keyRequired)) {
                deps_.refuse(*refusal);
                return;
            }
            start(read.key);
        },
        [this] { deps_.refuse(dictationTexts::keyStoreSilentMessage); });
}

bool StartGate::microphoneAllowed()
{
    switch (deps_.permissions.microphoneAuthorization()) {
    case MicrophoneAuthorization::notDetermined:
        deps_.permissions.requestMicrophoneAccess();
        deps_.refuse(dictationTexts::microphoneNotAskedMessage);
        return false;
    case MicrophoneAuthorization::denied:
    case MicrophoneAuthorization::restricted:
        deps_.refuse(dictationTexts::microphoneDeniedMessage);
        if (deps_.openMicrophoneSettings)
            deps_.openMicrophoneSettings();
        return false;
    case MicrophoneAuthorization::authorized:
        break;
    }
    return true;
}

bool StartGate::overtakenByStop()
{
    const auto stop = std::exchange(stopWithoutRecording_, std::nullopt);
    // Together they were shorter than a tap and are dropped like one, instead of recording on.
    return stop
        && std::chrono::duration<double>(deps_.scheduler.now() - *stop).count()
        < dictationTimes::minimumRecordingSeconds;
}

} // namespace quillo
