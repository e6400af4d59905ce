#include "app/SelfTestRunner.h"
#include "app/SelfTestReport.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryCredentialStore.h"
#include "platform/fake/MemoryDefaultsStore.h"
#include "recognition/RecognitionSession.h"
#include "settings/AppSettings.h"
#include "settings/SecretStore.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

using namespace std::chrono_literals;

TEST(SelfTestReport, PrintsOneLinePerCheckAndCountsThem)
{
    QStringList lines;
    SelfTestReport report([&](const QString &line) { lines << line; });
    report.check("a", true);
    report.check("b", false, "why");
    report.check("c", true, {});
    EXPECT_EQ(report.summary(), 1);
    EXPECT_EQ(lines, QStringList({"  ✅ a", "  ❌ b — why", "  ✅ c", "== 结果：通过 2，失败 1 =="}));
}

// A session that must never be opened: without a key the run stops before any.
RecognitionSessionFactory noSessions(bool &opened)
{
    return [&opened](const RecognitionSession::Config &) -> std::unique_ptr<RecognitionSession> {
        opened = true;
        return nullptr;
    };
}

TEST(SelfTestRunner, WithoutAKeyRunsTheOfflineChecksThenStops)
{
    ManualScheduler scheduler;
    MemoryDefaultsStore defaults;
    MemoryCredentialStore credentials;
    FakeLoginItem login;
    AppSettings settings(defaults, credentials, login, scheduler);
    scheduler.runDue();

    QStringList lines;
    bool opened = false;
    bool chatted = false;
    auto runner = SelfTestRunner::create({"/nonexistent", {}, {}, false},
        {settings, noSessions(opened), [&](const ChatRequest &, ChatCompletion) { chatted = true; }, scheduler,
            [&](const QString &line) { lines << line; }});
    std::optional<int> failed;
    runner->run([&](int n) { failed = n; });

    ASSERT_EQ(failed, 1);
    EXPECT_FALSE(opened);
    EXPECT_FALSE(chatted);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.first(), "== Quillo 自测 ==");
    EXPECT_EQ(lines[1], "域名 dashscope.aliyuncs.com · 识别 qwen3-asr-flash-realtime · 润色 " + settings.polishModel());
    EXPECT_EQ(lines[2], "\n[1] 单元测试");
    EXPECT_EQ(lines[lines.size() - 2], "  ❌ API Key 已配置");
    // Every offline check holds with the real rules: the only failure is the key.
    EXPECT_TRUE(lines.last().startsWith("== 结果：通过 ")) << lines.last().toStdString();
    EXPECT_TRUE(lines.last().endsWith("，失败 1 ==")) << lines.last().toStdString();
    for (const QString &line : lines.mid(3, lines.size() - 5))
        EXPECT_TRUE(line.startsWith("  ✅ ")) << line.toStdString();
}

// The offline section, label for label, in order: a dropped or renamed check shows here.
const QStringList offlineLabels = {"右 ⌥ 显示名", "⌥Space 显示名", "修饰键单键有效", "无修饰字母键无效", "⌃⌥⌘ 组合显示",
    "快捷键序列化往返", "中英拼接加空格", "中文拼接不加空格", "清理 transcript 标签", "清理代码块",
    "拒绝明显过长的润色", "拒绝被总结的润色", "接受正常润色", "去掉末尾句号", "多句只去掉最后的句号", "英文末尾句号",
    "保留问号和感叹号", "保留省略号", "过滤单独的“嗯。”", "过滤“呃，啊”", "过滤英文 Um.", "保留“哈哈”", "保留“好的”",
    "保留“OK”", "噪声门：单次启动爆音不放行", "噪声门：持续说话放行并带上前置缓冲", "噪声门：打开后逐块直通",
    "识别终端场景", "识别微信场景", "识别 JetBrains 场景", "未知应用为通用"};

QStringList passed(const QStringList &labels)
{
    QStringList lines;
    for (const QString &label : labels)
        lines << "  ✅ " + label;
    return lines;
}

// A recognition session that answers at once: empty for the invalid key, a sentence otherwise.
class InstantSession final : public RecognitionSession {
public:
    explicit InstantSession(QString key)
        : key_(std::move(key))
    {
    }
    void connect() override { }
    void sendAudio(const QByteArray &) override { }
    void finish(double, std::function<void(FinishResult)> done) override
    {
        if (key_ == QStringLiteral("sk-quillo-selftest-invalid"))
            return done(unexpected(ASRError::server(QStringLiteral("denied"))));
        done(QString());
    }
    void cancel() override { }

private:
    QString key_;
};

