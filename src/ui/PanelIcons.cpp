#include "ui/PanelIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace quillo::icons {

namespace {

// Square of side `side` centred in box.
QRectF centred(const QRectF &box, qreal side)
{
    return QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
}

QPen roundPen(const QColor &color, qreal width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// An exclamation mark (bar and dot) centred horizontally at x between top and bottom.
void exclamation(QPainter &painter, qreal x, qreal top, qreal bottom, const QColor &color, qreal width)
{
    painter.setPen(roundPen(color, width));
    painter.drawLine(QPointF(x, top), QPointF(x, bottom - width * 1.6));
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QPointF(x, bottom), width * 0.6, width * 0.6);
}

} // namespace

void microphone(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()));
    const qreal s = r.width() / 22.0;
    painter.save();
    painter.translate(r.topLeft());
    painter.scale(s, s);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(7.5, 2, 7, 11.5), 3.5, 3.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(roundPen(color, 1.6));
    painter.drawArc(QRectF(5, 4.5, 12, 12), 180 * 16, 180 * 16);
    painter.drawLine(QPointF(11, 16.5), QPointF(11, 19.5));
    painter.drawLine(QPointF(8, 19.5), QPointF(14, 19.5));
    painter.restore();
}

void checkmarkCircle(QPainter &painter, const QRectF &box, const QColor &fill, const QColor &mark)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(r);
    const qreal u = r.width() / 18.0;
    QPainterPath check;
    check.moveTo(r.left() + 5.0 * u, r.top() + 9.4 * u);
    check.lineTo(r.left() + 7.9 * u, r.top() + 12.2 * u);
    check.lineTo(r.left() + 13.2 * u, r.top() + 6.2 * u);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(roundPen(mark, 2.0 * u));
    painter.drawPath(check);
    painter.restore();
}

void warningTriangle(QPainter &painter, const QRectF &box, const QColor &fill, const QColor &mark)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()));
    const qreal u = r.width() / 17.0;
    painter.save();
    QPainterPath triangle;
    triangle.moveTo(r.left() + 8.5 * u, r.top() + 1.5 * u);
    triangle.lineTo(r.left() + 16.0 * u, r.top() + 15.0 * u);
    triangle.lineTo(r.left() + 1.0 * u, r.top() + 15.0 * u);
    triangle.closeSubpath();
    // A thick round-joined outline gives the soft corners of a system symbol.
    painter.setPen(roundPen(fill, 2.0 * u));
    painter.setBrush(fill);
    painter.drawPath(triangle);
    exclamation(painter, r.left() + 8.5 * u, r.top() + 6.0 * u, r.top() + 12.6 * u, mark, 1.8 * u);
    painter.restore();
}

void exclamationCircle(QPainter &painter, const QRectF &box, const QColor &fill, const QColor &mark)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()));
    const qreal u = r.width() / 16.0;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(r);
    exclamation(painter, r.center().x(), r.top() + 4.0 * u, r.top() + 11.6 * u, mark, 1.8 * u);
    painter.restore();
}

void spinner(QPainter &painter, const QRectF &box, const QColor &color, double turn)
{
    constexpr int spokes = 8;
    const QRectF r = centred(box, std::min(box.width(), box.height()) * 0.8);
    const qreal outer = r.width() / 2;
    const qreal inner = outer * 0.45;
    const int lead = static_cast<int>(turn * spokes) % spokes;
    painter.save();
    painter.translate(r.center());
    for (int i = 0; i < spokes; ++i) {
        // The leading spoke is brightest; the ones behind it fade out.
        const int behind = (lead - i + spokes) % spokes;
        QColor c = color;
        c.setAlphaF(color.alphaF() * (1.0 - behind * 0.11));
        painter.setPen(roundPen(c, outer * 0.28));
        const qreal angle = 2 * M_PI * i / spokes - M_PI / 2;
        painter.drawLine(QPointF(inner * std::cos(angle), inner * std::sin(angle)),
            QPointF(outer * std::cos(angle), outer * std::sin(angle)));
    }
    painter.restore();
}

void pulsingDot(QPainter &painter, const QRectF &box, const QColor &color, double pulse)
{
    const qreal scale = 0.6 + 0.4 * std::clamp(pulse, 0.0, 1.0);
    const qreal side = std::min(box.width(), box.height());
    QColor halo = color;
    halo.setAlphaF(0.35);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(halo);
    painter.drawEllipse(box.center(), side * scale / 2, side * scale / 2);
    painter.setBrush(color);
    painter.drawEllipse(box.center(), 5.0, 5.0);
    painter.restore();
}

void arrowRight(QPainter &painter, const QRectF &box, const QColor &color, qreal width)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()));
    const qreal y = r.center().y();
    const qreal head = r.width() * 0.42;
    painter.save();
    painter.setPen(roundPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(QPointF(r.left() + width / 2, y), QPointF(r.right() - width / 2, y));
    QPainterPath tip;
    tip.moveTo(r.right() - width / 2 - head, y - head);
    tip.lineTo(r.right() - width / 2, y);
    tip.lineTo(r.right() - width / 2 - head, y + head);
    painter.drawPath(tip);
    painter.restore();
}

