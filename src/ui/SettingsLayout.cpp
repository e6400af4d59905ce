#include "ui/SettingsLayout.h"

#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

namespace quillo::settingsLayout {

QLabel *text(const QString &content, const QFont &font, QWidget *parent, bool wrap)
{
    auto *l = new QLabel(content, parent);
    l->setFont(font);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(wrap);
    return l;
}

QLabel *caption(const QString &content, qreal opacity, QWidget *parent)
{
    QLabel *l = text(content, theme::caption(), parent);
    l->setProperty("captionOpacity", opacity);
    return l;
}

QLabel *warning(QWidget *parent)
{
    QLabel *l = text(QString(), theme::caption(), parent);
    // Coloured by the form's restyle, which knows whether the theme is light or dark.
    l->setProperty("warning", true);
    return l;
}

QWidget *formRow(const QString &title, QWidget *control, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text(title, theme::body(), row, false));
    layout->addStretch(1);
    control->setParent(row);
    layout->addWidget(control);
    return row;
}

QWidget *column(const QList<QWidget *> &items, int spacing, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget *item : items) {
        item->setParent(box);
        layout->addWidget(item);
    }
    return box;
}

QWidget *section(const QString &title, const QList<QWidget *> &rows, QWidget *parent)
{
    auto *box = new QWidget(parent);
    fillSection(*box, title, rows);
    return box;
}

void fillSection(QWidget &box, const QString &title, const QList<QWidget *> &rows)
{
    auto *column = new QVBoxLayout(&box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    QLabel *heading = text(title, theme::headline(), &box, false);
    heading->setContentsMargins(4, 0, 0, 0);
    column->addWidget(heading);
    auto *card = new QWidget(&box);
    card->setObjectName(QStringLiteral("card"));
    card->setAttribute(Qt::WA_StyledBackground);
    auto *inner = new QVBoxLayout(card);
    inner->setContentsMargins(14, 10, 14, 10);
    inner->setSpacing(10);
    for (QWidget *row : rows) {
        row->setParent(card);
        inner->addWidget(row);
    }
    column->addWidget(card);
}

void setTextIfChanged(QLineEdit *field, const QString &value)
{
    if (field->text() != value)
        field->setText(value);
}

} // namespace quillo::settingsLayout
