#pragma once

#include <QFont>
#include <QList>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// The building blocks of the settings form: labels, rows, columns and the titled
// cards its sections sit on.
namespace quillo::settingsLayout {

QLabel *text(const QString &content, const QFont &font, QWidget *parent, bool wrap = true);
// A caption in a lesser text colour; its opacity is kept for restyling.
QLabel *caption(const QString &content, qreal opacity, QWidget *parent);
// A caption in the warning colour.
QLabel *warning(QWidget *parent);
// A labelled row: the title at the left, the control at the right.
QWidget *formRow(const QString &title, QWidget *control, QWidget *parent);
QWidget *column(const QList<QWidget *> &items, int spacing, QWidget *parent);
// A group of rows under a section title, on a rounded card.
QWidget *section(const QString &title, const QList<QWidget *> &rows, QWidget *parent);
// The same, laid out in box itself.
void fillSection(QWidget &box, const QString &title, const QList<QWidget *> &rows);
// Leaves a field that already shows value alone, its cursor where the user put it.
void setTextIfChanged(QLineEdit *field, const QString &value);

} // namespace quillo::settingsLayout
