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

} // namespace

void DesktopShell::LazyPanel::show()
{
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

namespace {

// What the desktop lists for each hot key; the ids are what it remembers triggers by.
PortalGlobalShortcuts::Names shortcutNames()
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

} // namespace

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
    // A connection of our own per recording where a PulseAudio (or PipeWire) server answers.
    , recorder_(
          std::make_unique<PreferredAudioInput>(std::make_unique<PulseAudioInput>(), std::make_unique<QtAudioInput>()))
    , recorderBinding_(recorder_)
    , hotkeyBinding_(hotkeys_)
    , windowHints_(waylandOffer.has_value())
    , lazyPanel_(*this)
    , failedRecordings_(FailedRecordingStore::defaultFolder())
    , controller_(DictationController::Deps{
          .settings = core.settings,
          .scheduler = core.scheduler,
          .readAPIKey
          = [&core](std::function<void(const APIKeyRead &)> done) { core.settings.readAPIKey(std::move(done)); },
          .addHistory = [&core](const HistoryEntry &entry) { core.history.add(entry); },
          .recorder = recorderBinding_,
          .makeSession = core.sessions,
          .chat = core.chat,
          .insertText =
              [this](const QString &text, bool restore, std::function<void()> afterPaste) {
                  // An open tray menu holds the keyboard: the paste would go to it, not to the user's window.
                  if (tray_)
                      tray_->hideMenu();
                  if (wayland_)
                      return wayland_->insert(text, restore, std::move(afterPaste));
                  return inserter_.insert(text, restore, std::move(afterPaste));
              },
          .pressReturn =
              [this] {
                  if (wayland_)
                      wayland_->pressReturn();
                  else
                      inserter_.pressReturn();
              },
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
      })
{
    // Escape is taken from other programs exactly while a dictation is under way.
    QObject::connect(&controller_, &DictationController::phaseChanged, &controller_,
        [this](const DictationPhase &) { hotkeys_.refreshEscapeInterception(); });
    sinceStart_.start();
    // The portal may take a while to answer (or never, a stuck desktop): start-up goes on with
    // the X11 hotkeys and the portal's adapters take over when its answer comes.
    if (wayland_)
        PortalSupport::probe(
            QDBusConnection::sessionBus(), &portalCalls_, [this](const PortalSupport &support) { usePortal(support); });
}

void DesktopShell::usePortal(const PortalSupport &support)
{
    reportPortal(QStringLiteral("answered: global shortcuts %1, remote desktop keyboard %2")
                     .arg(support.hasGlobalShortcuts() ? QStringLiteral("yes") : QStringLiteral("no"),
                         support.hasRemoteKeyboard() ? QStringLiteral("yes") : QStringLiteral("no")));
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (support.hasRemoteKeyboard())
        wayland_->useRemoteDesktop(bus, core_.defaults);
    if (!support.hasGlobalShortcuts())
        return;
    portalKeyboard_ = std::make_unique<PortalGlobalShortcuts>(bus, shortcutNames(), support.globalShortcutsVersion);
    portalKeyboard_->onChanged = [this] { showBoundShortcuts(); };
    WaylandPermissions::Sources &sources = wayland_->permissions().sources();
    sources.shortcutsOffered = [] { return true; };
    sources.shortcutsBound = [this] {
        return portalKeyboard_->state() == PortalGlobalShortcuts::State::bound
            && !portalKeyboard_->triggerDescriptions().empty();
    };
    sources.askShortcuts = [this] { portalKeyboard_->bindAgain(); };
    // What was bound through X11 moves to the portal (nothing yet when the hotkeys were not bound).
    const bool installed = !hotkeys_.bindings().empty() && !hotkeys_.suspended();
    if (installed)
        hotkeys_.uninstall();
    keyboardSwitch_.switchTo(*portalKeyboard_);
    if (installed)
        hotkeys_.install();
    if (menu_)
        menu_->setShortcutBindings(portalKeyboard_.get());
    showBoundShortcuts();
}

void DesktopShell::reportPortal(const QString &line)
{
    if (portalReport_)
        portalReport_(QStringLiteral("%1 after %2 ms").arg(line).arg(sinceStart_.elapsed()));
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

void DesktopShell::setPasteReport(std::function<void(const QString &)> report)
{
    if (wayland_)
        wayland_->setPasteReport(std::move(report));
}

void DesktopShell::openSettings()
{
    settingsWindow_.show();
    showBoundShortcuts();
}

// The desktop bound (or rebound) the shortcuts: the menu and the settings show what it chose.
void DesktopShell::showBoundShortcuts()
{
    if (!portalKeyboard_)
        return;
    if (!reportedBinding_ && portalKeyboard_->state() == PortalGlobalShortcuts::State::bound) {
        reportedBinding_ = true;
        reportPortal(QStringLiteral("shortcuts bound"));
    }
    if (menu_)
        menu_->refresh();
    if (SettingsWindow *window = settingsWindow_.window())
        window->view().setShortcutBindings(portalKeyboard_.get());
}

void DesktopShell::showRetryOffer()
{
    if (!menu_)
        return;
    const auto &kept = failedRecordings_.current();
    menu_->setRetryOffer(kept ? std::optional(kept->seconds()) : std::nullopt);
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
        .retryLastRecording =
            [this] {
                tray_->hideMenu();
                controller_.retryLastRecording();
            },
    };
    // The popup owns the content; the pointer stays valid as long as the tray does.
    auto *menu = new MenuContent(core_.settings, core_.history, permissions(), std::move(actions));
    tray_ = std::make_unique<TrayIcon>(menu);
    menu_ = menu;
    if (portalKeyboard_)
        menu->setShortcutBindings(portalKeyboard_.get());
    // The notice still goes to standard error as well; the menu shows it while it holds.
    menu->setSettingsWriteFailed(core_.defaults.lastWriteFailed());
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

} // namespace quillo
