#include "ui/MenuContent.h"

#include "hotkeys/HotkeyManager.h"
#include "platform/Permissions.h"
#include "platform/ShortcutBindings.h"
#include "settings/AppSettings.h"
#include "settings/HistoryStore.h"
#include "ui/HistoryRow.h"
#include "ui/KeptRecordingsList.h"
#include "ui/MenuText.h"
#include "ui/PanelIcons.h"
#include "ui/SegmentedControl.h"
#include "ui/ShortcutRow.h"
#include "ui/Theme.h"
#include "ui/ToggleSwitch.h"
#include "ui/WarningRow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillo {

namespace {

QLabel *label(const QString &text, const QFont &font, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setFont(font);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFixedHeight(1);
    line->setObjectName(QStringLiteral("divider"));
    return line;
}

void tint(QLabel *l, const QColor &color)
{
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
}

// Long paths have no spaces to wrap at: a zero-width space after each separator gives them some.
QString wrappablePath(const QString &path)
{
    QString shown = path;
    return shown.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
}

} // namespace

MenuContent::MenuContent(
    AppSettings &settings, HistoryStore &history, Permissions &permissions, MenuActions actions, QWidget *parent)
    : QWidget(parent)
    , settings_(settings)
    , history_(history)
    , permissions_(permissions)
    , actions_(std::move(actions))
{
    setFixedWidth(contentWidth);
    setAutoFillBackground(true);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(10);
    column->addWidget(buildHeader());
    kept_ = new KeptRecordingsList({actions_.retryRecording, actions_.removeRecording}, this);
    column->addWidget(kept_);
    column->addWidget(buildShortcuts());
    polish_ = new ToggleSwitch(QCoreApplication::translate("Menu", "AI 润色（去口头禅、修正改口和标点）"), this);
    polish_->setFont(theme::callout());
    column->addWidget(polish_);
    column->addWidget(buildTargetRow());
    column->addWidget(buildWarnings());
    column->addWidget(divider(this));
    historyCaption_ = label(QCoreApplication::translate("Menu", "最近记录（点击复制）"), theme::caption(), this);
    column->addWidget(historyCaption_);
    historyHint_ = label(QString(), theme::caption(), this);
    historyHint_->setWordWrap(true);
    column->addWidget(historyHint_);
    historyList_ = new QVBoxLayout();
    historyList_->setSpacing(2);
    column->addLayout(historyList_);
    column->addWidget(divider(this));
    column->addWidget(buildFooter());

    polish_->setChecked(settings_.polishEnabled());
    connect(polish_, &ToggleSwitch::toggled, this, [this](bool on) { settings_.setPolishEnabled(on); });
    connect(&settings_, &AppSettings::polishEnabledChanged, this,
        [this] { polish_->setChecked(settings_.polishEnabled()); });
    connect(target_, &SegmentedControl::activated, this,
        [this](int index) { settings_.setTranslateTarget(allTargetLanguages.at(static_cast<size_t>(index))); });
    connect(&settings_, &AppSettings::translateTargetChanged, this,
        [this] { target_->setCurrentIndex(static_cast<int>(settings_.translateTarget())); });
    connect(&settings_, &AppSettings::changed, this, [this](const QString &key) {
        if (key == QLatin1String(settingsKey::holdHotkey) || key == QLatin1String(settingsKey::toggleHotkey)
            || key == QLatin1String(settingsKey::translateTrigger)) {
            updateShortcuts();
            rebuildHistory();
        }
    });
    connect(&settings_, &AppSettings::apiKeyConfiguredChanged, this, &MenuContent::updateWarnings);
    connect(&history_, &HistoryStore::entriesChanged, this, &MenuContent::rebuildHistory);

    setPhase(DictationPhase::idle());
    updateShortcuts();
    updateWarnings();
    rebuildHistory();
    restyle();
}

