#include "app/Doctor.h"

#include "app/DoctorReport.h"
#include "app/DoctorVerdict.h"
#include "app/PortalDesktop.h"
#include "app/SingleInstance.h"
#include "dictation/DictationAdapters.h"
#include "dictation/DictationController.h"
#include "dictation/ShownMessage.h"
#include "hotkeys/KeyNames.h"
#include "i18n/InterfaceTranslator.h"
#include "platform/portal/PortalRemoteDesktop.h"
#include "platform/portal/SystemdAppScope.h"
#include "platform/pulse/PulseMicrophoneCheck.h"
#include "platform/qt/SystemTrayProbe.h"
#include "platform/wayland/CompositorBindings.h"
#include "platform/wayland/HyprlandIpcFocus.h"
#include "platform/wayland/WaylandRegistryProbe.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTextStream>

namespace quillo {

namespace {

using F = DoctorFindings;

F::Shortcuts shortcutsFrom(const QString &state, bool triggers)
{
    if (state.isEmpty())
        return F::Shortcuts::notAsked;
    if (state == QLatin1String("bound"))
        return triggers ? F::Shortcuts::bound : F::Shortcuts::noTriggers;
    if (state == QLatin1String("refused"))
        return F::Shortcuts::refused;
    if (state == QLatin1String("failed"))
        return F::Shortcuts::failed;
    return F::Shortcuts::pending;
}

F::Shortcuts shortcutsFrom(const PortalGlobalShortcuts &shortcuts)
{
    switch (shortcuts.state()) {
    case PortalGlobalShortcuts::State::bound:
        return shortcuts.serves() ? F::Shortcuts::bound : F::Shortcuts::noTriggers;
    case PortalGlobalShortcuts::State::refused:
        return F::Shortcuts::refused;
    case PortalGlobalShortcuts::State::failed:
        return F::Shortcuts::failed;
    case PortalGlobalShortcuts::State::unbound:
    case PortalGlobalShortcuts::State::binding:
        break;
    }
    return F::Shortcuts::pending;
}

std::optional<InsertionRoute> routeNamed(const QString &name)
{
    for (InsertionRoute route :
        {InsertionRoute::x11, InsertionRoute::waylandTools, InsertionRoute::portal, InsertionRoute::clipboardOnly}) {
        if (WaylandDesktop::routeName(route) == name)
            return route;
    }
    return std::nullopt;
}

// The portal knows the program by the registry's id, or by the id of its systemd unit.
QString appIdSeen(bool registered, bool inScope)
{
    return registered || inScope ? QString::fromLatin1(portalAppId) : QString();
}

std::vector<F::DesktopBinding> desktopBindingsOf(const CompositorBindings::Found &found)
{
    std::vector<F::DesktopBinding> bindings;
    for (const CompositorBindings::Binding &b : found.bindings)
        bindings.push_back({b.keys, b.action, b.release, b.global});
    return bindings;
}

} // namespace

Doctor::Doctor(AppCore &core, DesktopSession session)
    : core_(core)
    , session_(session)
    , clipboard_(QClipboard::Clipboard)
    , poster_(ownKeystrokes_, core.scheduler)
    , inserter_(TextInserter::Ports{clipboard_, nullptr, poster_, permissions_, frontmost_, core.scheduler})
    , keyboard_(&ownKeystrokes_)
    , hotkeys_(keyboard_, core.scheduler)
{
    sinceStart_.start();
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &Doctor::finish);
}

Doctor::~Doctor()
{
    // Every background check is bounded; their answers are dropped with this object.
    workers_.clear();
}

void Doctor::start(std::function<void(const DoctorFindings &)> done)
{
    done_ = std::move(done);
    askInstance();
    lookAtSession();
    deadline_.start(std::max<qint64>(deadline.count() - sinceStart_.elapsed(), 0));
    begin(); // held until every check has started, so none can finish the run early
    readKey();
    startMicrophone();
    probeInputMethod();
    if (session_.any()) {
        checkTray();
        checkX11Hotkeys();
    }
    if (session_.wayland) {
        startRegistryProbe();
        startDesktopBindings();
        startPortal();
    }
    end();
}

