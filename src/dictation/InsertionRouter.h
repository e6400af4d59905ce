#pragma once

#include "dictation/InsertionRoute.h"
#include "dictation/TextInserter.h"

namespace quillo {

// Sends each dictation's text along the route the session offers for the window that
// has the focus at that moment (see chooseInsertionRoute). Where nothing can paste, the
// text is left on the clipboard for the user's own paste, and never put back.
class InsertionRouter {
public:
    struct Routes {
        TextInserter *x11 = nullptr; // X11 clipboard and XTest (XWayland windows)
        TextInserter *waylandTools = nullptr; // wl-copy and wtype
        TextInserter *portal = nullptr; // the RemoteDesktop portal, where a session was granted
        Pasteboard *clipboardOnly = nullptr; // where the text waits when nothing can paste
    };

    InsertionRouter(Routes routes, FrontmostApp &frontmost, QString sourceIdentifier);

    // afterPaste: as TextInserter::insert; never run when nothing was pasted.
    InsertOutcome insert(const QString &text, bool restoreClipboard, std::function<void()> afterPaste = {});
    // Return follows the paste along the route that pasted.
    void pressReturn();

    // Whether any route can paste at all.
    bool canPaste() const { return routes_.x11 || routes_.waylandTools || routes_.portal; }
    InsertionRoute lastRoute() const { return last_; }
    InsertionFacts factsNow();

private:
    TextInserter *inserterFor(InsertionRoute route) const;

    Routes routes_;
    FrontmostApp &frontmost_;
    QString source_;
    InsertionRoute last_ = InsertionRoute::clipboardOnly;
};

} // namespace quillo
