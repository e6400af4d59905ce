#include "recognition/Segments.h"

#include "common/UnicodeText.h"

#include <algorithm>

namespace quillo {

namespace {

// The segment without punctuation, symbols, white space and line breaks.
QString segmentCore(const QString &segment)
{
    QString core;
    for (const char32_t c : segment.toUcs4()) {
        if (unicode::isPunctuation(c) || unicode::isSymbol(c) || unicode::isWhitespaceOrLineBreak(c))
            continue;
        core.append(QString::fromUcs4(&c, 1));
    }
    return core;
}

bool isFillerCharacter(const QString &character)
{
    return std::ranges::find(fillerCharacters, QStringView(character)) != fillerCharacters.end();
}

// A surrogate half is never ASCII, so looking at one UTF-16 unit is enough.
bool isAsciiAlphanumeric(QChar c)
{
    return c.unicode() < 0x80 && c.isLetterOrNumber();
}

} // namespace

bool isFillerSegment(const QString &segment)
{
    const QString core = segmentCore(segment);
    if (core.isEmpty())
        return true;

    const QStringList characters = unicode::graphemes(core);
    // Laughter is kept: "哈哈" is an expression, a lone "哈" is not.
    if (characters.size() <= 4 && std::ranges::all_of(characters, isFillerCharacter)
        && !core.contains(QStringLiteral("哈哈")))
        return true;

    const QString lower = core.toLower();
    return std::ranges::find(fillerWords, QStringView(lower)) != fillerWords.end();
}

QString joinSegments(const QStringList &segments)
{
    QString result;
    for (const QString &raw : segments) {
        const QString segment = unicode::trim(raw);
        if (segment.isEmpty())
            continue;
        if (!result.isEmpty() && isAsciiAlphanumeric(result.back()) && isAsciiAlphanumeric(segment.front()))
            result += u' ';
        result += segment;
    }
    return result;
}

} // namespace quillo