// The outline of a whole run: section headers, language sub-headers and check labels
// (marks, details and printed paragraphs left out).
QStringList outline(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines) {
        if (line.startsWith("\n[") || line.startsWith("  — ") || line.startsWith("== ")) {
            out << line;
        } else if (line.startsWith("  ✅ ") || line.startsWith("  ❌ ")) {
            out << line.mid(4).section(" — ", 0, 0);
        }
    }
    return out;
}

class SelfTestRunnerRun : public ::testing::Test {
protected:
    SelfTestRunnerRun()
        : settings(defaults, credentials, login, scheduler)
    {
        scheduler.runDue();
    }

    QStringList run(const QString &key)
    {
        if (!key.isEmpty())
            credentials.plant(QString::fromLatin1(SecretStore::credentialService),
                QString::fromLatin1(SecretStore::apiKeyAccount), key.toUtf8());
        QStringList lines;
        auto runner = SelfTestRunner::create({"/nonexistent", {}, {}, false},
            {settings,
                [](const RecognitionSession::Config &config) -> std::unique_ptr<RecognitionSession> {
                    return std::make_unique<InstantSession>(config.apiKey);
                },
                [](const ChatRequest &request, ChatCompletion done) {
                    if (request.apiKey == QStringLiteral("sk-quillo-selftest-invalid"))
                        return done(unexpected(PolishError::http(401, QStringLiteral("denied"))));
                    done(QStringLiteral("好的。"));
                },
                scheduler, [&](const QString &line) { lines << line; }});
        std::optional<int> failed;
        runner->run([&](int n) { failed = n; });
        for (int i = 0; i < 2000 && !failed; ++i)
            scheduler.advance(100ms);
        EXPECT_TRUE(failed.has_value());
        return lines;
    }

    ManualScheduler scheduler;
    MemoryDefaultsStore defaults;
    MemoryCredentialStore credentials;
    FakeLoginItem login;
    AppSettings settings;
};

TEST_F(SelfTestRunnerRun, OfflineSectionChecksEveryRuleByItsLabel)
{
    const QStringList lines = run(QString());
    QStringList expected
        = {"== Quillo 自测 ==", "域名 dashscope.aliyuncs.com · 识别 qwen3-asr-flash-realtime · 润色 qwen-flash",
            "\n[1] 单元测试"};
    expected += passed(offlineLabels);
    expected += {"  ❌ API Key 已配置", QStringLiteral("== 结果：通过 %1，失败 1 ==").arg(offlineLabels.size())};
    EXPECT_EQ(lines, expected);
}

TEST_F(SelfTestRunnerRun, LiveSectionsInTheirOrderWithEveryLabel)
{
    const QStringList polish = {"改口与词库纠错", "词库纠错：SwiftUI", "防注入：翻译请求不被执行",
        "防注入：请求不被执行", "防注入：问题不被回答", "防注入：越狱语句原样保留", "编程场景保留英文标识符",
        "聊天场景保留语气词", "列举内容"};
    const QStringList perLanguage = {"改口+词库", "防注入：请求", "防注入：提问", "编程标识符", "聊天"};
    QStringList expected = {"== Quillo 自测 ==", "\n[1] 单元测试"};
    expected += offlineLabels;
    expected += {"\n[2] 实时语音识别", "short.wav 存在", "long.wav 存在", "纯静音返回空文本", "无效 Key 报错",
        "\n[3] AI 润色（模型 qwen-flash）"};
    expected += polish;
    expected += {"润色中位延迟 < 1500ms", "润色失败时回退原文", "\n[4] 翻译（模型 qwen-plus）", "英文识别",
        "英文中混大量中文判为不符", "日文需要假名", "越南语识别"};
    for (const char *language : {"英文", "日文", "越南语"})
        expected += QStringList{QStringLiteral("  — ") + QString::fromUtf8(language)} + perLanguage;
    expected += {"翻译中位延迟 < 1500ms", "  — 长段落自动分段", "兜底分段：长英文被切成多段",
        "兜底分段：不在 p.m. 处断句", "兜底分段：短句保持一行", "兜底分段：文档场景用空行分段",
        "兜底分段：长日文被切成多段", "EN 长段落译文自动分段", "JA 长段落译文自动分段", "VI 长段落译文自动分段",
        "翻译失败时回退原文", "切换顺序以默认语言开头", "\n[4] 端到端（识别 + 润色）",
        "short.wav：松开后到出字 < 2000ms", "coding.wav：松开后到出字 < 2000ms", "wechat.wav：松开后到出字 < 2000ms",
        "injection.wav：松开后到出字 < 2000ms"};
    QStringList got = outline(run(QStringLiteral("sk-live")));
    ASSERT_FALSE(got.isEmpty());
    const QString summary = got.takeLast();
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(summary.startsWith("== 结果：通过 ")) << summary.toStdString();
}

} // namespace
} // namespace quillo
