#include "app/DoctorReport.h"

#include "app/DoctorAdviceText.h"
#include "app/PortalDesktop.h"

#include <QCoreApplication>

namespace quillo {

namespace {

using F = DoctorFindings;

QString mark(bool ok)
{
    return ok ? QStringLiteral("  ✓ ") : QStringLiteral("  ✗ ");
}

const QString warn = QStringLiteral("  ! ");
const QString info = QStringLiteral("  · ");

QString heading(const QString &title)
{
    return title;
}

QString compositorName(F::Compositor compositor)
{
    switch (compositor) {
    case F::Compositor::sway:
        return QStringLiteral("sway");
    case F::Compositor::hyprland:
        return QStringLiteral("Hyprland");
    case F::Compositor::kwin:
        return QStringLiteral("KWin");
    case F::Compositor::mutter:
        return QStringLiteral("GNOME Shell (mutter)");
    case F::Compositor::other:
        return QCoreApplication::translate("Doctor", "其他");
    case F::Compositor::unknown:
        break;
    }
    return QCoreApplication::translate("Doctor", "未知（它没有回答协议查询）");
}

// What the desktop shows for a shortcut id ("hold" → 按住说话); the id itself when unknown.
QString shortcutDescription(const QString &id)
{
    for (const auto &[number, name] : PortalDesktop::shortcutNames()) {
        if (name.id == id)
            return name.description;
    }
    return id;
}

QString portalPasteMeaning(const F &f)
{
    if (f.remoteDesktopState == QLatin1String("refused"))
        return QCoreApplication::translate("Doctor", "用户拒绝了键盘访问，文字只会留在剪贴板上");
    if (!f.portal)
        return {};
    if (f.portal->remoteDesktopRestores())
        return f.restoreTokenStored ? QCoreApplication::translate("Doctor", "已授权过，桌面不会再询问")
                                    : QCoreApplication::translate("Doctor", "桌面会询问一次，之后记住授权");
    if (f.desktop == F::Desktop::gnome)
        return QCoreApplication::translate("Doctor", "桌面会在每次听写时询问");
    return QCoreApplication::translate("Doctor", "桌面会在每次启动 Quillo 时询问一次");
}

} // namespace

QStringList DoctorReport::lines(const DoctorFindings &f, const DoctorVerdict &verdict)
{
    QStringList out;
    session(f, out);
    if (f.wayland()) {
        wayland(f, out);
        portal(f, out);
    }
    if (f.session != F::Session::none) {
        hotkeys(f, out);
        paste(f, out);
    }
    microphone(f, out);
    key(f, out);
    if (f.session != F::Session::none)
        tray(f, out);
    lastDictation(f, out);
    if (!verdict.advice.empty()) {
        out << heading(QCoreApplication::translate("Doctor", "要做的事"));
        for (DoctorVerdict::Advice advice : verdict.advice) {
            const QStringList text = DoctorAdviceText::lines(advice, f);
            for (qsizetype i = 0; i < text.size(); ++i)
                out << (i == 0 ? QStringLiteral("  • ") : QStringLiteral("      ")) + text.at(i);
        }
    }
    out << (verdict.canDictate ? QCoreApplication::translate("Doctor", "结论：可以听写。")
                               : QCoreApplication::translate("Doctor", "结论：还不能完成一次听写（见“要做的事”）。"));
    return out;
}

void DoctorReport::session(const F &f, QStringList &out)
{
    out << heading(QCoreApplication::translate("Doctor", "会话"));
    switch (f.session) {
    case F::Session::none:
        out << mark(false)
                + QCoreApplication::translate("Doctor", "没有图形会话（DISPLAY 和 WAYLAND_DISPLAY 都不可用）");
        break;
    case F::Session::x11:
        out << mark(true) + QStringLiteral("X11");
        break;
    case F::Session::wayland:
        out << mark(true) + QCoreApplication::translate("Doctor", "Wayland（没有 XWayland）");
        break;
    case F::Session::waylandWithX11:
        out << mark(true) + QCoreApplication::translate("Doctor", "Wayland，带 XWayland");
        break;
    }
    out << info + QStringLiteral("XDG_CURRENT_DESKTOP=")
            + (f.currentDesktop.isEmpty() ? QCoreApplication::translate("Doctor", "（未设置）") : f.currentDesktop);
    if (f.wayland())
        out << info + QCoreApplication::translate("Doctor", "合成器：%1").arg(compositorName(f.compositor));
}

void DoctorReport::wayland(const F &f, QStringList &out)
{
    out << heading(QCoreApplication::translate("Doctor", "Wayland 协议与工具"));
    out << mark(f.registryRead)
            + (f.registryRead ? QCoreApplication::translate("Doctor", "合成器回答了协议查询")
                              : QCoreApplication::translate("Doctor", "合成器没有回答协议查询：按没有以下协议处理"));
    out << mark(f.dataControl) + QCoreApplication::translate("Doctor", "剪贴板协议（data-control）");
    out << mark(f.virtualKeyboard) + QCoreApplication::translate("Doctor", "虚拟键盘协议（virtual-keyboard）");
    out << mark(f.clipboardTools) + QStringLiteral("wl-copy / wl-paste (wl-clipboard)");
    out << mark(f.keyTool) + QStringLiteral("wtype");
}

void DoctorReport::portal(const F &f, QStringList &out)
{
    out << heading(QCoreApplication::translate("Doctor", "桌面门户"));
    if (!f.portal) {
        out << mark(false) + QCoreApplication::translate("Doctor", "桌面门户没有在时限内回答");
        return;
    }
    const PortalSupport &p = *f.portal;
    if (p.presence != PortalSupport::Presence::present) {
        out << mark(false)
                + (p.presence == PortalSupport::Presence::absent
                        ? QCoreApplication::translate("Doctor", "没有桌面门户（xdg-desktop-portal）")
                        : QCoreApplication::translate("Doctor", "桌面门户没有回答"));
        return;
    }
    if (p.globalShortcutsVersion == 0)
        out << mark(false) + QCoreApplication::translate("Doctor", "没有全局快捷键接口（GlobalShortcuts）");
    else if (p.globalShortcutsBackend == PortalSupport::Backend::missing)
        out << mark(false)
                + QCoreApplication::translate("Doctor", "全局快捷键（GlobalShortcuts）版本 %1：但没有后端实现它")
                      .arg(p.globalShortcutsVersion);
    else
        out << mark(true)
                + QCoreApplication::translate("Doctor", "全局快捷键（GlobalShortcuts）版本 %1")
                      .arg(p.globalShortcutsVersion);
    if (!p.hasRemoteKeyboard())
        out << mark(false) + QCoreApplication::translate("Doctor", "没有远程桌面键盘（RemoteDesktop）");
    else
        out << mark(true)
                + (p.remoteDesktopRestores()
                        ? QCoreApplication::translate("Doctor", "远程桌面（RemoteDesktop）版本 %1：能记住授权")
                        : QCoreApplication::translate("Doctor", "远程桌面（RemoteDesktop）版本 %1：不能记住授权"))
                      .arg(p.remoteDesktopVersion);
    out << mark(p.hasClipboard()) + QCoreApplication::translate("Doctor", "剪贴板接口（Clipboard）");
    if (p.registered)
        out << mark(true) + QCoreApplication::translate("Doctor", "已在门户登记为 %1").arg(QLatin1String(portalAppId));
    else
        out << warn + QCoreApplication::translate("Doctor", "门户没有登记本程序：%1").arg(p.registryProblem);
    // Without an app id the portal has nothing to look the entry up by.
    const bool entryMatters
        = p.registered || !f.appId.isEmpty() || p.registryProblem.contains(QLatin1String("App info"));
    out << (f.desktopEntryInstalled ? mark(true) : (entryMatters ? mark(false) : info))
            + QCoreApplication::translate("Doctor", "桌面文件 %1.desktop").arg(QLatin1String(portalAppId));
    if (!f.appId.isEmpty())
        out << info + QCoreApplication::translate("Doctor", "门户看到的应用 ID：%1").arg(f.appId);
    else if (f.desktop == F::Desktop::kde)
        out << warn
                + QCoreApplication::translate("Doctor", "门户看到的应用 ID 为空：KDE 会以会话名称命名 Quillo 的快捷键");
    else
        out << warn + QCoreApplication::translate("Doctor", "门户看到的应用 ID 为空");
    if (!f.scopeOutcome.isEmpty())
        out << info + QStringLiteral("systemd: ") + f.scopeOutcome;
}

void DoctorReport::hotkeys(const F &f, QStringList &out)
{
    out << heading(QCoreApplication::translate("Doctor", "开始听写"));
    switch (f.instance) {
    case F::Instance::none:
        out << info + QCoreApplication::translate("Doctor", "没有正在运行的 Quillo：按它启动时的做法检查");
        break;
    case F::Instance::answered:
        out << mark(true)
                + QCoreApplication::translate("Doctor", "正在运行的 Quillo %1 回答了查询").arg(f.instanceVersion);
        break;
    case F::Instance::silent:
        out << mark(false) + QCoreApplication::translate("Doctor", "有一个 Quillo 在运行，但它没有回答");
        break;
    case F::Instance::old:
        out << warn + QCoreApplication::translate("Doctor", "正在运行的 Quillo 版本较旧，不回答状态查询");
        break;
    }
    if (f.hotkeys == F::Hotkeys::portal) {
        out << mark(!f.triggers.empty()) + QCoreApplication::translate("Doctor", "桌面门户的全局快捷键：");
        for (const auto &[id, trigger] : f.triggers)
            out << QStringLiteral("      %1: %2").arg(shortcutDescription(id), trigger);
    } else if (f.hotkeys == F::Hotkeys::x11) {
        out << mark(true) + QCoreApplication::translate("Doctor", "X11 全局快捷键");
        for (const F::X11Hotkey &h : f.x11Hotkeys)
            out << QStringLiteral("    ") + mark(h.works).mid(2)
                    + QStringLiteral("%1: %2").arg(shortcutDescription(h.slot), h.key)
                    + (h.works ? QString() : QCoreApplication::translate("Doctor", "（被其他程序占用）"));
        if (f.wayland())
            out << warn + QCoreApplication::translate("Doctor", "X11 快捷键只在 XWayland 窗口有焦点时生效");
    } else if (f.instance != F::Instance::silent && f.instance != F::Instance::old) {
        out << mark(false) + QCoreApplication::translate("Doctor", "Quillo 自己收不到全局快捷键");
    }
    switch (f.shortcuts) {
    case F::Shortcuts::noTriggers:
        out << warn + QCoreApplication::translate("Doctor", "桌面登记了快捷键，但没有给任何一个分配按键");
        break;
    case F::Shortcuts::refused:
        out << mark(false) + QCoreApplication::translate("Doctor", "用户拒绝了门户的快捷键");
        break;
    case F::Shortcuts::failed:
        out << mark(false) + QCoreApplication::translate("Doctor", "门户的快捷键没有绑定：%1").arg(f.shortcutsProblem);
        break;
    case F::Shortcuts::pending:
        out << warn + QCoreApplication::translate("Doctor", "桌面还没有回答快捷键请求（也许正显示对话框）");
        break;
    case F::Shortcuts::notAsked:
    case F::Shortcuts::bound:
        break;
    }
    desktopBindings(f, out);
}

void DoctorReport::desktopBindings(const F &f, QStringList &out)
{
    if (!f.desktopBindingsAsked)
        return;
    const QString compositor = compositorName(f.compositor);
    if (!f.desktopBindingsRead) {
        out << mark(false) + QCoreApplication::translate("Doctor", "无法读取 %1 的按键绑定").arg(compositor);
        return;
    }
    if (f.desktopBindings.empty()) {
        // Missing only where nothing else starts a dictation.
        const bool portalStarts = f.hotkeys == F::Hotkeys::portal && !f.triggers.empty();
        out << (portalStarts ? info : mark(false))
                + QCoreApplication::translate("Doctor", "%1 的配置中没有启动 Quillo 的按键绑定").arg(compositor);
        return;
    }
    out << mark(true) + QCoreApplication::translate("Doctor", "%1 的按键绑定：").arg(compositor);
    for (const F::DesktopBinding &b : f.desktopBindings) {
        const QString action = b.global ? QStringLiteral("global %1:%2").arg(QLatin1String(portalAppId), b.action)
                                        : QStringLiteral("quillo --%1").arg(b.action);
        out << QStringLiteral("      %1 → %2").arg(b.keys, action)
                + (b.release ? QCoreApplication::translate("Doctor", "（松开时）") : QString());
    }
}

void DoctorReport::paste(const F &f, QStringList &out)
{
    out << heading(QCoreApplication::translate("Doctor", "粘贴"));
    out << info
            + QCoreApplication::translate("Doctor", "现在的焦点窗口：%1")
                  .arg(f.focusedApp.isEmpty() ? QCoreApplication::translate("Doctor", "未知") : f.focusedApp);
    inputMethod(f, out);
    if (!f.route) {
        out << mark(false) + QCoreApplication::translate("Doctor", "无法确定粘贴途径");
        return;
    }
    switch (*f.route) {
    case InsertionRoute::x11:
        out << mark(true) + QCoreApplication::translate("Doctor", "X11 剪贴板 + XTest 粘贴键，之后恢复剪贴板");
        break;
    case InsertionRoute::waylandTools:
        out << mark(true) + QCoreApplication::translate("Doctor", "wl-copy + wtype 直接粘贴，之后恢复剪贴板");
        break;
    case InsertionRoute::portal:
        out << mark(f.remoteDesktopState != QLatin1String("refused"))
                + QCoreApplication::translate("Doctor", "远程桌面门户的键盘粘贴：%1").arg(portalPasteMeaning(f));
        break;
    case InsertionRoute::clipboardOnly:
        out << mark(false) + QCoreApplication::translate("Doctor", "无法粘贴：文字只会留在剪贴板上，需要手动粘贴");
        break;
    }
}

// Tried before the paste whenever a field has the focus; its absence only leaves the paste.
void DoctorReport::inputMethod(const F &f, QStringList &out)
{
    if (!f.inputMethod) {
        out << info
                + QCoreApplication::translate(
                    "Doctor", "输入法通道未启用：没有找到 Quillo 的 fcitx5 插件（docs/input-method.md）");
        return;
    }
    out << mark(true)
            + (f.liveText
                    ? QCoreApplication::translate(
                        "Doctor", "输入法通道已启用：文字由 fcitx5 写入有焦点的输入框，说话时实时显示")
                    : QCoreApplication::translate("Doctor", "输入法通道已启用：文字由 fcitx5 写入有焦点的输入框"));
}

void DoctorReport::microphone(const F &f, QStringList &out)
{
    out << heading(QCoreApplication::translate("Doctor", "麦克风"));
    if (!f.microphoneOpened) {
        out << mark(false) + QCoreApplication::translate("Doctor", "检查没有在时限内完成");
        return;
    }
    if (!*f.microphoneOpened) {
        out << mark(false) + f.microphoneProblem;
        return;
    }
    out << mark(true)
            + (f.microphoneName.isEmpty() ? QCoreApplication::translate("Doctor", "默认输入设备可以录音")
                                          : QCoreApplication::translate("Doctor", "%1 可以录音").arg(f.microphoneName));
}

void DoctorReport::key(const F &f, QStringList &out)
{
    out << heading(QStringLiteral("API Key"));
    if (!f.key) {
        out << mark(false) + QCoreApplication::translate("Doctor", "钥匙串没有在时限内回答");
        return;
    }
    switch (*f.key) {
    case F::Key::stored:
        out << mark(true) + QCoreApplication::translate("Doctor", "已保存，可以读取");
        break;
    case F::Key::missing:
        out << mark(false) + QCoreApplication::translate("Doctor", "没有保存 API Key");
        break;
    case F::Key::storeSilent:
    case F::Key::storeFailed:
        out << mark(false) + f.keyProblem;
        break;
    }
}

void DoctorReport::tray(const F &f, QStringList &out)
{
    out << heading(QCoreApplication::translate("Doctor", "托盘"));
    if (!f.tray) {
        out << warn + QCoreApplication::translate("Doctor", "托盘服务没有在时限内回答");
        return;
    }
    if (!*f.tray) {
        out << mark(false) + QCoreApplication::translate("Doctor", "没有系统托盘：再次启动 quillo 会打开设置窗口");
        return;
    }
    out << mark(true)
            + (f.statusNotifierHost ? QCoreApplication::translate("Doctor", "系统托盘（StatusNotifier）")
                                    : QCoreApplication::translate("Doctor", "系统托盘（XEmbed）"));
}

// Only the running Quillo knows; a slow dictation says here where its time went.
void DoctorReport::lastDictation(const F &f, QStringList &out)
{
    if (f.instance != F::Instance::answered)
        return;
    out << heading(QCoreApplication::translate("Doctor", "上次听写"));
    if (f.lastDictation.isEmpty()) {
        out << info + QCoreApplication::translate("Doctor", "Quillo 启动以来还没有听写");
        return;
    }
    out << info + f.lastDictation; // as the [e2e] timings line has it, in every language
}

} // namespace quillo
