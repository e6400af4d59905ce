#include "i18n/InterfaceLanguage.h"
#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

struct LocaleCase {
    const char *name;
    QStringList uiLanguages; // as QLocale::system().uiLanguages() lists them
    InterfaceLanguage expected;
};

class LocaleChoiceTest : public ::testing::TestWithParam<LocaleCase> { };

TEST_P(LocaleChoiceTest, PicksChineseOrEnglish)
{
    EXPECT_EQ(interfaceLanguageFor(GetParam().uiLanguages), GetParam().expected);
}

using L = InterfaceLanguage;

INSTANTIATE_TEST_SUITE_P(Locales, LocaleChoiceTest,
    ::testing::Values(LocaleCase{"zh_CN", {"zh-CN", "zh-Hans-CN", "zh"}, L::chinese},
        LocaleCase{"zh_TW", {"zh-TW", "zh-Hant-TW"}, L::chinese},
        LocaleCase{"zh_HK_underscores", {"zh_HK.UTF-8"}, L::chinese},
        LocaleCase{"en_US", {"en-US", "en-Latn-US", "en"}, L::english},
        LocaleCase{"de_DE", {"de-DE", "de-Latn-DE", "de"}, L::english},
        LocaleCase{"fr", {"fr", "fr-Latn-FR", "fr-FR"}, L::english},
        // LANGUAGE=en over a Chinese LANG: the user asked for English first.
        LocaleCase{"LANGUAGE_en_over_zh", {"en", "en-Latn-US", "en-US", "zh-CN"}, L::english},
        // LANGUAGE=de:zh_CN: German has no translation, Chinese is the user's next choice.
        LocaleCase{"de_then_zh", {"de", "de-Latn-DE", "zh-CN", "zh"}, L::chinese},
        // No language chosen at all (LANG=C, POSIX or unset): the source text.
        LocaleCase{"C", {"C"}, L::chinese}, LocaleCase{"POSIX", {"POSIX"}, L::chinese},
        LocaleCase{"empty", {}, L::chinese}, LocaleCase{"C_then_de", {"C", "de"}, L::english}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(InterfaceLanguage, CodesOfTheLangOption)
{
    EXPECT_EQ(interfaceLanguageFromCode("zh"), L::chinese);
    EXPECT_EQ(interfaceLanguageFromCode("zh_CN"), L::chinese);
    EXPECT_EQ(interfaceLanguageFromCode("EN"), L::english);
    EXPECT_EQ(interfaceLanguageFromCode("en-GB"), L::english);
    EXPECT_EQ(interfaceLanguageFromCode("de"), std::nullopt);
    EXPECT_EQ(interfaceLanguageFromCode(""), std::nullopt);
}

TEST(InterfaceLanguage, LangOptionOverridesTheLocale)
{
    const QStringList english{"en-US", "en"};
    const QStringList chinese{"zh-CN", "zh"};
    EXPECT_EQ(CommandLine({"quillo", "--lang", "zh"}).interfaceLanguage(english), L::chinese);
    EXPECT_EQ(CommandLine({"quillo", "--render", "/tmp/x", "--lang", "en"}).interfaceLanguage(chinese), L::english);
    EXPECT_EQ(CommandLine({"quillo"}).interfaceLanguage(english), L::english);
    EXPECT_EQ(CommandLine({"quillo"}).interfaceLanguage(chinese), L::chinese);
    // A language we have no translation for, or no value at all, is an error, not a guess.
    EXPECT_EQ(CommandLine({"quillo", "--lang", "de"}).interfaceLanguage(chinese), std::nullopt);
    EXPECT_EQ(CommandLine({"quillo", "--lang"}).interfaceLanguage(chinese), std::nullopt);
    // The option is no mode of its own.
    EXPECT_EQ(CommandLine({"quillo", "--render", "/tmp/x", "--lang", "en"}).mode(), CommandLine::Mode::render);
    EXPECT_EQ(CommandLine({"quillo", "--render", "/tmp/x", "--lang", "en"}).modeArgument(), "/tmp/x");
    EXPECT_TRUE(CommandLine::helpText().contains("\n  --lang "));
}

} // namespace
} // namespace quillo
