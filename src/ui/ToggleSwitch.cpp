#include "ui/ToggleSwitch.h"

#include "ui/Theme.h"

#include <QPainter>

namespace quillo {

namespace {

constexpr int trackWidth = 34;
constexpr int trackHeight = 20;

} // namespace

ToggleSwitch::ToggleSwitch(const QString &label, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(label);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize ToggleSwitch::sizeHint() const
{
    const QFontMetrics fm(font());
    return QSize(fm.horizontalAdvance(text()) + 12 + trackWidth, std::max(fm.height(), trackHeight) + 4);
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track(width() - trackWidth - 1, (height() - trackHeight) / 2.0, trackWidth, trackHeight);
    p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : theme::tertiary(palette()));
    p.setFont(font());
    p.drawText(QRectF(0, 0, track.left() - 8, height()), Qt::AlignLeft | Qt::AlignVCenter,
        fontMetrics().elidedText(text(), Qt::ElideRight, static_cast<int>(track.left()) - 8));
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? theme::accent() : theme::faint(palette(), 0.18));
    p.drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);
    const qreal knob = trackHeight - 4;
    const qreal x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(QRectF(x, track.top() + 2.5, knob, knob));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}

} // namespace quillo
