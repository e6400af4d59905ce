#include "refinement/TextRules.h"

#include "common/UnicodeText.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>

namespace quillo {

namespace {

using unicode::graphemeCount;

constexpr std::array<QStringView, 5> japaneseTerminators{u"。", u"！", u"？", u"!", u"?"};
constexpr std::array<QStringView, 4> japaneseClosers{u"」", u"』", u"）", u")"};
constexpr std::array<QStringView, 2> japaneseClosingQuotes{u"」", u"』"};
constexpr std::array<QStringView, 3> japaneseTerminatorsBeforeQuote{u"。", u"！", u"？"};
constexpr std::array<QStringView, 3> otherTerminators{u".", u"!", u"?"};
constexpr std::array<QStringView, 12> sentenceAbbreviations{
    u"Mr.", u"Mrs.", u"Ms.", u"Dr.", u"e.g.", u"i.e.", u"a.m.", u"p.m.", u"vs.", u"etc.", u"St.", u"No."};
constexpr std::array<QStringView, 2> fullStops{u"。", u"."};

template <size_t N> bool isOneOf(QStringView text, const std::array<QStringView, N> &set)
{
    return std::ranges::find(set, text) != set.end();
}

template <size_t N> bool endsWithOneOf(QStringView text, const std::array<QStringView, N> &set)
{
    return std::ranges::any_of(set, [text](QStringView s) { return text.endsWith(s); });
}

// A fence's first line is dropped when it is a language tag ("json", "text") or empty.
// Tags are short ASCII words; a line in any other script is the answer itself (Chinese
// prose has no spaces, so "no space" alone would throw its first line away).
bool isFenceTag(QStringView line)
{
    return std::ranges::none_of(line, [](QChar c) { return c == u' ' || c.unicode() >= 0x80; });
}

bool isHan(char32_t c)
{
    return c >= 0x4E00 && c <= 0x9FFF;
}
bool isKana(char32_t c)
{
    return c >= 0x3040 && c <= 0x30FF;
}
bool isAlphabetic(char32_t c)
{
    return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_ALPHABETIC);
}

// A letter of a script other than Latin, Han or kana (Cyrillic, Arabic, Hangul, Thai…).
bool isOtherScriptLetter(char32_t c)
{
    if (isHan(c) || isKana(c) || !isAlphabetic(c))
        return false;
    switch (QChar::script(c)) {
    case QChar::Script_Latin:
    case QChar::Script_Common:
    case QChar::Script_Inherited:
        return false;
    default:
        return true;
    }
}

bool isAllNumbers(QStringView text)
{
    const QList<uint> scalars = text.toUcs4();
    return !scalars.isEmpty() && std::ranges::all_of(scalars, [](uint c) { return QChar::isNumber(c); });
}

// Accumulates one sentence at a time; `flush` keeps only non-blank sentences.
class SentenceCollector {
public:
    void append(const QString &character) { current_ += character; }
    const QString &current() const { return current_; }
    void flush()
    {
        const QString sentence = unicode::trimHorizontal(current_);
        if (!sentence.isEmpty())
            sentences_.append(sentence);
        current_.clear();
    }
    QStringList finish()
    {
        flush();
        return std::move(sentences_);
    }

private:
    QString current_;
    QStringList sentences_;
};

bool endsJapaneseSentence(const QString &character, const QString *next, const QString &current)
{
    if (isOneOf(character, japaneseTerminators))
        return next == nullptr || !isOneOf(*next, japaneseClosers);
    if (isOneOf(character, japaneseClosingQuotes)) {
        const QStringView before = QStringView(current).chopped(character.size());
        return !before.isEmpty() && endsWithOneOf(before, japaneseTerminatorsBeforeQuote);
    }
    return false;
}

bool endsOtherSentence(const QString &character, const QString *next, const QString &current)
{
    if (!isOneOf(character, otherTerminators) || next == nullptr || *next != u" ")
        return false;
    const QStringList words = current.split(u' ', Qt::SkipEmptyParts);
    const QString lastWord = words.isEmpty() ? QString() : words.last();
    // "1. First item": a number directly followed by its period does not end a sentence.
    if (character == u"." && isAllNumbers(QStringView(lastWord).chopped(std::min<qsizetype>(1, lastWord.size()))))
        return false;
    return !isOneOf(lastWord, sentenceAbbreviations);
}

QString paragraphSeparator(AppStyle style)
{
    return style == AppStyle::document ? QStringLiteral("\n\n") : QStringLiteral("\n");
}

} // namespace

QString cleanModelOutput(const QString &text)
{
    QString t = unicode::trim(text);
    t.remove(QStringLiteral("<transcript>"));
    t.remove(QStringLiteral("</transcript>"));

    const QString fence = QStringLiteral("```");
    if (t.startsWith(fence) && t.endsWith(fence) && graphemeCount(t) >= 7) {
        t = t.mid(3, t.size() - 6);
        const qsizetype lineEnd = t.indexOf(u'\n');
        if (lineEnd >= 0 && isFenceTag(QStringView(t).left(lineEnd)))
            t.remove(0, lineEnd + 1);
    }
    return unicode::trim(t);
}

