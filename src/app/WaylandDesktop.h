#pragma once

#include "dictation/InsertionRouter.h"
#include "dictation/TextInserter.h"
#include "platform/DefaultsStore.h"
#include "platform/Scheduler.h"
#include "platform/portal/PortalClipboard.h"
#include "platform/portal/PortalRemoteDesktop.h"
#include "platform/portal/PortalSupport.h"
#include "platform/wayland/DesktopShortcutSettings.h"
#include "platform/wayland/ProcessRunner.h"
#include "platform/wayland/WaylandFrontmostApp.h"
#include "platform/wayland/WaylandPermissions.h"
#include "platform/wayland/WlClipboardPasteboard.h"
#include "platform/wayland/WtypeKeystrokePoster.h"

#include <QDBusConnection>
#include <QElapsedTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace quillo {

// The Wayland side of a desktop session: which window has the focus (compositor IPC,
// X11 for XWayland windows) and how a text reaches it (X11 for XWayland windows, else
// wl-copy + wtype where the compositor offers data-control and a virtual keyboard, else
// the RemoteDesktop portal's keyboard, else the clipboard alone), decided per dictation.
// A keystroke only goes to the window that had the focus when the dictation started.
class WaylandDesktop {
public:
    // What the session offers, looked up once at start.
    struct Offer {
        bool registryRead = false; // the compositor answered the registry probe
        bool dataControl = false; // ext-data-control-v1 or zwlr_data_control_manager_v1
        bool virtualKeyboard = false; // zwp_virtual_keyboard_manager_v1
        bool clipboardTools = false; // wl-copy and wl-paste installed
        bool keyTool = false; // wtype installed
        QString swaySocket;
        QString hyprlandSocket;
        DesktopShortcutSettings::Desktop desktop = DesktopShortcutSettings::Desktop::other;

        bool canUseTools() const { return dataControl && virtualKeyboard && clipboardTools && keyTool; }
        // wl-copy without data-control maps a surface of its own for a moment (GNOME): it
        // works, but takes the focus while it sets the clipboard.
        bool clipboardTakesFocus() const { return clipboardTools && !dataControl; }
        // One line for a log or a test: what was found.
        QString describe() const;
    };

    // The X11 pieces of the session, where XWayland runs (each may be absent).
    struct X11Side {
        TextInserter *inserter = nullptr; // only when XTest can post keys
        FrontmostApp *frontmost = nullptr;
        Pasteboard *clipboard = nullptr; // last resort for a text that cannot be pasted
    };

    // Long enough for the focus to come back after wl-copy's own surface (GNOME) or the
    // desktop's consent dialog has gone.
    static constexpr std::chrono::milliseconds focusSettle{250};

    static Offer probe();
    // The offer of a session whose compositor listed these globals (none: it did not answer).
    static Offer offerFrom(const std::optional<QStringList> &globals);

    WaylandDesktop(const Offer &offer, X11Side x11, Scheduler &scheduler);
    ~WaylandDesktop();
    // What the session offers and where the focused window is learnt from (the log's line).
    QString describe() const;

    FrontmostApp &frontmost() { return frontmost_; }
    WaylandPermissions &permissions() { return permissions_; }
    const Offer &offer() const { return offer_; }

    // The desktop's RemoteDesktop portal offers a keyboard: where the compositor's own
    // protocols are missing (GNOME, KDE without a virtual keyboard), its keyboard posts the
    // paste chord. Nothing happens where wl-copy and wtype can paste.
    void useRemoteDesktop(const QDBusConnection &bus, DefaultsStore &settings, const PortalSupport &support);
    void portalGone();
    // The portal's keyboard, when it is in use.
    PortalRemoteDesktop *remoteDesktop() { return remoteKeys_.get(); }

    // A dictation starts: the window focused now is the one its text goes to.
    void noteTarget();
    // `returnFollows`: an auto-send Return comes right after the paste, through the same keyboard.
    void insert(const QString &text, bool restoreClipboard, bool returnFollows, InsertDone done);
    void pressReturn() { router_.pressReturn(); }
    // Return after the input method committed the text: no paste chose a route for it.
    void pressReturnNow() { router_.pressReturnNow(); }
    // The route a dictation would take now (for --doctor). `portal`: what the desktop's
    // portal offers where its keyboard was never opened here (the first paste would ask).
    InsertionRoute routeNow(const std::optional<PortalSupport> &portal = std::nullopt);
    // Told how long each paste keystroke took from the text's delivery, and by which route.
    void setPasteReport(std::function<void(const QString &)> report) { report_ = std::move(report); }

    static QString routeName(InsertionRoute route);

private:
    // Forwards keystrokes: reports when the paste went out, and first lets the focus come
    // back where something of the desktop's took it for a moment.
    class PastePoster final : public KeystrokePoster {
    public:
        PastePoster(WaylandDesktop &owner, KeystrokePoster &keys, bool settle)
            : owner_(owner)
            , keys_(keys)
            , settle_(settle)
        {
        }
        void postPaste(PasteChord chord, Done done) override;
        void postReturn(Done done) override { keys_.postReturn(std::move(done)); }

    private:
        WaylandDesktop &owner_;
        KeystrokePoster &keys_;
        bool settle_;
    };

    WaylandDesktop(const Offer &offer, X11Side x11, Scheduler &scheduler,
        std::pair<std::unique_ptr<CompositorFocus>, QString> focus);
    bool focusStayed();
    Pasteboard *textClipboard(Pasteboard *x11Clipboard);
    void openPortal(std::function<void(bool)> open);
    void report(const QString &line);

    ProcessRunner runner_;
    WlClipboardPasteboard wlClipboard_;
    WtypeKeystrokePoster wtype_;
    PastePoster toolsPoster_;
    QString focusSource_;
    WaylandFrontmostApp frontmost_;
    WaylandPermissions permissions_;
    std::unique_ptr<TextInserter> toolsInserter_;
    Offer offer_;
    Scheduler &scheduler_;
    Pasteboard *x11Clipboard_;
    std::unique_ptr<PortalRemoteDesktop> remoteKeys_;
    std::unique_ptr<PortalClipboard> remoteClipboard_;
    std::unique_ptr<PastePoster> remotePoster_;
    std::unique_ptr<TextInserter> remoteInserter_;
    InsertionRouter router_;
    std::optional<AppIdentity> target_;
    bool targetNoted_ = false;
    QElapsedTimer delivered_;
    std::function<void(const QString &)> report_;
    ScheduledWork settleWork_;
};

} // namespace quillo
