#pragma once

#include "dictation/FailedRecording.h"

#include <QList>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace quillo {

// The menu's list of failed recordings kept for a retry, newest first: each with its
// length, when it was made and the first words recognised, a retry and a remove
// button. Hidden while nothing is kept.
class KeptRecordingsList : public QWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void(const QString &id)> retry;
        std::function<void(const QString &id)> remove;
    };

    explicit KeptRecordingsList(Actions actions, QWidget *parent = nullptr);

    void setRecordings(const QList<FailedRecording> &recordings);
    // No retry can start during a dictation.
    void setRetryEnabled(bool enabled);

    QLabel *caption() const { return caption_; }
    // For tests.
    QStringList lines() const;
    QList<QPushButton *> retryButtons() const { return retries_; }
    QList<QPushButton *> removeButtons() const { return removes_; }

private:
    QWidget *row(const FailedRecording &recording);
    QPushButton *button(const QString &text, QWidget *parent);

    Actions actions_;
    QLabel *caption_;
    QVBoxLayout *rows_;
    QList<QLabel *> lines_;
    QList<QPushButton *> retries_;
    QList<QPushButton *> removes_;
    bool retryEnabled_ = true;
};

} // namespace quillo
