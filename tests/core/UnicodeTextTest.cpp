#include "common/UnicodeText.h"
#include "refinement/TextRules.h"
#include "settings/SettingsRules.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

struct CountCase {
    const char *label;
    const char *text;
    qsizetype characters;
};

// Each entry is what a reader sees as that many characters.
const CountCase countCases[] = {
    {"empty", "", 0},
    {"ascii", "sk-12", 5},
    {"chinese", "好好好", 3},
    {"flag after emoji", "😀🇯🇵", 2},
    {"flag after pictograph", "©🇯🇵", 2},
    {"flag after zwj family", "👨‍👩‍👧🇯🇵", 2},
    {"two flags", "🇯🇵🇨🇳", 2},
    {"odd regional indicator", "🇯🇵🇨", 2},
    {"keycap", "1️⃣#️⃣", 2},
    {"zwj family", "👨‍👩‍👧‍👦", 1},
    {"skin tone", "👍🏽👍🏿", 2},
    {"combining marks", "e\u0301a\u0308\u0323", 2},
    {"hangul jamo", "\u1100\u1161\u11A8", 1},
    {"crlf is one", "a\r\nb", 3},
};

TEST(UnicodeText, CountsUserPerceivedCharacters)
{
    for (const auto &c : countCases) {
        const QString text = u8(c.text);
        EXPECT_EQ(unicode::graphemeCount(text), c.characters) << c.label;
        EXPECT_EQ(unicode::graphemes(text).join(QString()), text) << c.label;
        EXPECT_EQ(unicode::graphemes(text).size(), c.characters) << c.label;
        // Every count the program prints or limits goes through the same rule.
        EXPECT_EQ(settingsRules::perceivedLength(text), c.characters) << c.label;
    }
}

TEST(UnicodeText, LeftGraphemesNeverSplitsACharacter)
{
    const QString text = u8("😀🇯🇵👨‍👩‍👧1️⃣e\u0301");
    const QStringList whole = unicode::graphemes(text);
    ASSERT_EQ(whole.size(), 5);
    for (qsizetype n = 0; n <= whole.size() + 1; ++n)
        EXPECT_EQ(unicode::leftGraphemes(text, n), whole.mid(0, n).join(QString())) << n;
    EXPECT_EQ(unicode::leftGraphemes(text, -1), QString());
}

TEST(UnicodeText, GuardsCountFlagsAfterEmojiAsOne)
{
    // Ten emoji+flag pairs are twenty characters: a fair polish of five words, not a summary.
    EXPECT_EQ(checkPolish(u8("好好好好好"), u8("😀🇯🇵").repeated(10)), std::nullopt);
    // A two-character transcript may grow to 92 characters: "Hi" and 45 pairs is exactly that.
    const QString answer = u8("Hi") + u8("😀🇯🇵").repeated(45);
    EXPECT_EQ(checkTranslation(u8("你好"), answer, TargetLanguage::english), std::nullopt);
    EXPECT_NE(checkTranslation(u8("你好"), answer + u8("!"), TargetLanguage::english), std::nullopt);
}

} // namespace
} // namespace quillo
