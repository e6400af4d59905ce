#pragma once

#include "common/Expected.h"

#include <QString>
#include <QStringList>

namespace quillo {

// Draws the recording panel, the menu and the settings window off screen with
// in-memory settings, history and keys, and writes them as NAME.png into dir
// (created when missing). Needs a QApplication; works on the offscreen platform.
// Returns the written file names, or a Chinese description of what failed.
Expected<QStringList, QString> renderScreenshots(const QString &dir, qreal scale = 2.0);

// The stems of the files renderScreenshots writes, in order.
QStringList screenshotNames();

} // namespace quillo
