#include "ui/SettingsText.h"

#include "hotkeys/KeyNames.h"
#include "settings/SettingsRules.h"

#include <QCoreApplication>

namespace quillo::settingsText {

namespace {

constexpr std::uint16_t fnKeyCode = 63;

} // namespace

QString apiKeyPlaceholder(bool keyConfigured)
{
    return keyConfigured ? QCoreApplication::translate("Settings", "已保存，输入新值可替换") : QStringLiteral("sk-…");
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

QString fnKeyTip(const std::optional<Hotkey> &hold, const std::optional<Hotkey> &toggle)
{
    const bool usesFn = (hold && hold->keyCode == fnKeyCode) || (toggle && toggle->keyCode == fnKeyCode);
    if (!usesFn)
        return {};
    return QCoreApplication::translate(
        "Settings", "使用 Fn 键时，建议在“系统设置 › 键盘”中把“按下 🌐 键时”设为“不执行任何操作”");
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

} // namespace quillo::settingsText
