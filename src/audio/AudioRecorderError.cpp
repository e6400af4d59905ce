#include "audio/AudioRecorderError.h"

namespace quillo {

// Recorded in the source language; shownMessage (dictation/ShownMessage.cpp) lists these texts
// to show them translated, so a new or changed one goes there too.
QString AudioRecorderError::description() const
{
    switch (kind) {
    case Kind::noInputDevice:
        return QStringLiteral("没有可用的麦克风输入设备");
    case Kind::converterUnavailable:
        return QStringLiteral("无法转换麦克风音频格式");
    case Kind::engineFailed:
        return message.isEmpty() ? QStringLiteral("无法启动麦克风录音")
                                 : QStringLiteral("无法启动麦克风录音：") + message;
    case Kind::deviceLost:
        // The platform's text is for diagnostics; the user needs to know what happened.
        return QStringLiteral("麦克风已断开，录音已结束");
    case Kind::fileUnreadable:
        return message.isEmpty() ? QStringLiteral("无法读取音频文件") : QStringLiteral("无法读取音频文件：") + message;
    }
    return {};
}

} // namespace quillo