QWidget *MenuContent::buildHeader()
{
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    auto *icon = new QLabel(header);
    icon->setPixmap(icons::pixmap(34, devicePixelRatioF(), icons::appIcon));
    row->addWidget(icon);
    auto *titles = new QVBoxLayout();
    titles->setSpacing(2);
    titles->addWidget(label(QStringLiteral("Quillo"), theme::headline(), header));
    status_ = label(QString(), theme::caption(), header);
    status_->setWordWrap(true);
    titles->addWidget(status_);
    row->addLayout(titles, 1);
    toggle_ = new QPushButton(header);
    toggle_->setCursor(Qt::PointingHandCursor);
    toggle_->setFont(theme::callout());
    connect(toggle_, &QPushButton::clicked, this, [this] {
        if (actions_.toggleDictation)
            actions_.toggleDictation();
    });
    row->addWidget(toggle_, 0, Qt::AlignVCenter);
    return header;
}

QWidget *MenuContent::buildShortcuts()
{
    shortcutBox_ = new QWidget(this);
    shortcutBox_->setObjectName(QStringLiteral("shortcutBox"));
    shortcutBox_->setAttribute(Qt::WA_StyledBackground);
    auto *column = new QVBoxLayout(shortcutBox_);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(6);
    for (const QString &name :
        {QCoreApplication::translate("Menu", "按住说话"), QCoreApplication::translate("Menu", "开始 / 结束免提"),
            QCoreApplication::translate("Menu", "录音中切换翻译"),
            QCoreApplication::translate("Menu", "取消本次录音")}) {
        auto *row = new ShortcutRow(name, QString(), shortcutBox_);
        shortcuts_.append(row);
        column->addWidget(row);
    }
    shortcuts_.last()->setValue(QStringLiteral("Esc"));
    return shortcutBox_;
}

QWidget *MenuContent::buildTargetRow()
{
    auto *box = new QWidget(this);
    QLabel *title = label(QCoreApplication::translate("Menu", "翻译目标"), theme::callout(), box);
    QStringList names;
    for (const TargetLanguage language : allTargetLanguages)
        names.append(shownName(language));
    target_ = new SegmentedControl(names, box);
    target_->setCurrentIndex(static_cast<int>(settings_.translateTarget()));
    // Side by side when both fit the menu's width; longer names (English) put the picker
    // under its title rather than cutting them.
    constexpr int rowSpacing = 6;
    constexpr int menuPadding = 14;
    const bool fits
        = title->sizeHint().width() + rowSpacing + target_->sizeHint().width() <= contentWidth - 2 * menuPadding;
    auto *row = new QBoxLayout(fits ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, box);
    row->setContentsMargins(0, 0, 0, 0);
    if (!fits)
        row->setSpacing(rowSpacing);
    row->addWidget(title);
    if (fits)
        row->addStretch(1);
    row->addWidget(target_, 0, fits ? Qt::Alignment() : Qt::AlignLeft);
    return box;
}

