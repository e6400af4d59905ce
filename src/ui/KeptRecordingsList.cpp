#include "ui/KeptRecordingsList.h"

#include "ui/MenuText.h"
#include "ui/Theme.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillo {

KeptRecordingsList::KeptRecordingsList(Actions actions, QWidget *parent)
    : QWidget(parent)
    , actions_(std::move(actions))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    caption_ = new QLabel(QCoreApplication::translate("Menu", "未能识别的录音"), this);
    caption_->setFont(theme::caption());
    column->addWidget(caption_);
    rows_ = new QVBoxLayout();
    rows_->setSpacing(2);
    column->addLayout(rows_);
    setHidden(true);
}

void KeptRecordingsList::setRecordings(const QList<FailedRecording> &recordings)
{
    while (QLayoutItem *item = rows_->takeAt(0)) {
        // Later: the button clicked to remove a recording may be the one asking for this.
        item->widget()->hide();
        item->widget()->deleteLater();
        delete item;
    }
    lines_.clear();
    retries_.clear();
    removes_.clear();
    for (const FailedRecording &recording : recordings)
        rows_->addWidget(row(recording));
    setHidden(recordings.isEmpty());
}

void KeptRecordingsList::setRetryEnabled(bool enabled)
{
    retryEnabled_ = enabled;
    for (QPushButton *retry : retries_)
        retry->setEnabled(enabled);
}

QStringList KeptRecordingsList::lines() const
{
    QStringList shown;
    for (const QLabel *line : lines_)
        shown.append(line->text());
    return shown;
}

QWidget *KeptRecordingsList::row(const FailedRecording &recording)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto *line = new QLabel(menu::keptRecordingLine(recording), row);
    line->setFont(theme::callout());
    line->setTextFormat(Qt::PlainText);
    layout->addWidget(line, 1);
    auto *retry = button(QCoreApplication::translate("Menu", "重试"), row);
    retry->setEnabled(retryEnabled_);
    auto *remove = button(QCoreApplication::translate("Menu", "删除"), row);
    layout->addWidget(retry);
    layout->addWidget(remove);
    // Copied: a click may rebuild the list, and this row with it.
    connect(retry, &QPushButton::clicked, this, [this, id = recording.id] {
        if (actions_.retry)
            actions_.retry(id);
    });
    connect(remove, &QPushButton::clicked, this, [this, id = recording.id] {
        if (actions_.remove)
            actions_.remove(id);
    });
    lines_.append(line);
    retries_.append(retry);
    removes_.append(remove);
    return row;
}

QPushButton *KeptRecordingsList::button(const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setCursor(Qt::PointingHandCursor);
    b->setFont(theme::caption());
    return b;
}

} // namespace quillo
