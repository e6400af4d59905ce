#include "ui/HistoryRow.h"

#include "ui/Theme.h"

#include "common/UnicodeText.h"
#include "dictation/DictationTexts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace quillo {

namespace {

// A dictation can be pages long; the menu shows its beginning.
constexpr int shownCharacters = 120;

QString shortened(const QString &text)
{
    const QString line = text.simplified();
    // Cut between user-perceived characters: half an emoji or flag would show as garbage.
    const QString start = unicode::leftGraphemes(line, shownCharacters);
    return start.size() < line.size() ? start + QStringLiteral("…") : line;
}

// The history records the stand-in name of an unknown application in the source language.
QString shownAppName(const QString &appName)
{
    if (appName == dictationTexts::unknownAppName)
        return QCoreApplication::translate("Messages", "未知应用");
    return appName;
}

} // namespace

HistoryRow::HistoryRow(const QString &text, const QString &appName, QWidget *parent)
    : QAbstractButton(parent)
    , appName_(shownAppName(appName))
    , text_(new QLabel(shortened(text), this))
    , note_(new QLabel(appName_, this))
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(8);
    text_->setWordWrap(true);
    text_->setFont(theme::callout());
    text_->setTextFormat(Qt::PlainText);
    text_->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont small = theme::caption();
    small.setPixelSize(10);
    note_->setFont(small);
    note_->setTextFormat(Qt::PlainText);
    note_->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(text_, 1, Qt::AlignTop);
    row->addWidget(note_, 0, Qt::AlignTop | Qt::AlignRight);
    restyle();
}

void HistoryRow::setCopied(bool copied)
{
    note_->setText(copied ? QCoreApplication::translate("Menu", "已复制") : appName_);
}

QString HistoryRow::shownText() const
{
    return text_->text();
}

QString HistoryRow::note() const
{
    return note_->text();
}

QSize HistoryRow::sizeHint() const
{
    return layout()->sizeHint();
}

int HistoryRow::heightForWidth(int width) const
{
    return layout()->heightForWidth(width);
}

void HistoryRow::paintEvent(QPaintEvent *)
{
    if (!underMouse() && !isDown())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(theme::faint(palette(), isDown() ? 0.14 : 0.07));
    p.drawRoundedRect(QRectF(rect()), 5, 5);
}

void HistoryRow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        theme::restyleOnce(*this, [this] { restyle(); });
    QAbstractButton::changeEvent(event);
}

void HistoryRow::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    updateGeometry();
}

void HistoryRow::restyle()
{
    QPalette notePalette = palette();
    notePalette.setColor(QPalette::WindowText, theme::secondary(palette()));
    note_->setPalette(notePalette);
}

} // namespace quillo
