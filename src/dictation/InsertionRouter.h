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
    struct Routes {
        TextInserter *x11 = nullptr; // X11 clipboard and XTest (XWayland windows)
        TextInserter *waylandTools = nullptr; // wl-copy and wtype
        TextInserter *portal = nullptr; // the RemoteDesktop portal, where the desktop offers it
        // Whether the portal's session runs at this moment (granted, not closed since); unset: always.
        // A paste is claimed only when its keystroke can go out, so without a running session the
        // text waits on the clipboard instead.
        std::function<bool()> portalReady;
        Pasteboard *clipboardOnly = nullptr; // where the text waits when nothing can paste
    };

    InsertionRouter(Routes routes, FrontmostApp &frontmost, QString sourceIdentifier);

    // The portal's route becomes known after start-up (the desktop's answer).
    void setPortal(TextInserter *portal, std::function<bool()> ready)
    {
        routes_.portal = portal;
        routes_.portalReady = std::move(ready);
    }

    // afterPaste: as TextInserter::insert; never run when nothing was pasted.
    InsertOutcome insert(const QString &text, bool restoreClipboard, std::function<void()> afterPaste = {});
    // Return follows the paste along the route that pasted.
    void pressReturn();

    // Whether any route can paste at all.
    bool canPaste() const { return routes_.x11 || routes_.waylandTools || portalReady(); }
    InsertionRoute lastRoute() const { return last_; }
    InsertionFacts factsNow();

private:
    TextInserter *inserterFor(InsertionRoute route) const;
    bool portalReady() const { return routes_.portal && (!routes_.portalReady || routes_.portalReady()); }

    Routes routes_;
    FrontmostApp &frontmost_;
    QString source_;
    InsertionRoute last_ = InsertionRoute::clipboardOnly;
};

} // namespace quillo
