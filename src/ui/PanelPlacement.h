#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

namespace quillo {

// One monitor as the panel sees it: its whole frame and the part not taken by
// panels and docks.
struct ScreenArea {
    QRect frame;
    QRect available;
};

namespace panel {

inline constexpr int bottomGap = 72;

// Top-left corner of a panel of `size` centred on the screen under the pointer,
// `bottomGap` above the bottom of its available area. The first screen holding the
// pointer wins; without one the primary screen is used; without screens, nothing.
std::optional<QPoint> placement(QPoint pointer, const QList<ScreenArea> &screens, int primaryIndex, QSize size);

} // namespace panel
} // namespace quillo
