#include "UiFixture.h"
#include "platform/fake/FakeShortcutBindings.h"

#include "ui/HistoryRow.h"
#include "ui/KeptRecordingsList.h"
#include "ui/MenuContent.h"
#include "ui/SegmentedControl.h"
#include "ui/ShortcutRow.h"
#include "ui/ToggleSwitch.h"
#include "ui/TrayIcon.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace quillo {
namespace {

using testing::UiFixture;

struct StatusCase {
    const char *name;
    DictationPhase phase;
    QString status;
    QString button;
};

class MenuStatusTest : public ::testing::TestWithParam<StatusCase> { };

TEST_P(MenuStatusTest, StatusLineAndButtonFollowThePhase)
{
    UiFixture env;
    MenuContent menu(env.settings, env.history, env.permissions, {});
    menu.setPhase(GetParam().phase);
    EXPECT_EQ(menu.statusText(), GetParam().status);
    EXPECT_EQ(menu.toggleText(), GetParam().button);
}

const QString ready = QStringLiteral("就绪 · 在任意输入框中按快捷键说话");

INSTANTIATE_TEST_SUITE_P(Phases, MenuStatusTest,
    ::testing::Values(StatusCase{"idle", DictationPhase::idle(), ready, "开始"},
        StatusCase{"recording", DictationPhase::recording(), "录音中…", "结束"},
        StatusCase{"transcribing", DictationPhase::transcribing(), "识别中…", "开始"},
        StatusCase{"polishing", DictationPhase::polishing(), "润色中…", "开始"},
        StatusCase{"done", DictationPhase::done("好"), ready, "开始"},
        StatusCase{"failed", DictationPhase::failed("网络连接失败"), "网络连接失败", "开始"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MenuContent, ShortcutsFollowTheSettings)
{
    UiFixture env;
    MenuContent menu(env.settings, env.history, env.permissions, {});
    auto values = [&menu] {
        QStringList v;
        for (const ShortcutRow *row : menu.shortcutRows())
            v << row->value();
        return v;
    };
    EXPECT_EQ(values(), (QStringList{"右 Alt", "Alt+Space", "轻点 Shift", "Esc"}));
    env.settings.setToggleHotkey(std::nullopt);
    env.settings.setTranslateTrigger(TranslateTrigger::command);
    EXPECT_EQ(values(), (QStringList{"右 Alt", "未设置", "轻点 Super", "Esc"}));
}

TEST(MenuContent, ShowsTheTriggersTheDesktopBound)
{
    UiFixture env;
    FakeShortcutBindings bindings;
    bindings.triggers
        = {{1, QStringLiteral("Alt_R")}, {2, QStringLiteral("Ctrl+Space")}, {101, QStringLiteral("Escape")}};
    MenuContent menu(env.settings, env.history, env.permissions, {});
    menu.setShortcutBindings(&bindings);
    auto values = [&menu] {
        QStringList v;
        for (const ShortcutRow *row : menu.shortcutRows())
            v << row->value();
        return v;
    };
    EXPECT_EQ(values(), (QStringList{"Alt_R", "Ctrl+Space", "未绑定", "Escape"}));
    bindings.triggers[102] = QStringLiteral("Shift_L");
    bindings.triggers.erase(2);
    menu.refresh();
    EXPECT_EQ(values(), (QStringList{"Alt_R", "未绑定", "Shift_L", "Escape"}));
    menu.setShortcutBindings(nullptr);
    EXPECT_EQ(values(), (QStringList{"右 Alt", "Alt+Space", "轻点 Shift", "Esc"}));
}

TEST(MenuContent, EmptyHistoryHintNamesTheHoldKey)
{
    UiFixture env;
    MenuContent menu(env.settings, env.history, env.permissions, {});
    EXPECT_EQ(menu.historyHint(), QStringLiteral("还没有记录。按住 右 Alt 说话试试。"));
    env.settings.setHoldHotkey(std::nullopt);
    EXPECT_EQ(menu.historyHint(), QStringLiteral("还没有记录。按住 快捷键 说话试试。"));
    env.addEntry(1);
    EXPECT_TRUE(menu.historyHint().isEmpty());
    EXPECT_EQ(menu.historyRows().size(), 1);
}

TEST(MenuContent, ListsTheFiveNewestAndCopiesTheDeliveredText)
{
    UiFixture env;
    QStringList copied;
    MenuActions actions;
    actions.copyText = [&copied](const QString &text) { copied << text; };
    MenuContent menu(env.settings, env.history, env.permissions, actions);
    for (int i = 1; i <= 12; ++i)
        env.addEntry(i);
    const QList<HistoryRow *> rows = menu.historyRows();
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows.first()->text(), QStringLiteral("成稿12"));
    EXPECT_EQ(rows.last()->text(), QStringLiteral("成稿8"));
    EXPECT_EQ(rows.first()->note(), QStringLiteral("应用12"));

    rows.at(1)->click();
    EXPECT_EQ(copied, QStringList{QStringLiteral("成稿11")});
    EXPECT_EQ(rows.at(1)->note(), QStringLiteral("已复制"));
    rows.at(3)->click();
    EXPECT_EQ(copied.last(), QStringLiteral("成稿9"));
    EXPECT_EQ(rows.at(1)->note(), QStringLiteral("应用11"));
    EXPECT_EQ(rows.at(3)->note(), QStringLiteral("已复制"));

    // A new dictation shifts the list; the mark stays with its entry.
    env.addEntry(13);
    EXPECT_EQ(menu.historyRows().at(4)->note(), QStringLiteral("已复制"));
}

TEST(MenuContent, WarningsOnlyForWhatIsMissing)
{
    UiFixture env;
    MenuContent menu(env.settings, env.history, env.permissions, {});
    const QString noKey = QStringLiteral("尚未配置千问 API Key");
    const QString untrusted = QStringLiteral("尚未授予辅助功能权限，无法自动输入文字");
    EXPECT_EQ(menu.warnings(), QStringList{noKey});
    env.permissions.accessibility = false;
    menu.refresh();
    EXPECT_EQ(menu.warnings(), (QStringList{noKey, untrusted}));
    env.storeKey(QStringLiteral("sk-test"));
    EXPECT_EQ(menu.warnings(), QStringList{untrusted});
    env.permissions.accessibility = true;
    menu.refresh();
    EXPECT_TRUE(menu.warnings().isEmpty());

    // A settings file that cannot be written shows until a write succeeds again.
    const QString notSaved = QStringLiteral("无法保存设置（磁盘已满或只读），更改暂存在内存中");
    menu.setSettingsWriteFailed(true);
    EXPECT_EQ(menu.warnings(), QStringList{notSaved});
    env.permissions.accessibility = false;
    menu.refresh();
    EXPECT_EQ(menu.warnings(), (QStringList{untrusted, notSaved}));
    env.permissions.accessibility = true;
    menu.setSettingsWriteFailed(false);
    menu.refresh();
    EXPECT_TRUE(menu.warnings().isEmpty());

    // A settings file found damaged at start: where its bytes went, for the whole run.
    menu.setSettingsDamaged(QStringLiteral("/home/u/.config/q.conf.unreadable"));
    menu.refresh();
    ASSERT_EQ(menu.warnings().size(), 1);
    EXPECT_TRUE(menu.warnings().first().startsWith(QStringLiteral("设置文件已损坏")));
    EXPECT_EQ(menu.warnings().first().remove(QChar(0x200B)).section(QStringLiteral("另存为 "), 1),
        QStringLiteral("/home/u/.config/q.conf.unreadable"));
}

TEST(MenuContent, ControlsWriteTheSettingsAndRunTheActions)
{
    UiFixture env;
    int toggles = 0, settingsOpened = 0, quits = 0;
    MenuContent menu(env.settings, env.history, env.permissions,
        {[&] { ++toggles; }, [&] { ++settingsOpened; }, [&] { ++quits; }, {}, {}, {}});
    menu.polishSwitch()->click();
    EXPECT_FALSE(env.settings.polishEnabled());
    emit menu.targetPicker()->activated(2);
    EXPECT_EQ(env.settings.translateTarget(), TargetLanguage::vietnamese);
    env.settings.setTranslateTarget(TargetLanguage::japanese);
    EXPECT_EQ(menu.targetPicker()->currentIndex(), 1);
    menu.toggleButton()->click();
    menu.settingsButton()->click();
    menu.quitButton()->click();
    EXPECT_EQ(std::tie(toggles, settingsOpened, quits), std::make_tuple(1, 1, 1));
}

} // namespace
} // namespace quillo

