#include "ui/PermissionRow.h"

#include "ui/PanelIcons.h"
#include "ui/Theme.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillo {

PermissionRow::PermissionRow(const QString &title, const QString &detail, std::function<void()> action, QWidget *parent)
    : QWidget(parent)
    , icon_(new QLabel(this))
    , detail_(new QLabel(detail, this))
    , grantedLabel_(new QLabel(QCoreApplication::translate("Settings", "已授权"), this))
    , button_(new QPushButton(QCoreApplication::translate("Settings", "去授权"), this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 2, 0, 2);
    row->setSpacing(10);
    row->addWidget(icon_);
    auto *texts = new QVBoxLayout();
    texts->setSpacing(2);
    auto *titleLabel = new QLabel(title, this);
    titleLabel->setFont(theme::body());
    detail_->setFont(theme::caption());
    texts->addWidget(titleLabel);
    texts->addWidget(detail_);
    row->addLayout(texts, 1);
    grantedLabel_->setFont(theme::callout());
    row->addWidget(grantedLabel_);
    row->addWidget(button_);
    connect(button_, &QPushButton::clicked, this, [action = std::move(action)] {
        if (action)
            action();
    });
    setGranted(false);
}

void PermissionRow::setGranted(bool granted)
{
    granted_ = granted;
    grantedLabel_->setVisible(granted);
    button_->setVisible(!granted && hasButton_);
    restyle();
}

void PermissionRow::setTexts(const QString &detail, const QString &grantedLabel, const QString &buttonLabel)
{
    detail_->setText(detail);
    grantedLabel_->setText(grantedLabel);
    hasButton_ = !buttonLabel.isEmpty();
    button_->setText(buttonLabel);
    setGranted(granted_);
}

void PermissionRow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        theme::restyleOnce(*this, [this] { restyle(); });
    QWidget::changeEvent(event);
}

void PermissionRow::restyle()
{
    const bool granted = granted_;
    const QColor warning = theme::warning(palette());
    icon_->setPixmap(icons::pixmap(18, devicePixelRatioF(), [granted, warning](QPainter &p, const QRectF &box) {
        if (granted)
            icons::checkmarkCircle(p, box, theme::green(), Qt::white);
        else
            icons::exclamationCircle(p, box, warning, Qt::white);
    }));
    QPalette p = detail_->palette();
    p.setColor(QPalette::WindowText, theme::secondary(palette()));
    detail_->setPalette(p);
    grantedLabel_->setPalette(p);
}

} // namespace quillo
