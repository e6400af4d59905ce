#include "dictation/InsertionRouter.h"

#include <utility>

namespace quillo {
namespace {

// The clipboard really holds the text now (a write that reported success may not have
// reached the desktop's clipboard).
bool holdsText(const Pasteboard &clipboard, const QString &text)
{
    const QByteArray wanted = text.toUtf8();
    for (const PasteboardItem &item : clipboard.items()) {
        for (const PasteboardEntry &entry : item) {
            if (entry.type.startsWith(QLatin1String("text/plain")) && entry.data == wanted)
                return true;
        }
    }
    return false;
}

} // namespace

InsertionRouter::InsertionRouter(Routes routes, FrontmostApp &frontmost, QString sourceIdentifier)
    : routes_(std::move(routes))
    , frontmost_(frontmost)
    , source_(std::move(sourceIdentifier))
{
}

void InsertionRouter::setPortal(TextInserter *portal, std::function<bool()> usable, PortalOpener open)
{
    routes_.portal = portal;
    routes_.portalUsable = std::move(usable);
    routes_.openPortal = std::move(open);
}

InsertionFacts InsertionRouter::factsNow()
{
    const auto app = frontmost_.current();
    return InsertionFacts{
        .focusIsX11 = app && !app->nativeWayland,
        .x11Paste = routes_.x11 != nullptr,
        .waylandTools = routes_.waylandTools != nullptr,
        .portal = portalUsable(),
        .focusMoved = routes_.focusStayed && !routes_.focusStayed(),
    };
}

TextInserter *InsertionRouter::inserterFor(InsertionRoute route) const
{
    switch (route) {
    case InsertionRoute::x11:
        return routes_.x11;
    case InsertionRoute::waylandTools:
        return routes_.waylandTools;
    case InsertionRoute::portal:
        return routes_.portal;
    case InsertionRoute::clipboardOnly:
        break;
    }
    return nullptr;
}

void InsertionRouter::insert(const QString &text, bool restoreClipboard, InsertDone done)
{
    last_ = chooseInsertionRoute(factsNow());
    TextInserter *inserter = inserterFor(last_);
    if (!inserter) {
        leaveOnClipboard(text, done);
        return;
    }
    if (last_ != InsertionRoute::portal || !routes_.openPortal) {
        inserter->insert(text, restoreClipboard, std::move(done));
        return;
    }
    routes_.openPortal([this, inserter, text, restoreClipboard, done = std::move(done)](bool open) {
        // The user may have moved on while the desktop asked.
        if (!open || (routes_.focusStayed && !routes_.focusStayed())) {
            last_ = InsertionRoute::clipboardOnly;
            leaveOnClipboard(text, done);
            return;
        }
        inserter->insert(text, restoreClipboard, done);
    });
}

// No paste will follow, so nothing is put back: the text must stay for the user, and
// "copied" is said only when the clipboard really holds it.
void InsertionRouter::leaveOnClipboard(const QString &text, const InsertDone &done)
{
    Pasteboard *clipboard = routes_.clipboardOnly;
    if (!clipboard) {
        done(InsertOutcome::clipboardFailed);
        return;
    }
    clipboard->clear();
    if (!clipboard->write({TextInserter::pastedItem(text, source_)}) || !holdsText(*clipboard, text)) {
        done(InsertOutcome::clipboardFailed);
        return;
    }
    done(InsertOutcome::copiedOnly);
}

void InsertionRouter::pressReturn()
{
    if (TextInserter *inserter = inserterFor(last_))
        inserter->pressReturn();
}

void InsertionRouter::pressReturnNow()
{
    last_ = chooseInsertionRoute(factsNow());
    if (last_ != InsertionRoute::portal || !routes_.openPortal) {
        pressReturn();
        return;
    }
    routes_.openPortal([this](bool open) {
        if (open)
            pressReturn();
    });
}

} // namespace quillo
