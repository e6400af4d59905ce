#include "UiFixture.h"
#include "platform/fake/FakeShortcutBindings.h"

#include "hotkeys/HotkeyRecorderModel.h"
#include "refinement/TextRules.h"
#include "ui/ConnectionTest.h"
#include "ui/HotkeyRecorderView.h"
#include "ui/PermissionRow.h"
#include "ui/SegmentedControl.h"
#include "ui/ServiceSection.h"
#include "ui/SettingsText.h"
#include "ui/SettingsView.h"
#include "ui/SettingsWindow.h"
#include "ui/ToggleSwitch.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace quillo {
namespace {

using namespace std::chrono_literals;
using testing::UiFixture;

// A chat service that answers when the test says so.
struct FakeChat {
    QList<ChatRequest> requests;
    QList<ChatCompletion> pending;

    ChatFunction function()
    {
        return [this](const ChatRequest &request, ChatCompletion done) {
            requests << request;
            pending << std::move(done);
        };
    }
};

struct SettingsFixture : UiFixture {
    FakeChat chat;
    QStringList opened;
    SettingsDeps deps()
    {
        return {settings, permissions, scheduler, chat.function(), nullptr, nullptr,
            [this](const QString &anchor) { opened << anchor; }};
    }
};

TEST(SettingsView, EveryControlWritesItsSetting)
{
    SettingsFixture env;
    SettingsView view(env.deps());
    AppSettings &s = env.settings;

    emit view.service()->hostField()->textEdited(QStringLiteral("example.com"));
    emit view.service()->asrModelField()->textEdited(QStringLiteral("asr-x"));
    emit view.service()->polishModelField()->textEdited(QStringLiteral("polish-x"));
    emit view.translateModelField()->textEdited(QStringLiteral("translate-x"));
    view.service()->languagePicker()->setCurrentIndex(2);
    emit view.service()->languagePicker()->activated(2);
    view.vocabularyEditor()->setPlainText(QStringLiteral("张三\nQuillo"));
    view.polishSwitch()->click();
    view.restoreClipboardSwitch()->click();
    view.playSoundsSwitch()->click();
    view.launchAtLoginSwitch()->click();
    emit view.targetPicker()->activated(1);
    view.triggerPicker()->setCurrentIndex(3);
    emit view.triggerPicker()->activated(3);
    view.toggleRecorder()->clearButton()->click();

    EXPECT_EQ(s.apiHost(), QStringLiteral("example.com"));
    EXPECT_EQ(s.asrModel(), QStringLiteral("asr-x"));
    EXPECT_EQ(s.polishModel(), QStringLiteral("polish-x"));
    EXPECT_EQ(s.translateModel(), QStringLiteral("translate-x"));
    EXPECT_EQ(s.language(), QStringLiteral("yue"));
    EXPECT_EQ(s.vocabulary(), QStringLiteral("张三\nQuillo"));
    EXPECT_FALSE(s.polishEnabled());
    EXPECT_FALSE(s.restoreClipboard());
    EXPECT_FALSE(s.playSounds());
    EXPECT_TRUE(env.loginItem.isEnabled());
    EXPECT_EQ(s.translateTarget(), TargetLanguage::japanese);
    EXPECT_EQ(s.translateTrigger(), TranslateTrigger::option);
    EXPECT_EQ(s.toggleHotkey(), std::nullopt);

    view.toggleRecorder()->restoreButton()->click();
    EXPECT_EQ(s.toggleHotkey(), defaultToggleHotkey);
    EXPECT_EQ(view.toggleRecorder()->mainButton()->text(), QStringLiteral("Alt+Space"));
}

TEST(SettingsView, FollowsSettingsChangedElsewhere)
{
    SettingsFixture env;
    SettingsView view(env.deps());
    env.settings.setApiHost(QStringLiteral("other.example"));
    env.settings.setPolishEnabled(false);
    env.settings.setTranslateTarget(TargetLanguage::vietnamese);
    EXPECT_EQ(view.service()->hostField()->text(), QStringLiteral("other.example"));
    EXPECT_FALSE(view.polishSwitch()->isChecked());
    EXPECT_EQ(view.targetPicker()->currentIndex(), 2);
}

TEST(SettingsView, SaveButtonRulesAndPlaceholder)
{
    SettingsFixture env;
    SettingsView view(env.deps());
    QLineEdit *field = view.service()->apiKeyField();
    QPushButton *save = view.service()->saveButton();
    EXPECT_EQ(field->placeholderText(), QStringLiteral("sk-…"));
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(view.service()->testButton()->isEnabled());

    field->setText(QStringLiteral(" \t "));
    EXPECT_FALSE(save->isEnabled());
    field->setText(QStringLiteral(" sk-new "));
    EXPECT_TRUE(save->isEnabled());
    save->click();
    env.scheduler.runDue();

    EXPECT_EQ(field->text(), QString());
    EXPECT_EQ(save->text(), QStringLiteral("已保存"));
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(field->placeholderText(), QStringLiteral("已保存，输入新值可替换"));
    EXPECT_TRUE(view.service()->testButton()->isEnabled());
    EXPECT_EQ(env.credentials.item(
                  QString::fromLatin1(SecretStore::credentialService), QString::fromLatin1(SecretStore::apiKeyAccount)),
        QByteArray("sk-new"));
}

TEST(SettingsView, FailedSaveKeepsTheTypedKeyAndSaysWhy)
{
    struct Case {
        const char *name;
        std::function<void(MemoryCredentialStore &)> arrange;
        QString problem;
    };
    const std::vector<Case> cases = {
        {"refused", [](MemoryCredentialStore &c) { c.setWritesFail(true); },
            QStringLiteral("保存失败：无法写入系统密钥环，请重试")},
        {"never answers", [](MemoryCredentialStore &c) { c.setMode(MemoryCredentialStore::Mode::hanging); },
            QStringLiteral("保存失败：系统密钥环没有响应，请确认它已解锁后重试")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SettingsFixture env;
        SettingsView view(env.deps());
        c.arrange(env.credentials);
        view.service()->apiKeyField()->setText(QStringLiteral("sk-lost?"));
        view.service()->saveButton()->click();
        env.scheduler.advance(SecretStore::defaultTimeout);
        EXPECT_EQ(view.service()->saveProblem(), c.problem);
        EXPECT_EQ(view.service()->apiKeyField()->text(), QStringLiteral("sk-lost?"));
        EXPECT_EQ(view.service()->saveButton()->text(), QStringLiteral("保存"));
        EXPECT_TRUE(view.service()->saveButton()->isEnabled());
        EXPECT_EQ(view.service()->apiKeyField()->placeholderText(), QStringLiteral("sk-…"));
    }
}

struct ReplyCase {
    const char *name;
    std::optional<QString> reply; // none: the exchange fails
    bool accepted;
};

class ConnectionTestTest : public ::testing::TestWithParam<ReplyCase> { };

TEST_P(ConnectionTestTest, ReportsOutcomeAndTime)
{
    SettingsFixture env;
    env.storeKey(QStringLiteral("sk-test"));
    SettingsView view(env.deps());
    view.service()->testButton()->click();
    EXPECT_EQ(view.service()->testButton()->text(), QStringLiteral("测试中…"));
    EXPECT_FALSE(view.service()->testButton()->isEnabled());
    ASSERT_EQ(env.chat.pending.size(), 1);
    const ChatRequest &request = env.chat.requests.first();
    EXPECT_EQ(request.apiKey, QStringLiteral("sk-test"));
    EXPECT_EQ(request.host, env.settings.normalizedHost());
    EXPECT_EQ(request.model, env.settings.polishModel());
    EXPECT_DOUBLE_EQ(request.temperature, 0.1);
    ASSERT_FALSE(request.messages.isEmpty());
    EXPECT_TRUE(request.messages.last().content.contains(ConnectionTest::testText()));

    env.scheduler.advance(250ms);
    const ReplyCase &c = GetParam();
    QString expected;
    if (!c.reply) {
        const PolishError error = PolishError::http(401, QStringLiteral("unauthorized"));
        env.chat.pending.takeFirst()(unexpected(error));
        expected = QStringLiteral("失败：") + error.description();
    } else {
        const Reason reason = checkPolish(ConnectionTest::testText(), cleanModelOutput(*c.reply));
        ASSERT_EQ(reason.has_value(), !c.accepted);
        env.chat.pending.takeFirst()(*c.reply);
        expected = c.accepted ? QStringLiteral("成功（250 ms）：") + cleanModelOutput(*c.reply)
                              : QStringLiteral("失败：") + *reason;
    }
    EXPECT_EQ(view.service()->testResult(), expected);
    EXPECT_EQ(view.service()->testButton()->text(), QStringLiteral("测试连接"));
    EXPECT_TRUE(view.service()->testButton()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Replies, ConnectionTestTest,
    ::testing::Values(ReplyCase{"accepted", QStringLiteral("测试一下连接"), true},
        ReplyCase{"rejected",
            QStringLiteral("好的，我已经收到你的测试请求。连接测试成功，请问还有什么需要帮助的吗？"
                           "我可以为你提供更多信息、解释和服务，随时告诉我。"),
            false},
        ReplyCase{"exchangeFailed", std::nullopt, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SettingsView, HotkeyWarnings)
{
    SettingsFixture env;
    SettingsView view(env.deps());
    EXPECT_TRUE(view.hotkeyWarning().isEmpty());
    EXPECT_TRUE(view.fnTip().isEmpty());
    env.settings.setToggleHotkey(defaultHoldHotkey);
    EXPECT_EQ(view.hotkeyWarning(), QStringLiteral("两个快捷键相同，免提切换不会生效"));
    env.settings.setHoldHotkey(Hotkey{63, modifierFlag::function, true});
    EXPECT_TRUE(view.hotkeyWarning().isEmpty());
    EXPECT_TRUE(view.fnTip().startsWith(QStringLiteral("使用 Fn 键时")));
}

TEST(SettingsView, ExplanationThirdLineOnlyWithATranslateHotkey)
{
    SettingsFixture env;
    SettingsView view(env.deps());
    QStringList lines = view.explanation();
    ASSERT_EQ(lines.size(), 3);
    // The trigger, the target, the cycle and the hands-free translate key come from the settings.
    EXPECT_TRUE(lines.at(0).contains(QStringLiteral("Shift")) && lines.at(0).contains(QStringLiteral("英文")));
    EXPECT_TRUE(lines.at(1).contains(env.settings.languageCycleText()));
    EXPECT_TRUE(lines.at(2).contains(QStringLiteral("Alt+Shift+Space")));
    env.settings.setToggleHotkey(Hotkey{61, modifierFlag::option, true});
    EXPECT_EQ(view.explanation().size(), 2);
}

TEST(SettingsView, PermissionsRefreshEveryOneAndAHalfSecondsWhileShown)
{
    SettingsFixture env;
    env.permissions.accessibility = false;
    env.permissions.microphone = MicrophoneAuthorization::notDetermined;
    SettingsView view(env.deps());
    view.show();
    EXPECT_FALSE(view.accessibilityRow()->isGranted());

    view.microphoneRow()->grantButton()->click();
    EXPECT_EQ(env.permissions.microphoneRequests, 1);
    EXPECT_TRUE(env.opened.isEmpty());
    view.accessibilityRow()->grantButton()->click();
    EXPECT_EQ(env.permissions.accessibilityPrompts, 1);
    EXPECT_EQ(env.opened, QStringList{QStringLiteral("Privacy_Accessibility")});

    env.permissions.accessibility = true;
    env.permissions.microphone = MicrophoneAuthorization::denied;
    view.microphoneRow()->grantButton()->click();
    EXPECT_EQ(env.opened.last(), QStringLiteral("Privacy_Microphone"));
    env.scheduler.advance(1499ms);
    EXPECT_FALSE(view.accessibilityRow()->isGranted());
    env.scheduler.advance(1ms);
    EXPECT_TRUE(view.accessibilityRow()->isGranted());

    // Hidden, nothing wakes up; shown again, the rows are current at once.
    view.hide();
    env.permissions.accessibility = false;
    env.scheduler.advance(3s);
    EXPECT_TRUE(view.accessibilityRow()->isGranted());
    view.show();
    EXPECT_FALSE(view.accessibilityRow()->isGranted());
}

// What each state of a portal desktop shows: granted or not, and whether there is anything to ask.
TEST(SettingsText, DesktopAccessRows)
{
    using K = DesktopAccess::Keyboard;
    using S = DesktopAccess::Shortcuts;
    struct Case {
        settingsText::PermissionRowText row;
        bool granted;
        const char *label; // granted label, or the button's
        const char *detailPart;
    };
    const Case cases[] = {
        {settingsText::shortcutsRow(S::bound), true, "已绑定", "已为 Quillo 绑定"},
        {settingsText::shortcutsRow(S::notBound), false, "重新绑定", "还没有"},
        {settingsText::shortcutsRow(S::unavailable), false, "", "quillo --start"},
        {settingsText::keyboardRow(K::virtualKeyboard), true, "可用", "虚拟键盘"},
        {settingsText::keyboardRow(K::remoteDesktop), true, "已授权", "远程桌面"},
        {settingsText::keyboardRow(K::notGranted), false, "重新请求", "只复制到剪贴板"},
        {settingsText::keyboardRow(K::unavailable), false, "", "Ctrl+V"},
    };
    for (const Case &c : cases) {
        const QString label = QString::fromUtf8(c.label);
        SCOPED_TRACE(c.row.detail.toStdString());
        EXPECT_EQ(c.row.granted, c.granted);
        EXPECT_EQ(c.granted ? c.row.grantedLabel : c.row.buttonLabel, label);
        EXPECT_TRUE(c.granted ? c.row.buttonLabel.isEmpty() : c.row.grantedLabel.isEmpty());
        EXPECT_TRUE(c.row.detail.contains(QString::fromUtf8(c.detailPart)));
    }
    EXPECT_EQ(settingsText::shortcutsRow(S::bound).title, QStringLiteral("全局快捷键"));
    EXPECT_EQ(settingsText::keyboardRow(K::unavailable).title, QStringLiteral("键盘输入"));
}

TEST(SettingsView, PortalDesktopsShowShortcutAndKeyboardRowsThatAskAgain)
{
    SettingsFixture env;
    SettingsView x11(env.deps());
    EXPECT_NE(x11.accessibilityRow(), nullptr);
    EXPECT_EQ(x11.shortcutsPermissionRow(), nullptr);
    EXPECT_EQ(x11.keyboardPermissionRow(), nullptr);

    env.permissions.access = DesktopAccess{DesktopAccess::Shortcuts::notBound, DesktopAccess::Keyboard::notGranted};
    SettingsView view(env.deps());
    view.show();
    EXPECT_EQ(view.accessibilityRow(), nullptr);
    PermissionRow *shortcuts = view.shortcutsPermissionRow();
    PermissionRow *keyboard = view.keyboardPermissionRow();
    ASSERT_TRUE(shortcuts && keyboard);
    EXPECT_FALSE(shortcuts->isGranted());
    EXPECT_EQ(shortcuts->grantButton()->text(), QStringLiteral("重新绑定"));
    shortcuts->grantButton()->click();
    keyboard->grantButton()->click();
    EXPECT_EQ(env.permissions.shortcutAsks, 1);
    EXPECT_EQ(env.permissions.keyboardAsks, 1);
    EXPECT_EQ(env.permissions.accessibilityPrompts, 0);

    // The desktop answered: the refresh shows it; a desktop without the portal has nothing to ask.
    env.permissions.access
        = DesktopAccess{DesktopAccess::Shortcuts::unavailable, DesktopAccess::Keyboard::remoteDesktop};
    env.scheduler.advance(1500ms);
    EXPECT_TRUE(keyboard->isGranted());
    EXPECT_FALSE(shortcuts->isGranted());
    EXPECT_TRUE(shortcuts->grantButton()->isHidden());
}

TEST(HotkeyRecorderView, MainButtonCapturesUntilClickedAgainOrHidden)
{
    std::optional<Hotkey> written = defaultHoldHotkey;
    HotkeyRecorderView view(
        defaultHoldHotkey, [&written](const std::optional<Hotkey> &h) { written = h; }, nullptr, nullptr);
    view.setHotkey(written);
    EXPECT_EQ(view.mainButton()->text(), QStringLiteral("右 Alt"));
    EXPECT_EQ(view.restoreButton()->toolTip(), QStringLiteral("恢复默认（右 Alt）"));
    EXPECT_EQ(view.clearButton()->toolTip(), QStringLiteral("清除"));

    view.mainButton()->click();
    EXPECT_TRUE(view.model().isRecording());
    EXPECT_EQ(view.mainButton()->text(), QStringLiteral("请按键…"));
    EXPECT_EQ(view.hintText(), HotkeyRecorderModel::startHint());
    view.mainButton()->click();
    EXPECT_FALSE(view.model().isRecording());
    EXPECT_EQ(view.hintText(), HotkeyRecorderModel::startHint()); // the hint stays

    view.show();
    view.mainButton()->click();
    view.hide();
    EXPECT_FALSE(view.model().isRecording());

    view.clearButton()->click();
    EXPECT_EQ(written, std::nullopt);
    view.setHotkey(written);
    EXPECT_EQ(view.mainButton()->text(), QStringLiteral("未设置"));
}

TEST(SettingsWindowController, OpensOneWindowAndBringsItBack)
{
    SettingsFixture env;
    SettingsWindowController controller(env.deps());
    EXPECT_EQ(controller.window(), nullptr);
    controller.show();
    SettingsWindow *first = controller.window();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Quillo 设置"));
    EXPECT_EQ(first->size(), QSize(560, 640));
    first->close();
    EXPECT_FALSE(first->isVisible());
    controller.show();
    EXPECT_EQ(controller.window(), first);
    EXPECT_TRUE(first->isVisible());
}

} // namespace
} // namespace quillo

namespace quillo {
namespace {

TEST(SettingsView, OneConnectionTestAtATimeAndNoneWithoutAKey)
{
    SettingsFixture env;
    SettingsView view(env.deps());
    view.service()->testButton()->click();
    EXPECT_TRUE(env.chat.requests.isEmpty()) << "disabled without a stored key";
    env.storeKey(QStringLiteral("sk-test"));
    view.service()->testButton()->click();
    view.service()->testButton()->click();
    EXPECT_EQ(env.chat.requests.size(), 1);
}

TEST(SettingsView, DesktopBoundShortcutsAreShownAndChangedInTheDesktopsDialog)
{
    SettingsFixture env;
    FakeShortcutBindings bindings;
    bindings.triggers = {{1, QStringLiteral("Alt_R")}, {101, QStringLiteral("Escape")}};
    SettingsView view(env.deps());
    EXPECT_TRUE(view.boundTriggersText().isEmpty());
    view.setShortcutBindings(&bindings);
    EXPECT_EQ(view.boundTriggersText(),
        QStringLiteral("桌面实际绑定：按住说话 Alt_R · 免提切换 未绑定 · 翻译 未绑定 · 取消 Escape"));

    view.holdRecorder()->mainButton()->click();
    view.toggleRecorder()->mainButton()->click();
    EXPECT_EQ(bindings.configureCount, 2);
    EXPECT_FALSE(view.holdRecorder()->model().isRecording()) << "the desktop's dialog instead of recording";

    bindings.triggers[2] = QStringLiteral("Ctrl+Space");
    view.show();
    EXPECT_TRUE(view.boundTriggersText().contains(QStringLiteral("免提切换 Ctrl+Space")));
    view.hide();

    bindings.configurable = false;
    view.setShortcutBindings(&bindings);
    view.holdRecorder()->mainButton()->click();
    EXPECT_EQ(bindings.configureCount, 2);
    EXPECT_TRUE(view.holdRecorder()->model().isRecording()) << "without a dialog the keys are recorded";
    view.holdRecorder()->mainButton()->click();
}

TEST(SettingsView, KeepsALanguageCodeItDoesNotOffer)
{
    SettingsFixture env;
    env.settings.setLanguage(QStringLiteral("ja"));
    SettingsView view(env.deps());
    EXPECT_EQ(view.service()->languagePicker()->currentData().toString(), QStringLiteral("ja"));
    EXPECT_EQ(env.settings.language(), QStringLiteral("ja"));
}

} // namespace
} // namespace quillo
