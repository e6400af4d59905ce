// Fuzz target: the text rules applied to every dictation result, with the properties they
// promise whatever the text. The first byte picks the options; the rest is UTF-8 text, and
// for the segment joiner it is cut into segments at 0x1E bytes.
#include "common/UnicodeText.h"
#include "recognition/Segments.h"
#include "refinement/PolishError.h"
#include "refinement/TextRules.h"
#include "settings/SettingsRules.h"

#include <unicode/brkiter.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

using namespace quillo;

namespace {

// Names the failed check's line: several properties share one target.
void check(bool ok, int line = __builtin_LINE())
{
    if (ok)
        return;
    std::fprintf(stderr, "text_rules: the check at line %d failed\n", line);
    __builtin_trap();
}

QString nonSpace(const QString &text)
{
    QString kept;
    for (const QChar c : text) {
        if (!unicode::isWhitespaceOrLineBreak(c.unicode()))
            kept += c;
    }
    return kept;
}

// Where ICU's character break iterator puts the ends of extended grapheme clusters,
// as UTF-16 offsets: the oracle every count and cut must agree with.
class IcuBoundaries {
public:
    explicit IcuBoundaries(const QString &text)
    {
        icu::BreakIterator &it = iterator();
        const icu::UnicodeString u(reinterpret_cast<const UChar *>(text.utf16()), static_cast<int32_t>(text.size()));
        it.setText(u);
        ends_.assign(static_cast<std::size_t>(text.size()) + 1, false);
        for (int32_t p = it.first(); p != icu::BreakIterator::DONE; p = it.next())
            ends_[static_cast<std::size_t>(p)] = true;
    }
    bool contains(qsizetype offset) const { return ends_.at(static_cast<std::size_t>(offset)); }

private:
    // Made once: building one loads ICU's rules, which would dominate every run.
    static icu::BreakIterator &iterator()
    {
        static const std::unique_ptr<icu::BreakIterator> it = [] {
            UErrorCode status = U_ZERO_ERROR;
            std::unique_ptr<icu::BreakIterator> made(
                icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
            check(U_SUCCESS(status) && made);
            return made;
        }();
        return *it;
    }

    std::vector<bool> ends_;
};

void checkCounts(const QString &text)
{
    const IcuBoundaries icu(text);
    // The pieces cover the text exactly and each ends where a cluster ends.
    const QStringList pieces = unicode::graphemes(text);
    qsizetype end = 0;
    for (const QString &piece : pieces) {
        check(!piece.isEmpty() && QStringView(text).sliced(end).startsWith(piece));
        end += piece.size();
        check(icu.contains(end));
    }
    check(end == text.size());
    check(unicode::graphemeCount(text) == pieces.size());
    check(settingsRules::perceivedLength(text) == pieces.size());

    // An error body is cut to its first 200 characters: a prefix ending on a cluster boundary.
    const QString prefix = PolishError::http(500, QString()).description();
    const QString cut = PolishError::http(500, text).description();
    check(cut.startsWith(prefix));
    const qsizetype kept = cut.size() - prefix.size();
    check(QStringView(text).startsWith(QStringView(cut).sliced(prefix.size())) && icu.contains(kept));
    check(unicode::graphemeCount(cut.sliced(prefix.size())) == std::min<qsizetype>(200, pieces.size()));
}

void checkCleanAndStrip(const QString &text)
{
    check(cleanModelOutput(text).size() <= text.size());

    // Either nothing changes, or the trimmed text loses exactly one final full stop.
    const QString stripped = stripTrailingPeriod(text);
    if (stripped != text) {
        const QString trimmed = unicode::trim(text);
        check(stripped.size() + 1 == trimmed.size() && trimmed.startsWith(stripped));
        check(trimmed.back() == u'.' || trimmed.back() == u'。');
    }
}

// Every trimmed, non-empty segment appears in order, with at most one space between two.
void checkJoin(const QStringList &segments)
{
    const QString joined = joinSegments(segments);
    qsizetype at = 0;
    bool first = true;
    for (const QString &segment : segments) {
        (void)isFillerSegment(segment);
        const QString part = unicode::trim(segment);
        if (part.isEmpty())
            continue;
        if (!first && at < joined.size() && joined[at] == u' ')
            ++at;
        check(QStringView(joined).sliced(at).startsWith(part));
        at += part.size();
        first = false;
    }
    check(at == joined.size());
}

void checkFormatting(const QString &text, std::uint8_t options)
{
    const auto target = allTargetLanguages[(options & 3) % allTargetLanguages.size()];
    const auto style = static_cast<AppStyle>((options >> 2) & 3);
    const QString kept = nonSpace(text);
    check(nonSpace(formatTranslation(text, target, style)) == kept);
    check(nonSpace(normalizeParagraphs(text, style)) == kept);
    check(nonSpace(splitSentences(text, target == TargetLanguage::japanese).join(QString())) == kept);
    (void)looksLikeLanguage(text, target);
    (void)checkTranslation(text.left(text.size() / 2), text, target);
    (void)checkPolish(text.left(text.size() / 2), text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Dictated text is short; longer inputs only slow the search (and the replay test) down.
    if (size == 0 || size > 1024)
        return 0;
    const std::uint8_t options = data[0];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    QStringList segments;
    for (const QByteArray &piece : bytes.split('\x1e'))
        segments.append(QString::fromUtf8(piece));
    const QString text = segments.join(QString());

    checkCounts(text);
    checkCleanAndStrip(text);
    checkJoin(segments);
    checkFormatting(text, options);
    return 0;
}
