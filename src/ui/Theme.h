#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

namespace quillo::theme {

// Palettes of the light and dark appearance our windows are drawn in.
QPalette light();
QPalette dark();
bool isDark(const QPalette &palette);

QColor accent();
QColor red();
QColor orange();
QColor green();
// Text colours of lesser weight, derived from the palette's text colour.
QColor secondary(const QPalette &palette);
QColor tertiary(const QPalette &palette);
// A faint fill or line in the text colour at the given opacity.
QColor faint(const QPalette &palette, qreal opacity);
// The same as an opaque colour over the window background (crisp thin borders).
QColor solid(const QPalette &palette, qreal opacity);

// Font sizes (pixels) of the system text styles we use.
QFont headline();
QFont body();
QFont callout();
QFont caption();

} // namespace quillo::theme

#include <functional>

class QWidget;

namespace quillo::theme {

// Runs restyle for a palette change, ignoring the palette changes that restyling
// itself causes (style sheets change palettes).
void restyleOnce(QWidget &widget, const std::function<void()> &restyle);

} // namespace quillo::theme
