#pragma once

#include "ui/PanelContent.h"

#include <QImage>
#include <QList>
#include <QRectF>

class QPainter;

namespace quillo {

// The moving parts of the panel at one instant; the window advances them, a still
// picture uses the defaults.
struct PanelAnimation {
    double pulse = 0.0; // 0: halo at 0.6 of its size, 1: full size
    double spinnerTurn = 0.0; // fraction of a turn, 0..1
    QList<float> levels; // levels as drawn now; empty draws the content's levels
};

// Draws the recording panel (480 x 96 logical pixels, transparent around the card)
// into any painter: the window, an off-screen image, a test.
class RecordingPanelPainter {
public:
    void paint(QPainter &painter, const PanelContent &content, const PanelAnimation &animation = {});

    // The card inside the 480 x 96 area.
    static QRectF cardRect();

private:
    void paintShadow(QPainter &painter, const QRectF &card);

    QImage shadow_;
    qreal shadowRatio_ = 0;
};

} // namespace quillo
