#include "ui/TrayIcon.h"

#include "ui/MenuContent.h"
#include "ui/PanelIcons.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include <algorithm>

namespace quillo {

namespace {

// Panels differ in colour; a light symbol with a dark edge reads on both.
QPixmap symbolPixmap(TraySymbol symbol, int side)
{
    return icons::pixmap(side, 1.0, [symbol](QPainter &p, const QRectF &box) {
        const QColor color(235, 235, 240);
        switch (symbol) {
        case TraySymbol::waveform:
            icons::waveform(p, box, color);
            break;
        case TraySymbol::recording:
            icons::waveformCircle(p, box, color, true);
            break;
        case TraySymbol::busy:
            icons::ellipsisCircle(p, box, color);
            break;
        }
    });
}

} // namespace

TrayIcon::TrayIcon(MenuContent *content, QObject *parent)
    : QObject(parent)
    , popup_(std::make_unique<QWidget>(nullptr, Qt::Popup | Qt::FramelessWindowHint))
    , tray_(std::make_unique<QSystemTrayIcon>())
{
    auto *layout = new QVBoxLayout(popup_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    content->setParent(popup_.get());
    layout->addWidget(content);
    tray_->setToolTip(QStringLiteral("Quillo"));
    tray_->setIcon(iconFor(symbol_));
    connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
            showMenu();
    });
    tray_->show();
}

TrayIcon::~TrayIcon() = default;

TraySymbol TrayIcon::symbolFor(const DictationPhase &phase)
{
    switch (phase.kind()) {
    case DictationPhase::Kind::recording:
        return TraySymbol::recording;
    case DictationPhase::Kind::transcribing:
    case DictationPhase::Kind::polishing:
        return TraySymbol::busy;
    default:
        return TraySymbol::waveform;
    }
}

QIcon TrayIcon::iconFor(TraySymbol symbol)
{
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(symbolPixmap(symbol, side));
    return icon;
}

void TrayIcon::setPhase(const DictationPhase &phase)
{
    const TraySymbol next = symbolFor(phase);
    if (next == symbol_)
        return;
    symbol_ = next;
    tray_->setIcon(iconFor(symbol_));
}

void TrayIcon::hideMenu()
{
    popup_->hide();
}

void TrayIcon::showMenu()
{
    if (popup_->isVisible()) {
        popup_->hide();
        return;
    }
    popup_->adjustSize();
    const QRect icon = tray_->geometry();
    const QPoint anchor = icon.isValid() ? icon.center() : QCursor::pos();
    const QScreen *screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QSize size = popup_->size();
    QPoint origin(anchor.x() - size.width() / 2, icon.isValid() ? icon.bottom() + 4 : anchor.y());
    if (screen) {
        const QRect area = screen->availableGeometry();
        // A panel at the bottom of the screen opens the menu upwards.
        if (origin.y() + size.height() > area.bottom())
            origin.setY((icon.isValid() ? icon.top() : anchor.y()) - size.height() - 4);
        origin.setX(std::clamp(origin.x(), area.left(), std::max(area.left(), area.right() - size.width())));
        origin.setY(std::clamp(origin.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
    }
    popup_->move(origin);
    popup_->show();
    popup_->raise();
    popup_->activateWindow();
}

} // namespace quillo
