#include "ui/MenuText.h"

#include "dictation/ShownMessage.h"
#include "hotkeys/KeyNames.h"
#include "ui/PanelContent.h"

#include <QCoreApplication>

namespace quillo::menu {

using Kind = DictationPhase::Kind;

QString statusLine(const DictationPhase &phase)
{
    switch (phase.kind()) {
    case Kind::idle:
    case Kind::done:
        return QCoreApplication::translate("Menu", "就绪 · 在任意输入框中按快捷键说话");
    case Kind::recording:
        return QCoreApplication::translate("Menu", "录音中…");
    case Kind::transcribing:
        return QCoreApplication::translate("Menu", "识别中…");
    case Kind::polishing:
        return QCoreApplication::translate("Menu", "润色中…");
    case Kind::failed:
        return shownMessage(phase.payload());
    }
    return {};
}

QString toggleButtonLabel(const DictationPhase &phase)
{
    return phase.kind() == Kind::recording ? QCoreApplication::translate("Menu", "结束")
                                           : QCoreApplication::translate("Menu", "开始");
}

QString hotkeyText(const std::optional<Hotkey> &hotkey)
{
    return hotkey ? keyNames::name(*hotkey) : QCoreApplication::translate("Menu", "未设置");
}

QString translateTapText(TranslateTrigger trigger)
{
    return QCoreApplication::translate("Menu", "轻点 %1").arg(keyNames::modifierName(modifierFlagOf(trigger)));
}

QString keptRecordingLine(const FailedRecording &recording)
{
    constexpr qsizetype wordsShown = 8; // beside the two buttons in the menu's width
    const QDateTime at = recording.recordedAt.toLocalTime();
    const bool today = at.date() == QDate::currentDate();
    QStringList parts{panel::formatElapsed(recording.seconds()),
        at.toString(today ? QStringLiteral("HH:mm") : QStringLiteral("MM-dd HH:mm"))};
    const QString words = recording.firstWords.simplified();
    if (!words.isEmpty())
        parts.append(words.size() > wordsShown ? words.left(wordsShown) + QStringLiteral("…") : words);
    return parts.join(QStringLiteral(" · "));
}

QString emptyHistoryHint(const std::optional<Hotkey> &holdHotkey)
{
    const QString key = holdHotkey ? keyNames::name(*holdHotkey) : QCoreApplication::translate("Menu", "快捷键");
    return QCoreApplication::translate("Menu", "还没有记录。按住 %1 说话试试。").arg(key);
}

QString keyWarning(APIKeyState state)
{
    switch (state) {
    case APIKeyState::missing:
        return QCoreApplication::translate("Menu", "尚未配置千问 API Key");
    case APIKeyState::storeLocked:
        return QCoreApplication::translate("Menu", "钥匙串已锁定，解锁后即可听写");
    case APIKeyState::storeSilent:
        return QCoreApplication::translate("Menu", "钥匙串没有响应，暂时读不到 API Key");
    case APIKeyState::storeFailed:
        return QCoreApplication::translate("Menu", "无法访问钥匙串，暂时读不到 API Key");
    case APIKeyState::unread:
    case APIKeyState::stored:
        break;
    }
    return {};
}

} // namespace quillo::menu
