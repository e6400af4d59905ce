#include "app/CommandLineModes.h"

#include "app/AppCore.h"
#include "app/DesktopSession.h"
#include "app/DesktopShell.h"
#include "app/Doctor.h"
#include "app/E2eObserver.h"
#include "app/SelfTestRunner.h"
#include "app/SingleInstance.h"
#include "app/TerminationSignals.h"
#include "i18n/InterfaceTranslator.h"
#include "platform/portal/PortalAppearance.h"
#include "platform/portal/PortalSupport.h"
#include "platform/x11/X11ConnectionLoss.h"
#include "platform/x11/X11Permissions.h"
#include "ui/DesktopTheme.h"
#include "ui/ScreenshotRenderer.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

namespace quillo {

namespace {

using Mode = CommandLine::Mode;

void printLine(const QString &line)
{
    QTextStream out(stdout);
    out << line << '\n';
    out.flush();
}

void printError(const QString &line)
{
    QTextStream err(stderr);
    err << line << '\n';
    err.flush();
}

QStringList argumentList(int argc, char *argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("nolt"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLO_VERSION));
    // GNOME matches our windows to com.nolt.quillo.desktop by this name (the Wayland app id)
    // and by the X11 window class "Quillo" (StartupWMClass there); otherwise the window list
    // shows a generic icon and no name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(portalAppId));
}

// The installed icon when the theme has it; the embedded copy for a program run from its
// build folder, so its windows never show the generic icon.
void setApplicationIcon()
{
    QApplication::setWindowIcon(QIcon::fromTheme(
        QString::fromLatin1(portalAppId), QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(portalAppId)))));
}

int importEnvironment(int argc, char *argv[], const QString &path, InterfaceLanguage language)
{
    QCoreApplication app(argc, argv);
    nameApplication();
    const InterfaceTranslator translator(language);
    AppCore core;
    // An unreadable file has printed its message; the run still ends normally. A key the store
    // did not take is one line on standard error and status 1: a script must not go on as if
    // the key were there. The import may finish before the loop runs (no key to store), and
    // an exit() then would be lost: queue it.
    core.settings.importEnvironmentFile(path, printLine, [](const EnvImport &result) {
        if (result.keyError)
            printError(QCoreApplication::translate("App", "无法保存 API Key：%1")
                           .arg(QtKeychainCredentialStore::explain(*result.keyError)));
        const int status = result.keyError ? 1 : 0;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [status] { QCoreApplication::exit(status); }, Qt::QueuedConnection);
    });
    return app.exec();
}

int selfTest(int argc, char *argv[], const CommandLine &line)
{
    QCoreApplication app(argc, argv);
    nameApplication();
    AppCore core;
    const auto runner = SelfTestRunner::create(
        SelfTestRunner::Options{line.modeArgument(), line.argumentValue(QStringLiteral("--polish-model")),
            line.argumentValue(QStringLiteral("--translate-model")), line.hasFlag(QStringLiteral("--only-translate"))},
        SelfTestRunner::Services{core.settings, core.sessions, core.chat, core.scheduler, printLine});
    core.settings.whenAPIKeyLoaded(
        [runner] { runner->run([](int failed) { QCoreApplication::exit(failed == 0 ? 0 : 1); }); });
    return app.exec();
}

int render(int argc, char *argv[], const QString &dir, InterfaceLanguage language)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    nameApplication();
    const InterfaceTranslator translator(language);
    const auto written = renderScreenshots(dir);
    if (!written) {
        // Reporting success for screenshots that were not written would mislead a script.
        printError(written.error());
        return 1;
    }
    printLine(QCoreApplication::translate("App", "截图已输出到 %1").arg(dir));
    return 0;
}

// The observation modes' lines about each paste's route (the input method's on every desktop)
// and the Wayland side: what the session offers, what the portal answered.
void reportWayland(DesktopShell &shell)
{
    shell.setPasteReport([](const QString &line) { printLine(QStringLiteral("[e2e] paste: ") + line); });
    if (!shell.wayland())
        return;
    printLine(QStringLiteral("[e2e] wayland: ") + shell.wayland()->describe());
    shell.setPortalReport([](const QString &line) { printLine(QStringLiteral("[e2e] portal: ") + line); });
}

