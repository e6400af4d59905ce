#include "ui/MenuText.h"

#include "hotkeys/KeyNames.h"
#include "ui/PanelContent.h"

namespace quillo::menu {

using Kind = DictationPhase::Kind;

QString statusLine(const DictationPhase &phase)
{
    switch (phase.kind()) {
    case Kind::idle:
    case Kind::done:
        return QStringLiteral("就绪 · 在任意输入框中按快捷键说话");
    case Kind::recording:
        return QStringLiteral("录音中…");
    case Kind::transcribing:
        return QStringLiteral("识别中…");
    case Kind::polishing:
        return QStringLiteral("润色中…");
    case Kind::failed:
        return phase.payload();
    }
    return {};
}

QString toggleButtonLabel(const DictationPhase &phase)
{
    return phase.kind() == Kind::recording ? QStringLiteral("结束") : QStringLiteral("开始");
}

QString hotkeyText(const std::optional<Hotkey> &hotkey)
{
    return hotkey ? keyNames::name(*hotkey) : QStringLiteral("未设置");
}

QString translateTapText(TranslateTrigger trigger)
{
    return QStringLiteral("轻点 ") + keyNames::modifierName(modifierFlagOf(trigger));
}

QString retryLastRecordingLabel(double seconds)
{
    return QStringLiteral("重试上次录音（") + panel::formatElapsed(seconds) + QStringLiteral("）");
}

QString emptyHistoryHint(const std::optional<Hotkey> &holdHotkey)
{
    const QString key = holdHotkey ? keyNames::name(*holdHotkey) : QStringLiteral("快捷键");
    return QStringLiteral("还没有记录。按住 ") + key + QStringLiteral(" 说话试试。");
}

} // namespace quillo::menu
