#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

// Small Unicode helpers shared by the text rules. Character classes come from Qt's
// Unicode tables; user-perceived characters are extended grapheme clusters.
namespace quillo::unicode {

// General category Z, U+0009..U+000D and U+0085: what "trim" removes.
inline bool isWhitespaceOrLineBreak(char32_t c)
{
    if ((c >= 0x09 && c <= 0x0d) || c == 0x85)
        return true;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// General category Zs and U+0009: horizontal white space only.
inline bool isHorizontalWhitespace(char32_t c)
{
    return c == 0x09 || QChar::category(c) == QChar::Separator_Space;
}

// U+000A..U+000D, U+0085, U+2028, U+2029.
inline bool isLineBreak(char32_t c)
{
    return (c >= 0x0a && c <= 0x0d) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// General category P*.
inline bool isPunctuation(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
        return true;
    default:
        return false;
    }
}

// General category S*.
inline bool isSymbol(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
        return true;
    default:
        return false;
    }
}

// Removes characters matching `pred` (a char32_t predicate) at both ends of `text`.
// Every character trimmed here is in the BMP, and a surrogate half never matches.
template <typename Pred> QString trimmedBy(const QString &text, Pred pred)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && pred(text[begin].unicode()))
        ++begin;
    while (end > begin && pred(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin);
}

// Trims white space and line breaks at both ends.
inline QString trim(const QString &text)
{
    return trimmedBy(text, isWhitespaceOrLineBreak);
}
// Trims only horizontal white space; line breaks stay.
inline QString trimHorizontal(const QString &text)
{
    return trimmedBy(text, isHorizontalWhitespace);
}

// User-perceived characters are counted by ICU's character break iterator:
// Qt 6.4's own finder splits a flag that follows an emoji ("😀🇯🇵" as three).

// Positions (UTF-16 offsets) where each user-perceived character ends, in order.
QList<qsizetype> graphemeEnds(const QString &text);

// The text split into user-perceived characters (extended grapheme clusters).
QStringList graphemes(const QString &text);

// Number of user-perceived characters.
qsizetype graphemeCount(const QString &text);

// The first `count` user-perceived characters of text (all of it when shorter).
QString leftGraphemes(const QString &text, qsizetype count);

} // namespace quillo::unicode
