#pragma once

#include "dictation/InsertionRoute.h"
#include "dictation/TextInserter.h"

#include <functional>

namespace quillo {

// Sends each dictation's text along the route the session offers for the window that
// has the focus at that moment (see chooseInsertionRoute). Where nothing can paste, the
// text is left on the clipboard for the user's own paste, and never put back.
class InsertionRouter {
public:
    // Opens the portal's keyboard for one paste (asking the user where the desktop does)
    // and answers whether it is open.
    using PortalOpener = std::function<void(std::function<void(bool open)>)>;

    struct Routes {
        TextInserter *x11 = nullptr; // X11 clipboard and XTest (XWayland windows)
        TextInserter *waylandTools = nullptr; // wl-copy and wtype
        TextInserter *portal = nullptr; // the RemoteDesktop portal, where the desktop offers it
        // Whether the portal's keyboard can be used (not refused); unset: always.
        std::function<bool()> portalUsable;
        // Unset: the portal's keyboard is always open.
        PortalOpener openPortal;
        Pasteboard *clipboardOnly = nullptr; // where the text waits when nothing can paste
        // Whether the focus is still where the dictation started; unset: it cannot have moved.
        std::function<bool()> focusStayed;
    };

    InsertionRouter(Routes routes, FrontmostApp &frontmost, QString sourceIdentifier);

    // The portal's route becomes known after start-up (the desktop's answer).
    void setPortal(TextInserter *portal, std::function<bool()> usable, PortalOpener open);
    void setFocusCheck(std::function<bool()> focusStayed) { routes_.focusStayed = std::move(focusStayed); }

    // `done` hears the outcome once: `pasted` when the keystroke went out.
    void insert(const QString &text, bool restoreClipboard, InsertDone done);
    // Return follows the paste along the route that pasted.
    void pressReturn();
    // Return after a text that came another way (the input method): along the route the
    // window focused now would take.
    void pressReturnNow();

    // Whether any route can paste at all.
    bool canPaste() const { return routes_.x11 || routes_.waylandTools || portalUsable(); }
    InsertionRoute lastRoute() const { return last_; }
    InsertionFacts factsNow();

private:
    TextInserter *inserterFor(InsertionRoute route) const;
    bool portalUsable() const { return routes_.portal && (!routes_.portalUsable || routes_.portalUsable()); }
    void leaveOnClipboard(const QString &text, const InsertDone &done);

    Routes routes_;
    FrontmostApp &frontmost_;
    QString source_;
    InsertionRoute last_ = InsertionRoute::clipboardOnly;
};

} // namespace quillo
