#include "settings/SettingsRules.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

using namespace settingsRules;

const QString defaultHost = QStringLiteral("dashscope.aliyuncs.com");

TEST(NormalizedHost, StripsSchemePathAndSpaces)
{
    struct Case {
        QString typed;
        QString expected;
    };
    const std::vector<Case> cases{
        {"  https://example.com/api/v1 \n", "example.com"},
        {"http://example.com/x", "example.com"},
        {"wss://example.com/ws", "example.com"},
        {"example.com:8443", "example.com:8443"},
        // Only the exact lower-case schemes are removed, in this order.
        {"HTTPS://example.com/x", "HTTPS:"},
        {"https://http://wss://h/x", "h"},
        {"wss://https://h", "https:"},
        {"https://", defaultHost},
        {" \t\n ", defaultHost},
        {"", defaultHost},
        {"/path", defaultHost},
    };
    for (const Case &c : cases)
        EXPECT_EQ(normalizedHost(c.typed, defaultHost), c.expected) << c.typed.toStdString();
}

TEST(VocabularyTerms, SplitsAtLineFeedsAndBothCommas)
{
    EXPECT_EQ(vocabularyTerms(QStringLiteral(" Claude Code ,Quillo，\n\n\tSwiftUI\t\n  Qt  ")),
        (QStringList{"Claude Code", "Quillo", "SwiftUI", "Qt"}));
    EXPECT_EQ(vocabularyTerms(QStringLiteral("a,a,,  ,a")), (QStringList{"a", "a", "a"}));
    EXPECT_TRUE(vocabularyTerms(QString()).isEmpty());
    // Ideographic spaces count as spaces.
    EXPECT_EQ(vocabularyTerms(QStringLiteral("\u3000术语\u3000")), QStringList{QStringLiteral("术语")});
}

TEST(TranslateHotkey, AddsTriggerToToggle)
{
    const Hotkey optionSpace{49, modifierFlag::option, false};
    const Hotkey shiftSpace{49, modifierFlag::shift, false};
    const Hotkey fnF5{96, modifierFlag::function, false};
    const Hotkey plainA{0, 0, false};
    struct Case {
        std::optional<Hotkey> toggle;
        TranslateTrigger trigger;
        std::optional<Hotkey> expected;
    };
    const std::vector<Case> cases{
        {optionSpace, TranslateTrigger::shift, Hotkey{49, modifierFlag::shift | modifierFlag::option, false}},
        {shiftSpace, TranslateTrigger::shift, std::nullopt},
        {defaultHoldHotkey, TranslateTrigger::shift, std::nullopt},
        {fnF5, TranslateTrigger::command, Hotkey{96, modifierFlag::command | modifierFlag::function, false}},
        {plainA, TranslateTrigger::shift, std::nullopt},
        {std::nullopt, TranslateTrigger::option, std::nullopt},
        // Bits outside the modifier mask are not carried over.
        {Hotkey{49, modifierFlag::control | 0x1, false}, TranslateTrigger::option,
            Hotkey{49, modifierFlag::option | modifierFlag::control, false}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(translateHotkey(c.toggle, c.trigger), c.expected);
}

TEST(LanguageCycle, TargetFirstThenCaseOrder)
{
    using L = TargetLanguage;
    EXPECT_EQ(languageCycle(L::english), (std::vector<L>{L::english, L::japanese, L::vietnamese}));
    EXPECT_EQ(languageCycle(L::japanese), (std::vector<L>{L::japanese, L::english, L::vietnamese}));
    EXPECT_EQ(languageCycle(L::vietnamese), (std::vector<L>{L::vietnamese, L::english, L::japanese}));
    EXPECT_EQ(languageCycleText(L::japanese), QStringLiteral("日文 → 英文 → 越南语"));
}

TEST(Enumerations, RawValuesRoundTripAndOnlyExactTextsMatch)
{
    for (const TargetLanguage l : allTargetLanguages)
        EXPECT_EQ(targetLanguageFromRaw(rawValue(l)), l);
    for (const TranslateTrigger t : allTranslateTriggers)
        EXPECT_EQ(translateTriggerFromRaw(rawValue(t)), t);
    EXPECT_EQ(targetLanguageFromRaw(QStringLiteral("EN")), std::nullopt);
    EXPECT_EQ(translateTriggerFromRaw(QStringLiteral("fn")), std::nullopt);
}

TEST(ParseEnvironment, TakesNameAndEverythingAfterFirstEquals)
{
    struct Case {
        QString text;
        QHash<QString, QString> expected;
    };
    using H = QHash<QString, QString>;
    const std::vector<Case> cases{
        {"QWEN_API_KEY = sk-a=b== \n", H{{"QWEN_API_KEY", "sk-a=b=="}}},
        {"=orphan\nQWEN_API_HOST=\n", H{}},
        {"==A=B\n", H{{"A", "B"}}},
        {"A==B\n", H{{"A", "=B"}}},
        {"A=1\r\nB=2\r\n\r\n", H{{"A", "1"}, {"B", "2"}}},
        {"A=1\nA=2\n", H{{"A", "2"}}},
        {"export A=\"q\" # c\n", H{{"export A", "\"q\" # c"}}},
        {"A= \t\n", H{{"A", ""}}},
        {"no equals here\n\n", H{}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseEnvironment(c.text), c.expected) << c.text.toStdString();
}

TEST(PerceivedLength, CountsGraphemes)
{
    EXPECT_EQ(perceivedLength(QStringLiteral("sk-12")), 5);
    EXPECT_EQ(perceivedLength(QStringLiteral("e\u0301👍🏽")), 2);
    EXPECT_EQ(perceivedLength(QString()), 0);
}

} // namespace
} // namespace quillo
