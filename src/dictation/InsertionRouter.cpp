#include "dictation/InsertionRouter.h"

#include <utility>

namespace quillo {

InsertionRouter::InsertionRouter(Routes routes, FrontmostApp &frontmost, QString sourceIdentifier)
    : routes_(std::move(routes))
    , frontmost_(frontmost)
    , source_(std::move(sourceIdentifier))
{
}

InsertionFacts InsertionRouter::factsNow()
{
    const auto app = frontmost_.current();
    return InsertionFacts{
        .focusIsX11 = app && !app->nativeWayland,
        .x11Paste = routes_.x11 != nullptr,
        .waylandTools = routes_.waylandTools != nullptr,
        .portal = portalReady(),
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

InsertOutcome InsertionRouter::insert(const QString &text, bool restoreClipboard, std::function<void()> afterPaste)
{
    last_ = chooseInsertionRoute(factsNow());
    if (TextInserter *inserter = inserterFor(last_))
        return inserter->insert(text, restoreClipboard, std::move(afterPaste));
    // No paste will follow, so nothing is put back: the text must stay for the user.
    Pasteboard *clipboard = routes_.clipboardOnly;
    if (!clipboard)
        return InsertOutcome::clipboardFailed;
    clipboard->clear();
    if (!clipboard->write({TextInserter::pastedItem(text, source_)}))
        return InsertOutcome::clipboardFailed;
    return InsertOutcome::copiedOnly;
}

void InsertionRouter::pressReturn()
{
    if (TextInserter *inserter = inserterFor(last_))
        inserter->pressReturn();
}

} // namespace quillo
