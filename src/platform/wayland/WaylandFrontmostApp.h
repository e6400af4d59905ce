#pragma once

#include "platform/FrontmostApp.h"
#include "platform/wayland/CompositorFocus.h"
#include "platform/x11/DesktopEntryIndex.h"

#include <memory>

namespace quillo {

// The focused application in a Wayland session. The compositor's own interface says
// which window has the focus; an XWayland window is then described by the X11 adapter
// (as on an X11 desktop), a native one by its app_id and the desktop entry of that id.
// Without a compositor interface only XWayland windows can be named; a native window
// then reads as unknown.
class WaylandFrontmostApp final : public FrontmostApp {
public:
    // compositor and x11 may each be absent.
    WaylandFrontmostApp(std::unique_ptr<CompositorFocus> compositor, FrontmostApp *x11, DesktopEntryIndex entries);
    ~WaylandFrontmostApp() override;

    std::optional<AppIdentity> current() override;

    // A compositor's window as an application identity, the desktop entry's id and name
    // when one matches.
    static AppIdentity identityOf(const CompositorWindow &window, DesktopEntryIndex &entries);

private:
    std::unique_ptr<CompositorFocus> compositor_;
    FrontmostApp *x11_;
    DesktopEntryIndex entries_;
};

} // namespace quillo
