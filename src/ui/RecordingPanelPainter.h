#pragma once

#include "ui/PanelContent.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QRegion>

#include <optional>

class QPainter;

namespace quillo {

// The moving parts of the panel at one instant; the window advances them, a still
// picture uses the defaults.
struct PanelAnimation {
    double pulse = 0.0; // 0: halo at 0.6 of its size, 1: full size
    double spinnerTurn = 0.0; // fraction of a turn, 0..1
    QList<float> levels; // levels as drawn now; empty draws the content's levels
};

// The parts' boxes as they are drawn, in logical pixels; empty for parts not shown.
struct PanelBoxes {
    QRectF icon;
    QRectF text; // the text column: title and subtitle
    qreal titleHeight = 0;
    QRectF badge;
    QRectF waveform; // the 80 x 26 frame the bars are centred on
    QRectF elapsed;
};

// Where each part of the panel goes for one content; empty rects for parts not shown.
// Each rect holds everything its part draws, so repainting it alone is enough.
struct PanelLayout {
    QRect icon;
    QRect text; // title and subtitle
    QRect badge;
    QRect waveform;
    QRect elapsed;

    bool operator==(const PanelLayout &) const = default;
};

// Draws the recording panel (480 x 96 logical pixels, transparent around the card)
// into any painter: the window, an off-screen image, a test.
class RecordingPanelPainter {
public:
    void paint(QPainter &painter, const PanelContent &content, const PanelAnimation &animation = {});
    // Draws only the parts that meet `exposed`, over a transparent area (what a window's
    // partial repaint needs); the card comes from a picture made once per pixel ratio.
    void paint(QPainter &painter, const PanelContent &content, const PanelAnimation &animation, const QRegion &exposed);

    // The card inside the 480 x 96 area.
    static QRectF cardRect();
    PanelLayout layout(const PanelContent &content);

private:
    const QImage &card(qreal ratio);
    // Measuring text is the dearest part of a small repaint: the boxes are kept until
    // something that moves them changes.
    const PanelBoxes &boxes(const PanelContent &content);

    struct BoxesKey {
        qsizetype elapsedLength = -1; // digits are all measured alike, so only the length counts
        bool levels = false;
        std::optional<QString> badge;
        bool operator==(const BoxesKey &) const = default;
    };
    std::optional<BoxesKey> boxesKey_;
    PanelBoxes boxes_;

    QImage card_; // shadow, background and border
    qreal cardRatio_ = 0;
};

} // namespace quillo
