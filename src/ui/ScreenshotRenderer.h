#pragma once

#include "common/Expected.h"
#include "ui/Theme.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QImage;
class QWidget;

namespace quillo {

class ScreenshotScene;

// Draws the recording panel, the menu and the settings window off screen with
// in-memory settings, history and keys, and writes them as NAME.png into dir
// (created when missing), the windows in the light and in the dark theme. Needs a
// QApplication; works on the offscreen platform. Returns the written file names, or
// a Chinese description of what failed.
Expected<QStringList, QString> renderScreenshots(const QString &dir, qreal scale = 2.0);

// The stems of the files renderScreenshots writes, in order.
QStringList screenshotNames();

// One window of the screenshots, built in the theme the application wears now.
struct ScreenshotWindow {
    QString name;
    std::unique_ptr<QWidget> widget;
    bool fitContent = true; // sized to its content rather than kept at its own size
};
std::vector<ScreenshotWindow> screenshotWindows(ScreenshotScene &scene, theme::ColorScheme scheme);

// Lays the widget out as if shown (nothing reaches a screen), then draws it.
QImage grabWidget(QWidget &widget, qreal scale, bool fitContent = true);

} // namespace quillo
