#pragma once

#include "dictation/HUDModel.h"

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

namespace quillo {

// The icon at the left of the recording panel.
enum class PanelIcon { microphone, pulsingDot, spinner, checkmark, warning };

// Everything the recording panel shows for one HUD state, already worded.
struct PanelContent {
    PanelIcon icon = PanelIcon::microphone;
    QColor dotColor; // pulsingDot only
    QString title;
    bool titleKeepsEnd = false; // cut at the head so the newest words stay visible
    QString subtitle;
    std::optional<QString> elapsed; // "m:ss", recording only
    std::optional<QString> badge; // target language name while a translation is under way
    std::optional<QList<float>> levels; // waveform, recording only
};

namespace panel {

inline constexpr int width = 480;
inline constexpr int height = 96;

QColor holdColor();
QColor handsFreeColor();

// Whole seconds as "%d:%02d": 75.9 -> "1:15".
QString formatElapsed(double seconds);
QString title(const HUDModel &model);
QString subtitle(const HUDModel &model);
PanelContent content(const HUDModel &model);

} // namespace panel
} // namespace quillo
