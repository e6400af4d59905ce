#pragma once

#include <QStringList>
#include <QWidget>

class QButtonGroup;

namespace quillo {

// A row of mutually exclusive segments, one of them selected.
class SegmentedControl : public QWidget {
    Q_OBJECT

public:
    explicit SegmentedControl(const QStringList &labels, QWidget *parent = nullptr);

    int currentIndex() const;
    // Selects without emitting `activated`, for showing a stored value.
    void setCurrentIndex(int index);
    QStringList labels() const { return labels_; }

signals:
    // The user picked a segment.
    void activated(int index);

protected:
    void changeEvent(QEvent *event) override;

private:
    void restyle();

    QStringList labels_;
    QButtonGroup *group_;
};

} // namespace quillo
