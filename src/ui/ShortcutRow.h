#pragma once

#include <QWidget>

class QLabel;

namespace quillo {

// One line of the shortcut box: what it does at the left, the key like a key cap at the right.
class ShortcutRow : public QWidget {
    Q_OBJECT

public:
    ShortcutRow(const QString &label, const QString &value, QWidget *parent = nullptr);

    void setValue(const QString &value);
    QString label() const;
    QString value() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void restyle();

    QLabel *label_;
    QLabel *value_;
};

} // namespace quillo
