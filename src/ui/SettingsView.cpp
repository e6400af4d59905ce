#include "ui/SettingsView.h"

#include "hotkeys/HotkeyManager.h"
#include "platform/InputMethodBridge.h"
#include "platform/Permissions.h"
#include "platform/ShortcutBindings.h"
#include "settings/AppSettings.h"
#include "ui/ConnectionTest.h"
#include "ui/HotkeyRecorderView.h"
#include "ui/PermissionRow.h"
#include "ui/SegmentedControl.h"
#include "ui/ServiceSection.h"
#include "ui/SettingsLayout.h"
#include "ui/SettingsText.h"
#include "ui/Theme.h"
#include "ui/ToggleSwitch.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillo {

namespace {

using namespace std::chrono_literals;
using namespace settingsLayout;

constexpr auto permissionRefresh = 1500ms;

} // namespace

SettingsView::SettingsView(SettingsDeps deps, QWidget *parent)
    : QWidget(parent)
    , deps_(std::move(deps))
    , settings_(deps_.settings)
{
    setFixedWidth(formWidth);
    setAutoFillBackground(true);
    auto *form = new QVBoxLayout(this);
    form->setContentsMargins(20, 20, 20, 20);
    form->setSpacing(18);
    form->addWidget(hotkeySection());
    service_ = new ServiceSection(settings_, deps_.scheduler, deps_.chat, this);
    form->addWidget(service_);
    form->addWidget(polishSection());
    form->addWidget(translationSection());
    form->addWidget(generalSection());
    form->addWidget(inputMethodSection());
    form->addWidget(permissionSection());
    form->addStretch(1);
    bindSettings();
    refreshPermissions();
    restyle();
}

SettingsView::~SettingsView() = default;

void SettingsView::showEvent(QShowEvent *event)
{
    deps_.settings.refreshAPIKey();
    refreshPermissions();
    refresh_ = deps_.scheduler.every(permissionRefresh, [this] { refreshPermissions(); });
    QWidget::showEvent(event);
}

void SettingsView::hideEvent(QHideEvent *event)
{
    refresh_.cancel();
    QWidget::hideEvent(event);
}

QWidget *SettingsView::hotkeySection()
{
    auto recorderRow = [this](const QString &title, const QString &secondary, const QString &tertiary,
                           HotkeyRecorderView *recorder) {
        auto *row = new QWidget(this);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(12);
        layout->addWidget(
            column(
                {text(title, theme::body(), row), caption(secondary, 0.6, row), caption(tertiary, 0.4, row)}, 3, row),
            1);
        recorder->setParent(row);
        layout->addWidget(recorder, 0, Qt::AlignTop);
        return row;
    };
    holdRecorder_ = new HotkeyRecorderView(
        defaultHoldHotkey, [this](const std::optional<Hotkey> &h) { settings_.setHoldHotkey(h); }, deps_.hotkeys,
        deps_.translator, this);
    toggleRecorder_ = new HotkeyRecorderView(
        defaultToggleHotkey, [this](const std::optional<Hotkey> &h) { settings_.setToggleHotkey(h); }, deps_.hotkeys,
        deps_.translator, this);
    sameWarning_ = warning(this);
    fnTip_ = caption(QString(), 0.6, this);
    boundTriggers_ = caption(QString(), 0.6, this);
    boundTriggers_->setWordWrap(true);
    boundTriggers_->hide();
    return section(QCoreApplication::translate("Settings", "快捷键"),
        {recorderRow(QCoreApplication::translate("Settings", "按住说话"),
             QCoreApplication::translate("Settings", "按住期间录音，一松手就结束并输入文字。"),
             QCoreApplication::translate("Settings", "适合一两句话的短回复、给 Claude Code 下指令。"), holdRecorder_),
            recorderRow(QCoreApplication::translate("Settings", "免提切换"),
                QCoreApplication::translate("Settings", "按一次开始录音，之后可以松手；再按一次才结束并输入文字。"),
                QCoreApplication::translate("Settings", "适合长段口述。正在按住说话时点一下它，可转为免提继续说。"),
                toggleRecorder_),
            sameWarning_, fnTip_, boundTriggers_},
        this);
}

void SettingsView::setShortcutBindings(ShortcutBindings *bindings)
{
    bindings_ = bindings;
    std::function<void()> openDialog;
    if (bindings_ && bindings_->canConfigure())
        openDialog = [this] { bindings_->configure(); };
    holdRecorder_->setMainAction(openDialog);
    toggleRecorder_->setMainAction(openDialog);
    updateBoundTriggers();
}

