#include "refinement/PolishError.h"

#include "common/UnicodeText.h"

namespace quillo {

// Recorded in the source language; shownMessage (dictation/ShownMessage.cpp) lists these texts
// to show them translated, so a new or changed one goes there too.
QString PolishError::description() const
{
    switch (kind) {
    case Kind::http:
        return QStringLiteral("润色服务返回 %1：").arg(code) + unicode::leftGraphemes(body, 200);
    case Kind::emptyResponse:
        return QStringLiteral("润色服务没有返回内容");
    case Kind::transport:
    case Kind::invalidJson:
        // The network library's or JSON parser's own text, as it stands.
        return body;
    }
    return {};
}

} // namespace quillo
