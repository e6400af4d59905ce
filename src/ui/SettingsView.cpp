#include "ui/SettingsView.h"

#include "hotkeys/HotkeyManager.h"
#include "platform/Permissions.h"
#include "platform/ShortcutBindings.h"
#include "settings/AppSettings.h"
#include "ui/ConnectionTest.h"
#include "ui/HotkeyRecorderView.h"
#include "ui/PermissionRow.h"
#include "ui/SegmentedControl.h"
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

constexpr auto permissionRefresh = 1500ms;

struct LanguageChoice {
    const char *code;
    const char *label;
};

constexpr LanguageChoice languages[]
    = {{"zh", QT_TRANSLATE_NOOP("Settings", "中文（含中英混说）")}, {"en", QT_TRANSLATE_NOOP("Settings", "英文")},
        {"yue", QT_TRANSLATE_NOOP("Settings", "粤语")}, {"auto", QT_TRANSLATE_NOOP("Settings", "自动")}};

QLabel *text(const QString &content, const QFont &font, QWidget *parent, bool wrap = true)
{
    auto *l = new QLabel(content, parent);
    l->setFont(font);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(wrap);
    return l;
}

// A caption in a lesser text colour; its opacity is kept for restyling.
QLabel *caption(const QString &content, qreal opacity, QWidget *parent)
{
    QLabel *l = text(content, theme::caption(), parent);
    l->setProperty("captionOpacity", opacity);
    return l;
}

// A labelled row: the title at the left, the control at the right.
QWidget *formRow(const QString &title, QWidget *control, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text(title, theme::body(), row, false));
    layout->addStretch(1);
    control->setParent(row);
    layout->addWidget(control);
    return row;
}

// A group of rows under a section title, on a rounded card.
QWidget *section(const QString &title, const QList<QWidget *> &rows, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    QLabel *heading = text(title, theme::headline(), box, false);
    heading->setContentsMargins(4, 0, 0, 0);
    column->addWidget(heading);
    auto *card = new QWidget(box);
    card->setObjectName(QStringLiteral("card"));
    card->setAttribute(Qt::WA_StyledBackground);
    auto *inner = new QVBoxLayout(card);
    inner->setContentsMargins(14, 10, 14, 10);
    inner->setSpacing(10);
    for (QWidget *row : rows) {
        row->setParent(card);
        inner->addWidget(row);
    }
    column->addWidget(card);
    return box;
}

QWidget *column(const QList<QWidget *> &items, int spacing, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget *item : items) {
        item->setParent(box);
        layout->addWidget(item);
    }
    return box;
}

void setTextIfChanged(QLineEdit *field, const QString &value)
{
    if (field->text() != value)
        field->setText(value);
}

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
    form->addWidget(serviceSection());
    form->addWidget(polishSection());
    form->addWidget(translationSection());
    form->addWidget(generalSection());
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
    sameWarning_ = text(QString(), theme::caption(), this);
    QPalette orange = sameWarning_->palette();
    orange.setColor(QPalette::WindowText, theme::orange());
    sameWarning_->setPalette(orange);
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
    boundTriggers_->setText(
        QCoreApplication::translate("Settings", "桌面实际绑定：按住说话 %1 · 免提切换 %2 · 翻译 %3 · 取消 %4")
            .arg(shown(rawValue(HotkeySlot::hold)), shown(rawValue(HotkeySlot::toggle)),
                shown(HotkeyManager::translateHotKeyId), shown(HotkeyManager::cancelHotKeyId)));
    boundTriggers_->show();
}

QString SettingsView::boundTriggersText() const
{
    return boundTriggers_->isHidden() ? QString() : boundTriggers_->text();
}

