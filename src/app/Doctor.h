#pragma once

#include "app/AppCore.h"
#include "app/DesktopSession.h"
#include "app/DoctorFindings.h"
#include "app/InstanceStatus.h"
#include "app/WaylandDesktop.h"
#include "dictation/TextInserter.h"
#include "hotkeys/HotkeyManager.h"
#include "i18n/InterfaceLanguage.h"
#include "platform/fcitx5/Fcitx5InputMethodBridge.h"
#include "platform/portal/PortalConnection.h"
#include "platform/portal/PortalGlobalShortcuts.h"
#include "platform/portal/SystemdAppScope.h"
#include "platform/qt/QtPasteboard.h"
#include "platform/x11/X11FrontmostApp.h"
#include "platform/x11/X11KeyboardSource.h"
#include "platform/x11/X11KeystrokePoster.h"
#include "platform/x11/X11OwnKeystrokes.h"
#include "platform/x11/X11Permissions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <vector>

namespace quillo {

// quillo --doctor: looks at this desktop the way the program does at start and fills
// DoctorFindings. A Quillo already running is asked (a status request) instead of binding
// anything a second time; otherwise the X11 hot keys are grabbed and released again and
// the portal's shortcuts declared as PortalDesktop does. The RemoteDesktop session is never
// opened (it may show a dialog). Every check runs at once, each bounded, and the findings
// are handed on when all have answered or the deadline has passed, whichever comes first.
class Doctor final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds deadline{7000};
    static constexpr std::chrono::milliseconds instanceTimeout{1500};
    static constexpr std::chrono::milliseconds portalTimeout{1500};
    static constexpr std::chrono::milliseconds probeTimeout{1500};

    Doctor(AppCore &core, DesktopSession session);
    ~Doctor() override;

    // `done` runs once, on the main thread.
    void start(std::function<void(const DoctorFindings &)> done);

private:
    void askInstance();
    void useStatus(const InstanceStatus &status);
    void lookAtSession();
    void checkX11Hotkeys();
    void startRegistryProbe();
    void startDesktopBindings();
    void startMicrophone();
    void startPortal();
    void onPortalAnswer(const PortalSupport &support);
    void declareShortcuts(const PortalSupport &support);
    void onShortcutsChanged();
    void readKey();
    void checkTray();
    void probeInputMethod();
    // Runs work on a thread of its own; its result comes back to the main thread.
    template <typename Result> void inBackground(std::function<Result()> work, std::function<void(Result)> then);
    void begin();
    void end();
    void finish();
    void fillStart();
    void fillPaste();

    AppCore &core_;
    DesktopSession session_;
    DoctorFindings findings_;
    std::optional<InstanceStatus> status_;
    QElapsedTimer sinceStart_;
    QTimer deadline_;
    int pending_ = 0;
    bool finished_ = false;
    std::function<void(const DoctorFindings &)> done_;

    X11OwnKeystrokes ownKeystrokes_;
    QtPasteboard clipboard_;
    X11KeystrokePoster poster_;
    X11FrontmostApp frontmost_;
    X11Permissions permissions_;
    TextInserter inserter_;
    X11KeyboardSource keyboard_;
    HotkeyManager hotkeys_;
    Fcitx5InputMethodBridge inputMethod_;
    std::unique_ptr<WaylandDesktop> wayland_;
    std::unique_ptr<PortalConnection> portal_;
    std::unique_ptr<PortalGlobalShortcuts> shortcuts_;
    bool portalEnded_ = false;
    SystemdAppScope::Outcome scope_;
    QObject scopeContext_;
    std::vector<std::future<void>> workers_;
};

// Runs quillo --doctor and prints its report; the exit status: 0 when a dictation can work.
int runDoctor(int argc, char *argv[], InterfaceLanguage language);

} // namespace quillo