void Doctor::askInstance()
{
    using Kind = SingleInstance::Reply::Kind;
    const SingleInstance::Reply reply
        = SingleInstance(SingleInstance::defaultName()).send(SingleInstance::Request::status, instanceTimeout);
    switch (reply.kind) {
    case Kind::noInstance:
        findings_.instance = F::Instance::none;
        return;
    case Kind::status:
        if (const auto status = InstanceStatus::fromLine(reply.detail)) {
            useStatus(*status);
            return;
        }
        findings_.instance = F::Instance::silent;
        return;
    case Kind::refused:
    case Kind::taken:
    case Kind::ignored:
        findings_.instance = F::Instance::old;
        return;
    case Kind::noAnswer:
    case Kind::badAnswer:
    case Kind::notPrivate:
        break;
    }
    findings_.instance = F::Instance::silent;
}

void Doctor::useStatus(const InstanceStatus &status)
{
    status_ = status;
    findings_.instance = F::Instance::answered;
    findings_.instanceVersion = status.version;
    findings_.remoteDesktopState = status.remoteDesktop;
    findings_.scopeOutcome = status.scope;
    findings_.lastDictation = status.lastDictation;
}

void Doctor::lookAtSession()
{
    F &f = findings_;
    f.session = session_.wayland ? (session_.x11 ? F::Session::waylandWithX11 : F::Session::wayland)
                                 : (session_.x11 ? F::Session::x11 : F::Session::none);
    f.currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    f.compositor = session_.wayland ? F::compositorFrom(f.currentDesktop, !qEnvironmentVariableIsEmpty("SWAYSOCK"),
                       !HyprlandIpcFocus::sessionSocket().isEmpty(), std::nullopt)
                                    : F::Compositor::unknown;
    f.desktop = F::desktopFrom(f.currentDesktop, f.compositor);
    f.xtest = permissions_.isAccessibilityTrusted();
    f.desktopEntryInstalled = !QStandardPaths::locate(
        QStandardPaths::ApplicationsLocation, QLatin1String(portalAppId) + QStringLiteral(".desktop"))
                                   .isEmpty();
    f.restoreTokenStored = core_.defaults.contains(QLatin1String(PortalRemoteDesktop::restoreTokenKey));
}

// What the program binds at start, grabbed and let go again; never while a Quillo runs,
// whose grabs would read as taken.
void Doctor::checkX11Hotkeys()
{
    AppSettings &settings = core_.settings;
    hotkeys_.setSuspended(true);
    HotkeyManagerBinding(hotkeys_).configure(settings.holdHotkey(), settings.toggleHotkey(),
        DictationController::holdSendHotkey, settings.translateTrigger());
    if (findings_.instance != F::Instance::none || !session_.x11)
        return;
    findings_.x11HotkeysChecked = true;
    const auto names = PortalDesktop::shortcutNames();
    for (const auto &[slot, hotkey] : hotkeys_.bindings()) {
        F::X11Hotkey checked{names.at(rawValue(slot)).id, keyNames::name(hotkey), false};
        if (hotkey.isModifierOnly) {
            checked.works = keyboard_.startListening() && keyboard_.hasKey(hotkey.keyCode);
        } else {
            checked.works = keyboard_.registerHotKey(rawValue(slot), hotkey.keyCode, hotkey.modifiers) == 0;
            keyboard_.unregisterHotKey(rawValue(slot));
        }
        findings_.x11Hotkeys.push_back(checked);
    }
    keyboard_.stopListening();
}

template <typename Result> void Doctor::inBackground(std::function<Result()> work, std::function<void(Result)> then)
{
    begin();
    workers_.push_back(std::async(std::launch::async, [this, work = std::move(work), then = std::move(then)] {
        Result result = work();
        QMetaObject::invokeMethod(
            this,
            [this, then, result] {
                then(result);
                end();
            },
            Qt::QueuedConnection);
    }));
}

void Doctor::startRegistryProbe()
{
    inBackground<std::optional<QStringList>>(
        [] { return WaylandRegistryProbe::globals(WaylandRegistryProbe::sessionSocket(), probeTimeout); },
        [this](std::optional<QStringList> globals) {
            F &f = findings_;
            const WaylandDesktop::Offer offer = WaylandDesktop::offerFrom(globals);
            f.registryRead = offer.registryRead;
            f.dataControl = offer.dataControl;
            f.virtualKeyboard = offer.virtualKeyboard;
            f.clipboardTools = offer.clipboardTools;
            f.keyTool = offer.keyTool;
            f.compositor = F::compositorFrom(
                f.currentDesktop, !offer.swaySocket.isEmpty(), !offer.hyprlandSocket.isEmpty(), globals);
            f.desktop = F::desktopFrom(f.currentDesktop, f.compositor);
            wayland_ = std::make_unique<WaylandDesktop>(offer,
                WaylandDesktop::X11Side{
                    .inserter = permissions_.isAccessibilityTrusted() ? &inserter_ : nullptr,
                    .frontmost = &frontmost_,
                    .clipboard = &clipboard_,
                },
                core_.scheduler);
        });
}

