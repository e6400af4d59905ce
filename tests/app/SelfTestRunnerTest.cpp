#include "app/SelfTestRunner.h"
#include "app/SelfTestReport.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/fake/MemoryCredentialStore.h"
#include "platform/fake/MemoryDefaultsStore.h"
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

} // namespace
} // namespace quillo
