#include "refinement/PolishError.h"

#include "common/UnicodeText.h"

namespace quillo {

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
