#include "app/SelfTestOffline.h"

#include "app/SelfTestSamples.h"
#include "audio/SpeechGate.h"
#include "dictation/AppClassifier.h"
#include "hotkeys/Hotkey.h"
#include "recognition/Segments.h"
#include "refinement/TextRules.h"

namespace quillo::selfTestOffline {

namespace {

using namespace modifierFlag;

void hotkeyChecks(SelfTestReport &r)
{
    const Hotkey rightOption{61, option, true};
    const Hotkey optionSpace{49, option, false};
    r.check(QStringLiteral("右 ⌥ 显示名"), displayName(rightOption) == QStringLiteral("右 ⌥"));
    r.check(QStringLiteral("⌥Space 显示名"), displayName(optionSpace) == QStringLiteral("⌥Space"));
    r.check(QStringLiteral("修饰键单键有效"), isValid(rightOption));
    r.check(QStringLiteral("无修饰字母键无效"), !isValid(Hotkey{0, 0, false}));
    r.check(QStringLiteral("⌃⌥⌘ 组合显示"),
        displayName(Hotkey{2, control | option | command, false}) == QStringLiteral("⌃⌥⌘D"));
    r.check(QStringLiteral("快捷键序列化往返"), hotkeyFromJson(toJson(optionSpace)) == optionSpace);
}

void textChecks(SelfTestReport &r)
{
    r.check(QStringLiteral("中英拼接加空格"), joinSegments({"hello", "world"}) == QStringLiteral("hello world"));
    r.check(QStringLiteral("中文拼接不加空格"), joinSegments({"你好，", "世界"}) == QStringLiteral("你好，世界"));
    r.check(QStringLiteral("清理 transcript 标签"),
        cleanModelOutput(QStringLiteral("<transcript>你好</transcript>")) == QStringLiteral("你好"));
    r.check(QStringLiteral("清理代码块"), cleanModelOutput(QStringLiteral("```\n你好\n```")) == QStringLiteral("你好"));
    r.check(
        QStringLiteral("拒绝明显过长的润色"), checkPolish(QStringLiteral("写首诗"), QString(80, u'好')).has_value());
    r.check(QStringLiteral("拒绝被总结的润色"),
        checkPolish(QStringLiteral("很长的口述内容").repeated(10), QStringLiteral("总结")).has_value());
    r.check(QStringLiteral("接受正常润色"),
        !checkPolish(QStringLiteral("嗯那个明天开会"), QStringLiteral("明天开会。")).has_value());
    const auto strip = [](const char16_t *in, const char16_t *out) {
        return stripTrailingPeriod(QString::fromUtf16(in)) == QString::fromUtf16(out);
    };
    r.check(QStringLiteral("去掉末尾句号"), strip(u"好的，明天见。", u"好的，明天见"));
    r.check(QStringLiteral("多句只去掉最后的句号"), strip(u"第一句。第二句。", u"第一句。第二句"));
    r.check(QStringLiteral("英文末尾句号"), strip(u"See you at 4 p.m. tomorrow.", u"See you at 4 p.m. tomorrow"));
    r.check(QStringLiteral("保留问号和感叹号"), strip(u"你来吗？", u"你来吗？") && strip(u"太好了！", u"太好了！"));
    r.check(QStringLiteral("保留省略号"), strip(u"然后呢...", u"然后呢...") && strip(u"然后呢……", u"然后呢……"));
    r.check(QStringLiteral("过滤单独的“嗯。”"), isFillerSegment(QStringLiteral("嗯。")));
    r.check(QStringLiteral("过滤“呃，啊”"), isFillerSegment(QStringLiteral("呃，啊")));
    r.check(QStringLiteral("过滤英文 Um."), isFillerSegment(QStringLiteral("Um.")));
    r.check(QStringLiteral("保留“哈哈”"), !isFillerSegment(QStringLiteral("哈哈")));
    r.check(QStringLiteral("保留“好的”"), !isFillerSegment(QStringLiteral("好的")));
    r.check(QStringLiteral("保留“OK”"), !isFillerSegment(QStringLiteral("OK")));
}

// Feeds chunks of 1066 bytes with these levels; returns every release.
QList<QList<QByteArray>> feedGate(SpeechGate &gate, const QList<float> &levels)
{
    QList<QList<QByteArray>> releases;
    for (qsizetype i = 0; i < levels.size(); ++i)
        releases.append(gate.process(QByteArray(1066, char(i)), levels[i]));
    return releases;
}

void gateChecks(SelfTestReport &r)
{
    SpeechGate burst;
    QList<float> burstLevels{0.0f, 0.33f};
    burstLevels.append(QList<float>(10, 0.0f));
    const auto burstReleases = feedGate(burst, burstLevels);
    const bool nothingReleased
        = std::all_of(burstReleases.begin(), burstReleases.end(), [](const auto &l) { return l.isEmpty(); });
    r.check(QStringLiteral("噪声门：单次启动爆音不放行"), nothingReleased && !burst.isOpen());

    SpeechGate speech;
    const auto releases = feedGate(speech, {0.0f, 0.05f, 0.1f, 0.45f, 0.6f, 0.7f});
    bool firstFiveEmpty = true;
    for (qsizetype i = 0; i < 5; ++i)
        firstFiveEmpty = firstFiveEmpty && releases[i].isEmpty();
    bool inOrder = releases[5].size() == 6;
    for (qsizetype i = 0; inOrder && i < 6; ++i)
        inOrder = releases[5][i] == QByteArray(1066, char(i));
    r.check(QStringLiteral("噪声门：持续说话放行并带上前置缓冲"), firstFiveEmpty && inOrder && speech.isOpen());

    const QByteArray quiet(1066, 'q');
    const auto next = speech.process(quiet, 0.0f);
    r.check(QStringLiteral("噪声门：打开后逐块直通"), next.size() == 1 && next.front() == quiet);
}

void styleChecks(SelfTestReport &r)
{
    r.check(
        QStringLiteral("识别终端场景"), forBundleIdentifier(QStringLiteral("com.apple.Terminal")) == AppStyle::coding);
    r.check(
        QStringLiteral("识别微信场景"), forBundleIdentifier(QStringLiteral("com.tencent.xinWeChat")) == AppStyle::chat);
    r.check(QStringLiteral("识别 JetBrains 场景"),
        forBundleIdentifier(QStringLiteral("com.jetbrains.rider")) == AppStyle::coding);
    r.check(QStringLiteral("未知应用为通用"),
        forBundleIdentifier(QStringLiteral("com.example.unknown")) == AppStyle::general);
}

} // namespace

void runUnitChecks(SelfTestReport &report)
{
    report.line(QStringLiteral("\n[1] 单元测试"));
    hotkeyChecks(report);
    textChecks(report);
    gateChecks(report);
    styleChecks(report);
}

void runScriptChecks(SelfTestReport &r)
{
    using enum TargetLanguage;
    r.check(QStringLiteral("英文识别"), looksLikeLanguage(QStringLiteral("Let's meet at 4 p.m. tomorrow."), english));
    r.check(QStringLiteral("英文中混大量中文判为不符"),
        !looksLikeLanguage(QStringLiteral("我们明天下午四点开会 meeting"), english));
    r.check(QStringLiteral("日文需要假名"),
        looksLikeLanguage(QStringLiteral("明日の午後4時に会議です。"), japanese)
            && !looksLikeLanguage(QStringLiteral("我们明天下午四点开会。"), japanese));
    r.check(QStringLiteral("越南语识别"), looksLikeLanguage(QStringLiteral("Hẹn gặp lại vào thứ Bảy."), vietnamese));
}

void runParagraphChecks(SelfTestReport &r)
{
    r.line(QStringLiteral("  — 长段落自动分段"));
    const QString englishSample = selfTestSamples::englishSentences.join(u' ');
    const QStringList paragraphs
        = formatTranslation(englishSample, TargetLanguage::english, AppStyle::general).split(u'\n', Qt::SkipEmptyParts);
    r.check(QStringLiteral("兜底分段：长英文被切成多段"), paragraphs.size() >= 2,
        QStringLiteral("%1 段").arg(paragraphs.size()));
    r.check(QStringLiteral("兜底分段：不在 p.m. 处断句"),
        !splitSentences(QStringLiteral("We meet at 4 p.m. tomorrow. Bring the demo."), false)
             .contains(QStringLiteral("We meet at 4 p.m.")));
    r.check(QStringLiteral("兜底分段：短句保持一行"),
        !formatTranslation(QStringLiteral("We meet at 4 p.m. tomorrow."), TargetLanguage::english, AppStyle::general)
             .contains(u'\n'));
    r.check(QStringLiteral("兜底分段：文档场景用空行分段"),
        formatTranslation(englishSample, TargetLanguage::english, AppStyle::document).contains(QStringLiteral("\n\n")));
    const QString japaneseSample = selfTestSamples::japaneseSentences.join(QString());
    r.check(QStringLiteral("兜底分段：长日文被切成多段"),
        formatTranslation(japaneseSample, TargetLanguage::japanese, AppStyle::general)
                .split(u'\n', Qt::SkipEmptyParts)
                .size()
            >= 2);
}

} // namespace quillo::selfTestOffline