QWidget *MenuContent::buildWarnings()
{
    warningBox_ = new QWidget(this);
    auto *column = new QVBoxLayout(warningBox_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    const WarningRow::Symbol exclamation = [](QPainter &p, const QRectF &box, const QColor &color) {
        icons::exclamationCircle(p, box, color, Qt::white);
    };
    keyWarning_ = new WarningRow(menu::keyWarning(APIKeyState::missing), icons::key, warningBox_);
    accessibilityWarning_ = new WarningRow(
        QCoreApplication::translate("Menu", "尚未授予辅助功能权限，无法自动输入文字"), icons::hand, warningBox_);
    saveWarning_
        = new WarningRow(QCoreApplication::translate("Menu", "无法保存设置（磁盘已满或只读），更改暂存在内存中"),
            exclamation, warningBox_);
    damagedWarning_ = new WarningRow(QString(), exclamation, warningBox_);
    for (WarningRow *row : {keyWarning_, accessibilityWarning_, saveWarning_, damagedWarning_})
        column->addWidget(row);
    return warningBox_;
}

QWidget *MenuContent::buildFooter()
{
    auto *footer = new QWidget(this);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(0, 0, 0, 0);
    settingsButton_ = new QPushButton(QCoreApplication::translate("Menu", "设置…"), footer);
    quitButton_ = new QPushButton(QCoreApplication::translate("Menu", "退出"), footer);
    for (QPushButton *button : {settingsButton_, quitButton_}) {
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setFont(theme::callout());
    }
    connect(settingsButton_, &QPushButton::clicked, this, [this] {
        if (actions_.openSettings)
            actions_.openSettings();
    });
    connect(quitButton_, &QPushButton::clicked, this, [this] {
        if (actions_.quit)
            actions_.quit();
    });
    row->addWidget(settingsButton_);
    row->addStretch(1);
    row->addWidget(quitButton_);
    return footer;
}

void MenuContent::setPhase(const DictationPhase &phase)
{
    phase_ = phase;
    status_->setText(menu::statusLine(phase));
    toggle_->setText(menu::toggleButtonLabel(phase));
    kept_->setRetryEnabled(!phase.isBusy()); // the controller takes no retry during a dictation
    const QColor tint = phase.kind() == DictationPhase::Kind::recording ? theme::recordingFill() : theme::accentFill();
    toggle_->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none;"
                                          " border-radius: 6px; padding: 4px 14px; font-weight: 600; }"
                                          "QPushButton:pressed { background: %2; }")
                               .arg(tint.name(), tint.darker(115).name()));
}

void MenuContent::setKeptRecordings(const QList<FailedRecording> &recordings)
{
    kept_->setRecordings(recordings);
}

void MenuContent::refresh()
{
    updateWarnings();
    updateShortcuts();
}

void MenuContent::setShortcutBindings(const ShortcutBindings *bindings)
{
    bindings_ = bindings;
    updateShortcuts();
}

QString MenuContent::statusText() const
{
    return status_->text();
}

QString MenuContent::toggleText() const
{
    return toggle_->text();
}

QString MenuContent::historyHint() const
{
    return historyHint_->isHidden() ? QString() : historyHint_->text();
}

QStringList MenuContent::warnings() const
{
    QStringList shown;
    for (const WarningRow *row : {keyWarning_, accessibilityWarning_, saveWarning_, damagedWarning_}) {
        if (!row->isHidden() && !warningBox_->isHidden())
            shown.append(row->text());
    }
    return shown;
}

void MenuContent::showEvent(QShowEvent *event)
{
    // A key stored or removed by another program since the last look shows now.
    settings_.refreshAPIKey();
    refresh();
    QWidget::showEvent(event);
}

void MenuContent::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        theme::restyleOnce(*this, [this] { restyle(); });
    QWidget::changeEvent(event);
}

void MenuContent::updateShortcuts()
{
    if (bindings_) {
        showBoundTriggers();
        return;
    }
    shortcuts_.at(0)->setValue(menu::hotkeyText(settings_.holdHotkey()));
    shortcuts_.at(1)->setValue(menu::hotkeyText(settings_.toggleHotkey()));
    shortcuts_.at(2)->setValue(menu::translateTapText(settings_.translateTrigger()));
    shortcuts_.at(3)->setValue(QStringLiteral("Esc"));
}

// What the desktop really bound: it may have changed or left out any trigger.
void MenuContent::showBoundTriggers()
{
    const std::uint32_t ids[] = {rawValue(HotkeySlot::hold), rawValue(HotkeySlot::toggle),
        HotkeyManager::translateHotKeyId, HotkeyManager::cancelHotKeyId};
    for (int row = 0; row < shortcuts_.size() && row < 4; ++row) {
        const QString trigger = bindings_->boundTrigger(ids[row]);
        shortcuts_.at(row)->setValue(trigger.isEmpty() ? QCoreApplication::translate("Menu", "未绑定") : trigger);
    }
}

