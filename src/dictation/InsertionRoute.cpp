#include "dictation/InsertionRoute.h"

namespace quillo {

InsertionRoute chooseInsertionRoute(const InsertionFacts &facts)
{
    if (facts.focusMoved)
        return InsertionRoute::clipboardOnly;
    if (facts.focusIsX11 && facts.x11Paste)
        return InsertionRoute::x11;
    // The compositor's virtual keyboard reaches XWayland windows too, and it hands our
    // Wayland clipboard to them when they take the focus.
    if (facts.waylandTools)
        return InsertionRoute::waylandTools;
    if (facts.portal)
        return InsertionRoute::portal;
    return InsertionRoute::clipboardOnly;
}

} // namespace quillo
