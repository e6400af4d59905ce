#pragma once

#include "dictation/InsertionRouter.h"
#include "dictation/TextInserter.h"
#include "platform/Scheduler.h"
#include "platform/wayland/ProcessRunner.h"
#include "platform/wayland/WaylandFrontmostApp.h"
#include "platform/wayland/WaylandPermissions.h"
#include "platform/wayland/WlClipboardPasteboard.h"
#include "platform/wayland/WtypeKeystrokePoster.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>

namespace quillo {

// The Wayland side of a desktop session: which window has the focus (compositor IPC,
// X11 for XWayland windows) and how a text reaches it (X11 for XWayland windows, else
// wl-copy + wtype where the compositor offers data-control and a virtual keyboard, else
// the portal, else the clipboard alone), decided per dictation.
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
    Permissions &permissions() { return permissions_; }
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

    ProcessRunner runner_;
    WlClipboardPasteboard wlClipboard_;
    WtypeKeystrokePoster wtype_;
    TimedPoster timedPoster_;
    WaylandFrontmostApp frontmost_;
    WaylandPermissions permissions_;
    std::unique_ptr<TextInserter> toolsInserter_;
    InsertionRouter router_;
    QElapsedTimer delivered_;
    std::function<void(const QString &)> report_;
};

} // namespace quillo
