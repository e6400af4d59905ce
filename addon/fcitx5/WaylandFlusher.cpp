#include "WaylandFlusher.h"

namespace quillo::fcitx5 {

WaylandFlusher::WaylandFlusher(fcitx::AddonInstance *waylandAddon)
{
    if (!waylandAddon) {
        return;
    }
    // Called at once for the connections already open, then for every new one.
    created_ = waylandAddon->call<fcitx::IWaylandModule::addConnectionCreatedCallback>(
        [this](const std::string &name, wl_display *display, fcitx::FocusGroup *) { displays_[name] = display; });
    closed_ = waylandAddon->call<fcitx::IWaylandModule::addConnectionClosedCallback>(
        [this](const std::string &name, wl_display *) { displays_.erase(name); });
}

void WaylandFlusher::flush()
{
    for (const auto &[name, display] : displays_) {
        wl_display_flush(display);
    }
}

} // namespace quillo::fcitx5
