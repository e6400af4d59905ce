#include "hotkeys/KeyNames.h"

#include <QCoreApplication>

#include <array>

namespace quillo::keyNames {

namespace {

struct LinuxModifier {
    std::uint64_t flag;
    const char *name;
};

// The order desktop environments write chords in.
constexpr std::array<LinuxModifier, 5> linuxModifiers{{
    {modifierFlag::control, "Ctrl"},
    {modifierFlag::option, "Alt"},
    {modifierFlag::shift, "Shift"},
    {modifierFlag::command, "Super"},
    {modifierFlag::function, "Fn"},
}};

// Main keys whose mac names are symbols a Linux keyboard does not print.
QString linuxKeyName(std::uint16_t keyCode)
{
    switch (keyCode) {
    case 36:
        return QStringLiteral("Enter");
    case 48:
        return QStringLiteral("Tab");
    case 51:
        return QStringLiteral("Backspace");
    case 117:
        return QStringLiteral("Delete");
    default:
        break;
    }
    if (const auto name = keyName(keyCode))
        return *name;
    return QCoreApplication::translate("Hotkeys", "键%1").arg(keyCode);
}

QString linuxName(const Hotkey &hotkey)
{
    if (hotkey.isModifierOnly) {
        const auto key = modifierKey(hotkey.keyCode);
        if (!key)
            return QCoreApplication::translate("Hotkeys", "键 %1").arg(hotkey.keyCode);
        if (key->flag == modifierFlag::function)
            return QStringLiteral("Fn");
        // The table's names are "左 ⌥" and the like: keep the side, name the key.
        const QString side = QString::fromUtf8(key->displayName).section(u' ', 0, 0);
        const QString modifier = modifierName(key->flag, Style::words);
        if (side == QStringLiteral("左"))
            return QCoreApplication::translate("Hotkeys", "左 %1").arg(modifier);
        return QCoreApplication::translate("Hotkeys", "右 %1").arg(modifier);
    }
    QStringList parts;
    for (const LinuxModifier &m : linuxModifiers) {
        if (hotkey.modifiers & m.flag)
            parts << QString::fromLatin1(m.name);
    }
    parts << linuxKeyName(hotkey.keyCode);
    return parts.join(u'+');
}

} // namespace

QString name(const Hotkey &hotkey, Style style)
{
    return style == Style::symbols ? displayName(hotkey) : linuxName(hotkey);
}

QString modifierName(std::uint64_t flag, Style style)
{
    if (style == Style::words) {
        for (const LinuxModifier &m : linuxModifiers) {
            if (m.flag == flag)
                return QString::fromLatin1(m.name);
        }
        return {};
    }
    switch (flag) {
    case modifierFlag::shift:
        return QStringLiteral("⇧");
    case modifierFlag::control:
        return QStringLiteral("⌃");
    case modifierFlag::option:
        return QStringLiteral("⌥");
    case modifierFlag::command:
        return QStringLiteral("⌘");
    case modifierFlag::function:
        return QStringLiteral("fn");
    default:
        return {};
    }
}

QString manualPaste(Style style)
{
    return style == Style::symbols ? QStringLiteral("⌘V") : QStringLiteral("Ctrl+V");
}

QString recorderStartHint(Style style)
{
    if (style == Style::symbols)
        return QCoreApplication::translate(
            "Hotkeys", "请按下快捷键：单独的修饰键（如右 ⌥、Fn）或组合键（如 ⌥Space）。Esc 取消");
    return QCoreApplication::translate(
        "Hotkeys", "请按下快捷键：单独的修饰键（如右 Alt）或组合键（如 Alt+Space）。Esc 取消");
}

QString recorderInvalidHint(Style style)
{
    if (style == Style::symbols)
        return QCoreApplication::translate("Hotkeys", "组合键需要包含 ⌘ ⌥ ⌃ ⇧ 中的至少一个（F1–F19 除外），请重新按下");
    return QCoreApplication::translate(
        "Hotkeys", "组合键需要包含 Ctrl、Alt、Shift、Super 中的至少一个（F1–F19 除外），请重新按下");
}

} // namespace quillo::keyNames
