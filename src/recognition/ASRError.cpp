#include "recognition/ASRError.h"

namespace quillo {

// Recorded in the source language; shownMessage (dictation/ShownMessage.cpp) lists these texts
// to show them translated, so a new or changed one goes there too.
QString ASRError::description() const
{
    switch (kind) {
    case Kind::server:
        return QStringLiteral("识别服务错误：") + message;
    case Kind::connection:
        return QStringLiteral("连接识别服务失败：") + message;
    case Kind::timeout:
        return QStringLiteral("识别超时，请检查网络");
    case Kind::cancelled:
        return QStringLiteral("识别已取消");
    }
    return {};
}

} // namespace quillo
