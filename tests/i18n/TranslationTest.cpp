#include "app/E2eObserver.h"
#include "app/SelfTestOffline.h"
#include "app/SelfTestReport.h"
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
    QString chinese;
    QString english;
};

// One sample or more of every area, in both languages.
const TextCase textCases[] = {
    {"panel_listening",
        [] {
            HUDModel m;
            return panel::title(recording(m, RecordingMode::hold, std::nullopt));
        },
        "正在聆听…", "Listening…"},
    {"panel_hint_hold",
        [] {
            HUDModel m;
            return panel::subtitle(recording(m, RecordingMode::hold, std::nullopt));
        },
        "松开 右 Alt 结束 · Shift 翻译 · Esc 取消", "Release Right Alt to finish · Shift translates · Esc cancels"},
    {"panel_hint_hands_free",
        [] {
            HUDModel m;
            return panel::subtitle(recording(m, RecordingMode::handsFree, TargetLanguage::japanese));
        },
        "Alt+Space 结束 · Shift 换语言 · Esc 取消", "Alt+Space to finish · Shift switches language · Esc cancels"},
    {"panel_translating",
        [] {
            HUDModel m;
            m.setTranslation(TargetLanguage::japanese);
            m.setPhase(DictationPhase::polishing());
            return panel::title(m) + " | " + panel::content(m).badge.value_or("-");
        },
        "翻译成日文中… | 日文", "Translating into Japanese… | Japanese"},
    {"panel_failure",
        [] {
            HUDModel m;
            m.setPhase(DictationPhase::failed(dictationTexts::copiedOnlyMessage));
            return panel::title(m) + " | " + panel::subtitle(m);
        },
        "已复制到剪贴板，请按 Ctrl+V 粘贴 | 按 Esc 关闭",
        "Copied to clipboard — press Ctrl+V to paste | Press Esc to close"},
    {"menu_status", [] { return menu::statusLine(DictationPhase::idle()); }, "就绪 · 在任意输入框中按快捷键说话",
        "Ready · press the shortcut in any text field and speak"},
    {"menu_failure_status", [] { return menu::statusLine(DictationPhase::failed(dictationTexts::noSpeechMessage)); },
        "没有听到说话声", "No speech heard"},
    {"menu_button", [] { return menu::toggleButtonLabel(DictationPhase::recording()); }, "结束", "Stop"},
    {"menu_empty_history", [] { return menu::emptyHistoryHint(std::nullopt); }, "还没有记录。按住 快捷键 说话试试。",
        "Nothing yet. Hold the shortcut and speak to try it."},
    {"menu_tap", [] { return menu::translateTapText(TranslateTrigger::shift); }, "轻点 Shift", "Tap Shift"},
    {"settings_save", [] { return settingsText::saveButtonLabel(false); }, "保存", "Save"},
    {"settings_explanation",
        [] {
            const auto target = TargetLanguage::japanese;
            return settingsText::translationExplanation(TranslateTrigger::shift, target,
                settingsText::languageCycleText(target), Hotkey{49, modifierFlag::option | modifierFlag::shift, false})
                .join(" | ");
        },
        "录音过程中轻点一下 Shift，结果会翻译成日文后再输入。 | 再点一次切换到下一种语言：日文 → 英文 → 越南语。先按住 "
        "Shift 再开始录音，则一开始就是翻译模式。 | 按 Alt+Shift+Space 可以直接以翻译模式开始免提录音。",
        "Tap Shift while recording and the result is translated into Japanese before it is typed. | Tap again for the "
        "next language: Japanese → English → Vietnamese. Hold Shift before you start recording to translate from the "
        "start. | Press Alt+Shift+Space to start a hands-free recording that translates."},
    {"target_language", [] { return shownName(TargetLanguage::vietnamese); }, "越南语", "Vietnamese"},
    {"key_name",
        [] {
            return keyNames::name(Hotkey{58, modifierFlag::option, true});
        },
        "左 Alt", "Left Alt"},
    {"recorder_hint", [] { return keyNames::recorderInvalidHint(); },
        "组合键需要包含 Ctrl、Alt、Shift、Super 中的至少一个（F1–F19 除外），请重新按下",
        "A combination needs at least one of Ctrl, Alt, Shift, Super (except F1–F19); press it again"},
    {"connection_error", [] { return shownMessage(ASRError::connection("无效的域名 example..com").description()); },
        "连接识别服务失败：无效的域名 example..com", "Cannot connect to speech recognition: invalid host example..com"},
    {"service_answer_kept", [] { return shownMessage(PolishError::http(503, "服务繁忙 %2").description()); },
        "润色服务返回 503：服务繁忙 %2", "The polish service answered 503: 服务繁忙 %2"},
    {"unknown_text_kept", [] { return shownMessage("我们明天开会"); }, "我们明天开会", "我们明天开会"},
};

class TranslatedTextTest : public ::testing::TestWithParam<TextCase> { };

TEST_P(TranslatedTextTest, ChineseWithoutTranslatorEnglishWithIt)
{
    const TextCase &c = GetParam();
    {
        const InterfaceTranslator none(InterfaceLanguage::chinese);
        EXPECT_FALSE(none.installed());
        EXPECT_EQ(c.text(), c.chinese);
    }
    const InterfaceTranslator english(InterfaceLanguage::english);
    ASSERT_TRUE(english.installed()) << "the embedded translation did not load";
    EXPECT_EQ(c.text(), c.english);
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