void MenuContent::updateWarnings()
{
    const QString keyProblem = menu::keyWarning(settings_.apiKeyState());
    const bool noKey = !keyProblem.isEmpty();
    const bool untrusted = !permissions_.isAccessibilityTrusted();
    if (noKey)
        keyWarning_->setText(keyProblem);
    keyWarning_->setHidden(!noKey);
    accessibilityWarning_->setHidden(!untrusted);
    saveWarning_->setHidden(!settingsWriteFailed_);
    damagedWarning_->setHidden(keptCopy_.isEmpty());
    warningBox_->setHidden(!noKey && !untrusted && !settingsWriteFailed_ && keptCopy_.isEmpty());
}

void MenuContent::setSettingsDamaged(const QString &keptCopy)
{
    keptCopy_ = keptCopy;
    damagedWarning_->setText(QCoreApplication::translate("Menu", "设置文件已损坏，可读的设置已保留；原文件另存为 %1")
                                 .arg(wrappablePath(keptCopy)));
    updateWarnings();
}

void MenuContent::setSettingsWriteFailed(bool failed)
{
    settingsWriteFailed_ = failed;
    updateWarnings();
}

void MenuContent::rebuildHistory()
{
    for (HistoryRow *row : std::as_const(rows_))
        delete row;
    rows_.clear();
    const std::vector<HistoryEntry> &entries = history_.entries();
    historyHint_->setText(menu::emptyHistoryHint(settings_.holdHotkey()));
    historyHint_->setHidden(!entries.empty());
    const int shown = std::min<int>(menu::historyShown, static_cast<int>(entries.size()));
    for (int i = 0; i < shown; ++i) {
        const HistoryEntry &entry = entries.at(static_cast<size_t>(i));
        auto *row = new HistoryRow(entry.text, entry.appName, this);
        row->setCopied(copiedID_ == entry.id);
        connect(row, &HistoryRow::clicked, this, [this, i] { copyEntry(i); });
        historyList_->addWidget(row);
        rows_.append(row);
    }
}

void MenuContent::copyEntry(int index)
{
    const std::vector<HistoryEntry> &entries = history_.entries();
    if (index < 0 || static_cast<size_t>(index) >= entries.size())
        return;
    const HistoryEntry &entry = entries.at(static_cast<size_t>(index));
    if (actions_.copyText)
        actions_.copyText(entry.text);
    copiedID_ = entry.id;
    for (int i = 0; i < rows_.size(); ++i)
        rows_.at(i)->setCopied(i == index);
}

void MenuContent::restyle()
{
    const QPalette p = palette();
    // Before the caption's tint: a style sheet set on its parent re-polishes it.
    kept_->setStyleSheet(QStringLiteral("QPushButton { border: 1px solid %1; border-radius: 6px; padding: 2px 8px;"
                                        " color: %2; }"
                                        "QPushButton:hover { background: %3; }")
                             .arg(theme::accent().name(), p.color(QPalette::WindowText).name(QColor::HexArgb),
                                 theme::faint(p, 0.08).name(QColor::HexArgb)));
    tint(status_, theme::secondary(p));
    tint(historyCaption_, theme::secondary(p));
    tint(kept_->caption(), theme::secondary(p));
    tint(historyHint_, theme::tertiary(p));
    shortcutBox_->setStyleSheet(QStringLiteral("#shortcutBox { background: %1; border-radius: 8px; }")
                                    .arg(theme::faint(p, 0.05).name(QColor::HexArgb)));
    const QString line = theme::faint(p, 0.15).name(QColor::HexArgb);
    for (QFrame *frame : findChildren<QFrame *>(QStringLiteral("divider")))
        frame->setStyleSheet(QStringLiteral("background: %1; border: none;").arg(line));
    const QString flat
        = QStringLiteral("QPushButton { border: none; padding: 3px 6px; color: %1; }"
                         "QPushButton:hover { background: %2; border-radius: 5px; }")
              .arg(p.color(QPalette::WindowText).name(QColor::HexArgb), theme::faint(p, 0.08).name(QColor::HexArgb));
    settingsButton_->setStyleSheet(flat);
    quitButton_->setStyleSheet(flat);
}

} // namespace quillo