// The desktop may have bound other triggers than the stored hotkeys, or none.
void SettingsView::updateBoundTriggers()
{
    if (!bindings_) {
        boundTriggers_->hide();
        return;
    }
    const auto shown = [this](std::uint32_t id) {
        const QString trigger = bindings_->boundTrigger(id);
        return trigger.isEmpty() ? QCoreApplication::translate("Settings", "未绑定") : trigger;
    };
    QString text
        = QCoreApplication::translate("Settings", "桌面实际绑定：按住说话 %1 · 免提切换 %2 · 翻译 %3 · 取消 %4")
              .arg(shown(rawValue(HotkeySlot::hold)), shown(rawValue(HotkeySlot::toggle)),
                  shown(HotkeyManager::translateHotKeyId), shown(HotkeyManager::cancelHotKeyId));
    // No portal call renames a shortcut the desktop knows (GNOME keeps the first names).
    if (bindings_->namedOtherwise())
        text += QLatin1Char('\n')
            + QCoreApplication::translate(
                "Settings", "桌面的快捷键设置仍用首次启动时的语言显示这些快捷键的名称，Quillo 无法更改");
    boundTriggers_->setText(text);
    boundTriggers_->show();
}

QString SettingsView::boundTriggersText() const
{
    return boundTriggers_->isHidden() ? QString() : boundTriggers_->text();
}

QWidget *SettingsView::polishSection()
{
    polish_ = new ToggleSwitch(QCoreApplication::translate("Settings", "启用 AI 润色"), this);
    polish_->setFont(theme::body());
    vocabulary_ = new QPlainTextEdit(this);
    vocabulary_->setFont(theme::body());
    vocabulary_->setFixedHeight(80);
    vocabulary_->setObjectName(QStringLiteral("vocabulary"));
    return section(QCoreApplication::translate("Settings", "AI 润色"),
        {polish_,
            column({text(QCoreApplication::translate("Settings", "个人词库"), theme::body(), this),
                       caption(QCoreApplication::translate("Settings",
                                   "每行一个专有名词，润色时会优先使用这些写法，例如人名、产品名、技术术语"),
                           0.6, this),
                       vocabulary_},
                4, this)},
        this);
}

QWidget *SettingsView::translationSection()
{
    QStringList names;
    for (const TargetLanguage language : allTargetLanguages)
        names.append(shownName(language));
    target_ = new SegmentedControl(names, this);
    trigger_ = new QComboBox(this);
    for (const TranslateTrigger trigger : allTranslateTriggers)
        trigger_->addItem(settingsText::triggerPickerLabel(trigger), rawValue(trigger));
    translateModel_ = new QLineEdit(this);
    translateModel_->setMinimumWidth(240);
    QList<QWidget *> lines;
    for (int i = 0; i < 3; ++i) {
        QLabel *line = caption(QString(), 0.6, this);
        explanation_.append(line);
        lines.append(line);
    }
    return section(QCoreApplication::translate("Settings", "翻译"),
        {formRow(QCoreApplication::translate("Settings", "默认目标语言"), target_, this),
            formRow(QCoreApplication::translate("Settings", "翻译触发键"), trigger_, this),
            formRow(QCoreApplication::translate("Settings", "翻译模型"), translateModel_, this),
            column(lines, 4, this)},
        this);
}

QWidget *SettingsView::generalSection()
{
    restoreClipboard_ = new ToggleSwitch(QCoreApplication::translate("Settings", "输入后恢复原剪贴板内容"), this);
    playSounds_ = new ToggleSwitch(QCoreApplication::translate("Settings", "开始 / 结束录音时播放提示音"), this);
    launchAtLogin_ = new ToggleSwitch(QCoreApplication::translate("Settings", "登录时自动启动"), this);
    for (ToggleSwitch *toggle : {restoreClipboard_, playSounds_, launchAtLogin_})
        toggle->setFont(theme::body());
    return section(
        QCoreApplication::translate("Settings", "通用"), {restoreClipboard_, playSounds_, launchAtLogin_}, this);
}

