#pragma once

#include "common/AppStyle.h"
#include "settings/TargetLanguage.h"

#include <QByteArray>

#include <optional>

namespace quillo {

// The audio of a dictation whose recognition failed, with what it needs to be
// dictated again: the gated 16 kHz mono PCM16 exactly as it went to the service,
// and the style, translation and polish choice it was recorded with.
struct FailedRecording {
    static constexpr int bytesPerSecond = 16000 * 2;

    QByteArray pcm;
    AppStyle style = AppStyle::general;
    std::optional<TargetLanguage> translation;
    bool polish = false;

    double seconds() const { return static_cast<double>(pcm.size()) / bytesPerSecond; }

    friend bool operator==(const FailedRecording &, const FailedRecording &) = default;
};

} // namespace quillo