// What the running instance does for a later launch or a command-line action.
SingleInstance::Answer handle(DesktopShell &shell, SingleInstance::Request request)
{
    using Request = SingleInstance::Request;
    DictationController &controller = shell.controller();
    switch (request) {
    case Request::openSettings:
        shell.openSettings();
        return true;
    case Request::toggle:
        return controller.toggleFromCommand();
    case Request::start:
        return controller.startFromCommand();
    case Request::stop:
        return controller.stopFromCommand();
    case Request::cancel:
        return controller.cancelFromCommand();
    case Request::translate:
        return controller.translateFromCommand();
    case Request::retry:
        // Said plainly: a key binding's user would otherwise never learn why nothing happened.
        if (shell.failedRecordings().recordings().isEmpty())
            return SingleInstance::Answer::refused(QCoreApplication::translate("App", "没有可重试的录音"));
        return controller.retryLastRecording();
    case Request::status:
        break; // answered by the status report
    }
    return false;
}

std::optional<SingleInstance::Request> requestFor(Mode mode)
{
    using Request = SingleInstance::Request;
    switch (mode) {
    case Mode::sendToggle:
        return Request::toggle;
    case Mode::sendStart:
        return Request::start;
    case Mode::sendStop:
        return Request::stop;
    case Mode::sendCancel:
        return Request::cancel;
    case Mode::sendTranslate:
        return Request::translate;
    case Mode::sendRetry:
        return Request::retry;
    default:
        return std::nullopt;
    }
}

// Hands one action to the running instance and returns at once: no display, no second
// instance. Exit status 0 when the instance took it, 1 when none runs or it did not answer.
int sendToRunningInstance(int argc, char *argv[], SingleInstance::Request request, InterfaceLanguage language)
{
    QCoreApplication app(argc, argv);
    const InterfaceTranslator translator(language);
    using Kind = SingleInstance::Reply::Kind;
    const SingleInstance::Reply reply = SingleInstance(SingleInstance::defaultName()).send(request);
    switch (reply.kind) {
    case Kind::taken:
        return 0;
    case Kind::ignored:
        printError(QCoreApplication::translate("App", "Quillo 已收到，当前状态下无需执行"));
        return 0;
    case Kind::noInstance:
        printError(QCoreApplication::translate("App", "没有正在运行的 Quillo（先启动 quillo）"));
        return 1;
    case Kind::noAnswer:
        printError(QCoreApplication::translate("App", "Quillo 没有响应（可以退出后重新启动 quillo）"));
        return 1;
    case Kind::badAnswer:
    case Kind::status: // a status is never the answer to an action
        printError(QCoreApplication::translate("App", "没有收到有效的回答（应答的可能不是 Quillo）"));
        return 1;
    case Kind::notPrivate:
        printError(QCoreApplication::translate("App", "无法安全地联系 Quillo：%1").arg(reply.detail));
        return 1;
    case Kind::refused:
        printError(QCoreApplication::translate("App", "Quillo 拒绝了请求：%1").arg(reply.detail));
        return 1;
    }
    return 1;
}

