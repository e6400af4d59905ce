#include "platform/wayland/WaylandFrontmostApp.h"

#include <QFileInfo>

namespace quillo {

WaylandFrontmostApp::WaylandFrontmostApp(
    std::unique_ptr<CompositorFocus> compositor, FrontmostApp *x11, DesktopEntryIndex entries)
    : compositor_(std::move(compositor))
    , x11_(x11)
    , entries_(std::move(entries))
{
}

WaylandFrontmostApp::~WaylandFrontmostApp() = default;

AppIdentity WaylandFrontmostApp::identityOf(const CompositorWindow &window, DesktopEntryIndex &entries)
{
    AppIdentity app;
    app.windowClass = window.appId;
    app.windowInstance = window.x11Instance;
    app.pid = window.pid;
    app.nativeWayland = !window.xwayland;
    app.window = window.id;
    const QString executable
        = window.pid > 0 ? QFileInfo(QStringLiteral("/proc/%1/exe").arg(window.pid)).canonicalFilePath() : QString();
    const QString fallback = !window.appId.isEmpty() ? window.appId : window.x11Instance;
    if (const auto entry = entries.match(window.appId, window.x11Instance, executable)) {
        app.identifier = entry->id;
        app.name = entry->name;
    } else {
        app.identifier = fallback;
        app.name = fallback;
    }
    return app;
}

std::optional<AppIdentity> WaylandFrontmostApp::current()
{
    if (!compositor_)
        return x11_ ? x11_->current() : std::nullopt;
    const auto window = compositor_->focusedWindow();
    if (!window)
        return std::nullopt;
    if (window->xwayland && x11_) {
        if (auto app = x11_->current())
            return app;
    }
    return identityOf(*window, entries_);
}

} // namespace quillo
