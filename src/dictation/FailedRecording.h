#pragma once

#include "common/AppStyle.h"
#include "settings/TargetLanguage.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace quillo {

// A dictation whose words did not all arrive, kept on disk for a retry: the gated
// 16 kHz mono PCM16 exactly as it went to the service lives in a file beside a note
// of how it was recorded. This is the note; the audio is read only when retried.
struct FailedRecording {
    static constexpr int bytesPerSecond = 16000 * 2;

    QString id; // names its files
    QDateTime recordedAt; // UTC
    qint64 bytes = 0; // of audio
    AppStyle style = AppStyle::general;
    std::optional<TargetLanguage> translation;
    bool polish = false;
    // The start of the text seen while it was recognised; empty when none was.
    QString firstWords;

    double seconds() const { return static_cast<double>(bytes) / bytesPerSecond; }

    friend bool operator==(const FailedRecording &, const FailedRecording &) = default;
};

} // namespace quillo
