#pragma once

#include "platform/Scheduler.h"
#include "refinement/ChatFunction.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace quillo {

class AppSettings;
class HotkeyManager;
class HotkeyRecorderView;
class InputMethodBridge;
class KeyEventTranslator;
class PermissionRow;
class Permissions;
class SegmentedControl;
class ServiceSection;
class ShortcutBindings;
class ToggleSwitch;

// What the settings form works with besides the settings themselves.
struct SettingsDeps {
    AppSettings &settings;
    Permissions &permissions;
    Scheduler &scheduler;
    ChatFunction chat;
    HotkeyManager *hotkeys = nullptr; // suspended while a hotkey is recorded
    KeyEventTranslator *translator = nullptr; // our own key events, for recording hotkeys
    // Opens the system's privacy settings ("Privacy_Microphone", "Privacy_Accessibility").
    std::function<void(const QString &anchor)> openPrivacySettings;
    // The input method's way into the focused field; null where there is none.
    InputMethodBridge *inputMethod = nullptr;
};

// The settings form: seven sections, every control writing its setting the moment
// it changes and following the setting when it changes elsewhere.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int formWidth = 560;

    explicit SettingsView(SettingsDeps deps, QWidget *parent = nullptr);
    ~SettingsView() override;

    // Where the desktop binds the shortcuts (a portal): the hotkey section shows
    // the triggers it bound, and the hotkey buttons open its dialog where it has
    // one. Null for hotkeys this program binds itself.
    void setShortcutBindings(ShortcutBindings *bindings);

    // For tests and screenshots.
    HotkeyRecorderView *holdRecorder() const { return holdRecorder_; }
    HotkeyRecorderView *toggleRecorder() const { return toggleRecorder_; }
    QString hotkeyWarning() const;
    QString fnTip() const;
    // The triggers the desktop reports as bound; empty without shortcut bindings.
    QString boundTriggersText() const;
    ServiceSection *service() const { return service_; }
    ToggleSwitch *polishSwitch() const { return polish_; }
    QPlainTextEdit *vocabularyEditor() const { return vocabulary_; }
    SegmentedControl *targetPicker() const { return target_; }
    QComboBox *triggerPicker() const { return trigger_; }
    QLineEdit *translateModelField() const { return translateModel_; }
    QStringList explanation() const;
    ToggleSwitch *restoreClipboardSwitch() const { return restoreClipboard_; }
    ToggleSwitch *playSoundsSwitch() const { return playSounds_; }
    ToggleSwitch *launchAtLoginSwitch() const { return launchAtLogin_; }
    PermissionRow *microphoneRow() const { return microphone_; }
    // X11: the accessibility row. Wayland: the shortcuts and keyboard rows instead.
    PermissionRow *accessibilityRow() const { return accessibility_; }
    PermissionRow *shortcutsPermissionRow() const { return shortcutsAccess_; }
    PermissionRow *keyboardPermissionRow() const { return keyboardAccess_; }

protected:
    void changeEvent(QEvent *event) override;
    // The permission refresh runs only while the window is on screen.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *hotkeySection();
    QWidget *polishSection();
    QWidget *translationSection();
    QWidget *generalSection();
    QWidget *inputMethodSection();
    // Asks the input method whether the route answers, and says so under its switch.
    void showInputMethodState();
    QWidget *permissionSection();
    void bindSettings();
    void updateHotkeys();
    void updateExplanation();
    void refreshPermissions();
    void updateBoundTriggers();
    void restyle();

    SettingsDeps deps_;
    AppSettings &settings_;
    ScheduledWork refresh_;

    HotkeyRecorderView *holdRecorder_ = nullptr;
    HotkeyRecorderView *toggleRecorder_ = nullptr;
    QLabel *sameWarning_ = nullptr;
    QLabel *fnTip_ = nullptr;
    QLabel *boundTriggers_ = nullptr;
    ShortcutBindings *bindings_ = nullptr;
    ServiceSection *service_ = nullptr;
    ToggleSwitch *polish_ = nullptr;
    QPlainTextEdit *vocabulary_ = nullptr;
    SegmentedControl *target_ = nullptr;
    QComboBox *trigger_ = nullptr;
    QLineEdit *translateModel_ = nullptr;
    QList<QLabel *> explanation_;
    ToggleSwitch *restoreClipboard_ = nullptr;
    ToggleSwitch *playSounds_ = nullptr;
    ToggleSwitch *liveText_ = nullptr;
    QLabel *inputMethodState_ = nullptr;
    ToggleSwitch *launchAtLogin_ = nullptr;
    PermissionRow *microphone_ = nullptr;
    PermissionRow *accessibility_ = nullptr;
    PermissionRow *shortcutsAccess_ = nullptr;
    PermissionRow *keyboardAccess_ = nullptr;
};

} // namespace quillo
