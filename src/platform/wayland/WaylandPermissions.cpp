#include "platform/wayland/WaylandPermissions.h"

namespace quillo {

QString WaylandPermissions::sessionProblem() const
{
    if (canPaste_)
        return {};
    return QStringLiteral("当前 Wayland 会话无法自动粘贴：文字会留在剪贴板上，请按 Ctrl+V 粘贴。");
}

} // namespace quillo
