#include "app/DesktopSession.h"

#include "platform/x11/X11Permissions.h"

#include <QtGlobal>

namespace quillo {

DesktopSession DesktopSession::current()
{
    // Qt aborts when $DISPLAY names a server that is not there; ask first.
    return DesktopSession{
        .x11 = !qEnvironmentVariableIsEmpty("DISPLAY") && X11Permissions::displayReachable(),
        .wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"),
    };
}

} // namespace quillo
