#include "app/DesktopShell.h"

#include "app/PreferredAudioInput.h"
#include "audio/AudioFile.h"
#include "audio/AudioLevel.h"
#include "platform/portal/PortalSupport.h"
#include "platform/pulse/PulseAudioInput.h"
#include "platform/qt/QtAudioInput.h"
#include "ui/MenuContent.h"
#include "ui/RecordingPanel.h"
#include "ui/TrayIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include <QDesktopServices>
#include <QUrl>

namespace quillo {

namespace {

Expected<QByteArray, QString> loadFile(const QString &path)
{
    auto pcm = loadPCM16(path);
    if (!pcm)
        return unexpected(pcm.error().description());
    return std::move(pcm).value();
}

QString stateName(PortalGlobalShortcuts::State state)
{
    using State = PortalGlobalShortcuts::State;
    switch (state) {
    case State::unbound:
        return QStringLiteral("unbound");
    case State::binding:
        return QStringLiteral("binding");
    case State::bound:
        return QStringLiteral("bound");
    case State::refused:
        return QStringLiteral("refused");
    case State::failed:
        break;
    }
    return QStringLiteral("failed");
}

QString stateName(PortalRemoteDesktop::State state)
{
    using State = PortalRemoteDesktop::State;
    switch (state) {
    case State::idle:
        return QStringLiteral("idle");
    case State::starting:
        return QStringLiteral("starting");
    case State::started:
        return QStringLiteral("started");
    case State::refused:
        return QStringLiteral("refused");
    case State::failed:
        break;
    }
    return QStringLiteral("failed");
}

} // namespace

void DesktopShell::LazyPanel::show()
{
    // A Wayland window of ours may take the keyboard focus from the window being dictated
    // into (KWin activates new windows), and no protocol every compositor offers keeps it
    // from doing so: on Wayland alone there is no panel; the tray icon shows the state.
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        return;
    if (!shell_.panel_)
        shell_.panel_
            = std::make_unique<RecordingPanel>(shell_.controller_.hud(), shell_.core_.scheduler, &shell_.windowHints_);
    shell_.panel_->show();
}

void DesktopShell::LazyPanel::hide()
{
    if (shell_.panel_)
        shell_.panel_->hide();
}

DesktopShell::DesktopShell(AppCore &core)
    : DesktopShell(core, std::nullopt)
{
}

DesktopShell::DesktopShell(AppCore &core, std::optional<WaylandDesktop::Offer> waylandOffer)
    : core_(core)
    , keyboard_(&ownKeystrokes_)
    , keyboardSwitch_(keyboard_)
    , hotkeys_(keyboardSwitch_, core.scheduler)
    , clipboard_(QClipboard::Clipboard)
    , selection_(QClipboard::Selection)
    , poster_(ownKeystrokes_, core.scheduler)
    , inserter_(TextInserter::Ports{clipboard_, &selection_, poster_, permissions_, frontmost_, core.scheduler})
    , wayland_(waylandOffer ? std::make_unique<WaylandDesktop>(*waylandOffer,
                   WaylandDesktop::X11Side{
                       .inserter = permissions_.isAccessibilityTrusted() ? &inserter_ : nullptr,
                       .frontmost = &frontmost_,
                       .clipboard = &clipboard_,
                   },
                   core.scheduler)
                            : nullptr)
    , inputMethodRoute_(InputMethodRoute::Deps{
          .bridge = inputMethod_,
          .scheduler = core.scheduler,
          .liveText = [&core] { return core.settings.liveTextInField(); },
          .report =
              [this](const QString &line) {
                  if (pasteReport_)
                      pasteReport_(line);
              },
      })
    // A connection of our own per recording where a PulseAudio (or PipeWire) server answers.
    , recorder_(
          std::make_unique<PreferredAudioInput>(std::make_unique<PulseAudioInput>(), std::make_unique<QtAudioInput>()))
    , recorderBinding_(recorder_)
    , hotkeyBinding_(hotkeys_)
    , windowHints_(waylandOffer.has_value())
    , lazyPanel_(*this)
    , failedRecordings_(FailedRecordingStore::defaultFolder(), fileWorker_)
    , chatWarmer_(core.http, core.scheduler)
    , controller_(DictationController::Deps{
          .settings = core.settings,
          .scheduler = core.scheduler,
          // Every start reads the key first: meanwhile the microphone's connection opens off
          // the main thread (a start that records nothing leaves it to be replaced).
          .readAPIKey =
              [this, &core](std::function<void(const APIKeyRead &)> done) {
                  recorder_.prepare();
                  core.settings.readAPIKey(std::move(done));
              },
          .addHistory = [&core](const HistoryEntry &entry) { core.history.add(entry); },
          .recorder = recorderBinding_,
          .makeSession = core.sessions,
          .chat = core.chat,
          .insertText
          = [this](const QString &text, bool restore, InsertDone done) { insertText(text, restore, std::move(done)); },
          .pressReturn = [this] { pressReturn(); },
          .frontmost = frontmost(),
          .permissions = permissions(),
          // Never asked for on X11: the microphone is never refused to a program there.
          .openMicrophoneSettings = [] {},
          .sounds = sounds_,
          .panel = lazyPanel_,
          .hotkeys = hotkeyBinding_,
          .loadPCM16 = loadFile,
          .pcm16Level = pcm16Level,
          .failedRecordings = &failedRecordings_,
      })
    , settingsWindow_(SettingsDeps{
          .settings = core.settings,
          .permissions = permissions(),
          .scheduler = core.scheduler,
          .chat = core.chat,
          .hotkeys = &hotkeys_,
          .translator = &keyTranslator_,
          .openPrivacySettings = [](const QString &) {},
          .inputMethod = &inputMethod_,
      })
{
    // An update keeps the recording the version before kept.
    failedRecordings_.adoptOlderRecording(FailedRecordingStore::olderFolder());
    // Escape is taken from other programs exactly while a dictation is under way.
    QObject::connect(
        &controller_, &DictationController::phaseChanged, &controller_, [this](const DictationPhase &phase) {
            hotkeys_.refreshEscapeInterception();
            // The window focused as recording starts is the one its text may go to.
            if (wayland_ && phase.kind() == DictationPhase::Kind::recording)
                wayland_->noteTarget();
            // The field focused as recording starts is the one its text and partial text go to.
            inputMethodRoute_.follow(phase);
            warmChatConnection();
        });
    QObject::connect(&controller_.hud(), &HUDModel::partialChanged, &controller_,
        [this] { inputMethodRoute_.showPartial(controller_.hud().partial()); });
    // A translation chosen while speaking sends the text to the chat model too.
    QObject::connect(&controller_.hud(), &HUDModel::translationChanged, &controller_, [this] { warmChatConnection(); });
    // The portal may take a while to answer (or never, a stuck desktop): start-up goes on with
    // the X11 hotkeys and the portal's adapters take over when its answer comes.
    if (wayland_) {
        portal_ = std::make_unique<PortalDesktop>(
            PortalDesktop::Parts{hotkeys_, keyboardSwitch_, keyboard_, *wayland_, core.defaults},
            PortalConnection::openPrivate());
        portal_->onShortcutsChanged = [this] { showBoundShortcuts(); };
        portal_->start();
    }
}

DesktopShell::~DesktopShell() = default;

Permissions &DesktopShell::permissions()
{
    if (wayland_)
        return wayland_->permissions();
    return permissions_;
}

FrontmostApp &DesktopShell::frontmost()
{
    if (wayland_)
        return wayland_->frontmost();
    return frontmost_;
}

PortalGlobalShortcuts *DesktopShell::portalShortcuts()
{
    return portal_ ? portal_->shortcuts() : nullptr;
}

void DesktopShell::setPortalReport(std::function<void(const QString &)> report)
{
    if (portal_)
        portal_->report = std::move(report);
}

void DesktopShell::setPasteReport(std::function<void(const QString &)> report)
{
    pasteReport_ = report;
    if (wayland_)
        wayland_->setPasteReport(std::move(report));
}

void DesktopShell::openSettings()
{
    settingsWindow_.show();
    showBoundShortcuts();
}

void DesktopShell::insertText(const QString &text, bool restore, InsertDone done)
{
    // An open tray menu holds the keyboard: the paste would go to it, not to the user's window.
    if (tray_)
        tray_->hideMenu();
    inputMethodRoute_.insert(text, std::move(done), [this, text, restore](InsertDone pasted) {
        if (wayland_)
            wayland_->insert(text, restore, controller_.returnFollowsPaste(), std::move(pasted));
        else
            inserter_.insert(text, restore, std::move(pasted));
    });
}

void DesktopShell::pressReturn()
{
    if (!wayland_)
        inserter_.pressReturn();
    else if (inputMethodRoute_.lastCommitted())
        wayland_->pressReturnNow();
    else
        wayland_->pressReturn();
}

// The chat request that follows a release goes out on a connection opened while the user spoke.
void DesktopShell::warmChatConnection()
{
    const bool chatAhead = core_.settings.polishEnabled() || controller_.hud().translation().has_value();
    chatWarmer_.follow(controller_.phase().kind(), chatAhead, core_.settings.normalizedHost());
}

// The desktop bound (or rebound) the shortcuts: the menu and the settings show what it chose.
void DesktopShell::showBoundShortcuts()
{
    PortalGlobalShortcuts *shortcuts = portalShortcuts();
    if (!shortcuts)
        return;
    if (menu_) {
        menu_->setShortcutBindings(shortcuts);
        menu_->refresh();
    }
    if (SettingsWindow *window = settingsWindow_.window())
        window->view().setShortcutBindings(shortcuts);
}

void DesktopShell::showRetryOffer()
{
    if (!menu_)
        return;
    menu_->setKeptRecordings(failedRecordings_.recordings());
}

void DesktopShell::showTray()
{
    if (tray_)
        return;
    MenuActions actions{
        // The popup holds the keyboard; it goes first so the text lands in the user's window.
        .toggleDictation =
            [this] {
                tray_->hideMenu();
                controller_.toggleFromMenu();
            },
        .openSettings =
            [this] {
                tray_->hideMenu();
                openSettings();
            },
        .quit = [] { QCoreApplication::quit(); },
        .copyText =
            [this](const QString &text) {
                clipboard_.clear();
                clipboard_.write({{{QString::fromLatin1(pasteboardtypes::plainText), text.toUtf8()}}});
            },
        .retryRecording =
            [this](const QString &id) {
                tray_->hideMenu();
                controller_.retryRecording(id);
            },
        .removeRecording = [this](const QString &id) { failedRecordings_.remove(id); },
    };
    // The popup owns the content; the pointer stays valid as long as the tray does.
    auto *menu = new MenuContent(core_.settings, core_.history, permissions(), std::move(actions));
    tray_ = std::make_unique<TrayIcon>(menu);
    menu_ = menu;
    if (PortalGlobalShortcuts *shortcuts = portalShortcuts())
        menu->setShortcutBindings(shortcuts);
    // The notice still goes to standard error as well; the menu shows it while it holds.
    menu->setSettingsWriteFailed(core_.defaults.lastWriteFailed());
    menu->setSettingsDamaged(QDir::toNativeSeparators(core_.defaults.damagedCopy()));
    core_.defaults.setWriteStateHandler([menu = QPointer<MenuContent>(menu)](bool failed) {
        if (menu)
            menu->setSettingsWriteFailed(failed);
    });
    menu->setPhase(controller_.phase());
    tray_->setPhase(controller_.phase());
    showRetryOffer();
    QObject::connect(&failedRecordings_, &FailedRecordingStore::changed, menu, [this] { showRetryOffer(); });
    QObject::connect(&controller_, &DictationController::phaseChanged, menu, [this, menu](const DictationPhase &phase) {
        menu->setPhase(phase);
        tray_->setPhase(phase);
    });
}

InstanceStatus DesktopShell::status()
{
    InstanceStatus status;
    status.version = QCoreApplication::applicationVersion();
    status.hotkeys = usesGlobalShortcuts()
        ? QStringLiteral("portal")
        : (keyboard_.access().trusted ? QStringLiteral("x11") : QStringLiteral("none"));
    if (PortalGlobalShortcuts *shortcuts = portalShortcuts()) {
        status.shortcuts = stateName(shortcuts->state());
        status.shortcutsProblem = shortcuts->problem();
        const auto names = PortalDesktop::shortcutNames();
        for (const auto &[id, trigger] : shortcuts->triggerDescriptions()) {
            if (const auto name = names.find(id); name != names.end())
                status.triggers[name->second.id] = trigger;
        }
    }
    if (wayland_) {
        status.paste = WaylandDesktop::routeName(wayland_->routeNow());
        if (PortalRemoteDesktop *remote = wayland_->remoteDesktop())
            status.remoteDesktop = stateName(remote->state());
    } else {
        status.paste = permissions_.isAccessibilityTrusted() ? WaylandDesktop::routeName(InsertionRoute::x11)
                                                             : WaylandDesktop::routeName(InsertionRoute::clipboardOnly);
    }
    if (const auto app = frontmost().current())
        status.focusedApp = app->name;
    status.keyChecked = core_.settings.apiKeyLoaded();
    status.keyStored = core_.settings.apiKeyConfigured();
    if (portal_) {
        const auto &support = portal_->connection().support();
        status.portalRegistered = support && support->registered;
        status.scope = portal_->scope().detail;
        status.inScope = portal_->scope().inScope;
    }
    if (const auto &timings = controller_.timings().last(); !timings.empty())
        status.lastDictation = timings.front().summary();
    return status;
}

} // namespace quillo
