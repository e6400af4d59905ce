#pragma once

#include <QWidget>

#include <functional>

namespace quillo {

// The top-level window of the recording panel: frameless, translucent, always on
// top, never focused, transparent to the mouse. It only paints, through `paint`,
// which gets the area to repaint (already cleared to transparent).
class PanelWindow : public QWidget {
    Q_OBJECT

public:
    explicit PanelWindow(std::function<void(QPainter &, const QRegion &)> paint);

    static Qt::WindowFlags flags();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::function<void(QPainter &, const QRegion &)> paint_;
};

} // namespace quillo
