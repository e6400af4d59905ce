#include "platform/wayland/WaylandPermissions.h"

#include <QCoreApplication>

namespace quillo {

bool WaylandPermissions::isAccessibilityTrusted() const
{
    return sources_.virtualKeyboard || sources_.x11Paste || ask(sources_.remoteKeyboardRunning);
}

void WaylandPermissions::promptForAccessibility()
{
    const DesktopAccess access = *desktopAccess();
    if (access.keyboard == DesktopAccess::Keyboard::notGranted)
        askForKeyboard();
}

QString WaylandPermissions::sessionProblem() const
{
    if (isAccessibilityTrusted())
        return {};
    return QCoreApplication::translate("App", "当前 Wayland 会话无法自动粘贴：文字会留在剪贴板上，请按 Ctrl+V 粘贴。");
}

std::optional<DesktopAccess> WaylandPermissions::desktopAccess() const
{
    using Keyboard = DesktopAccess::Keyboard;
    using Shortcuts = DesktopAccess::Shortcuts;
    DesktopAccess access;
    if (sources_.virtualKeyboard)
        access.keyboard = Keyboard::virtualKeyboard;
    else if (ask(sources_.remoteKeyboardRunning))
        access.keyboard = Keyboard::remoteDesktop;
    else if (ask(sources_.remoteKeyboardOffered))
        access.keyboard = Keyboard::notGranted;
    if (ask(sources_.shortcutsBound))
        access.shortcuts = Shortcuts::bound;
    else if (ask(sources_.shortcutsOffered))
        access.shortcuts = Shortcuts::notBound;
    return access;
}

void WaylandPermissions::askForShortcuts()
{
    if (sources_.askShortcuts)
        sources_.askShortcuts();
}

void WaylandPermissions::askForKeyboard()
{
    if (sources_.askRemoteKeyboard)
        sources_.askRemoteKeyboard();
}

} // namespace quillo