namespace quillo {
namespace {

TEST(MenuContent, ListsTheKeptRecordingsWithRetryAndRemove)
{
    UiFixture env;
    QStringList asked;
    MenuActions actions;
    actions.retryRecording = [&](const QString &id) { asked.append(QStringLiteral("retry ") + id); };
    actions.removeRecording = [&](const QString &id) { asked.append(QStringLiteral("remove ") + id); };
    MenuContent menu(env.settings, env.history, env.permissions, std::move(actions));
    KeptRecordingsList *list = menu.keptRecordings();
    EXPECT_TRUE(list->isHidden());

    const QDateTime today = QDateTime(QDate::currentDate(), QTime(14, 5));
    FailedRecording newer{QStringLiteral("b"), today.toUTC(), 75 * 32000, AppStyle::chat, std::nullopt, false,
        QStringLiteral("我们明天下午四点在三楼开会讨论")};
    FailedRecording older{QStringLiteral("a"), QDateTime(QDate(2026, 3, 1), QTime(9, 30)).toUTC(), 12 * 32000 + 900,
        AppStyle::general, std::nullopt, false, {}};
    menu.setKeptRecordings({newer, older});
    EXPECT_FALSE(list->isHidden());
    EXPECT_EQ(list->lines(),
        (QStringList{QStringLiteral("1:15 · 14:05 · 我们明天下午四点…"), QStringLiteral("0:12 · 03-01 09:30")}));
    list->retryButtons().at(1)->click();
    list->removeButtons().at(0)->click();
    EXPECT_EQ(asked, (QStringList{QStringLiteral("retry a"), QStringLiteral("remove b")}));

    menu.setPhase(DictationPhase::transcribing());
    EXPECT_FALSE(list->retryButtons().at(0)->isEnabled());
    EXPECT_TRUE(list->removeButtons().at(0)->isEnabled());
    menu.setPhase(DictationPhase::failed(QStringLiteral("识别超时")));
    EXPECT_TRUE(list->retryButtons().at(0)->isEnabled());
    menu.setKeptRecordings({});
    EXPECT_TRUE(list->isHidden());
}

TEST(HistoryRow, LongTextIsCutBetweenCharacters)
{
    const QString a119 = QString(119, u'a');
    const std::vector<std::pair<QString, QString>> cases = {
        {QString(120, u'a'), QString(120, u'a')},
        // The 120th character is an emoji: kept whole, never half a surrogate pair.
        {a119 + QString::fromUtf8("😀🇯🇵b"), a119 + QString::fromUtf8("😀…")},
        {a119 + QString::fromUtf8("🇯🇵🇨🇳"), a119 + QString::fromUtf8("🇯🇵…")},
        {QStringLiteral("  line one\nline two  "), QStringLiteral("line one line two")},
    };
    for (const auto &[text, shown] : cases) {
        HistoryRow row(text, QStringLiteral("微信"));
        EXPECT_EQ(row.shownText(), shown) << text.toStdString();
    }
}

TEST(TrayIcon, SymbolFollowsThePhase)
{
    const std::vector<std::pair<DictationPhase, TraySymbol>> cases
        = {{DictationPhase::idle(), TraySymbol::waveform}, {DictationPhase::recording(), TraySymbol::recording},
            {DictationPhase::transcribing(), TraySymbol::busy}, {DictationPhase::polishing(), TraySymbol::busy},
            {DictationPhase::done("x"), TraySymbol::waveform}, {DictationPhase::failed("x"), TraySymbol::waveform}};
    for (const auto &[phase, symbol] : cases)
        EXPECT_EQ(TrayIcon::symbolFor(phase), symbol) << static_cast<int>(phase.kind());
    EXPECT_FALSE(TrayIcon::iconFor(TraySymbol::busy).isNull());
}

} // namespace
} // namespace quillo
