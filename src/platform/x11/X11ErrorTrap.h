#pragma once

#include <X11/Xlib.h>

namespace quillo {

// Catches X protocol errors for its lifetime instead of letting Xlib's default
// handler end the process (a window may vanish between two requests).
// WORKAROUND: Xlib error handlers are process-wide function pointers with no
// context, so the error code lives in a thread_local; the trap syncs before it
// reads the code and before it puts the previous handler back.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display *display)
        : display_(display)
    {
        XSync(display_, False);
        lastError() = 0;
        previous_ = XSetErrorHandler(&record);
    }
    ~X11ErrorTrap()
    {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    X11ErrorTrap(const X11ErrorTrap &) = delete;
    X11ErrorTrap &operator=(const X11ErrorTrap &) = delete;

    // True when a request since the trap was set (or since the last reset) failed.
    bool failed()
    {
        XSync(display_, False);
        return lastError() != 0;
    }
    void reset()
    {
        XSync(display_, False);
        lastError() = 0;
    }

private:
    static int record(Display *, XErrorEvent *event)
    {
        lastError() = event->error_code;
        return 0;
    }
    static int &lastError()
    {
        thread_local int code = 0;
        return code;
    }

    Display *display_;
    XErrorHandler previous_ = nullptr;
};

} // namespace quillo
