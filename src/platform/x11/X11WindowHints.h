#pragma once

#include "platform/WindowHints.h"

#include <memory>

namespace quillo {

// EWMH requests for our overlay: on every desktop (sticky) and above other windows.
// Uses its own X connection; does nothing without an X server.
class X11WindowHints final : public WindowHints {
public:
    X11WindowHints();
    ~X11WindowHints() override;

    void showOnAllWorkspaces(quintptr nativeId) override;

private:
    // Xlib stays out of this header: its macros (None, Bool...) break Qt headers.
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

} // namespace quillo
