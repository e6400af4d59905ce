#include "app/PortalDesktop.h"

#include "app/KeyboardSourceSwitch.h"
#include "app/WaylandDesktop.h"
#include "hotkeys/HotkeyManager.h"
#include "platform/portal/KGlobalAccelKeys.h"
#include "platform/portal/SystemdAppScope.h"
#include "platform/wayland/DesktopShortcutSettings.h"

#include <QCoreApplication>
#include <QStringList>

namespace quillo {
namespace {

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

PortalGlobalShortcuts::Names PortalDesktop::shortcutNames()
{
    return {
        {1, {QStringLiteral("hold"), QCoreApplication::translate("App", "按住说话")}},
        {2, {QStringLiteral("toggle"), QCoreApplication::translate("App", "开始 / 结束免提")}},
        {3, {QStringLiteral("toggleTranslate"), QCoreApplication::translate("App", "开始免提翻译")}},
        {4, {QStringLiteral("holdSend"), QCoreApplication::translate("App", "按住说话，松开后发送")}},
        {HotkeyManager::cancelHotKeyId, {QStringLiteral("cancel"), QCoreApplication::translate("App", "取消本次录音")}},
        {HotkeyManager::translateHotKeyId,
            {QStringLiteral("translate"), QCoreApplication::translate("App", "录音中切换翻译")}},
    };
}

PortalGlobalShortcuts::Options PortalDesktop::shortcutOptions(
    const QDBusConnection &bus, bool appIdSeen, QObject *context)
{
    const auto desktop = DesktopShortcutSettings::current();
    PortalGlobalShortcuts::Options options{
        .triggersElsewhere = desktop == DesktopShortcutSettings::Desktop::hyprland,
        .openDesktopSettings = [desktop] { return DesktopShortcutSettings::open(desktop); },
        .verifyKeys = {},
    };
    if (!KGlobalAccelKeys::present(bus))
        return options;
    const QStringList components
        = KGlobalAccelKeys::componentNames(appIdSeen ? QStringList{QLatin1String(portalAppId)} : QStringList{},
            QLatin1String(PortalGlobalShortcuts::sessionToken));
    options.verifyKeys = [bus, components, context](PortalGlobalShortcuts::Options::KeysHeld done) {
        KGlobalAccelKeys::actionsWithKeys(bus, components, context, std::move(done));
    };
    return options;
}

std::map<std::uint32_t, std::optional<PortalGlobalShortcuts::StoredKey>> PortalDesktop::storedKeys(
    const HotkeyManager &hotkeys)
{
    std::map<std::uint32_t, std::optional<PortalGlobalShortcuts::StoredKey>> stored;
    for (const auto &[slot, hotkey] : hotkeys.bindings())
        stored[rawValue(slot)] = PortalGlobalShortcuts::StoredKey{hotkey.keyCode, hotkey.modifiers};
    return stored;
}

PortalDesktop::PortalDesktop(Parts parts, QDBusConnection bus)
    : parts_(parts)
    , connection_(std::move(bus))
{
    connection_.onAnswer = [this](const PortalSupport &support) { onAnswer(support); };
    connection_.onGone = [this] { onGone(); };
}

PortalDesktop::~PortalDesktop()
{
    connection_.onAnswer = nullptr;
    connection_.onGone = nullptr;
    parts_.hotkeys.onConfigured = nullptr;
    if (!shortcuts_)
        return;
    shortcuts_->onChanged = nullptr;
    // The hotkey manager outlives us: its source must not be our shortcuts any more.
    if (servingPortal_)
        moveHotkeysTo(parts_.x11Keyboard, false);
}

void PortalDesktop::start()
{
    sinceStart_.start();
    // Older portals read our app id from our systemd unit, and only at our first call.
    SystemdAppScope::ensure(
        connection_.bus(), QLatin1String(portalAppId), &scopeContext_, [this](const SystemdAppScope::Outcome &outcome) {
            scope_ = outcome;
            say(QStringLiteral("app id: %1").arg(outcome.detail));
            connection_.start();
        });
}

void PortalDesktop::say(const QString &line)
{
    if (report)
        report(QStringLiteral("%1 after %2 ms").arg(line).arg(sinceStart_.elapsed()));
}

void PortalDesktop::onAnswer(const PortalSupport &support)
{
    say(QStringLiteral("answered: global shortcuts %1 (version %2, backend %3), remote desktop keyboard %4 "
                       "(version %5), clipboard %6, registered %7")
            .arg(yesNo(support.hasGlobalShortcuts()))
            .arg(support.globalShortcutsVersion)
            .arg(support.globalShortcutsBackend == PortalSupport::Backend::missing
                    ? QStringLiteral("missing")
                    : (support.globalShortcutsBackend == PortalSupport::Backend::implemented
                            ? QStringLiteral("yes")
                            : QStringLiteral("unknown")))
            .arg(yesNo(support.hasRemoteKeyboard()))
            .arg(support.remoteDesktopVersion)
            .arg(yesNo(support.hasClipboard()), yesNo(support.registered)));
    if (support.hasRemoteKeyboard())
        parts_.wayland.useRemoteDesktop(connection_.bus(), parts_.defaults, support);
    if (answered_ && shortcuts_) {
        shortcuts_->portalBack(); // a restarted portal: same identity, a new session
        return;
    }
    answered_ = true;
    if (support.hasGlobalShortcuts())
        useShortcuts(support);
}

void PortalDesktop::onGone()
{
    say(QStringLiteral("the portal left the bus"));
    parts_.wayland.portalGone();
    if (shortcuts_)
        shortcuts_->portalGone();
}

void PortalDesktop::useShortcuts(const PortalSupport &support)
{
    // The app id KDE's portal saw decides the name of its kglobalaccel component.
    const bool appIdSeen = support.registered || scope_.inScope;
    shortcuts_ = std::make_unique<PortalGlobalShortcuts>(connection_.bus(), shortcutNames(),
        support.globalShortcutsVersion, shortcutOptions(connection_.bus(), appIdSeen, &scopeContext_));
    shortcuts_->onChanged = [this] { shortcutsChanged(); };
    WaylandPermissions::Sources &sources = parts_.wayland.permissions().sources();
    sources.shortcutsOffered = [] { return true; };
    sources.shortcutsBound = [this] { return shortcuts_->serves(); };
    sources.askShortcuts = [this] { shortcuts_->bindAgain(); };
    declareWhenConfigured();
}

// The shortcuts' preferred triggers come from the hot keys, which are configured only once the
// key store has answered; a portal that answered first waits for them: a declaration of
// nothing would never bind.
void PortalDesktop::declareWhenConfigured()
{
    HotkeyManager &hotkeys = parts_.hotkeys;
    if (!hotkeys.bindings().empty()) {
        hotkeys.onConfigured = nullptr;
        shortcuts_->declare(storedKeys(hotkeys));
        return;
    }
    hotkeys.onConfigured = [this] { declareWhenConfigured(); };
}

void PortalDesktop::shortcutsChanged()
{
    const bool serve = shortcuts_->serves();
    if (serve != servingPortal_)
        moveHotkeysTo(serve ? static_cast<KeyboardSource &>(*shortcuts_) : parts_.x11Keyboard, serve);
    QStringList bound;
    for (const auto &[id, trigger] : shortcuts_->triggerDescriptions())
        bound.append(QStringLiteral("%1=%2").arg(id).arg(trigger));
    QString line;
    switch (shortcuts_->state()) {
    case PortalGlobalShortcuts::State::bound:
        line = serve ? QStringLiteral("shortcuts bound: %1 of %2 (%3)")
                           .arg(shortcuts_->boundCount())
                           .arg(shortcutNames().size())
                           .arg(bound.join(QStringLiteral(", ")))
                     : QStringLiteral("shortcuts: the desktop gave none a key; the X11 hotkeys stay");
        break;
    case PortalGlobalShortcuts::State::binding:
        break;
    default:
        line = QStringLiteral("shortcuts not bound: %1; the X11 hotkeys stay").arg(shortcuts_->problem());
        break;
    }
    if (!line.isEmpty() && line != lastShortcutsLine_) {
        lastShortcutsLine_ = line;
        say(line);
    }
    if (onShortcutsChanged)
        onShortcutsChanged();
}

// The manager registers its bindings with whichever source serves: moving it means
// unregistering from one and registering with the other.
void PortalDesktop::moveHotkeysTo(KeyboardSource &source, bool portal)
{
    HotkeyManager &hotkeys = parts_.hotkeys;
    const bool installed = !hotkeys.bindings().empty() && !hotkeys.suspended();
    if (installed)
        hotkeys.uninstall();
    parts_.keyboardSwitch.switchTo(source);
    servingPortal_ = portal;
    if (installed)
        hotkeys.install();
}

} // namespace quillo
