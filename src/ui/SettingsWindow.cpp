#include "ui/SettingsWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace quillo {

SettingsWindow::SettingsWindow(SettingsDeps deps, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint)
    , view_(new SettingsView(std::move(deps)))
{
    setWindowTitle(QCoreApplication::translate("Settings", "Quillo 设置"));
    setFixedSize(SettingsView::formWidth, windowHeight);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(view_);
    layout->addWidget(scroll);
}

void SettingsWindow::bringToFront()
{
    if (!placed_) {
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
        placed_ = true;
    }
    showNormal();
    raise();
    activateWindow();
}

void SettingsWindowController::show()
{
    if (!window_)
        window_ = std::make_unique<SettingsWindow>(deps_);
    window_->bringToFront();
}

} // namespace quillo
