#include "dictation/HUDModel.h"
#include "platform/fake/ManualScheduler.h"
#include "ui/PanelWindow.h"
#include "ui/RecordingPanel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

// Xlib's macros (Status, None…) clash with Qt's headers, so it comes last.
#include "platform/x11/X11Display.h"
#include "platform/x11/X11WindowHints.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <optional>

namespace quillo {
namespace {

std::optional<unsigned long> cardinal(Display *display, Window window, const char *name)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    const Atom property = XInternAtom(display, name, False);
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data)
            != Success
        || !data)
        return std::nullopt;
    const unsigned long value = count ? *reinterpret_cast<unsigned long *>(data) : 0;
    XFree(data);
    if (!count)
        return std::nullopt;
    return value;
}

bool viewable(Display *display, Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

void askWindowManager(Display *display, const char *message, long desktop)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = DefaultRootWindow(display);
    event.xclient.message_type = XInternAtom(display, message, False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = desktop;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
}

// Spins the event loop until done() or three seconds have passed.
template <typename F> bool eventually(F done)
{
    QDeadlineTimer deadline(3000);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (done())
            return true;
    }
    return done();
}

TEST(RecordingPanelOnX11, ShownOnEveryDesktopAboveTheBottomOfTheScreen)
{
    X11Display display = openX11Display();
    ASSERT_TRUE(display);
    HUDModel model;
    ManualScheduler scheduler;
    X11WindowHints hints;
    RecordingPanel panel(model, scheduler, &hints);
    model.setPhase(DictationPhase::recording());
    panel.show();

    const auto window = static_cast<Window>(panel.window().winId());
    Display *d = display.get();
    // Xlib hands 32-bit properties back in a long.
    EXPECT_TRUE(eventually(
        [&] { return (cardinal(d, window, "_NET_WM_DESKTOP").value_or(0) & 0xFFFFFFFFul) == 0xFFFFFFFFul; }));
    ASSERT_TRUE(eventually([&] { return viewable(d, window); }));
    askWindowManager(d, "_NET_NUMBER_OF_DESKTOPS", 2);
    ASSERT_TRUE(eventually([&] { return cardinal(d, DefaultRootWindow(d), "_NET_NUMBER_OF_DESKTOPS") >= 2ul; }));
    // A window manager forgets a window's desktop when it is hidden: every dictation's panel must follow.
    for (const char *round : {"first", "second"}) {
        askWindowManager(d, "_NET_CURRENT_DESKTOP", 1);
        EXPECT_TRUE(eventually([&] { return cardinal(d, DefaultRootWindow(d), "_NET_CURRENT_DESKTOP") == 1ul; }));
        EXPECT_TRUE(eventually([&] { return viewable(d, window); }))
            << "the " << round << " panel follows the user to another desktop";
        askWindowManager(d, "_NET_CURRENT_DESKTOP", 0);
        EXPECT_TRUE(eventually([&] { return cardinal(d, DefaultRootWindow(d), "_NET_CURRENT_DESKTOP") == 0ul; }));
        EXPECT_FALSE(QGuiApplication::focusWindow() == panel.window().windowHandle());
        panel.hide();
        EXPECT_TRUE(eventually([&] { return !viewable(d, window); }));
        panel.show();
        ASSERT_TRUE(eventually([&] { return viewable(d, window); }));
    }

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(panel.window().geometry().bottom() + 1, area.bottom() + 1 - 72);
    EXPECT_EQ(panel.window().geometry().center().x(), area.center().x());
    panel.hide();
}

} // namespace
} // namespace quillo
