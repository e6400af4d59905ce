#pragma once

#include <X11/Xlib.h>

#include <memory>

namespace quillo {

struct X11DisplayCloser {
    void operator()(Display *d) const
    {
        if (d)
            XCloseDisplay(d);
    }
};

// An X connection of our own (never Qt's), closed when the owner goes.
using X11Display = std::unique_ptr<Display, X11DisplayCloser>;

// Opens a connection to $DISPLAY; empty when there is no X server.
inline X11Display openX11Display()
{
    return X11Display(XOpenDisplay(nullptr));
}

} // namespace quillo
