#include "app/WaylandDesktop.h"

#include "platform/wayland/HyprlandIpcFocus.h"
#include "platform/wayland/SwayIpcFocus.h"
#include "platform/wayland/WaylandRegistryProbe.h"

#include <QLocale>
#include <QStandardPaths>

namespace quillo {

namespace {

std::unique_ptr<CompositorFocus> compositorFocus(const WaylandDesktop::Offer &offer)
{
    if (!offer.swaySocket.isEmpty())
        return std::make_unique<SwayIpcFocus>(offer.swaySocket);
    if (!offer.hyprlandSocket.isEmpty())
        return std::make_unique<HyprlandIpcFocus>(offer.hyprlandSocket);
    return nullptr;
}

// The portals' parts are added once the portal has answered.
WaylandPermissions::Sources pasteSources(bool tools, bool x11Paste)
{
    WaylandPermissions::Sources sources;
    sources.virtualKeyboard = tools;
    sources.x11Paste = x11Paste;
    return sources;
}

QString routeName(InsertionRoute route)
{
    switch (route) {
    case InsertionRoute::x11:
        return QStringLiteral("x11");
    case InsertionRoute::waylandTools:
        return QStringLiteral("wayland-tools");
    case InsertionRoute::portal:
        return QStringLiteral("portal");
    case InsertionRoute::clipboardOnly:
        break;
    }
    return QStringLiteral("clipboard-only");
}

} // namespace

WaylandDesktop::Offer WaylandDesktop::probe()
{
    Offer offer;
    const QStringList globals = WaylandRegistryProbe::globals(WaylandRegistryProbe::sessionSocket());
    offer.dataControl = globals.contains(QLatin1String("ext_data_control_manager_v1"))
        || globals.contains(QLatin1String("zwlr_data_control_manager_v1"));
    offer.virtualKeyboard = globals.contains(QLatin1String("zwp_virtual_keyboard_manager_v1"));
    offer.clipboardTools = !QStandardPaths::findExecutable(QStringLiteral("wl-copy")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("wl-paste")).isEmpty();
    offer.keyTool = !QStandardPaths::findExecutable(QStringLiteral("wtype")).isEmpty();
    offer.swaySocket = qEnvironmentVariable("SWAYSOCK");
    offer.hyprlandSocket = HyprlandIpcFocus::sessionSocket();
    return offer;
}

QString WaylandDesktop::Offer::describe() const
{
    const auto yes = [](bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); };
    return QStringLiteral("data-control %1, virtual keyboard %2, wl-clipboard %3, wtype %4, compositor IPC %5")
        .arg(yes(dataControl), yes(virtualKeyboard), yes(clipboardTools), yes(keyTool),
            !swaySocket.isEmpty() ? QStringLiteral("sway")
                                  : (!hyprlandSocket.isEmpty() ? QStringLiteral("hyprland") : QStringLiteral("none")));
}

WaylandDesktop::WaylandDesktop(const Offer &offer, X11Side x11, Scheduler &scheduler)
    : wlClipboard_(runner_)
    , timedPoster_(*this)
    , frontmost_(compositorFocus(offer), x11.frontmost,
          DesktopEntryIndex(DesktopEntryIndex::systemApplicationDirs(), QLocale::system().name()))
    , permissions_(pasteSources(offer.canUseTools(), x11.inserter != nullptr))
    , toolsInserter_(offer.canUseTools() ? std::make_unique<TextInserter>(
                         TextInserter::Ports{wlClipboard_, nullptr, timedPoster_, permissions_, frontmost_, scheduler})
                                         : nullptr)
    , offer_(offer)
    , scheduler_(scheduler)
    , router_(
          InsertionRouter::Routes{
              .x11 = x11.inserter,
              .waylandTools = toolsInserter_.get(),
              // Set by useRemoteDesktop once the desktop's portal has answered.
              .portal = nullptr,
              .portalReady = {},
              .clipboardOnly = offer.dataControl && offer.clipboardTools ? &wlClipboard_ : x11.clipboard,
          },
          frontmost_, QString::fromLatin1(TextInserter::defaultSource))
{
}

WaylandDesktop::~WaylandDesktop() = default;

void WaylandDesktop::useRemoteDesktop(const QDBusConnection &bus, DefaultsStore &settings)
{
    if (offer_.canUseTools() || remoteKeys_)
        return;
    remoteKeys_ = std::make_unique<PortalRemoteDesktop>(bus, settings);
    Pasteboard *clipboard = &wlClipboard_;
    if (!offer_.dataControl || !offer_.clipboardTools) {
        remoteKeys_->setClipboardWanted(true);
        remoteClipboard_ = std::make_unique<PortalClipboard>(bus, *remoteKeys_);
        clipboard = remoteClipboard_.get();
    }
    remoteInserter_ = std::make_unique<TextInserter>(
        TextInserter::Ports{*clipboard, nullptr, *remoteKeys_, permissions_, frontmost_, scheduler_});
    router_.setPortal(remoteInserter_.get(), [this] { return remoteReady(); });
    WaylandPermissions::Sources &sources = permissions_.sources();
    sources.remoteKeyboardOffered = [] { return true; };
    sources.remoteKeyboardRunning = [this] { return remoteReady(); };
    sources.askRemoteKeyboard = [this] { remoteKeys_->start(); };
    remoteKeys_->start();
}

// The keystroke can go out now, and the clipboard it pastes holds our text.
bool WaylandDesktop::remoteReady() const
{
    if (!remoteKeys_ || remoteKeys_->state() != PortalRemoteDesktop::State::started)
        return false;
    return !remoteClipboard_ || remoteKeys_->clipboardEnabled();
}

InsertOutcome WaylandDesktop::insert(const QString &text, bool restoreClipboard, std::function<void()> afterPaste)
{
    delivered_.start();
    const InsertOutcome outcome = router_.insert(text, restoreClipboard, std::move(afterPaste));
    // A session the desktop closed (or one that failed) is started again for the next paste;
    // a refusal stands until the user asks again in the settings.
    if (remoteKeys_ && router_.lastRoute() == InsertionRoute::clipboardOnly) {
        const auto state = remoteKeys_->state();
        if (state == PortalRemoteDesktop::State::idle || state == PortalRemoteDesktop::State::failed)
            remoteKeys_->start();
    }
    if (report_ && router_.lastRoute() != InsertionRoute::waylandTools)
        report_(QStringLiteral("route %1, outcome after %2 ms")
                    .arg(routeName(router_.lastRoute()))
                    .arg(static_cast<double>(delivered_.nsecsElapsed()) / 1e6, 0, 'f', 1));
    return outcome;
}

void WaylandDesktop::TimedPoster::postPaste(PasteChord chord, Done done)
{
    // The clipboard holds the text by now: the rest is the keystroke's own time.
    const qint64 clipboardReady = owner_.delivered_.nsecsElapsed();
    owner_.wtype_.postPaste(chord, [this, clipboardReady, done = std::move(done)](bool posted) {
        if (owner_.report_)
            owner_.report_(QStringLiteral("route wayland-tools, paste %1 after %2 ms (clipboard ready after %3 ms)")
                               .arg(posted ? QStringLiteral("posted") : QStringLiteral("failed"))
                               .arg(static_cast<double>(owner_.delivered_.nsecsElapsed()) / 1e6, 0, 'f', 1)
                               .arg(static_cast<double>(clipboardReady) / 1e6, 0, 'f', 1));
        if (done)
            done(posted);
    });
}

} // namespace quillo
