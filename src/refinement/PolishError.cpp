#include "refinement/PolishError.h"

#include <QTextBoundaryFinder>

namespace quillo {

namespace {

// The first `count` user-perceived characters (extended grapheme clusters) of text.
QString firstGraphemes(const QString &text, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int seen = 0;
    while (seen < count) {
        if (finder.toNextBoundary() < 0)
            return text;
        ++seen;
    }
    return text.left(finder.position());
}

} // namespace

QString PolishError::description() const
{
    switch (kind) {
    case Kind::http:
        return QStringLiteral("润色服务返回 %1：").arg(code) + firstGraphemes(body, 200);
    case Kind::emptyResponse:
        return QStringLiteral("润色服务没有返回内容");
    case Kind::transport:
        return QStringLiteral("连接润色服务失败：") + body;
    case Kind::invalidJson:
        return QStringLiteral("润色服务的回答无法解析：") + body;
    }
    return {};
}

} // namespace quillo
