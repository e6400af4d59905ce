#pragma once

#include "platform/WindowHints.h"
#include "platform/x11/X11Display.h"

namespace quillo {

// EWMH requests for our overlay: on every desktop (sticky) and above other windows.
// Uses its own X connection; does nothing without an X server.
class X11WindowHints final : public WindowHints {
public:
    X11WindowHints();

    void showOnAllWorkspaces(quintptr nativeId) override;

private:
    X11Display display_;
};

} // namespace quillo