QWidget *SettingsView::serviceSection()
{
    apiKey_ = new QLineEdit(this);
    apiKey_->setEchoMode(QLineEdit::Password);
    apiKey_->setMinimumWidth(240);
    apiKey_->setAccessibleName(QStringLiteral("API Key"));
    save_ = new QPushButton(this);
    auto *keyBox = new QWidget(this);
    auto *keyRow = new QHBoxLayout(keyBox);
    keyRow->setContentsMargins(0, 0, 0, 0);
    keyRow->addWidget(apiKey_);
    keyRow->addWidget(save_);
    saveProblem_ = text(QString(), theme::caption(), this);
    QPalette orange = saveProblem_->palette();
    orange.setColor(QPalette::WindowText, theme::orange());
    saveProblem_->setPalette(orange);
    saveProblem_->hide();

    host_ = new QLineEdit(this);
    asrModel_ = new QLineEdit(this);
    polishModel_ = new QLineEdit(this);
    for (QLineEdit *field : {host_, asrModel_, polishModel_})
        field->setMinimumWidth(240);
    language_ = new QComboBox(this);
    for (const LanguageChoice &choice : languages)
        language_->addItem(QCoreApplication::translate("Settings", choice.label), QString::fromLatin1(choice.code));

    test_ = new QPushButton(QCoreApplication::translate("Settings", "测试连接"), this);
    testResult_ = caption(QString(), 0.6, this);
    testResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    testResult_->hide();
    auto *testBox = new QWidget(this);
    auto *testRow = new QHBoxLayout(testBox);
    testRow->setContentsMargins(0, 0, 0, 0);
    test_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    testRow->addWidget(test_, 0, Qt::AlignTop);
    testRow->addWidget(testResult_, 1);
    testRow->addStretch(0);

    ConnectionTest::Setup setup;
    setup.readKey = [this](std::function<void(const QString &)> done) {
        settings_.readAPIKey([done = std::move(done)](const APIKeyRead &read) { done(read.key); });
    };
    setup.host = [this] { return settings_.normalizedHost(); };
    setup.model = [this] { return settings_.polishModel(); };
    setup.chat = deps_.chat;
    connectionTest_ = new ConnectionTest(std::move(setup), deps_.scheduler, this);
    connect(test_, &QPushButton::clicked, this, [this] {
        testResult_->clear();
        testResult_->hide();
        connectionTest_->start();
    });
    connect(connectionTest_, &ConnectionTest::runningChanged, this, [this] { updateKeyState(); });
    connect(connectionTest_, &ConnectionTest::finished, this, [this](const QString &result) {
        testResult_->setText(result);
        testResult_->show();
    });
    connect(apiKey_, &QLineEdit::textChanged, this, [this] { updateKeyState(); });
    connect(apiKey_, &QLineEdit::returnPressed, this, [this] {
        if (save_->isEnabled())
            saveKey();
    });
    connect(save_, &QPushButton::clicked, this, &SettingsView::saveKey);

    return section(QCoreApplication::translate("Settings", "千问服务"),
        {formRow(QStringLiteral("API Key"), keyBox, this), saveProblem_,
            formRow(QCoreApplication::translate("Settings", "接入域名"), host_, this),
            formRow(QCoreApplication::translate("Settings", "语音识别模型"), asrModel_, this),
            formRow(QCoreApplication::translate("Settings", "润色模型"), polishModel_, this),
            formRow(QCoreApplication::translate("Settings", "识别语言"), language_, this), testBox},
        this);
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
        setTextIfChanged(host_, s.apiHost());
        setTextIfChanged(asrModel_, s.asrModel());
        setTextIfChanged(polishModel_, s.polishModel());
        setTextIfChanged(translateModel_, s.translateModel());
        if (vocabulary_->toPlainText() != s.vocabulary())
            vocabulary_->setPlainText(s.vocabulary());
        const int index = language_->findData(s.language());
        if (index >= 0)
            language_->setCurrentIndex(index);
        else if (language_->currentData().toString() != s.language()) {
            // A code set outside this window stays visible rather than being replaced.
            language_->addItem(s.language(), s.language());
            language_->setCurrentIndex(language_->count() - 1);
        }
        polish_->setChecked(s.polishEnabled());
        restoreClipboard_->setChecked(s.restoreClipboard());
        playSounds_->setChecked(s.playSounds());
        target_->setCurrentIndex(static_cast<int>(s.translateTarget()));
        trigger_->setCurrentIndex(trigger_->findData(rawValue(s.translateTrigger())));
    };
    showTexts();
    launchAtLogin_->setChecked(s.launchAtLogin());
    updateHotkeys();
    updateKeyState();
    updateExplanation();

    connect(host_, &QLineEdit::textEdited, &s, &AppSettings::setApiHost);
    connect(asrModel_, &QLineEdit::textEdited, &s, &AppSettings::setAsrModel);
    connect(polishModel_, &QLineEdit::textEdited, &s, &AppSettings::setPolishModel);
    connect(translateModel_, &QLineEdit::textEdited, &s, &AppSettings::setTranslateModel);
    connect(vocabulary_, &QPlainTextEdit::textChanged, this, [this] {
        if (vocabulary_->toPlainText() != settings_.vocabulary())
            settings_.setVocabulary(vocabulary_->toPlainText());
    });
    connect(language_, &QComboBox::activated, this,
        [this](int index) { settings_.setLanguage(language_->itemData(index).toString()); });
    connect(polish_, &ToggleSwitch::clicked, &s, &AppSettings::setPolishEnabled);
    connect(restoreClipboard_, &ToggleSwitch::clicked, &s, &AppSettings::setRestoreClipboard);
    connect(playSounds_, &ToggleSwitch::clicked, &s, &AppSettings::setPlaySounds);
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
    connect(&s, &AppSettings::apiKeyConfiguredChanged, this, &SettingsView::updateKeyState);
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

