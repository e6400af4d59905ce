#include "dictation/StartGate.h"

#include "dictation/DictationRules.h"
#include "dictation/DictationTexts.h"

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

} // namespace quillo