QWidget *SettingsView::inputMethodSection()
{
    liveText_ = new ToggleSwitch(QCoreApplication::translate("Settings", "说话时在输入框里显示识别中的文字"), this);
    liveText_->setFont(theme::body());
    inputMethodState_ = caption(QString(), 0.6, this);
    QLabel *explanation = caption(QCoreApplication::translate("Settings",
                                      "装好 Quillo 的 fcitx5 插件后，文字由输入法直接写进输入框，不经过剪贴板；"
                                      "识别中的文字带下划线，说完后换成最终结果。"),
        0.6, this);
    return section(QCoreApplication::translate("Settings", "输入法"),
        {liveText_, column({inputMethodState_, explanation}, 4, this)}, this);
}

void SettingsView::showInputMethodState()
{
    const QString absent = QCoreApplication::translate("Settings", "未找到 Quillo 的 fcitx5 插件：文字经剪贴板粘贴");
    if (!deps_.inputMethod) {
        inputMethodState_->setText(absent);
        return;
    }
    inputMethodState_->setText(QCoreApplication::translate("Settings", "正在询问输入法…"));
    deps_.inputMethod->probe([label = QPointer<QLabel>(inputMethodState_), absent](bool answers) {
        if (label)
            label->setText(answers
                    ? QCoreApplication::translate("Settings", "输入法通道已启用：文字经 fcitx5 写入输入框")
                    : absent);
    });
}

QWidget *SettingsView::permissionSection()
{
    Permissions &permissions = deps_.permissions;
    microphone_ = new PermissionRow(QCoreApplication::translate("Settings", "麦克风"),
        QCoreApplication::translate("Settings", "用于录制语音"), [this, &permissions] {
            if (permissions.microphoneAuthorization() == MicrophoneAuthorization::notDetermined) {
                permissions.requestMicrophoneAccess();
                return;
            }
            if (deps_.openPrivacySettings)
                deps_.openPrivacySettings(QStringLiteral("Privacy_Microphone"));
        });
    if (permissions.desktopAccess()) {
        // The desktop grants shortcuts and keystrokes through its own dialogs: one row for each.
        shortcutsAccess_ = new PermissionRow(
            settingsText::shortcutsRow({}).title, QString(), [&permissions] { permissions.askForShortcuts(); });
        keyboardAccess_ = new PermissionRow(
            settingsText::keyboardRow({}).title, QString(), [&permissions] { permissions.askForKeyboard(); });
        return section(
            QCoreApplication::translate("Settings", "权限"), {microphone_, shortcutsAccess_, keyboardAccess_}, this);
    }
    accessibility_ = new PermissionRow(QCoreApplication::translate("Settings", "辅助功能"),
        QCoreApplication::translate("Settings", "用于监听快捷键和把文字输入到光标处"), [this, &permissions] {
            permissions.promptForAccessibility();
            if (deps_.openPrivacySettings)
                deps_.openPrivacySettings(QStringLiteral("Privacy_Accessibility"));
        });
    return section(QCoreApplication::translate("Settings", "权限"), {microphone_, accessibility_}, this);
}

void SettingsView::bindSettings()
{
    AppSettings &s = settings_;
    auto showTexts = [this, &s] {
        setTextIfChanged(translateModel_, s.translateModel());
        if (vocabulary_->toPlainText() != s.vocabulary())
            vocabulary_->setPlainText(s.vocabulary());
        polish_->setChecked(s.polishEnabled());
        restoreClipboard_->setChecked(s.restoreClipboard());
        playSounds_->setChecked(s.playSounds());
        liveText_->setChecked(s.liveTextInField());
        target_->setCurrentIndex(static_cast<int>(s.translateTarget()));
        trigger_->setCurrentIndex(trigger_->findData(rawValue(s.translateTrigger())));
    };
    showTexts();
    launchAtLogin_->setChecked(s.launchAtLogin());
    showInputMethodState();
    updateHotkeys();
    updateExplanation();

    connect(translateModel_, &QLineEdit::textEdited, &s, &AppSettings::setTranslateModel);
    connect(vocabulary_, &QPlainTextEdit::textChanged, this, [this] {
        if (vocabulary_->toPlainText() != settings_.vocabulary())
            settings_.setVocabulary(vocabulary_->toPlainText());
    });
    connect(polish_, &ToggleSwitch::clicked, &s, &AppSettings::setPolishEnabled);
    connect(restoreClipboard_, &ToggleSwitch::clicked, &s, &AppSettings::setRestoreClipboard);
    connect(playSounds_, &ToggleSwitch::clicked, &s, &AppSettings::setPlaySounds);
    connect(liveText_, &ToggleSwitch::clicked, &s, &AppSettings::setLiveTextInField);
    // The switch keeps the user's choice even when the desktop refuses it.
    connect(launchAtLogin_, &ToggleSwitch::clicked, &s, &AppSettings::setLaunchAtLogin);
    connect(target_, &SegmentedControl::activated, this,
        [this](int index) { settings_.setTranslateTarget(allTargetLanguages.at(static_cast<size_t>(index))); });
    connect(trigger_, &QComboBox::activated, this, [this](int index) {
        if (const auto trigger = translateTriggerFromRaw(trigger_->itemData(index).toString()))
            settings_.setTranslateTrigger(*trigger);
    });

    connect(&s, &AppSettings::changed, this, [this, showTexts](const QString &key) {
        showTexts();
        if (key == QLatin1String(settingsKey::holdHotkey) || key == QLatin1String(settingsKey::toggleHotkey))
            updateHotkeys();
        updateExplanation();
    });
}

