#include "platform/x11/X11Permissions.h"

// Before the X11 headers: they define Bool and Status, which Qt's headers use as names.
#include <QCoreApplication>

#include "platform/x11/X11Display.h"

#include <X11/extensions/XTest.h>

namespace quillo {

struct X11Permissions::Connection {
    X11Display display = openX11Display();
};

X11Permissions::X11Permissions()
    : x_(std::make_unique<Connection>())
{
    int event = 0, error = 0, major = 0, minor = 0;
    xtest_ = x_->display && XTestQueryExtension(x_->display.get(), &event, &error, &major, &minor);
}

X11Permissions::~X11Permissions() = default;

MicrophoneAuthorization X11Permissions::microphoneAuthorization() const
{
    // Nothing to ask for on Linux. Without an input device the recorder fails with
    // "no input device", which names the real problem; a permission message would not.
    return MicrophoneAuthorization::authorized;
}

QString X11Permissions::sessionProblem() const
{
    const bool wayland = qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    return sessionProblemFor(static_cast<bool>(x_->display), wayland);
}

bool X11Permissions::displayReachable()
{
    return static_cast<bool>(openX11Display());
}

QString X11Permissions::sessionProblemFor(bool haveX11, bool waylandSession)
{
    if (haveX11)
        return {};
    if (waylandSession)
        return QCoreApplication::translate(
            "App", "当前是 Wayland 会话，没有可用的 X11（XWayland）：全局快捷键和自动粘贴暂时需要 X11 或 XWayland。");
    return QCoreApplication::translate("App", "无法连接 X11 显示服务器：全局快捷键和自动粘贴需要 X11。");
}

} // namespace quillo
