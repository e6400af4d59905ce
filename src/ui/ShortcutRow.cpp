#include "ui/ShortcutRow.h"

#include "ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

namespace quillo {

ShortcutRow::ShortcutRow(const QString &label, const QString &value, QWidget *parent)
    : QWidget(parent)
    , label_(new QLabel(label, this))
    , value_(new QLabel(value, this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    label_->setFont(theme::callout());
    QFont capFont = theme::callout();
    capFont.setWeight(QFont::Medium);
    value_->setFont(capFont);
    row->addWidget(label_);
    row->addStretch(1);
    row->addWidget(value_);
    restyle();
}

void ShortcutRow::setValue(const QString &value)
{
    value_->setText(value);
}

QString ShortcutRow::label() const
{
    return label_->text();
}

QString ShortcutRow::value() const
{
    return value_->text();
}

void ShortcutRow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        theme::restyleOnce(*this, [this] { restyle(); });
    QWidget::changeEvent(event);
}

void ShortcutRow::restyle()
{
    const QPalette p = palette();
    value_->setStyleSheet(QStringLiteral("QLabel { background: %1; border: 1px solid %2; border-radius: 5px;"
                                         " padding: 2px 7px; color: %3; }")
                              .arg(theme::faint(p, 0.08).name(QColor::HexArgb), theme::solid(p, 0.2).name(),
                                  p.color(QPalette::WindowText).name()));
}

} // namespace quillo