void SettingsView::updateHotkeys()
{
    const auto hold = settings_.holdHotkey();
    const auto toggle = settings_.toggleHotkey();
    holdRecorder_->setHotkey(hold);
    toggleRecorder_->setHotkey(toggle);
    const QString same = settingsText::sameHotkeysWarning(hold, toggle);
    sameWarning_->setText(same);
    sameWarning_->setHidden(same.isEmpty());
    const QString fn = settingsText::fnKeyTip(hold, toggle);
    fnTip_->setText(fn);
    fnTip_->setHidden(fn.isEmpty());
}

void SettingsView::updateExplanation()
{
    const QStringList lines
        = settingsText::translationExplanation(settings_.translateTrigger(), settings_.translateTarget(),
            settingsText::languageCycleText(settings_.translateTarget()), settings_.translateHotkey());
    for (int i = 0; i < explanation_.size(); ++i) {
        explanation_.at(i)->setText(i < lines.size() ? lines.at(i) : QString());
        explanation_.at(i)->setHidden(i >= lines.size());
    }
}

void SettingsView::refreshPermissions()
{
    microphone_->setGranted(deps_.permissions.microphoneAuthorization() == MicrophoneAuthorization::authorized);
    if (accessibility_)
        accessibility_->setGranted(deps_.permissions.isAccessibilityTrusted());
    if (const auto access = deps_.permissions.desktopAccess(); access && shortcutsAccess_) {
        const auto show = [](PermissionRow *row, const settingsText::PermissionRowText &text) {
            row->setTexts(text.detail, text.grantedLabel, text.buttonLabel);
            row->setGranted(text.granted);
        };
        show(shortcutsAccess_, settingsText::shortcutsRow(access->shortcuts));
        show(keyboardAccess_, settingsText::keyboardRow(access->keyboard));
    }
    // The desktop reports rebound triggers at any time; they are read with the permissions.
    updateBoundTriggers();
}

QString SettingsView::hotkeyWarning() const
{
    return sameWarning_->isHidden() ? QString() : sameWarning_->text();
}

QString SettingsView::fnTip() const
{
    return fnTip_->isHidden() ? QString() : fnTip_->text();
}

QStringList SettingsView::explanation() const
{
    QStringList lines;
    for (const QLabel *line : explanation_) {
        if (!line->isHidden())
            lines.append(line->text());
    }
    return lines;
}

void SettingsView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        theme::restyleOnce(*this, [this] { restyle(); });
    QWidget::changeEvent(event);
}

void SettingsView::restyle()
{
    const QPalette p = palette();
    const QColor card = theme::isDark(p) ? QColor(52, 52, 56) : QColor(Qt::white);
    const QString sheet
        = (QStringLiteral("#card { background: %1; border-radius: 10px; }"
                          "#vocabulary { border: 1px solid %2; border-radius: 6px; background: transparent; }")
                .arg(card.name(), theme::faint(p, 0.3 * 0.6).name(QColor::HexArgb)));
    // First: a new style sheet puts back the palettes the labels had when it first applied.
    if (sheet != styleSheet())
        setStyleSheet(sheet);
    const auto tint = [](QLabel *label, const QColor &color) {
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText, color);
        label->setPalette(lp);
    };
    for (QLabel *label : findChildren<QLabel *>()) {
        const QVariant opacity = label->property("captionOpacity");
        if (opacity.isValid())
            tint(label, opacity.toReal() >= 0.6 ? theme::secondary(p) : theme::tertiary(p));
        else if (label->property("warning").toBool())
            tint(label, theme::warning(p));
    }
}

} // namespace quillo
