#pragma once

#include <QWidget>

class QLabel;
class QPainter;
class QRectF;

namespace quillo {

// A warning line of the menu: a symbol and a wrapped caption, both in the theme's
// warning colour, redrawn when the theme changes.
class WarningRow : public QWidget {
    Q_OBJECT

public:
    using Symbol = void (*)(QPainter &, const QRectF &, const QColor &);

    WarningRow(const QString &text, Symbol symbol, QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void restyle();

    Symbol symbol_;
    QLabel *icon_;
    QLabel *caption_;
};

} // namespace quillo
