#pragma once

#include "dictation/FailedRecording.h"
#include "dictation/TranscriptPipeline.h"
#include "hotkeys/Hotkey.h"
#include "platform/FrontmostApp.h"
#include "platform/Scheduler.h"
#include "settings/TargetLanguage.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace quillo {

// One dictation as it was set up: how it records and ends, the window its text goes to,
// the key it runs with, and what its transcript carries on its way to the cursor.
struct DictationTake {
    // From the microphone, started by a key, the menu or a command.
    static DictationTake fromMicrophone(RecordingMode mode, HotkeySlot holdSlot, bool translate);
    // A recorded file, dictated as if spoken (`--e2e-file`).
    static DictationTake fromFile(bool autoSend, std::optional<TargetLanguage> translation);
    static DictationTake retrying(const FailedRecording &recording);

    RecordingMode mode = RecordingMode::hold;
    HotkeySlot holdSlot = HotkeySlot::hold; // whose release ends a hold recording
    // Return follows the paste (the send key started it, or was pressed while recording).
    bool autoSend = false;
    // From the microphone: asked to translate by the key that started it.
    bool translate = false;
    std::optional<TargetLanguage> translation;
    // A retry: the kept recording dictated again.
    std::optional<FailedRecording> retried;

    // Set as it begins.
    std::optional<AppIdentity> targetApp;
    QString apiKey; // cleared as soon as the transcript has it
    std::optional<Scheduler::TimePoint> startedAt;

    // The recording ended after seconds; endedBy is empty when the user ended it. Its
    // audio was written down as recordingId (empty: nothing was).
    TranscriptPipeline::Capture finished(
        double seconds, std::optional<TargetLanguage> translation, const QString &endedBy, const QString &recordingId);
    // The style, translation and polish a recording starting now is made with.
    FailedRecording recordedWith(std::optional<TargetLanguage> translation, bool polish) const;
    // The kept recording, refined as it was first set up to be.
    TranscriptPipeline::Capture retry();

private:
    TranscriptPipeline::Capture capture();
};

} // namespace quillo
