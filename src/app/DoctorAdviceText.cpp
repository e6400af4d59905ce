#include "app/DoctorAdviceText.h"

#include <QCoreApplication>

namespace quillo {

namespace {

using F = DoctorFindings;
using Advice = DoctorVerdict::Advice;

QString install(const QString &packages)
{
    return QStringLiteral("sudo apt install ") + packages;
}

QStringList takenKeys(const F &f)
{
    QStringList keys;
    for (const F::X11Hotkey &h : f.x11Hotkeys) {
        if (!h.works)
            keys << h.key;
    }
    return keys;
}

} // namespace

QStringList DoctorAdviceText::bindingLines(const F &f)
{
    switch (f.desktop) {
    case F::Desktop::sway:
        return {
            QCoreApplication::translate("Doctor", "在 ~/.config/sway/config 中加入下面几行，然后运行 swaymsg reload："),
            QStringLiteral("bindsym --no-repeat $mod+d exec quillo --start"),
            QStringLiteral("bindsym --release $mod+d exec quillo --stop"),
            QStringLiteral("bindsym $mod+Shift+d exec quillo --translate")};
    case F::Desktop::hyprland:
        return {QCoreApplication::translate("Doctor", "在 ~/.config/hypr/hyprland.conf 中加入（bindr 在松开时执行）："),
            QStringLiteral("bind = SUPER, D, exec, quillo --start"),
            QStringLiteral("bindr = SUPER, D, exec, quillo --stop")};
    case F::Desktop::gnome: {
        const QString path = QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/quillo/");
        const QString binding
            = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys.custom-keybinding:") + path;
        return {QCoreApplication::translate("Doctor",
                    "设置 › 键盘 › 查看和自定义快捷键 › 自定义快捷键，命令 quillo "
                    "--toggle；或在终端中（会替换已有的自定义快捷键列表）："),
            QStringLiteral("gsettings set org.gnome.settings-daemon.plugins.media-keys custom-keybindings \"['%1']\"")
                .arg(path),
            QStringLiteral("gsettings set %1 name 'Quillo'").arg(binding),
            QStringLiteral("gsettings set %1 command 'quillo --toggle'").arg(binding),
            QStringLiteral("gsettings set %1 binding '<Super>d'").arg(binding)};
    }
    case F::Desktop::kde:
        return {QCoreApplication::translate(
            "Doctor", "系统设置 › 键盘 › 快捷键 › 添加新项 › 命令或脚本…，命令 quillo --toggle，然后给它分配一个键")};
    case F::Desktop::other:
        break;
    }
    return {QCoreApplication::translate(
        "Doctor", "在桌面的按键设置中把一个键绑定到 quillo --toggle（或按下时 quillo --start、松开时 quillo --stop）")};
}

QStringList DoctorAdviceText::portalPackages(const F &f)
{
    const QString backend = f.desktop == F::Desktop::kde ? QStringLiteral("xdg-desktop-portal-kde")
                                                         : QStringLiteral("xdg-desktop-portal-gnome");
    return {QCoreApplication::translate("Doctor", "安装桌面门户（全局快捷键和键盘输入都经过它），然后重新登录："),
        install(QStringLiteral("xdg-desktop-portal ") + backend)};
}

QStringList DoctorAdviceText::lines(Advice advice, const F &f)
{
    switch (advice) {
    case Advice::graphicalSession:
        return {QCoreApplication::translate(
            "Doctor", "在桌面会话的终端里运行 quillo --doctor（需要 DISPLAY 或 WAYLAND_DISPLAY）")};
    case Advice::importKey:
        return {QCoreApplication::translate("Doctor",
            "保存 API Key：把 QWEN_API_KEY=… 写进一个文件，运行 quillo --import-env 文件名；或在设置窗口中填写（quillo "
            "--open-settings）")};
    case Advice::unlockKeyStore:
        return {QCoreApplication::translate("Doctor", "让钥匙串可用（启动并解锁它），然后再运行 quillo --doctor")};
    case Advice::startSoundServer:
        return {QCoreApplication::translate("Doctor", "启动声音服务（PulseAudio，或 PipeWire 的 pulse 服务）："),
            install(QStringLiteral("pipewire-pulse"))};
    case Advice::fixMicrophone:
        return {QCoreApplication::translate("Doctor",
            "接上麦克风，或在声音设置中选择输入设备；pactl list short sources 列出输入设备，QUILLO_INPUT_DEVICE "
            "可以指定其中一个")};
    case Advice::bindDesktopKey:
        return bindingLines(f);
    case Advice::confirmShortcuts:
        return {QCoreApplication::translate("Doctor",
            "给 Quillo 的快捷键分配按键：在设置窗口的“全局快捷键”一行点“重新绑定”，或在桌面的快捷键设置中修改")};
    case Advice::freeX11Hotkey:
        return {QCoreApplication::translate(
            "Doctor", "另一个程序占用了 %1：在设置窗口中换一个快捷键，或取消那个程序的同一快捷键")
                    .arg(takenKeys(f).join(QStringLiteral(", ")))};
    case Advice::addStopBinding:
        return {QCoreApplication::translate(
            "Doctor", "为松开同一个键加一个 quillo --stop 绑定，否则录音要到下一次 quillo --stop 才结束")};
    case Advice::installWlClipboard:
        return {QCoreApplication::translate("Doctor", "安装 wl-clipboard（原生 Wayland 窗口的剪贴板）："),
            install(QStringLiteral("wl-clipboard"))};
    case Advice::installWtype:
        return {QCoreApplication::translate("Doctor", "安装 wtype（按下粘贴键）："), install(QStringLiteral("wtype"))};
    case Advice::installPortal:
        return portalPackages(f);
    case Advice::grantKeyboard:
        return {
            QCoreApplication::translate("Doctor", "在设置窗口的“键盘输入”一行点“重新请求”，并在桌面的对话框中允许")};
    case Advice::pasteByHand:
        return {
            QCoreApplication::translate("Doctor", "这里没有自动粘贴的途径：听写的文字留在剪贴板上，按 Ctrl+V 粘贴")};
    case Advice::installDesktopEntry:
        return {QCoreApplication::translate("Doctor",
            "安装桌面文件 com.nolt.quillo.desktop（Debian 包或 sudo make install 会安装它）：门户凭它识别 "
            "Quillo，并显示它的名称和图标")};
    case Advice::enableAppIndicator:
        return {QCoreApplication::translate("Doctor", "安装并启用 AppIndicator 扩展，然后重新登录："),
            install(QStringLiteral("gnome-shell-extension-appindicator")),
            QStringLiteral("gnome-extensions enable ubuntu-appindicators@ubuntu.com")};
    case Advice::addTray:
        return {QCoreApplication::translate(
            "Doctor", "桌面没有系统托盘：加一个（例如 waybar 的 tray 模块），或者再次运行 quillo 打开设置窗口")};
    case Advice::startQuillo:
        return {QCoreApplication::translate("Doctor",
            "启动 Quillo（运行 quillo；设置中可开启“登录时自动启动”）：按键绑定和命令行操作要交给正在运行的 Quillo")};
    case Advice::restartQuillo:
        return {QCoreApplication::translate("Doctor", "退出正在运行的 Quillo（托盘菜单 › 退出）并重新启动它")};
    }
    return {};
}

} // namespace quillo
