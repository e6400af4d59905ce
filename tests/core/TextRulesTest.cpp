#include "refinement/TextRules.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}
QString repeated(const char *text, qsizetype times)
{
    return u8(text).repeated(times);
}

struct TextCase {
    const char *label;
    QString input;
    QString expected;
};

TEST(TextRules, CleanModelOutput)
{
    const std::vector<TextCase> cases{
        {"清理 transcript 标签", u8("<transcript>你好</transcript>"), u8("你好")},
        {"清理代码块", u8("```\n你好\n```"), u8("你好")},
        {"language tag", u8("```json\n{\"a\": 1}\n```"), u8("{\"a\": 1}")},
        {"prose first line stays", u8("```Here it is\nline two```"), u8("Here it is\nline two")},
        {"chinese first line stays", u8("```你好\n世界```"), u8("你好\n世界")},
        {"six backticks are no fence", u8("``````"), u8("``````")},
        {"seven characters are", u8("```a```"), u8("a")},
        {"empty fence", u8("```\n```"), u8("")},
        {"unclosed fence", u8("```python\nprint(1)"), u8("```python\nprint(1)")},
        {"tags and white space", u8(" \n<transcript>\n你好\n</transcript>\n "), u8("你好")},
        {"tags are case-sensitive", u8("<TRANSCRIPT>你好"), u8("<TRANSCRIPT>你好")},
        {"tags inside a fence", u8("```\n<transcript>好的</transcript>\n```"), u8("好的")},
        {"empty", QString(), QString()},
        {"full-width space trimmed", u8("\u3000你好\u3000"), u8("你好")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(cleanModelOutput(c.input), c.expected) << c.label;
}

struct GuardCase {
    const char *label;
    QString transcript;
    QString result;
    std::optional<QString> reason;
};

TEST(TextRules, CheckPolish)
{
    const auto tooLong = u8("润色结果明显长于原文，疑似模型在回答问题，已使用原文");
    const auto tooShort = u8("润色结果明显短于原文，疑似被总结，已使用原文");
    const auto empty = u8("润色结果为空，已使用原文");
    const QString twenty = repeated("一二三四五", 4);
    const std::vector<GuardCase> cases{
        {"拒绝明显过长的润色", u8("写首诗"), repeated("好", 80), tooLong},
        {"拒绝被总结的润色", repeated("很长的口述内容", 10), u8("总结"), tooShort},
        {"接受正常润色", u8("嗯那个明天开会"), u8("明天开会。"), std::nullopt},
        {"20 characters, 4 back", twenty, u8("一二三四"), tooShort},
        {"20 characters, 5 back", twenty, u8("一二三四五"), std::nullopt},
        {"19 characters are never too short", twenty.left(19), u8("一"), std::nullopt},
        {"long limit is inclusive", u8("写首诗"), repeated("好", 46), std::nullopt},
        {"one past the long limit", u8("写首诗"), repeated("好", 47), tooLong},
        {"empty result", u8("明天开会"), QString(), empty},
        {"blank result", u8("明天开会"), u8(" \n"), empty},
        {"empty transcript", QString(), u8("好"), std::nullopt},
        // One user-perceived character each: skin-tone emoji and a family ZWJ sequence.
        {"emoji count as one", repeated("👍🏽", 20), repeated("👨‍👩‍👧‍👦", 5), std::nullopt},
        {"emoji summarised", repeated("👍🏽", 20), repeated("👨‍👩‍👧‍👦", 4), tooShort},
        {"combining marks count as one", repeated("e\u0301", 20), u8("e\u0301e\u0301e\u0301e\u0301e\u0301"),
            std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(checkPolish(c.transcript, c.result), c.reason) << c.label;
}

struct TranslationGuardCase {
    const char *label;
    QString transcript;
    QString result;
    TargetLanguage target;
    std::optional<QString> reason;
};

TEST(TextRules, CheckTranslation)
{
    using enum TargetLanguage;
    const auto tooLong = u8("翻译结果明显长于原文，疑似模型在回答问题");
    const std::vector<TranslationGuardCase> cases{
        {"accepted", u8("明天见"), u8("See you tomorrow."), english, std::nullopt},
        {"empty", u8("明天见"), QString(), english, u8("翻译结果为空")},
        {"blank", u8("明天见"), u8("  "), japanese, u8("翻译结果为空")},
        {"punctuation only", u8("明天见"), u8("。！？"), english, u8("翻译结果不是英文")},
        {"not japanese", u8("明天见"), u8("See you"), japanese, u8("翻译结果不是日文")},
        {"not vietnamese", u8("明天见"), u8("我们明天见"), vietnamese, u8("翻译结果不是越南语")},
        {"at the long limit", u8("好"), repeated("a", 86), english, std::nullopt},
        {"past the long limit", u8("好"), repeated("a", 87), english, tooLong},
        {"language before length", u8("好"), repeated("好", 200), english, u8("翻译结果不是英文")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(checkTranslation(c.transcript, c.result, c.target), c.reason) << c.label;
}

struct LanguageCase {
    const char *label;
    QString text;
    TargetLanguage target;
    bool looksLike;
};

TEST(TextRules, LooksLikeLanguage)
{
    using enum TargetLanguage;
    const QString vietnameseSample = u8("Hẹn gặp lại vào thứ Bảy.");
    const std::vector<LanguageCase> cases{
        {"英文识别", u8("Let's meet at 4 p.m. tomorrow."), english, true},
        {"英文中混大量中文判为不符", u8("我们明天下午四点开会 meeting"), english, false},
        {"日文需要假名", u8("明日の午後4時に会議です。"), japanese, true},
        {"日文需要假名 (none)", u8("我们明天下午四点开会。"), japanese, false},
        {"越南语识别", vietnameseSample, TargetLanguage::vietnamese, true},
        {"vietnamese decomposed", vietnameseSample.normalized(QString::NormalizationForm_D), TargetLanguage::vietnamese,
            true},
        {"vietnamese precomposed", vietnameseSample.normalized(QString::NormalizationForm_C),
            TargetLanguage::vietnamese, true},
        {"short kanji phrase", u8("会议室"), japanese, true},
        {"seven kanji are too many", u8("会议室会议室会"), japanese, false},
        {"kana alone", u8("カタカナ"), japanese, true},
        {"empty", QString(), english, false},
        {"punctuation and spaces", u8(" 。，！ "), english, false},
        {"digits only", u8("123"), english, false},
        {"emoji only", u8("👍🏽"), english, false},
        {"a little chinese", u8("The 会 meeting is at ten today, ok"), english, true},
        {"accented latin", u8("Äpfel und Straße"), english, true},
        {"cyrillic is not english", u8("Привет, как дела?"), english, false},
        {"mostly cyrillic with a name", u8("Привет от Claude"), english, false},
        {"thai is not vietnamese", u8("สวัสดีครับ"), TargetLanguage::vietnamese, false},
        {"korean is not japanese", u8("안녕하세요"), japanese, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(looksLikeLanguage(c.text, c.target), c.looksLike) << c.label;
}

TEST(TextRules, NormalizeParagraphs)
{
    EXPECT_EQ(normalizeParagraphs(u8(" one line "), AppStyle::document), u8(" one line "));
    EXPECT_EQ(normalizeParagraphs(u8("a\u2028b"), AppStyle::general), u8("a\u2028b"));
    EXPECT_EQ(normalizeParagraphs(u8("a\n\n \tb \r\n c\u2029d"), AppStyle::general), u8("a\nb\nc\nd"));
    EXPECT_EQ(normalizeParagraphs(u8("a\n\n \tb \r\n c"), AppStyle::document), u8("a\n\nb\n\nc"));
    EXPECT_EQ(normalizeParagraphs(u8("\n \n"), AppStyle::chat), QString());
}

struct SplitCase {
    QString text;
    bool japanese;
    QStringList sentences;
};

TEST(TextRules, SplitSentences)
{
    const std::vector<SplitCase> cases{
        {u8("We meet at 4 p.m. tomorrow. Bring the demo."), false,
            {u8("We meet at 4 p.m. tomorrow."), u8("Bring the demo.")}},
        {u8("1. First item. 2. Second item."), false, {u8("1. First item."), u8("2. Second item.")}},
        {u8("Dr. Smith came. Really? Yes! No. 5 is fine"), false,
            {u8("Dr. Smith came."), u8("Really?"), u8("Yes!"), u8("No. 5 is fine")}},
        {u8("Hello!Bye. Wait...  really"), false, {u8("Hello!Bye."), u8("Wait..."), u8("really")}},
        {u8("Version 2.0 ships."), false, {u8("Version 2.0 ships.")}},
        {QString(), false, {}},
        {u8("今日は晴れです。明日は雨です。"), true, {u8("今日は晴れです。"), u8("明日は雨です。")}},
        {u8("彼は「行きます。」と言った。次です。"), true,
            {u8("彼は「行きます。」"), u8("と言った。"), u8("次です。")}},
        {u8("（注意！）次。"), true, {u8("（注意！）次。")}},
        {u8("本当?はい! いいえ"), true, {u8("本当?"), u8("はい!"), u8("いいえ")}},
        {u8("「はい」と言った。"), true, {u8("「はい」と言った。")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitSentences(c.text, c.japanese), c.sentences) << c.text.toStdString();
}

// A long English translation of seven sentences: 164, 182 and 58 characters.
const QStringList englishSentences{
    u8("Today we will talk about the design of a voice input tool."),
    u8("You hold a key, speak, and let go of it when you are done."),
    u8("The text then appears right where the cursor is."),
    u8("Audio is streamed at 4 p.m. to a recognition service in small chunks."),
    u8("A chat model then strips all the filler words for you."),
    u8("Guards check that the model did not answer the text itself."),
    u8("Finally the clipboard is restored, so nothing is lost now."),
};

const QStringList japaneseSentences{
    u8("今日は音声入力ツールの設計について話します。"),
    u8("キーを押しながら話して、最後に離します。"),
    u8("すると、カーソルの位置に文章が入ります。"),
    u8("音声は小さな塊に分けて認識サービスに送られます。"),
    u8("その後、モデルが言いよどみを取り除き、句読点を整えます。"),
    u8("最後にクリップボードが元に戻るので、何も失われません。"),
};

// Sentences of exactly `lengths` characters, each ending in ". ".
QString sentencesOf(std::initializer_list<qsizetype> lengths)
{
    QStringList sentences;
    for (const qsizetype length : lengths)
        sentences.append(QString(length - 1, u'a') + u'.');
    return sentences.join(u' ');
}

TEST(TextRules, FormatTranslationParagraphs)
{
    using enum TargetLanguage;
    const QString englishSample = englishSentences.join(u' ');
    ASSERT_EQ(englishSample.size(), 410);
    const QString expectedEnglish
        = englishSentences.mid(0, 3).join(u' ') + u8("\n") + englishSentences.mid(3).join(u' ');
    const QString japaneseSample = japaneseSentences.join(QString());
    ASSERT_EQ(japaneseSample.size(), 141);
    const QString expectedJapanese
        = japaneseSentences.mid(0, 3).join(QString()) + u8("\n") + japaneseSentences.mid(3).join(QString());

    const std::vector<TextCase> cases{
        {"兜底分段：短句保持一行", formatTranslation(u8("We meet at 4 p.m. tomorrow."), english, AppStyle::general),
            u8("We meet at 4 p.m. tomorrow.")},
        {"兜底分段：长英文被切成多段", formatTranslation(englishSample, TargetLanguage::english, AppStyle::general),
            expectedEnglish},
        {"兜底分段：文档场景用空行分段", formatTranslation(englishSample, TargetLanguage::english, AppStyle::document),
            QString(expectedEnglish).replace(u8("\n"), u8("\n\n"))},
        {"兜底分段：长日文被切成多段", formatTranslation(japaneseSample, TargetLanguage::japanese, AppStyle::chat),
            expectedJapanese},
        {"japanese limit is lower", formatTranslation(englishSample, TargetLanguage::japanese, AppStyle::general),
            englishSample},
        {"240 characters are only normalised",
            formatTranslation(sentencesOf({119, 100, 19}), english, AppStyle::general), sentencesOf({119, 100, 19})},
        {"241 characters are paragraphed", formatTranslation(sentencesOf({119, 100, 20}), english, AppStyle::general),
            sentencesOf({119}) + u8("\n") + sentencesOf({100, 20})},
        {"two sentences stay as they are", formatTranslation(sentencesOf({150, 150}), english, AppStyle::general),
            sentencesOf({150, 150})},
        {"lone last sentence too long to merge",
            formatTranslation(sentencesOf({60, 60, 60, 60, 60, 60, 100}), english, AppStyle::general),
            sentencesOf({60, 60, 60}) + u8("\n") + sentencesOf({60, 60, 60}) + u8("\n") + sentencesOf({100})},
        {"already paragraphed",
            formatTranslation(sentencesOf({150}) + u8("\n \n") + sentencesOf({150}), english, AppStyle::document),
            sentencesOf({150}) + u8("\n\n") + sentencesOf({150})},
        {"trimmed first", formatTranslation(u8("  Hi there.  \n"), english, AppStyle::general), u8("Hi there.")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.input, c.expected) << c.label;
    EXPECT_FALSE(
        splitSentences(u8("We meet at 4 p.m. tomorrow. Bring the demo."), false).contains(u8("We meet at 4 p.m.")));
}

TEST(TextRules, StripTrailingPeriod)
{
    const std::vector<TextCase> cases{
        {"去掉末尾句号", u8("好的，明天见。"), u8("好的，明天见")},
        {"多句只去掉最后的句号", u8("第一句。第二句。"), u8("第一句。第二句")},
        {"英文末尾句号", u8("See you at 4 p.m. tomorrow."), u8("See you at 4 p.m. tomorrow")},
        {"保留问号", u8("你来吗？"), u8("你来吗？")},
        {"保留感叹号", u8("太好了！"), u8("太好了！")},
        {"保留省略号", u8("然后呢..."), u8("然后呢...")},
        {"保留省略号 (ellipsis)", u8("然后呢……"), u8("然后呢……")},
        {"two ideographic stops", u8("然后。。"), u8("然后。。")},
        {"a lone stop", u8("。"), u8("。")},
        {"trimmed when stripped", u8("  好的。 \n"), u8("好的")},
        {"untrimmed when kept", u8("  你好  "), u8("  你好  ")},
        {"blank", u8("   "), u8("   ")},
        {"empty", QString(), QString()},
        {"after an emoji", u8("👍🏽."), u8("👍🏽")},
        {"after a combining mark", u8("cafe\u0301."), u8("cafe\u0301")},
        {"full-width stop is not a full stop", u8("好．"), u8("好．")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(stripTrailingPeriod(c.input), c.expected) << c.label;
}

} // namespace
} // namespace quillo
