#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

namespace quillo::theme {

enum class ColorScheme { light, dark };

// Palettes of the light and dark appearance our windows are drawn in. Every colour a
// widget uses comes from the palette it is given or from the functions below, so both
// appearances read (WCAG AA contrast for text).
QPalette light();
QPalette dark();
QPalette palette(ColorScheme scheme);
bool isDark(const QPalette &palette);

// The accent of graphics (switch tracks, outlines); too light behind white text.
QColor accent();
// Fills behind white text: the accent and the recording red, dark enough to read on.
QColor accentFill();
QColor recordingFill();
QColor green();
// Warning text and symbols: a darker orange on light backgrounds, a brighter one on dark.
QColor warning(const QPalette &palette);
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

// Runs restyle for a palette change once the change has reached every widget,
// ignoring the palette changes that restyling itself causes (style sheets change palettes).
void restyleOnce(QWidget &widget, const std::function<void()> &restyle);

} // namespace quillo::theme
