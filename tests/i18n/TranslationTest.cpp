#include "app/E2eObserver.h"
#include "app/SelfTestOffline.h"
#include "app/SelfTestReport.h"
#include "audio/AudioRecorderError.h"
#include "dictation/DictationTexts.h"
#include "dictation/HUDModel.h"
#include "dictation/ShownMessage.h"
#include "hotkeys/KeyNames.h"
#include "i18n/InterfaceTranslator.h"
#include "recognition/ASRError.h"
#include "refinement/PolishError.h"
#include "refinement/Prompts.h"
#include "settings/TargetLanguage.h"
#include "ui/MenuText.h"
#include "ui/PanelContent.h"
#include "ui/SettingsText.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quillo {
namespace {

using Kind = DictationPhase::Kind;

HUDModel &recording(HUDModel &model, RecordingMode mode, std::optional<TargetLanguage> translation)
{
    model.setPhase(DictationPhase::recording());
    model.setMode(mode);
    model.setTranslation(translation);
    return model;
}

struct TextCase {
    const char *name;
    std::function<QString()> text; // built while the language is active
    // What must come through as it is in both languages: a service's or the user's own
    // words, a value filled in. Empty: nothing.
    QString kept;
};

// One sample or more of every area, and every failure text with a part filled in, which
// the translation has to find by its pattern (ShownMessage).
const TextCase textCases[] = {
    {"panel_listening",
        [] {
            HUDModel m;
            return panel::title(recording(m, RecordingMode::hold, std::nullopt));
        },
        {}},
    {"panel_hint_hold",
        [] {
            HUDModel m;
            return panel::subtitle(recording(m, RecordingMode::hold, std::nullopt));
        },
        {}},
    {"panel_hint_hands_free",
        [] {
            HUDModel m;
            return panel::subtitle(recording(m, RecordingMode::handsFree, TargetLanguage::japanese));
        },
        "Alt+Space"},
    {"panel_translating",
        [] {
            HUDModel m;
            m.setTranslation(TargetLanguage::japanese);
            m.setPhase(DictationPhase::polishing());
            return panel::title(m) + " | " + panel::content(m).badge.value_or("-");
        },
        {}},
    {"panel_failure",
        [] {
            HUDModel m;
            m.setPhase(DictationPhase::failed(dictationTexts::copiedOnlyMessage));
            return panel::title(m) + " | " + panel::subtitle(m);
        },
        "Ctrl+V"},
    {"menu_status", [] { return menu::statusLine(DictationPhase::idle()); }, {}},
    {"menu_failure_status", [] { return menu::statusLine(DictationPhase::failed(dictationTexts::noSpeechMessage)); },
        {}},
    {"menu_button", [] { return menu::toggleButtonLabel(DictationPhase::recording()); }, {}},
    {"menu_empty_history", [] { return menu::emptyHistoryHint(std::nullopt); }, {}},
    {"menu_tap", [] { return menu::translateTapText(TranslateTrigger::shift); }, "Shift"},
    {"settings_save", [] { return settingsText::saveButtonLabel(false); }, {}},
    {"settings_explanation",
        [] {
            const auto target = TargetLanguage::japanese;
            return settingsText::translationExplanation(TranslateTrigger::shift, target,
                settingsText::languageCycleText(target), Hotkey{49, modifierFlag::option | modifierFlag::shift, false})
                .join(" | ");
        },
        "Alt+Shift+Space"},
    {"target_language", [] { return shownName(TargetLanguage::vietnamese); }, {}},
    {"key_name",
        [] {
            return keyNames::name(Hotkey{58, modifierFlag::option, true});
        },
        {}},
    {"recorder_hint", [] { return keyNames::recorderInvalidHint(); }, "F1–F19"},
    {"not_pasted", [] { return shownMessage(dictationTexts::notPastedMessage); }, "Ctrl+V"},
    {"microphone_failed", [] { return shownMessage(AudioRecorderError::engineFailed("设备无法打开").description()); },
        {}},
    {"file_unreadable", [] { return shownMessage(AudioRecorderError::fileUnreadable("文件不完整").description()); },
        {}},
    {"service_error", [] { return shownMessage(ASRError::server("bad request").description()); }, "bad request"},
    {"connection_error", [] { return shownMessage(ASRError::connection("无效的域名 example..com").description()); },
        "example..com"},
    {"service_answer_kept", [] { return shownMessage(PolishError::http(503, "服务繁忙 %2").description()); },
        "服务繁忙 %2"},
    {"unknown_text_kept", [] { return shownMessage("我们明天开会"); }, "我们明天开会"},
};

bool hasChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return text.contains(han);
}

QString without(const QString &text, const QString &part)
{
    return part.isEmpty() ? text : QString(text).remove(part);
}

class TranslatedTextTest : public ::testing::TestWithParam<TextCase> { };

// Chinese without a translator, English with the embedded one: nothing left in Chinese
// but what came from outside, every placeholder filled.
TEST_P(TranslatedTextTest, ChineseWithoutTranslatorEnglishWithIt)
{
    const TextCase &c = GetParam();
    QString chinese;
    {
        const InterfaceTranslator none(InterfaceLanguage::chinese);
        EXPECT_FALSE(none.installed());
        chinese = c.text();
    }
    EXPECT_TRUE(hasChinese(chinese)) << chinese.toStdString();
    const InterfaceTranslator english(InterfaceLanguage::english);
    ASSERT_TRUE(english.installed()) << "the embedded translation did not load";
    const QString shown = c.text();
    EXPECT_TRUE(shown.contains(c.kept)) << shown.toStdString();
    EXPECT_FALSE(without(shown, c.kept).contains(QRegularExpression(QStringLiteral("%\\d")))) << shown.toStdString();
    if (c.kept == chinese)
        return; // the user's own text
    EXPECT_FALSE(hasChinese(without(shown, c.kept))) << shown.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Areas, TranslatedTextTest, ::testing::ValuesIn(textCases), [](const auto &info) { return info.param.name; });

// What scripts, the service and the stored data read must not change with the language.
QStringList contractTexts()
{
    QStringList lines;
    SelfTestReport report([&](const QString &line) { lines << line; });
    selfTestOffline::runUnitChecks(report);
    selfTestOffline::runScriptChecks(report);
    selfTestOffline::runParagraphChecks(report);
    report.summary();
    for (const auto &m : polishMessages("嗯那个测试一下", AppStyle::chat, {"Quillo"}))
        lines << m.content;
    for (const auto &m : translationMessages("测试", TargetLanguage::japanese, AppStyle::coding, {}))
        lines << m.content;
    lines << E2eObserver::phaseText(DictationPhase::failed(dictationTexts::endToEndInputMessage))
          << E2eObserver::phaseText(DictationPhase::failed(ASRError::timeout().description()))
          << displayName(TargetLanguage::english) << dictationTexts::unknownAppName;
    return lines;
}

TEST(Contract, SelfTestPromptsAndRecordsStayInTheSourceLanguage)
{
    const QStringList chinese = contractTexts();
    ASSERT_GT(chinese.size(), 20);
    EXPECT_TRUE(chinese.contains(R"(failed("无法读取测试音频或缺少 API Key"))"));
    const InterfaceTranslator english(InterfaceLanguage::english);
    ASSERT_TRUE(english.installed());
    EXPECT_EQ(contractTexts(), chinese);
}

} // namespace
} // namespace quillo
