#pragma once

#include <fcitx-utils/handlertable.h>
#include <fcitx/addoninstance.h>
#include <wayland_public.h>

#include <memory>
#include <string>
#include <unordered_map>

namespace quillo::fcitx5 {

// Sends what fcitx5 queued on its Wayland connections at once. fcitx5 flushes them only after
// handling Wayland events of its own; a commit or preedit asked for over D-Bus would otherwise
// wait in the queue until the next key press reaches fcitx5 (input-method-v2 on sway).
class WaylandFlusher {
public:
    // Without fcitx5's wayland addon (an X11 session) there is nothing to flush.
    explicit WaylandFlusher(fcitx::AddonInstance *waylandAddon);

    void flush();

private:
    std::unordered_map<std::string, wl_display *> displays_;
    std::unique_ptr<fcitx::HandlerTableEntry<fcitx::WaylandConnectionCreated>> created_;
    std::unique_ptr<fcitx::HandlerTableEntry<fcitx::WaylandConnectionClosed>> closed_;
};

} // namespace quillo::fcitx5
