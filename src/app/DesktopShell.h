#pragma once

#include "app/AppCore.h"
#include "app/InstanceStatus.h"
#include "app/KeyboardSourceSwitch.h"
#include "app/PortalDesktop.h"
#include "app/WaylandDesktop.h"
#include "audio/AudioRecorder.h"
#include "dictation/ChatConnectionWarmer.h"
#include "dictation/DictationAdapters.h"
#include "dictation/DictationController.h"
#include "dictation/FailedRecordingStore.h"
#include "dictation/FileWorker.h"
#include "dictation/InputMethodRoute.h"
#include "dictation/TextInserter.h"
#include "hotkeys/HotkeyManager.h"
#include "platform/fcitx5/Fcitx5InputMethodBridge.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/qt/QtPasteboard.h"
#include "platform/qt/QtSounds.h"
#include "platform/x11/X11FrontmostApp.h"
#include "platform/x11/X11KeyEventTranslator.h"
#include "platform/x11/X11KeyboardSource.h"
#include "platform/x11/X11KeystrokePoster.h"
#include "platform/x11/X11OwnKeystrokes.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11WindowHints.h"
#include "ui/SettingsWindow.h"

#include <QElapsedTimer>
#include <QPointer>
#include <functional>

#include <memory>
#include <optional>

namespace quillo {

class MenuContent;
class RecordingPanel;
class TrayIcon;

// The program on a desktop: hotkeys, microphone, insertion, the controller and
// the windows, wired over the X11 and Qt adapters, and in a Wayland session over the
// Wayland ones as well (WaylandDesktop), chosen from what the session offers.
class DesktopShell {
public:
    explicit DesktopShell(AppCore &core);
    // waylandOffer: what the Wayland session offers; none outside Wayland.
    DesktopShell(AppCore &core, std::optional<WaylandDesktop::Offer> waylandOffer);
    ~DesktopShell();

    DictationController &controller() { return controller_; }
    HotkeyManager &hotkeys() { return hotkeys_; }
    FailedRecordingStore &failedRecordings() { return failedRecordings_; }
    Permissions &permissions();
    FrontmostApp &frontmost();
    // Where each paste's route (and on Wayland its time) is reported (the observation modes).
    void setPasteReport(std::function<void(const QString &)> report);
    // Where the Wayland side reports the portal's answer at start-up and the shortcuts it
    // bound, with the time since start-up (the observation modes).
    void setPortalReport(std::function<void(const QString &)> report);
    void openSettings();
    // Whether hotkeys come from the desktop portal's global shortcuts.
    bool usesGlobalShortcuts() const { return portal_ && portal_->servesHotkeys(); }
    // The desktop's shortcuts through its portal, once it answered; else null.
    PortalGlobalShortcuts *portalShortcuts();
    WaylandDesktop *wayland() { return wayland_.get(); }
    PortalDesktop *portal() { return portal_.get(); }
    // The tray icon with its menu; not needed by the observation modes.
    void showTray();
    // What a status request of quillo --doctor is answered with.
    InstanceStatus status();

private:
    void showBoundShortcuts();
    void warmChatConnection();
    void showRetryOffer();
    // The dictation's text along the input method when it takes it, else along the paste.
    void insertText(const QString &text, bool restore, InsertDone done);
    void pressReturn();
    // The desktop portal answered the start-up probe: its adapters take over.

    // Creates the panel the first time the controller shows it.
    class LazyPanel final : public DictationPanel {
    public:
        explicit LazyPanel(DesktopShell &shell)
            : shell_(shell)
        {
        }
        void show() override;
        void hide() override;

    private:
        DesktopShell &shell_;
    };

    AppCore &core_;
    X11OwnKeystrokes ownKeystrokes_;
    X11KeyboardSource keyboard_;
    // X11 until the portal has answered; then its global shortcuts where it offers them.
    KeyboardSourceSwitch keyboardSwitch_;
    HotkeyManager hotkeys_;
    QtPasteboard clipboard_;
    QtPasteboard selection_;
    X11KeystrokePoster poster_;
    X11FrontmostApp frontmost_;
    X11Permissions permissions_;
    TextInserter inserter_;
    std::unique_ptr<WaylandDesktop> wayland_;
    std::function<void(const QString &)> pasteReport_;
    Fcitx5InputMethodBridge inputMethod_;
    InputMethodRoute inputMethodRoute_;
    AudioRecorder recorder_;
    AudioRecorderBinding recorderBinding_;
    HotkeyManagerBinding hotkeyBinding_;
    QtSounds sounds_;
    X11WindowHints windowHints_;
    X11KeyEventTranslator keyTranslator_;
    LazyPanel lazyPanel_;
    std::unique_ptr<RecordingPanel> panel_;
    FileWorker fileWorker_; // writes recordings off the main thread; outlives their store
    FailedRecordingStore failedRecordings_;
    // Before the controller: it follows the controller's phases until the controller is gone.
    ChatConnectionWarmer chatWarmer_;
    DictationController controller_;
    SettingsWindowController settingsWindow_;
    std::unique_ptr<TrayIcon> tray_;
    QPointer<MenuContent> menu_;
    // The desktop portal's shortcuts and keyboard in a Wayland session; last, so it goes
    // first and no portal answer arrives into a half-destroyed shell.
    std::unique_ptr<PortalDesktop> portal_;
};

} // namespace quillo
