#pragma once

#include "hotkeys/KeyNames.h"

#include <QCoreApplication>
#include <QString>

#include <chrono>
#include <optional>

namespace quillo {

// What a dictation shows the user, in the source language: they are recorded as they are
// (phases, history, [e2e] lines) and translated where they are shown (shownMessage). A new
// one is marked QT_TRANSLATE_NOOP("Messages", ...); one with a varying part (%1) is listed
// in ShownMessage.cpp instead.
namespace dictationTexts {
inline const QString noApiKeyMessage = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "请先在设置中填写千问 API Key"));
inline const QString microphoneNotAskedMessage
    = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "请允许麦克风权限后再试一次"));
inline const QString microphoneDeniedMessage
    = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "没有麦克风权限，请在系统设置中开启"));
inline const QString noSpeechMessage = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "没有听到说话声"));
inline const QString noValidSpeechMessage = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "没有识别到有效语音"));
// Names the paste chord the way this platform's keyboard does (⌘V, Ctrl+V).
inline const QString notPastedMessage
    = QStringLiteral("缺少辅助功能权限，文字已复制到剪贴板，请手动 %1").arg(keyNames::manualPaste());
inline const QString copiedOnlyMessage
    = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "已复制到剪贴板，请按 Ctrl+V 粘贴"));
inline const QString clipboardFailedMessage
    = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "无法写入剪贴板，文字已保存在历史记录中"));
// The credential store refused the read (locked keyring, no Secret Service).
inline const QString keyStoreUnavailableMessage
    = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "无法读取系统钥匙串中的 API Key，请确认钥匙串已解锁"));
// The credential store did not answer in time (a wallet that shows no window, a stalled daemon).
inline const QString keyStoreSilentMessage
    = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "系统钥匙串没有响应，无法读取 API Key"));
inline const QString endToEndInputMessage
    = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "无法读取测试音频或缺少 API Key"));
// Key names for the panel's hint line, shown as they are: translated when called.
inline QString unsetKeyName()
{
    return QCoreApplication::translate("Hotkeys", "未设置");
}
// The key that ends a recording started from the command line: the desktop's own binding.
inline QString commandKeyName()
{
    return QCoreApplication::translate("Hotkeys", "快捷键");
}
// The service ran out of time: the text pasted may stop short.
inline const QString cutShortMessage = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "识别超时，文字可能不完整"));
inline const QString keptAudioUnreadableMessage
    = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "保存的录音无法读取，已移除"));
// Follows a failure whose recording is kept for a retry.
inline const QString keptForRetryMessage = QStringLiteral("%1（录音已保存，可在菜单中重试）");
// The failure a message of a kept recording is about; none for any other message.
inline std::optional<QString> failureOfKept(const QString &message)
{
    const QString suffix = keptForRetryMessage.mid(2);
    if (!message.endsWith(suffix))
        return std::nullopt;
    return message.chopped(suffix.size());
}
inline const QString unknownAppName = QStringLiteral(QT_TRANSLATE_NOOP("Messages", "未知应用"));
} // namespace dictationTexts

// The timings of a dictation.
namespace dictationTimes {
inline constexpr float soundVolume = 0.35f;
inline constexpr double minimumRecordingSeconds = 0.35;
inline constexpr double otherKeyCancelWindowSeconds = 1.0;
inline constexpr double finishTimeoutSeconds = 10.0;
inline constexpr auto elapsedInterval = std::chrono::milliseconds(100);
inline constexpr auto translateTapTolerance = std::chrono::milliseconds(50);
inline constexpr auto autoSendDelay = std::chrono::milliseconds(250);
// A dictation waits this long for the credential store to hand over the key.
inline constexpr auto keyReadTimeout = std::chrono::seconds(5);

// How long a result stays on the panel, in seconds.
namespace hideAfter {
inline constexpr double refused = 2.0;
inline constexpr double noSpeech = 1.2;
inline constexpr double recognitionFailed = 3.0;
inline constexpr double done = 0.6;
inline constexpr double notPasted = 3.0;
} // namespace hideAfter
} // namespace dictationTimes

} // namespace quillo
