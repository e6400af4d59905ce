#pragma once

#include "platform/WindowHints.h"

#include <memory>

namespace quillo {

// EWMH hints for our overlay: on every workspace (_NET_WM_DESKTOP 0xFFFFFFFF
// and the sticky state), so the panel follows the user across desktops.
class X11WindowHints final : public WindowHints {
public:
    X11WindowHints();
    ~X11WindowHints() override;
    void showOnAllWorkspaces(quintptr nativeId) override;

private:
    // Xlib stays out of this header: its macros break Qt's.
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

} // namespace quillo
