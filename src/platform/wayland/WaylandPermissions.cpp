#include "platform/wayland/WaylandPermissions.h"

#include <QCoreApplication>

namespace quillo {

QString WaylandPermissions::sessionProblem() const
{
    if (canPaste_)
        return {};
    return QCoreApplication::translate("App", "当前 Wayland 会话无法自动粘贴：文字会留在剪贴板上，请按 Ctrl+V 粘贴。");
}

} // namespace quillo