Reason checkPolish(const QString &transcript, const QString &result)
{
    // A blank answer is as empty as no answer: inserting it would lose the dictation.
    if (unicode::trim(result).isEmpty())
        return QStringLiteral("润色结果为空，已使用原文");
    const qsizetype n = graphemeCount(result);
    const qsizetype m = graphemeCount(transcript);
    if (n > 2 * m + 40)
        return QStringLiteral("润色结果明显长于原文，疑似模型在回答问题，已使用原文");
    if (m < 20)
        return std::nullopt;
    if (n < m / 4)
        return QStringLiteral("润色结果明显短于原文，疑似被总结，已使用原文");
    return std::nullopt;
}

Reason checkTranslation(const QString &transcript, const QString &result, TargetLanguage target)
{
    if (unicode::trim(result).isEmpty())
        return QStringLiteral("翻译结果为空");
    // The language test comes first: a retry in the right language but too long is still usable.
    if (!looksLikeLanguage(result, target))
        return QStringLiteral("翻译结果不是") + guardLanguageName(target);
    if (graphemeCount(result) > 6 * graphemeCount(transcript) + 80)
        return QStringLiteral("翻译结果明显长于原文，疑似模型在回答问题");
    return std::nullopt;
}

bool looksLikeLanguage(const QString &text, TargetLanguage target)
{
    qsizetype total = 0, han = 0, kana = 0, latin = 0, otherScript = 0;
    for (const char32_t c : text.toUcs4()) {
        if (unicode::isWhitespaceOrLineBreak(c) || unicode::isPunctuation(c))
            continue;
        ++total;
        han += isHan(c);
        kana += isKana(c);
        latin += c <= 0x1FFF && isAlphabetic(c);
        otherScript += isOtherScriptLetter(c);
    }
    if (total == 0)
        return false;

    if (target == TargetLanguage::japanese) {
        if (kana >= 1)
            return true;
        return static_cast<double>(han) / total > 0.3 && total < 7;
    }
    // Letters of other scripts count as foreign too: Cyrillic or Thai is not English.
    const double foreign = static_cast<double>(han + kana + otherScript) / total;
    return foreign < 0.15 && latin > 0;
}

QString normalizeParagraphs(const QString &text, AppStyle style)
{
    if (!text.contains(u'\n'))
        return text;
    QStringList pieces;
    QString piece;
    const auto takePiece = [&] {
        const QString trimmed = unicode::trimHorizontal(piece);
        if (!trimmed.isEmpty())
            pieces.append(trimmed);
        piece.clear();
    };
    for (const QChar c : text) {
        if (unicode::isLineBreak(c.unicode()))
            takePiece();
        else
            piece += c;
    }
    takePiece();
    return pieces.join(paragraphSeparator(style));
}

QStringList splitSentences(const QString &text, bool japanese)
{
    const QStringList characters = unicode::graphemes(text);
    SentenceCollector collector;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const QString &c = characters[i];
        const QString *next = i + 1 < characters.size() ? &characters[i + 1] : nullptr;
        collector.append(c);
        const bool ends = japanese ? endsJapaneseSentence(c, next, collector.current())
                                   : endsOtherSentence(c, next, collector.current());
        if (ends)
            collector.flush();
    }
    return collector.finish();
}

QString formatTranslation(const QString &text, TargetLanguage target, AppStyle style)
{
    const bool japanese = target == TargetLanguage::japanese;
    const QString t = unicode::trim(text);
    const qsizetype n = graphemeCount(t);
    if (n < (japanese ? 111 : 241) || t.contains(u'\n'))
        return normalizeParagraphs(t, style);

    const QStringList sentences = splitSentences(t, japanese);
    if (sentences.size() < 3)
        return t;

    const qsizetype limit = japanese ? 90 : 200;
    const QString joiner = japanese ? QString() : QStringLiteral(" ");
    QStringList paragraphs;
    QStringList group;
    qsizetype groupLength = 0;
    for (const QString &sentence : sentences) {
        const qsizetype length = graphemeCount(sentence);
        if (!group.isEmpty() && (groupLength + length > limit || group.size() == 3)) {
            paragraphs.append(group.join(joiner));
            group.clear();
            groupLength = 0;
        }
        group.append(sentence);
        groupLength += length;
    }

    if (group.size() == 1 && !paragraphs.isEmpty()) {
        // A lone last sentence joins the previous paragraph unless that grows too long.
        if (graphemeCount(paragraphs.last()) + groupLength < limit + 60)
            paragraphs.last() += joiner + group.front();
        else
            paragraphs.append(group.front());
    } else if (!group.isEmpty()) {
        paragraphs.append(group.join(joiner));
    }
    return paragraphs.join(paragraphSeparator(style));
}

QString stripTrailingPeriod(const QString &text)
{
    const QString t = unicode::trim(text);
    if (t.isEmpty())
        return text;
    const QStringList characters = unicode::graphemes(t);
    const qsizetype size = characters.size();
    if (size >= 2 && isOneOf(characters[size - 1], fullStops) && !isOneOf(characters[size - 2], fullStops))
        return t.chopped(characters.back().size());
    return text;
}

QString guardLanguageName(TargetLanguage target)
{
    switch (target) {
    case TargetLanguage::japanese:
        return QStringLiteral("日文");
    case TargetLanguage::vietnamese:
        return QStringLiteral("越南语");
    case TargetLanguage::english:
        break;
    }
    return QStringLiteral("英文");
}

} // namespace quillo