void Doctor::startDesktopBindings()
{
    const QString sway = qEnvironmentVariable("SWAYSOCK");
    const QString hyprland = HyprlandIpcFocus::sessionSocket();
    std::function<CompositorBindings::Found()> read;
    if (!sway.isEmpty())
        read = [sway] { return CompositorBindings::sway(sway); };
    else if (!hyprland.isEmpty())
        read = [hyprland] { return CompositorBindings::hyprland(hyprland); };
    else if (findings_.desktop == F::Desktop::gnome)
        read = [] { return CompositorBindings::gnome(); };
    else
        return;
    findings_.desktopBindingsAsked = true;
    inBackground<CompositorBindings::Found>(std::move(read), [this](CompositorBindings::Found found) {
        findings_.desktopBindingsRead = found.read;
        findings_.desktopBindings = desktopBindingsOf(found);
    });
}

void Doctor::startMicrophone()
{
    const QString match = qEnvironmentVariable("QUILLO_INPUT_DEVICE").trimmed();
    inBackground<PulseMicrophoneCheck::Outcome>([match] { return PulseMicrophoneCheck::run(match, probeTimeout); },
        [this](PulseMicrophoneCheck::Outcome outcome) {
            findings_.microphoneOpened = outcome.opened;
            findings_.microphoneName = outcome.description.isEmpty() ? outcome.name : outcome.description;
            // The adapter's texts are the ones a dictation shows, translated the same way.
            findings_.microphoneProblem = shownMessage(outcome.problem);
            findings_.soundServerMissing = !outcome.serverAnswered;
        });
}

void Doctor::startPortal()
{
    findings_.portalAsked = true;
    begin();
    QDBusConnection bus = PortalConnection::openPrivate();
    portal_ = std::make_unique<PortalConnection>(bus, QLatin1String(portalAppId), portalTimeout);
    portal_->onAnswer = [this](const PortalSupport &support) { onPortalAnswer(support); };
    if (findings_.instance != F::Instance::none) {
        portal_->start(); // the running Quillo's identity is what counts; it reports it
        return;
    }
    // As at start-up: older portals read the app id from the systemd unit, at the first call.
    SystemdAppScope::ensure(
        bus, QLatin1String(portalAppId), &scopeContext_,
        [this](const SystemdAppScope::Outcome &outcome) {
            scope_ = outcome;
            findings_.scopeOutcome = outcome.detail;
            portal_->start();
        },
        probeTimeout);
}

void Doctor::onPortalAnswer(const PortalSupport &support)
{
    if (findings_.portal)
        return; // a restart while we look: the first answer stands
    findings_.portal = support;
    if (status_)
        findings_.appId = appIdSeen(status_->portalRegistered, status_->inScope);
    else
        findings_.appId = appIdSeen(support.registered, scope_.inScope);
    if (!status_ && findings_.instance == F::Instance::none && support.hasGlobalShortcuts())
        declareShortcuts(support);
    else
        onShortcutsChanged();
}

void Doctor::declareShortcuts(const PortalSupport &support)
{
    const auto stored = PortalDesktop::storedKeys(hotkeys_);
    if (stored.empty()) {
        onShortcutsChanged(); // no hot key to declare: nothing the desktop could bind
        return;
    }
    const bool appIdSeen = support.registered || scope_.inScope;
    shortcuts_ = std::make_unique<PortalGlobalShortcuts>(portal_->bus(), PortalDesktop::shortcutNames(),
        support.globalShortcutsVersion, PortalDesktop::shortcutOptions(portal_->bus(), appIdSeen, &scopeContext_));
    shortcuts_->onChanged = [this] { onShortcutsChanged(); };
    shortcuts_->declare(stored);
}

// The portal's part ends with its answer, or once the desktop has bound, refused or failed.
void Doctor::onShortcutsChanged()
{
    if (portalEnded_)
        return;
    if (shortcuts_ && shortcutsFrom(*shortcuts_) == F::Shortcuts::pending)
        return;
    portalEnded_ = true;
    end();
}

