#include "ui/SettingsText.h"

#include "hotkeys/KeyNames.h"
#include "settings/SettingsRules.h"

#include <QCoreApplication>

namespace quillo::settingsText {

namespace {

constexpr std::uint16_t fnKeyCode = 63;

} // namespace

QString apiKeyPlaceholder(APIKeyState state)
{
    switch (state) {
    case APIKeyState::stored:
        return QCoreApplication::translate("Settings", "已保存，输入新值可替换");
    case APIKeyState::storeLocked:
        return QCoreApplication::translate("Settings", "钥匙串已锁定，解锁后可读取");
    case APIKeyState::storeSilent:
        return QCoreApplication::translate("Settings", "钥匙串没有响应");
    case APIKeyState::storeFailed:
        return QCoreApplication::translate("Settings", "无法访问钥匙串");
    case APIKeyState::unread:
    case APIKeyState::missing:
        break;
    }
    return QStringLiteral("sk-…");
}

QString saveButtonLabel(bool keySaved)
{
    return keySaved ? QCoreApplication::translate("Settings", "已保存")
                    : QCoreApplication::translate("Settings", "保存");
}

bool canSaveKey(const QString &input)
{
    for (const QChar c : input) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return true;
    }
    return false;
}

QString sameHotkeysWarning(const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle)
{
    if (hold && toggle && *hold == *toggle)
        return QCoreApplication::translate("Settings", "两个快捷键相同，免提切换不会生效");
    return {};
}

QString fnKeyTip(const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle, keyNames::Style style)
{
    const bool usesFn = (hold && hold->keyCode == fnKeyCode) || (toggle && toggle->keyCode == fnKeyCode);
    if (!usesFn)
        return {};
    if (style == keyNames::Style::symbols)
        return QCoreApplication::translate(
            "Settings", "使用 Fn 键时，建议在“系统设置 › 键盘”中把“按下 🌐 键时”设为“不执行任何操作”");
    // Linux keyboards handle Fn in their firmware: no program ever sees it alone.
    return QCoreApplication::translate("Settings", "Fn 键由键盘自己处理，程序收不到它：请换一个快捷键");
}

QString triggerPickerLabel(TranslateTrigger trigger)
{
    if (keyNames::platformStyle() == keyNames::Style::symbols)
        return displayName(trigger);
    return keyNames::modifierName(modifierFlagOf(trigger));
}

QString languageCycleText(TargetLanguage target)
{
    QStringList names;
    for (const TargetLanguage language : settingsRules::languageCycle(target))
        names.append(shownName(language));
    return names.join(QStringLiteral(" → "));
}

QStringList translationExplanation(TranslateTrigger trigger, TargetLanguage target, const QString &cycleText,
    const std::optional<Hotkey> &translateHotkey)
{
    const QString s = keyNames::modifierName(modifierFlagOf(trigger));
    QStringList lines;
    lines << QCoreApplication::translate("Settings", "录音过程中轻点一下 %1，结果会翻译成%2后再输入。")
                 .arg(s, shownName(target));
    lines << QCoreApplication::translate(
        "Settings", "再点一次切换到下一种语言：%1。先按住 %2 再开始录音，则一开始就是翻译模式。")
                 .arg(cycleText, s);
    if (translateHotkey)
        lines << QCoreApplication::translate("Settings", "按 %1 可以直接以翻译模式开始免提录音。")
                     .arg(keyNames::name(*translateHotkey));
    return lines;
}

PermissionRowText shortcutsRow(DesktopAccess::Shortcuts shortcuts)
{
    PermissionRowText row;
    row.title = QCoreApplication::translate("Settings", "全局快捷键");
    switch (shortcuts) {
    case DesktopAccess::Shortcuts::bound:
        row.granted = true;
        row.detail = QCoreApplication::translate("Settings", "桌面已为 Quillo 绑定快捷键，在任何窗口中都能使用");
        row.grantedLabel = QCoreApplication::translate("Settings", "已绑定");
        return row;
    case DesktopAccess::Shortcuts::notBound:
        row.detail = QCoreApplication::translate("Settings", "桌面还没有为 Quillo 绑定快捷键");
        row.buttonLabel = QCoreApplication::translate("Settings", "重新绑定");
        return row;
    case DesktopAccess::Shortcuts::unavailable:
        break;
    }
    row.detail = QCoreApplication::translate("Settings",
        "此桌面不提供全局快捷键：请在桌面的快捷键设置中\n"
        "把 quillo --start 绑定到按下、quillo --stop 绑定到松开");
    return row;
}

PermissionRowText keyboardRow(DesktopAccess::Keyboard keyboard)
{
    PermissionRowText row;
    row.title = QCoreApplication::translate("Settings", "键盘输入");
    switch (keyboard) {
    case DesktopAccess::Keyboard::virtualKeyboard:
        row.granted = true;
        row.detail = QCoreApplication::translate("Settings", "通过虚拟键盘把文字输入到光标处，无需授权");
        row.grantedLabel = QCoreApplication::translate("Settings", "可用");
        return row;
    case DesktopAccess::Keyboard::remoteDesktop:
        row.granted = true;
        row.detail = QCoreApplication::translate("Settings", "已通过“远程桌面”授权把文字输入到光标处");
        row.grantedLabel = QCoreApplication::translate("Settings", "已授权");
        return row;
    case DesktopAccess::Keyboard::notGranted:
        row.detail = QCoreApplication::translate(
            "Settings", "需要桌面的“远程桌面”授权才能把文字输入到光标处，\n未授权时文字只复制到剪贴板");
        row.buttonLabel = QCoreApplication::translate("Settings", "重新请求");
        return row;
    case DesktopAccess::Keyboard::unavailable:
        break;
    }
    row.detail = QCoreApplication::translate("Settings", "此桌面无法自动输入：文字会复制到剪贴板，\n请按 Ctrl+V 粘贴");
    return row;
}

} // namespace quillo::settingsText