void SettingsView::updateKeyState()
{
    const bool configured = settings_.apiKeyState() == APIKeyState::stored;
    apiKey_->setPlaceholderText(settingsText::apiKeyPlaceholder(settings_.apiKeyState()));
    save_->setText(settingsText::saveButtonLabel(keySaved_));
    save_->setEnabled(!saving_ && settingsText::canSaveKey(apiKey_->text()));
    const bool testing = connectionTest_ && connectionTest_->isRunning();
    test_->setText(testing ? QCoreApplication::translate("Settings", "测试中…")
                           : QCoreApplication::translate("Settings", "测试连接"));
    test_->setEnabled(!testing && configured);
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

QString SettingsView::saveProblem() const
{
    return saveProblem_->isHidden() ? QString() : saveProblem_->text();
}

void SettingsView::saveKey()
{
    const QString typed = apiKey_->text();
    if (saving_ || !settingsText::canSaveKey(typed))
        return;
    saving_ = true;
    saveProblem_->hide();
    updateKeyState();
    QPointer<SettingsView> self(this);
    settings_.setAPIKey(typed, [self, typed](const APIKeySaved &saved) {
        if (!self)
            return;
        self->saving_ = false;
        if (saved) {
            self->keySaved_ = true;
            if (self->apiKey_->text() == typed)
                self->apiKey_->clear();
        } else {
            // The typed key stays in the field so a failed save costs nothing.
            const bool silent = saved.error().kind == CredentialError::Kind::timeout;
            self->saveProblem_->setText(silent
                    ? QCoreApplication::translate("Settings", "保存失败：系统密钥环没有响应，请确认它已解锁后重试")
                    : QCoreApplication::translate("Settings", "保存失败：无法写入系统密钥环，请重试"));
            self->saveProblem_->show();
        }
        self->updateKeyState();
    });
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

QString SettingsView::testResult() const
{
    return testResult_->isHidden() ? QString() : testResult_->text();
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
    for (QLabel *label : findChildren<QLabel *>()) {
        const QVariant opacity = label->property("captionOpacity");
        if (!opacity.isValid())
            continue;
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText, theme::faint(p, opacity.toReal()));
        label->setPalette(lp);
    }
    const QColor card = theme::isDark(p) ? QColor(52, 52, 56) : QColor(Qt::white);
    const QString sheet
        = (QStringLiteral("#card { background: %1; border-radius: 10px; }"
                          "#vocabulary { border: 1px solid %2; border-radius: 6px; background: transparent; }")
                .arg(card.name(), theme::faint(p, 0.3 * 0.6).name(QColor::HexArgb)));
    if (sheet != styleSheet())
        setStyleSheet(sheet);
}

} // namespace quillo
