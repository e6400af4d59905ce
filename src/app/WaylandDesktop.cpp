#include "app/WaylandDesktop.h"

#include "platform/wayland/HyprlandIpcFocus.h"
#include "platform/wayland/KWinScriptFocus.h"
#include "platform/wayland/SwayIpcFocus.h"
#include "platform/wayland/WaylandRegistryProbe.h"

#include <QLocale>
#include <QStandardPaths>

namespace quillo {

namespace {

// The compositor's own way of naming the focused window, and its name for the log.
std::pair<std::unique_ptr<CompositorFocus>, QString> compositorFocus(const WaylandDesktop::Offer &offer)
{
    if (!offer.swaySocket.isEmpty())
        return {std::make_unique<SwayIpcFocus>(offer.swaySocket), QStringLiteral("sway IPC")};
    if (!offer.hyprlandSocket.isEmpty())
        return {std::make_unique<HyprlandIpcFocus>(offer.hyprlandSocket), QStringLiteral("Hyprland IPC")};
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (offer.desktop == DesktopShortcutSettings::Desktop::kde && KWinScriptFocus::available(bus)) {
        auto focus = std::make_unique<KWinScriptFocus>(
            bus, QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
        if (focus->loaded())
            return {std::move(focus), QStringLiteral("a KWin script")};
    }
    return {nullptr, QStringLiteral("none")};
}

// The portals' parts are added once the portal has answered.
WaylandPermissions::Sources pasteSources(bool tools, bool x11Paste)
{
    WaylandPermissions::Sources sources;
    sources.virtualKeyboard = tools;
    sources.x11Paste = x11Paste;
    return sources;
}

// Two sightings of the focus name the same window: by the window's id where the platform
// gives one, else (a compositor we cannot ask) the focus cannot be told apart at all.
bool sameWindow(const std::optional<AppIdentity> &before, const std::optional<AppIdentity> &now)
{
    if (!before || !now)
        return !before && !now;
    if (!before->window.isEmpty() || !now->window.isEmpty())
        return before->window == now->window;
    return before->identifier == now->identifier && before->pid == now->pid;
}

QString milliseconds(const QElapsedTimer &timer)
{
    return QString::number(static_cast<double>(timer.nsecsElapsed()) / 1e6, 'f', 1);
}

} // namespace

QString WaylandDesktop::describe() const
{
    return offer_.describe() + QStringLiteral(", focused window from %1").arg(focusSource_);
}

QString WaylandDesktop::routeName(InsertionRoute route)
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

WaylandDesktop::Offer WaylandDesktop::probe()
{
    return offerFrom(WaylandRegistryProbe::globals(WaylandRegistryProbe::sessionSocket()));
}

WaylandDesktop::Offer WaylandDesktop::offerFrom(const std::optional<QStringList> &globals)
{
    Offer offer;
    offer.registryRead = globals.has_value();
    const QStringList found = globals.value_or(QStringList());
    offer.dataControl = found.contains(QLatin1String("ext_data_control_manager_v1"))
        || found.contains(QLatin1String("zwlr_data_control_manager_v1"));
    offer.virtualKeyboard = found.contains(QLatin1String("zwp_virtual_keyboard_manager_v1"));
    offer.clipboardTools = !QStandardPaths::findExecutable(QStringLiteral("wl-copy")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("wl-paste")).isEmpty();
    offer.keyTool = !QStandardPaths::findExecutable(QStringLiteral("wtype")).isEmpty();
    offer.swaySocket = qEnvironmentVariable("SWAYSOCK");
    offer.hyprlandSocket = HyprlandIpcFocus::sessionSocket();
    offer.desktop = DesktopShortcutSettings::current();
    return offer;
}

QString WaylandDesktop::Offer::describe() const
{
    const auto yes = [](bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); };
    if (!registryRead)
        return QStringLiteral("the compositor did not answer the registry probe; wl-clipboard %1, wtype %2")
            .arg(yes(clipboardTools), yes(keyTool));
    return QStringLiteral("data-control %1, virtual keyboard %2, wl-clipboard %3, wtype %4")
        .arg(yes(dataControl), yes(virtualKeyboard), yes(clipboardTools), yes(keyTool));
}

WaylandDesktop::WaylandDesktop(const Offer &offer, X11Side x11, Scheduler &scheduler)
    : WaylandDesktop(offer, x11, scheduler, compositorFocus(offer))
{
}

WaylandDesktop::WaylandDesktop(const Offer &offer, X11Side x11, Scheduler &scheduler,
    std::pair<std::unique_ptr<CompositorFocus>, QString> focus)
    : wlClipboard_(runner_)
    , toolsPoster_(*this, wtype_, false)
    , focusSource_(std::move(focus.second))
    , frontmost_(std::move(focus.first), x11.frontmost,
          DesktopEntryIndex(DesktopEntryIndex::systemApplicationDirs(), QLocale::system().name()))
    , permissions_(pasteSources(offer.canUseTools(), x11.inserter != nullptr))
    , toolsInserter_(offer.canUseTools() ? std::make_unique<TextInserter>(
                         TextInserter::Ports{wlClipboard_, nullptr, toolsPoster_, permissions_, frontmost_, scheduler})
                                         : nullptr)
    , offer_(offer)
    , scheduler_(scheduler)
    , x11Clipboard_(x11.clipboard)
    , router_(
          InsertionRouter::Routes{
              .x11 = x11.inserter,
              .waylandTools = toolsInserter_.get(),
              // Set by useRemoteDesktop once the desktop's portal has answered.
              .portal = nullptr,
              .portalUsable = {},
              .openPortal = {},
              .clipboardOnly = textClipboard(x11.clipboard),
              .focusStayed = {},
          },
          frontmost_, QString::fromLatin1(TextInserter::defaultSource))
{
    router_.setFocusCheck([this] { return focusStayed(); });
}

WaylandDesktop::~WaylandDesktop() = default;

// Where a text can wait for the user's own paste: wl-copy reaches native windows (with
// data-control, or on GNOME through a surface of its own); X11's clipboard does not
// reliably, so it is the last resort.
Pasteboard *WaylandDesktop::textClipboard(Pasteboard *x11Clipboard)
{
    if (offer_.clipboardTools)
        return &wlClipboard_;
    if (remoteClipboard_)
        return remoteClipboard_.get();
    return x11Clipboard;
}

void WaylandDesktop::useRemoteDesktop(const QDBusConnection &bus, DefaultsStore &settings, const PortalSupport &support)
{
    if (offer_.canUseTools() || remoteKeys_)
        return;
    // Where the portal restores a grant silently, a session stands only while it pastes.
    // Without that, each new session asks the user again: GNOME's all-day screen-sharing
    // indicator is the greater nuisance there, elsewhere (KDE) a notification once is.
    const bool gnome = offer_.desktop == DesktopShortcutSettings::Desktop::gnome;
    const bool portalHoldsText = !offer_.clipboardTools && support.hasClipboard();
    const PortalRemoteDesktop::Options options{
        .restores = support.remoteDesktopRestores(),
        .clipboardWanted = portalHoldsText,
        // The portal's clipboard ends with its session: the text and the restored clipboard
        // must outlive a paste, so such a session stands.
        .lifetime = !portalHoldsText && (support.remoteDesktopRestores() || gnome)
            ? PortalRemoteDesktop::Lifetime::perUse
            : PortalRemoteDesktop::Lifetime::standing,
    };
    remoteKeys_ = std::make_unique<PortalRemoteDesktop>(bus, settings, options);
    if (portalHoldsText)
        remoteClipboard_ = std::make_unique<PortalClipboard>(bus, *remoteKeys_);
    Pasteboard *clipboard = textClipboard(x11Clipboard_);
    if (clipboard == x11Clipboard_)
        return; // the chord would paste what the X11 clipboard holds, not our text
    remotePoster_ = std::make_unique<PastePoster>(*this, *remoteKeys_, offer_.clipboardTakesFocus());
    remoteInserter_ = std::make_unique<TextInserter>(
        TextInserter::Ports{*clipboard, nullptr, *remotePoster_, permissions_, frontmost_, scheduler_});
    router_.setPortal(
        remoteInserter_.get(), [this] { return remoteKeys_->usable(); },
        [this](std::function<void(bool)> open) { openPortal(std::move(open)); });
    WaylandPermissions::Sources &sources = permissions_.sources();
    sources.remoteKeyboardOffered = [] { return true; };
    sources.remoteKeyboardRunning = [this] {
        return remoteKeys_->state() == PortalRemoteDesktop::State::started
            || (remoteKeys_->lifetime() == PortalRemoteDesktop::Lifetime::perUse && remoteKeys_->usable());
    };
    sources.askRemoteKeyboard = [this] { remoteKeys_->start(); };
    if (options.lifetime == PortalRemoteDesktop::Lifetime::standing)
        remoteKeys_->start();
}

InsertionRoute WaylandDesktop::routeNow(const std::optional<PortalSupport> &portal)
{
    InsertionFacts facts = router_.factsNow();
    // As useRemoteDesktop would set it up: the portal pastes where the compositor's tools
    // cannot and some clipboard other than X11's holds the text.
    if (!facts.portal && !remoteKeys_ && portal && portal->hasRemoteKeyboard() && !offer_.canUseTools())
        facts.portal = offer_.clipboardTools || portal->hasClipboard();
    return chooseInsertionRoute(facts);
}

void WaylandDesktop::portalGone()
{
    if (remoteKeys_)
        remoteKeys_->portalGone();
}

// A session that had to ask the user showed a dialog: the focus comes back from it first.
void WaylandDesktop::openPortal(std::function<void(bool)> open)
{
    const bool wasRunning = remoteKeys_->state() == PortalRemoteDesktop::State::started;
    remoteKeys_->whenStarted([this, wasRunning, open = std::move(open)](bool started) mutable {
        if (!started || wasRunning || !remoteKeys_->startMayHaveAsked()) {
            open(started);
            return;
        }
        settleWork_ = scheduler_.after(focusSettle, [open = std::move(open)] { open(true); });
    });
}

void WaylandDesktop::noteTarget()
{
    target_ = frontmost_.current();
    targetNoted_ = true;
}

bool WaylandDesktop::focusStayed()
{
    return !targetNoted_ || sameWindow(target_, frontmost_.current());
}

void WaylandDesktop::insert(const QString &text, bool restoreClipboard, bool returnFollows, InsertDone done)
{
    delivered_.start();
    if (remoteKeys_ && returnFollows)
        remoteKeys_->expectFollowUp();
    router_.insert(text, restoreClipboard, [this, done = std::move(done)](InsertOutcome outcome) {
        targetNoted_ = false;
        const InsertionRoute route = router_.lastRoute();
        if (route != InsertionRoute::waylandTools)
            report(QStringLiteral("route %1, outcome %2 after %3 ms")
                       .arg(routeName(route),
                           outcome == InsertOutcome::pasted
                               ? QStringLiteral("pasted")
                               : (outcome == InsertOutcome::copiedOnly ? QStringLiteral("copied only")
                                                                       : QStringLiteral("not pasted")),
                           milliseconds(delivered_)));
        done(outcome);
    });
}

void WaylandDesktop::report(const QString &line)
{
    if (report_)
        report_(line);
}

void WaylandDesktop::PastePoster::postPaste(PasteChord chord, Done done)
{
    // The clipboard holds the text by now: the rest is the keystroke's own time.
    const QString clipboardReady = milliseconds(owner_.delivered_);
    auto post = [this, chord, clipboardReady, done = std::move(done)]() mutable {
        if (!owner_.focusStayed()) {
            done(false); // the text stays on the clipboard for the user's own paste
            return;
        }
        keys_.postPaste(chord, [this, clipboardReady, done = std::move(done)](bool posted) {
            owner_.report(QStringLiteral("route %1, paste %2 after %3 ms (clipboard ready after %4 ms)")
                              .arg(routeName(owner_.router_.lastRoute()),
                                  posted ? QStringLiteral("posted") : QStringLiteral("failed"),
                                  milliseconds(owner_.delivered_), clipboardReady));
            if (done)
                done(posted);
        });
    };
    if (!settle_) {
        post();
        return;
    }
    owner_.settleWork_ = owner_.scheduler_.after(focusSettle, std::move(post));
}

} // namespace quillo
