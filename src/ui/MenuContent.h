#pragma once

#include "dictation/DictationPhase.h"
#include "dictation/FailedRecording.h"

#include <QList>
#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace quillo {

class AppSettings;
class HistoryStore;
class HistoryRow;
class KeptRecordingsList;
class Permissions;
class SegmentedControl;
class ShortcutBindings;
class ShortcutRow;
class ToggleSwitch;
class WarningRow;

// What the menu asks of the rest of the program.
struct MenuActions {
    std::function<void()> toggleDictation;
    std::function<void()> openSettings;
    std::function<void()> quit;
    // Clears the clipboard and puts this plain text on it.
    std::function<void(const QString &)> copyText;
    // Dictates a kept failed recording again, or removes it.
    std::function<void(const QString &id)> retryRecording;
    std::function<void(const QString &id)> removeRecording;
};

// The drop-down of the tray icon: state and start/stop, the shortcuts, the polish
// switch, the translation target, missing setup, the five newest dictations
// (click to copy) and the way to settings and out. Follows the settings and the
// history as they change; the phase is pushed in with setPhase.
class MenuContent : public QWidget {
    Q_OBJECT

public:
    static constexpr int contentWidth = 340;

    MenuContent(AppSettings &settings, HistoryStore &history, Permissions &permissions, MenuActions actions,
        QWidget *parent = nullptr);

    void setPhase(const DictationPhase &phase);
    // The failed recordings that can be retried, newest first.
    void setKeptRecordings(const QList<FailedRecording> &recordings);
    // Reads the state that has no change signal (accessibility trust, the
    // triggers the desktop bound) again.
    void refresh();
    // Where the desktop binds the shortcuts (a portal), the rows show its
    // triggers instead of the stored hotkeys; null for the stored hotkeys.
    void setShortcutBindings(const ShortcutBindings *bindings);
    // Whether the settings file could not be written the last time (full disk,
    // read-only file): shown among the warnings until a write succeeds again.
    void setSettingsWriteFailed(bool failed);
    // Where the settings file found damaged at start was kept; shown among the warnings
    // for the whole run. Empty: nothing was damaged.
    void setSettingsDamaged(const QString &keptCopy);

    // For tests and screenshots.
    QString statusText() const;
    QString toggleText() const;
    QList<ShortcutRow *> shortcutRows() const { return shortcuts_; }
    QList<HistoryRow *> historyRows() const { return rows_; }
    QString historyHint() const;
    QStringList warnings() const;
    ToggleSwitch *polishSwitch() const { return polish_; }
    SegmentedControl *targetPicker() const { return target_; }
    QPushButton *toggleButton() const { return toggle_; }
    KeptRecordingsList *keptRecordings() const { return kept_; }
    QPushButton *settingsButton() const { return settingsButton_; }
    QPushButton *quitButton() const { return quitButton_; }

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildShortcuts();
    QWidget *buildTargetRow();
    QWidget *buildWarnings();
    QWidget *buildFooter();
    void updateShortcuts();
    void showBoundTriggers();
    void updateWarnings();
    void rebuildHistory();
    void copyEntry(int index);
    void restyle();

    AppSettings &settings_;
    HistoryStore &history_;
    Permissions &permissions_;
    const ShortcutBindings *bindings_ = nullptr;
    MenuActions actions_;
    DictationPhase phase_;
    std::optional<QUuid> copiedID_;

    QLabel *status_ = nullptr;
    QPushButton *toggle_ = nullptr;
    KeptRecordingsList *kept_ = nullptr;
    QWidget *shortcutBox_ = nullptr;
    QList<ShortcutRow *> shortcuts_;
    ToggleSwitch *polish_ = nullptr;
    SegmentedControl *target_ = nullptr;
    QWidget *warningBox_ = nullptr;
    WarningRow *keyWarning_ = nullptr;
    WarningRow *accessibilityWarning_ = nullptr;
    WarningRow *saveWarning_ = nullptr;
    WarningRow *damagedWarning_ = nullptr;
    bool settingsWriteFailed_ = false;
    QString keptCopy_;
    QLabel *historyCaption_ = nullptr;
    QLabel *historyHint_ = nullptr;
    QVBoxLayout *historyList_ = nullptr;
    QList<HistoryRow *> rows_;
    QPushButton *settingsButton_ = nullptr;
    QPushButton *quitButton_ = nullptr;
};

} // namespace quillo
