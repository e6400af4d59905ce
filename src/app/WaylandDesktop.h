#pragma once

#include "dictation/InsertionRouter.h"
#include "dictation/TextInserter.h"
#include "platform/DefaultsStore.h"
#include "platform/Scheduler.h"
#include "platform/portal/PortalClipboard.h"
#include "platform/portal/PortalRemoteDesktop.h"
#include "platform/wayland/ProcessRunner.h"
#include "platform/wayland/WaylandFrontmostApp.h"
#include "platform/wayland/WaylandPermissions.h"
#include "platform/wayland/WlClipboardPasteboard.h"
#include "platform/wayland/WtypeKeystrokePoster.h"

#include <QDBusConnection>
#include <QElapsedTimer>

#include <functional>
#include <memory>

namespace quillo {

// The Wayland side of a desktop session: which window has the focus (compositor IPC,
// X11 for XWayland windows) and how a text reaches it (X11 for XWayland windows, else
// wl-copy + wtype where the compositor offers data-control and a virtual keyboard, else
// the RemoteDesktop portal while its session runs, else the clipboard alone), decided per
// dictation.
class WaylandDesktop {
public:
    // What the session offers, looked up once at start.
    struct Offer {
        bool dataControl = false; // ext-data-control-v1 or zwlr_data_control_manager_v1
        bool virtualKeyboard = false; // zwp_virtual_keyboard_manager_v1
        bool clipboardTools = false; // wl-copy and wl-paste installed
        bool keyTool = false; // wtype installed
        QString swaySocket;
        QString hyprlandSocket;

        bool canUseTools() const { return dataControl && virtualKeyboard && clipboardTools && keyTool; }
        // One line for a log or a test: what was found.
        QString describe() const;
    };

    // The X11 pieces of the session, where XWayland runs (each may be absent).
    struct X11Side {
        TextInserter *inserter = nullptr; // only when XTest can post keys
        FrontmostApp *frontmost = nullptr;
        Pasteboard *clipboard = nullptr; // last resort for a text that cannot be pasted
    };

    static Offer probe();

    WaylandDesktop(const Offer &offer, X11Side x11, Scheduler &scheduler);
    ~WaylandDesktop();

    FrontmostApp &frontmost() { return frontmost_; }
    WaylandPermissions &permissions() { return permissions_; }

    // The desktop's RemoteDesktop portal offers a keyboard: where the compositor's own
    // protocols are missing (GNOME, KDE without a virtual keyboard), its keyboard posts
    // the paste chord and, without data-control, its Clipboard interface holds the text.
    // The session starts now (asking the user once; a stored grant restores it) and is
    // kept; one the desktop closed starts again at the next paste. Nothing happens where
    // wl-copy and wtype can paste.
    void useRemoteDesktop(const QDBusConnection &bus, DefaultsStore &settings);
    // The portal's keyboard session, when it is in use.
    PortalRemoteDesktop *remoteDesktop() { return remoteKeys_.get(); }
    InsertOutcome insert(const QString &text, bool restoreClipboard, std::function<void()> afterPaste);
    void pressReturn() { router_.pressReturn(); }
    // Told how long each paste keystroke took from the text's delivery, and by which route.
    void setPasteReport(std::function<void(const QString &)> report) { report_ = std::move(report); }

private:
    // Forwards keystrokes and reports when the paste has been posted.
    class TimedPoster final : public KeystrokePoster {
    public:
        explicit TimedPoster(WaylandDesktop &owner)
            : owner_(owner)
        {
        }
        void postPaste(PasteChord chord, Done done) override;
        void postReturn(Done done) override { owner_.wtype_.postReturn(std::move(done)); }

    private:
        WaylandDesktop &owner_;
    };

    bool remoteReady() const;

    ProcessRunner runner_;
    WlClipboardPasteboard wlClipboard_;
    WtypeKeystrokePoster wtype_;
    TimedPoster timedPoster_;
    WaylandFrontmostApp frontmost_;
    WaylandPermissions permissions_;
    std::unique_ptr<TextInserter> toolsInserter_;
    Offer offer_;
    Scheduler &scheduler_;
    std::unique_ptr<PortalRemoteDesktop> remoteKeys_;
    std::unique_ptr<PortalClipboard> remoteClipboard_;
    std::unique_ptr<TextInserter> remoteInserter_;
    InsertionRouter router_;
    QElapsedTimer delivered_;
    std::function<void(const QString &)> report_;
};

} // namespace quillo