int runDesktop(int argc, char *argv[], const CommandLine &line, Mode mode, InterfaceLanguage language)
{
    const DesktopSession session = DesktopSession::current();
    if (!session.any()) {
        QCoreApplication app(argc, argv);
        const InterfaceTranslator translator(language);
        printError(X11Permissions::sessionProblemFor(false, false));
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", session.qtPlatform());
    QApplication app(argc, argv);
    nameApplication();
    setApplicationIcon();
    const InterfaceTranslator translator(language);
    // A logout's SIGTERM, Ctrl+C or a closed terminal ends us as Quit does.
    const TerminationSignals termination([](int) { QCoreApplication::exit(0); });
    // Our own X connections live on XWayland too: a lost server ends us the same way.
    if (session.x11)
        endProgramOnX11ConnectionLoss();
    app.setQuitOnLastWindowClosed(false);
    // Before any window: every one of them takes its colours from it.
    DesktopTheme desktopTheme;
    PortalAppearance appearance(QDBusConnection::sessionBus());
    appearance.onPreference = [&desktopTheme](PortalAppearance::Preference preference) {
        using Preference = PortalAppearance::Preference;
        desktopTheme.setPortalPreference(preference == Preference::none
                ? std::nullopt
                : std::optional(preference == Preference::dark ? theme::ColorScheme::dark : theme::ColorScheme::light));
    };

    SingleInstance instance(SingleInstance::defaultName());
    const bool single = mode == Mode::normal || mode == Mode::openSettings;
    if (single && instance.notifyRunningInstance())
        return 0;

    AppCore core;
    const auto waylandOffer = session.wayland ? std::optional(WaylandDesktop::probe()) : std::nullopt;
    DesktopShell shell(core, waylandOffer);
    // An observed instance is still the session's Quillo: desktop key bindings reach it.
    if (single || mode == Mode::e2eObserve) {
        const auto listening = instance.listen(
            core.scheduler, [&shell](SingleInstance::Request request) { return handle(shell, request); });
        instance.setStatusReport([&shell] { return shell.status().toLine(); });
        // Quillo still runs; only later launches and command-line actions cannot reach it.
        if (!listening)
            printError(QCoreApplication::translate("App", "再次启动和命令行操作无法联系到这个 Quillo：%1")
                           .arg(listening.error()));
    }
    E2eObserver observer(shell.controller(), core.history, printLine);
    // Held for the whole run: destroying it would cancel the scripted dictation before it starts.
    ScheduledWork scriptedStart;

    switch (mode) {
    case Mode::openSettings:
        shell.controller().bindHotkeys();
        shell.openSettings();
        shell.showTray();
        break;
    case Mode::e2eObserve:
        observer.observeAll(shell.hotkeys());
        observer.observeFailedRecordings(shell.failedRecordings());
        reportWayland(shell);
        shell.controller().bindHotkeys();
        break;
    case Mode::e2eFile: {
        shell.controller().bindHotkeys();
        observer.observePhasesWithApp(shell.frontmost());
        observer.observeFailedRecordings(shell.failedRecordings());
        reportWayland(shell);
        const QString file = line.modeArgument();
        const bool send = line.hasFlag(QStringLiteral("--e2e-send"));
        const auto delay = std::chrono::duration<double>(line.e2eDelaySeconds());
        scriptedStart = core.scheduler.after(std::chrono::duration_cast<Scheduler::Duration>(delay),
            [&shell, file, send] { shell.controller().runEndToEnd(file, send, std::nullopt, 1.0); });
        // A scripted run ends by itself once its result has been pasted and the
        // clipboard put back.
        auto exitWork = std::make_shared<ScheduledWork>();
        QObject::connect(&shell.controller(), &DictationController::phaseChanged, &app,
            [&core, exitWork](const DictationPhase &phase) {
                if (phase.isBusy() || phase.kind() == DictationPhase::Kind::idle || exitWork->isSet())
                    return;
                const int status = phase.kind() == DictationPhase::Kind::done ? 0 : 1;
                *exitWork = core.scheduler.after(
                    std::chrono::milliseconds(1500), [status] { QCoreApplication::exit(status); });
            });
        break;
    }
    default:
        core.settings.whenAPIKeyLoaded([&core, &shell] {
            shell.controller().bindHotkeys();
            // Only a key known to be missing is asked for: a keyring still locked at login may hold one.
            if (core.settings.apiKeyState() == APIKeyState::missing)
                shell.openSettings();
            // On X11 nothing is prompted: microphone access is not gated and XTest needs no grant.
            shell.permissions().requestMicrophoneAccess();
        });
        shell.showTray();
        break;
    }
    return app.exec();
}

} // namespace

int runQuillo(int argc, char *argv[])
{
    const CommandLine line(argumentList(argc, argv));
    const Mode mode = line.mode();
    const auto language = line.interfaceLanguage(QLocale::system().uiLanguages());
    if (!language) {
        printError(QStringLiteral("--lang: zh or en"));
        return 2;
    }
    // The self-test's report is read by scripts: it stays in the source language.
    switch (mode) {
    case Mode::help:
        printLine(CommandLine::helpText());
        return 0;
    case Mode::version:
        printLine(QStringLiteral("Quillo " QUILLO_VERSION));
        return 0;
    case Mode::importEnv:
        return importEnvironment(argc, argv, line.modeArgument(), *language);
    case Mode::selfTest:
        return selfTest(argc, argv, line);
    case Mode::render:
        return render(argc, argv, line.modeArgument(), *language);
    case Mode::sendToggle:
    case Mode::sendStart:
    case Mode::sendStop:
    case Mode::sendCancel:
    case Mode::sendTranslate:
    case Mode::sendRetry:
        return sendToRunningInstance(argc, argv, *requestFor(mode), *language);
    case Mode::doctor:
        return runDoctor(argc, argv, *language);
    default:
        return runDesktop(argc, argv, line, mode, *language);
    }
}

} // namespace quillo
