#include "platform/x11/X11FrontmostApp.h"

#include "platform/x11/X11Display.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <QFileInfo>
#include <QLocale>

#include <memory>
#include <optional>

namespace quillo {

struct X11FrontmostApp::Connection {
    X11Display display = openX11Display();
};
namespace {

struct XFreeDeleter {
    void operator()(void *p) const
    {
        if (p)
            XFree(p);
    }
};

// One 32-bit value (a WINDOW or CARDINAL) of a window property; none when absent.
std::optional<unsigned long> cardinalProperty(Display *d, Window w, const char *name, Atom type)
{
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *raw = nullptr;
    const Atom property = XInternAtom(d, name, False);
    if (XGetWindowProperty(d, w, property, 0, 1, False, type, &actualType, &format, &count, &after, &raw) != Success)
        return std::nullopt;
    std::unique_ptr<unsigned char, XFreeDeleter> data(raw);
    if (!data || actualType != type || format != 32 || count < 1)
        return std::nullopt;
    return *reinterpret_cast<unsigned long *>(data.get()); // Xlib hands 32-bit items as longs
}

bool classHint(Display *d, Window w, QString &windowClass, QString &instance)
{
    XClassHint hint{};
    if (!XGetClassHint(d, w, &hint))
        return false;
    std::unique_ptr<char, XFreeDeleter> name(hint.res_name), cls(hint.res_class);
    instance = name ? QString::fromLocal8Bit(name.get()) : QString();
    windowClass = cls ? QString::fromLocal8Bit(cls.get()) : QString();
    return !instance.isEmpty() || !windowClass.isEmpty();
}

QString executableOf(qint64 pid)
{
    if (pid <= 0)
        return {};
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath();
}

} // namespace

X11FrontmostApp::X11FrontmostApp()
    : X11FrontmostApp(DesktopEntryIndex(DesktopEntryIndex::systemApplicationDirs(), QLocale::system().name()))
{
}

X11FrontmostApp::X11FrontmostApp(DesktopEntryIndex entries)
    : x_(std::make_unique<Connection>())
    , entries_(std::move(entries))
{
}

X11FrontmostApp::~X11FrontmostApp() = default;

std::optional<AppIdentity> X11FrontmostApp::current()
{
    if (!x_->display)
        return std::nullopt;
    Display *d = x_->display.get();
    AppIdentity app;
    {
        X11ErrorTrap trap(d); // the window may close while we ask about it
        const Window window = windowWithClass(focusedWindow());
        if (window == None || !classHint(d, window, app.windowClass, app.windowInstance) || trap.failed())
            return std::nullopt;
        app.window = QStringLiteral("x11:%1").arg(window, 0, 16);
        app.pid = static_cast<qint64>(cardinalProperty(d, window, "_NET_WM_PID", XA_CARDINAL).value_or(0));
        if (trap.failed())
            app.pid = 0;
    }
    const QString fallback = !app.windowClass.isEmpty() ? app.windowClass : app.windowInstance;
    if (const auto entry = entries_.match(app.windowClass, app.windowInstance, executableOf(app.pid))) {
        app.identifier = entry->id;
        app.name = entry->name;
    } else {
        app.identifier = fallback;
        app.name = fallback;
    }
    return app;
}

unsigned long X11FrontmostApp::focusedWindow()
{
    Display *d = x_->display.get();
    const Window root = DefaultRootWindow(d);
    // An EWMH window manager says which window is active, None included (the desktop).
    if (const auto active = cardinalProperty(d, root, "_NET_ACTIVE_WINDOW", XA_WINDOW))
        return *active;
    // Without one: the top level that holds the input focus.
    Window focus = None;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == root)
        return None;
    for (Window w = focus;;) {
        Window rootReturn = None, parent = None;
        Window *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(d, w, &rootReturn, &parent, &children, &count))
            return None;
        if (children)
            XFree(children);
        if (parent == rootReturn || parent == None)
            return w;
        w = parent;
    }
}

// The window itself when it has a WM_CLASS, else the first child that has one
// (a reparenting window manager's frame holds the client window).
unsigned long X11FrontmostApp::windowWithClass(unsigned long window)
{
    Display *d = x_->display.get();
    if (window == None || window == DefaultRootWindow(d))
        return None;
    QString cls, instance;
    if (classHint(d, window, cls, instance))
        return window;
    Window rootReturn = None, parent = None;
    Window *raw = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, window, &rootReturn, &parent, &raw, &count))
        return None;
    std::unique_ptr<Window, XFreeDeleter> children(raw);
    for (unsigned int i = 0; i < count; ++i) {
        if (classHint(d, children.get()[i], cls, instance))
            return children.get()[i];
    }
    return None;
}

} // namespace quillo
