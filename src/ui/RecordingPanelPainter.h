#pragma once

#include "ui/PanelContent.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QRegion>

class QPainter;

namespace quillo {

// The moving parts of the panel at one instant; the window advances them, a still
// picture uses the defaults.
struct PanelAnimation {
    double pulse = 0.0; // 0: halo at 0.6 of its size, 1: full size
    double spinnerTurn = 0.0; // fraction of a turn, 0..1
    QList<float> levels; // levels as drawn now; empty draws the content's levels
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
    static PanelLayout layout(const PanelContent &content);

private:
    const QImage &card(qreal ratio);

    QImage card_; // shadow, background and border
    qreal cardRatio_ = 0;
};

} // namespace quillo
