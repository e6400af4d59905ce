#include "ui/PanelPlacement.h"

namespace quillo::panel {

std::optional<QPoint> placement(QPoint pointer, const QList<ScreenArea> &screens, int primaryIndex, QSize size)
{
    if (screens.isEmpty())
        return std::nullopt;
    const ScreenArea *chosen = nullptr;
    for (const ScreenArea &screen : screens) {
        if (screen.frame.contains(pointer)) {
            chosen = &screen;
            break;
        }
    }
    if (!chosen)
        chosen = &screens.at(primaryIndex >= 0 && primaryIndex < screens.size() ? primaryIndex : 0);
    const QRect area = chosen->available;
    const int x = area.x() + (area.width() - size.width()) / 2;
    const int y = area.y() + area.height() - bottomGap - size.height();
    return QPoint(x, y);
}

} // namespace quillo::panel
