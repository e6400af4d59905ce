#pragma once

#include <QAbstractButton>

class QLabel;

namespace quillo {

// One recent dictation in the menu: its text, and at the right either the
// application it went to or the "已复制" mark. Clicking copies it.
class HistoryRow : public QAbstractButton {
    Q_OBJECT

public:
    HistoryRow(const QString &text, const QString &appName, QWidget *parent = nullptr);

    void setCopied(bool copied);
    QString note() const;
    // The line the row shows: the text's beginning when it is long.
    QString shownText() const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void restyle();

    QString appName_;
    QLabel *text_;
    QLabel *note_;
};

} // namespace quillo