void Doctor::readKey()
{
    begin();
    core_.settings.readAPIKey([this](const APIKeyRead &read) {
        if (!read.storeFailed) {
            findings_.key = read.key.isEmpty() ? F::Key::missing : F::Key::stored;
        } else {
            findings_.key = read.storeTimedOut ? F::Key::storeSilent : F::Key::storeFailed;
            const CredentialError error = read.storeError.value_or(CredentialError{});
            findings_.keyProblem = QtKeychainCredentialStore::explain(error);
        }
        end();
    });
}

// The addon answers on the session bus whichever session type this is.
void Doctor::probeInputMethod()
{
    begin();
    findings_.liveText = core_.settings.liveTextInField();
    inputMethod_.probe([this](bool answers) {
        findings_.inputMethod = answers;
        end();
    });
}

void Doctor::checkTray()
{
    begin();
    SystemTrayProbe::run(this, [this](const SystemTrayProbe::Outcome &outcome) {
        if (outcome.answered)
            findings_.tray = outcome.available;
        findings_.statusNotifierHost = outcome.statusNotifierHost;
        end();
    });
}

void Doctor::begin()
{
    ++pending_;
}

void Doctor::end()
{
    if (--pending_ == 0)
        QMetaObject::invokeMethod(this, &Doctor::finish, Qt::QueuedConnection);
}

void Doctor::fillStart()
{
    F &f = findings_;
    if (status_) {
        f.hotkeys = status_->hotkeys == QLatin1String("portal")
            ? F::Hotkeys::portal
            : (status_->hotkeys == QLatin1String("x11") ? F::Hotkeys::x11 : F::Hotkeys::none);
        f.triggers.assign(status_->triggers.begin(), status_->triggers.end());
        f.shortcuts = shortcutsFrom(status_->shortcuts, !status_->triggers.empty());
        f.shortcutsProblem = status_->shortcutsProblem;
        return;
    }
    if (shortcuts_) {
        f.shortcuts = shortcutsFrom(*shortcuts_);
        f.shortcutsProblem = shortcuts_->problem();
        const auto names = PortalDesktop::shortcutNames();
        for (const auto &[id, trigger] : shortcuts_->triggerDescriptions())
            f.triggers.emplace_back(names.at(id).id, trigger);
    }
    const bool x11Works = std::any_of(f.x11Hotkeys.begin(), f.x11Hotkeys.end(), [](const auto &h) { return h.works; });
    if (shortcuts_ && shortcuts_->serves())
        f.hotkeys = F::Hotkeys::portal;
    else if (f.instance == F::Instance::none && x11Works)
        f.hotkeys = F::Hotkeys::x11;
}

void Doctor::fillPaste()
{
    F &f = findings_;
    if (status_) {
        f.route = routeNamed(status_->paste);
        f.focusedApp = status_->focusedApp;
        return;
    }
    FrontmostApp *focus = wayland_ ? &wayland_->frontmost() : &frontmost_;
    if (const auto app = focus->current())
        f.focusedApp = app->name;
    if (wayland_)
        f.route = wayland_->routeNow(f.portal);
    else if (!session_.wayland && session_.x11)
        f.route = f.xtest ? InsertionRoute::x11 : InsertionRoute::clipboardOnly;
}

void Doctor::finish()
{
    if (finished_)
        return;
    finished_ = true;
    deadline_.stop();
    fillStart();
    fillPaste();
    if (done_)
        done_(findings_);
}

int runDoctor(int argc, char *argv[], InterfaceLanguage language)
{
    const DesktopSession session = DesktopSession::current();
    // Without a display Qt still needs a platform for its clipboard: one that draws nowhere.
    qputenv("QT_QPA_PLATFORM", session.any() ? session.qtPlatform() : "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("nolt"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillo"));
    const InterfaceTranslator translator(language);
    AppCore core;
    Doctor doctor(core, session);
    doctor.start([](const DoctorFindings &findings) {
        const DoctorVerdict verdict = DoctorVerdict::judge(findings);
        QTextStream out(stdout);
        for (const QString &line : DoctorReport::lines(findings, verdict))
            out << line << '\n';
        out.flush();
        QCoreApplication::exit(verdict.canDictate ? 0 : 1);
    });
    return app.exec();
}

} // namespace quillo
