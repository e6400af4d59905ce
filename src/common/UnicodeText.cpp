#include "common/UnicodeText.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <memory>

namespace quillo::unicode {

QList<qsizetype> graphemeEnds(const QString &text)
{
    QList<qsizetype> ends;
    if (text.isEmpty())
        return ends;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !it) {
        // Without ICU's data every code unit pair still forms at most one character.
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (!(text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()))
                ends.append(i + 1);
        }
        return ends;
    }
    // Read-only alias: QString and ICU both hold UTF-16.
    const icu::UnicodeString alias(false, reinterpret_cast<const char16_t *>(text.utf16()), int32_t(text.size()));
    it->setText(alias);
    for (int32_t end = it->next(); end != icu::BreakIterator::DONE; end = it->next())
        ends.append(end);
    return ends;
}

QStringList graphemes(const QString &text)
{
    QStringList result;
    qsizetype start = 0;
    for (const qsizetype end : graphemeEnds(text)) {
        result.append(text.sliced(start, end - start));
        start = end;
    }
    return result;
}

qsizetype graphemeCount(const QString &text)
{
    return graphemeEnds(text).size();
}

QString leftGraphemes(const QString &text, qsizetype count)
{
    if (count <= 0)
        return {};
    const QList<qsizetype> ends = graphemeEnds(text);
    if (count >= ends.size())
        return text;
    return text.left(ends.at(count - 1));
}

} // namespace quillo::unicode
