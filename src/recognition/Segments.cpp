#include "recognition/Segments.h"

#include "common/UnicodeText.h"

#include <algorithm>

namespace quillo {

namespace {

// The segment without punctuation, symbols, white space and line breaks.
QString segmentCore(const QString &segment)
{
    QString core;
    core.reserve(segment.size());
    for (const char32_t c : segment.toUcs4()) {
        if (unicode::isPunctuation(c) || unicode::isSymbol(c) || unicode::isWhitespaceOrLineBreak(c))
            continue;
        if (QChar::requiresSurrogates(c)) {
            core.append(QChar(QChar::highSurrogate(c)));
            core.append(QChar(QChar::lowSurrogate(c)));
        } else {
            core.append(QChar(static_cast<char16_t>(c)));
        }
    }
    return core;
}

// Every filler character and word is short; longer text is never looked at closely,
// which keeps a huge recognised segment from costing seconds on every event.
constexpr qsizetype longestFiller = 4 * 4;

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
    if (core.size() > longestFiller)
        return false;

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
