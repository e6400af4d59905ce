#include "ui/SegmentedControl.h"

#include "ui/Theme.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>

namespace quillo {

SegmentedControl::SegmentedControl(const QStringList &labels, QWidget *parent)
    : QWidget(parent)
    , labels_(labels)
    , group_(new QButtonGroup(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);
    for (int i = 0; i < labels.size(); ++i) {
        auto *button = new QPushButton(labels.at(i), this);
        button->setCheckable(true);
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setFont(theme::callout());
        group_->addButton(button, i);
        row->addWidget(button, 1);
    }
    group_->setExclusive(true);
    setAttribute(Qt::WA_StyledBackground);
    setObjectName(QStringLiteral("segments"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(group_, &QButtonGroup::idClicked, this, &SegmentedControl::activated);
    restyle();
}

int SegmentedControl::currentIndex() const
{
    return group_->checkedId();
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (QAbstractButton *button = group_->button(index))
        button->setChecked(true);
}

void SegmentedControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        theme::restyleOnce(*this, [this] { restyle(); });
    QWidget::changeEvent(event);
}

void SegmentedControl::restyle()
{
    const QPalette p = palette();
    const bool dark = theme::isDark(p);
    const QColor track = theme::faint(p, dark ? 0.12 : 0.07);
    const QColor selected = dark ? QColor(99, 99, 104) : QColor(Qt::white);
    const QString sheet = (QStringLiteral("#segments { background: %1; border-radius: 7px; }"
                                          "#segments QPushButton { border: none; border-radius: 5px; padding: 3px 12px;"
                                          " color: %3; background: transparent; }"
                                          "#segments QPushButton:checked { background: %2; }")
                               .arg(track.name(QColor::HexArgb), selected.name(QColor::HexArgb),
                                   p.color(QPalette::WindowText).name(QColor::HexArgb)));
    // A new style sheet changes the palette again; only a different one is applied.
    if (sheet != styleSheet())
        setStyleSheet(sheet);
}

} // namespace quillo
