#pragma once

#include "platform/WindowHints.h"

#include <memory>

namespace quillo {

// EWMH requests for our overlay: on every desktop (sticky) and above other windows.
// Uses its own X connection; does nothing without an X server.
class X11WindowHints final : public WindowHints {
public:
    // bypassWindowManager: on XWayland in a Wayland session, where only an unmanaged
    // window keeps its place and leaves the focus alone.
    explicit X11WindowHints(bool bypassWindowManager = false);
    ~X11WindowHints() override;

    void showOnAllWorkspaces(quintptr nativeId) override;
    bool bypassWindowManager() const override { return bypass_; }

private:
    // Xlib stays out of this header: its macros (None, Bool...) break Qt headers.
    struct Connection;
    std::unique_ptr<Connection> connection_;
    bool bypass_ = false;
};

} // namespace quillo