void waveform(QPainter &painter, const QRectF &box, const QColor &color)
{
    static constexpr qreal heights[] = {0.3, 0.6, 1.0, 0.7, 0.45, 0.85, 0.35};
    constexpr int bars = static_cast<int>(std::size(heights));
    const QRectF r = centred(box, std::min(box.width(), box.height()));
    const qreal step = r.width() / bars;
    painter.save();
    painter.setPen(roundPen(color, step * 0.55));
    for (int i = 0; i < bars; ++i) {
        const qreal x = r.left() + step * (i + 0.5);
        const qreal half = r.height() * 0.42 * heights[i];
        painter.drawLine(QPointF(x, r.center().y() - half), QPointF(x, r.center().y() + half));
    }
    painter.restore();
}

void waveformCircle(QPainter &painter, const QRectF &box, const QColor &color, bool filled)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()) - 1);
    painter.save();
    if (filled) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(r);
        // The bars are cut out of the disc so the symbol reads on any panel colour.
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        waveform(painter, r.adjusted(r.width() * 0.22, 0, -r.width() * 0.22, 0), Qt::black);
    } else {
        painter.setPen(QPen(color, r.width() / 14));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(r);
        waveform(painter, r.adjusted(r.width() * 0.22, 0, -r.width() * 0.22, 0), color);
    }
    painter.restore();
}

void ellipsisCircle(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()) - 1);
    const qreal dot = r.width() / 14;
    painter.save();
    painter.setPen(QPen(color, r.width() / 14));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(r);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int i = -1; i <= 1; ++i)
        painter.drawEllipse(QPointF(r.center().x() + i * r.width() * 0.24, r.center().y()), dot, dot);
    painter.restore();
}

void key(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()));
    const qreal u = r.width() / 12.0;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    QPainterPath shape;
    shape.addEllipse(QPointF(r.left() + 4 * u, r.top() + 6 * u), 3.4 * u, 3.4 * u);
    shape.addRect(QRectF(r.left() + 6 * u, r.top() + 5.1 * u, 5.6 * u, 1.8 * u));
    shape.addRect(QRectF(r.left() + 9.4 * u, r.top() + 6.5 * u, 1.6 * u, 2.4 * u));
    shape.setFillRule(Qt::WindingFill);
    QPainterPath hole;
    hole.addEllipse(QPointF(r.left() + 3.2 * u, r.top() + 6 * u), 1.1 * u, 1.1 * u);
    painter.drawPath(shape.subtracted(hole));
    painter.restore();
}

void hand(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()));
    const qreal u = r.width() / 12.0;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    QPainterPath palm;
    palm.addRoundedRect(QRectF(r.left() + 2.6 * u, r.top() + 5 * u, 7.4 * u, 6.6 * u), 2.6 * u, 2.6 * u);
    for (int i = 0; i < 4; ++i)
        palm.addRoundedRect(
            QRectF(r.left() + (2.6 + i * 1.9) * u, r.top() + (1.2 + (i == 0 || i == 3) * 0.8) * u, 1.5 * u, 6 * u),
            0.75 * u, 0.75 * u);
    palm.setFillRule(Qt::WindingFill);
    painter.drawPath(palm.simplified());
    painter.restore();
}

void counterclockwise(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()) * 0.8);
    const qreal w = r.width() / 9;
    painter.save();
    painter.setPen(roundPen(color, w));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(r, 100 * 16, 280 * 16);
    const QPointF start(r.center().x() + r.width() / 2 * std::cos(qDegreesToRadians(100.0)),
        r.center().y() - r.height() / 2 * std::sin(qDegreesToRadians(100.0)));
    QPainterPath tip;
    tip.moveTo(start + QPointF(r.width() * 0.3, -r.width() * 0.18));
    tip.lineTo(start);
    tip.lineTo(start + QPointF(r.width() * 0.22, r.width() * 0.26));
    painter.drawPath(tip);
    painter.restore();
}

void cross(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()) * 0.62);
    painter.save();
    painter.setPen(roundPen(color, r.width() / 6));
    painter.drawLine(r.topLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomLeft());
    painter.restore();
}

} // namespace quillo::icons

namespace quillo::icons {

void appIcon(QPainter &painter, const QRectF &box)
{
    const QRectF r = centred(box, std::min(box.width(), box.height()));
    QLinearGradient gradient(r.topLeft(), r.bottomRight());
    gradient.setColorAt(0, QColor::fromRgbF(0.31f, 0.42f, 1.0f));
    gradient.setColorAt(1, QColor::fromRgbF(0.55f, 0.36f, 0.96f));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(r, r.width() * 0.23, r.width() * 0.23);
    waveform(painter, r.adjusted(r.width() * 0.2, r.width() * 0.2, -r.width() * 0.2, -r.width() * 0.2), Qt::white);
    painter.restore();
}

QPixmap pixmap(int side, qreal devicePixelRatio, const std::function<void(QPainter &, const QRectF &)> &draw)
{
    const int pixels = static_cast<int>(std::ceil(side * devicePixelRatio));
    QPixmap result(pixels, pixels);
    result.fill(Qt::transparent);
    result.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, QRectF(0, 0, side, side));
    return result;
}

} // namespace quillo::icons
