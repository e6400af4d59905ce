#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace quillo::icons {

// Our own vector icons, drawn centred in `box`. Colours follow the meaning:
// green success, yellow/orange attention.
void microphone(QPainter &painter, const QRectF &box, const QColor &color);
void checkmarkCircle(QPainter &painter, const QRectF &box, const QColor &fill, const QColor &mark);
void warningTriangle(QPainter &painter, const QRectF &box, const QColor &fill, const QColor &mark);
void exclamationCircle(QPainter &painter, const QRectF &box, const QColor &fill, const QColor &mark);
void spinner(QPainter &painter, const QRectF &box, const QColor &color, double turn);
void pulsingDot(QPainter &painter, const QRectF &box, const QColor &color, double pulse);
void arrowRight(QPainter &painter, const QRectF &box, const QColor &color, qreal width);
void waveform(QPainter &painter, const QRectF &box, const QColor &color);
void waveformCircle(QPainter &painter, const QRectF &box, const QColor &color, bool filled);
void ellipsisCircle(QPainter &painter, const QRectF &box, const QColor &color);
void key(QPainter &painter, const QRectF &box, const QColor &color);
void hand(QPainter &painter, const QRectF &box, const QColor &color);
void counterclockwise(QPainter &painter, const QRectF &box, const QColor &color);
void cross(QPainter &painter, const QRectF &box, const QColor &color);

} // namespace quillo::icons

#include <QPixmap>

#include <functional>

namespace quillo::icons {

// The application's own icon: a rounded square with a waveform.
void appIcon(QPainter &painter, const QRectF &box);
// A pixmap of `side` logical pixels, sharp at devicePixelRatio, drawn by draw(painter, box).
QPixmap pixmap(int side, qreal devicePixelRatio, const std::function<void(QPainter &, const QRectF &)> &draw);

} // namespace quillo::icons
