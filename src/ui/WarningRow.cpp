#include "ui/WarningRow.h"

#include "ui/PanelIcons.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

namespace quillo {

WarningRow::WarningRow(const QString &text, Symbol symbol, QWidget *parent)
    : QWidget(parent)
    , symbol_(symbol)
    , icon_(new QLabel(this))
    , caption_(new QLabel(text, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    caption_->setFont(theme::caption());
    caption_->setTextFormat(Qt::PlainText);
    caption_->setWordWrap(true);
    layout->addWidget(icon_, 0, Qt::AlignTop);
    layout->addWidget(caption_, 1);
    restyle();
}

void WarningRow::setText(const QString &text)
{
    caption_->setText(text);
}

QString WarningRow::text() const
{
    return caption_->text();
}

void WarningRow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        theme::restyleOnce(*this, [this] { restyle(); });
    QWidget::changeEvent(event);
}

void WarningRow::restyle()
{
    const QColor color = theme::warning(palette());
    icon_->setPixmap(icons::pixmap(
        12, devicePixelRatioF(), [this, color](QPainter &p, const QRectF &box) { symbol_(p, box, color); }));
    QPalette p = caption_->palette();
    p.setColor(QPalette::WindowText, color);
    caption_->setPalette(p);
}

} // namespace quillo
