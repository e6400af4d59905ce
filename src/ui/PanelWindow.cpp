#include "ui/PanelWindow.h"

#include "ui/PanelContent.h"

#include <QPaintEvent>
#include <QPainter>

namespace quillo {

PanelWindow::PanelWindow(std::function<void(QPainter &, const QRegion &)> paint)
    : QWidget(nullptr, flags())
    , paint_(std::move(paint))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_X11NetWmWindowTypeNotification);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(panel::width, panel::height);
    setWindowTitle(QStringLiteral("Quillo"));
}

Qt::WindowFlags PanelWindow::flags()
{
    return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
        | Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint;
}

void PanelWindow::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect &r : event->region())
        painter.fillRect(r, Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (paint_)
        paint_(painter, event->region());
}

} // namespace quillo
