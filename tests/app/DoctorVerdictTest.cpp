#include "app/DoctorVerdict.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

namespace quillo {
namespace {

using F = DoctorFindings;
using Advice = DoctorVerdict::Advice;

// sway with XWayland, a Quillo running, the README's bindings, wl-copy + wtype: everything works.
F workingSway()
{
    F f;
    f.session = F::Session::waylandWithX11;
    f.desktop = F::Desktop::sway;
    f.compositor = F::Compositor::sway;
    f.registryRead = f.dataControl = f.virtualKeyboard = f.clipboardTools = f.keyTool = true;
    f.xtest = true;
    f.instance = F::Instance::answered;
    f.desktopBindingsAsked = f.desktopBindingsRead = true;
    f.desktopBindings = {{"$mod+d", "start", false, false}, {"$mod+d", "stop", true, false}};
    f.route = InsertionRoute::waylandTools;
    f.microphoneOpened = true;
    f.key = F::Key::stored;
    f.tray = true;
    return f;
}

// GNOME 48: the portal binds the shortcuts and its keyboard pastes; no wtype, no data-control.
F workingGnome()
{
    F f = workingSway();
    f.desktop = F::Desktop::gnome;
    f.compositor = F::Compositor::mutter;
    f.dataControl = f.virtualKeyboard = f.keyTool = false;
    f.desktopBindingsAsked = f.desktopBindingsRead = false;
    f.desktopBindings.clear();
    f.portalAsked = true;
    f.portal = PortalSupport{};
    f.portal->globalShortcutsVersion = 1;
    f.portal->remoteDesktopVersion = 2;
    f.portal->remoteDesktopDeviceTypes = 1;
    f.portal->registered = true;
    f.appId = QStringLiteral("com.nolt.quillo");
    f.desktopEntryInstalled = true;
    f.hotkeys = F::Hotkeys::portal;
    f.shortcuts = F::Shortcuts::bound;
    f.triggers = {{"hold", "Press Right Alt"}};
    f.route = InsertionRoute::portal;
    return f;
}

// An X11 desktop before Quillo runs: the doctor grabbed the hot keys itself.
F workingX11()
{
    F f;
    f.session = F::Session::x11;
    f.xtest = true;
    f.instance = F::Instance::none;
    f.hotkeys = F::Hotkeys::x11;
    f.x11HotkeysChecked = true;
    f.x11Hotkeys = {{"hold", "右 Alt", true}, {"toggle", "Alt+Space", true}};
    f.route = InsertionRoute::x11;
    f.microphoneOpened = true;
    f.key = F::Key::stored;
    f.tray = true;
    return f;
}

struct Case {
    const char *name;
    std::function<F()> findings;
    bool canDictate;
    std::set<Advice> advice;
};

class DoctorVerdictTest : public ::testing::TestWithParam<Case> { };

TEST_P(DoctorVerdictTest, VerdictAndAdvice)
{
    const Case &c = GetParam();
    const DoctorVerdict verdict = DoctorVerdict::judge(c.findings());
    EXPECT_EQ(verdict.canDictate, c.canDictate);
    EXPECT_EQ(std::set<Advice>(verdict.advice.begin(), verdict.advice.end()), c.advice);
}

template <typename Change> std::function<F()> with(F (*base)(), Change change)
{
    return [base, change] {
        F f = base();
        change(f);
        return f;
    };
}

const Case cases[] = {
    {"SwayWithBindings", workingSway, true, {}},
    {"GnomePortal", workingGnome, true, {}},
    {"X11BeforeStart", workingX11, true, {Advice::startQuillo}},
    // The key store
    {"NoKey", with(workingSway, [](F &f) { f.key = F::Key::missing; }), false, {Advice::importKey}},
    {"KeyStoreSilent", with(workingSway, [](F &f) { f.key = F::Key::storeSilent; }), false, {Advice::unlockKeyStore}},
    {"KeyStoreNeverAnswered", with(workingSway, [](F &f) { f.key.reset(); }), false, {Advice::unlockKeyStore}},
    // The microphone
    {"NoSoundServer",
        with(workingSway,
            [](F &f) {
                f.microphoneOpened = false;
                f.soundServerMissing = true;
            }),
        false, {Advice::startSoundServer}},
    {"NoMicrophone", with(workingSway, [](F &f) { f.microphoneOpened = false; }), false, {Advice::fixMicrophone}},
    {"MicrophoneCheckUnfinished", with(workingSway, [](F &f) { f.microphoneOpened.reset(); }), false,
        {Advice::fixMicrophone}},
    // Starting a dictation
    {"SwayOnlyX11HotkeysCountNot",
        with(workingSway,
            [](F &f) {
                f.desktopBindings.clear();
                f.hotkeys = F::Hotkeys::x11;
            }),
        false, {Advice::bindDesktopKey}},
    {"SwayStartWithoutStop", with(workingSway, [](F &f) { f.desktopBindings.pop_back(); }), true,
        {Advice::addStopBinding}},
    {"SwayToggleAlone",
        with(workingSway,
            [](F &f) {
                f.desktopBindings = {{"$mod+d", "toggle", false, false}};
            }),
        true, {}},
    {"SwayBindingsButNoneRuns", with(workingSway, [](F &f) { f.instance = F::Instance::none; }), true,
        {Advice::startQuillo}},
    {"InstanceSilent",
        with(workingGnome,
            [](F &f) {
                f.instance = F::Instance::silent;
                f.hotkeys = F::Hotkeys::none;
                f.triggers.clear();
                f.route.reset();
            }),
        false, {Advice::bindDesktopKey, Advice::pasteByHand, Advice::restartQuillo}},
    {"X11OneHotkeyTaken", with(workingX11, [](F &f) { f.x11Hotkeys[1].works = false; }), true,
        {Advice::freeX11Hotkey, Advice::startQuillo}},
    {"X11EveryHotkeyTaken",
        with(workingX11,
            [](F &f) {
                for (auto &h : f.x11Hotkeys)
                    h.works = false;
            }),
        false, {Advice::bindDesktopKey, Advice::freeX11Hotkey, Advice::startQuillo}},
    {"PortalShortcutsRefused",
        with(workingGnome,
            [](F &f) {
                f.hotkeys = F::Hotkeys::none;
                f.shortcuts = F::Shortcuts::refused;
                f.triggers.clear();
            }),
        false, {Advice::bindDesktopKey, Advice::confirmShortcuts}},
    {"PortalBoundWithoutTriggers",
        with(workingGnome,
            [](F &f) {
                f.shortcuts = F::Shortcuts::noTriggers;
                f.triggers.clear();
            }),
        false, {Advice::bindDesktopKey, Advice::confirmShortcuts}},
    {"HyprlandGlobalBinds",
        with(workingSway,
            [](F &f) {
                f.desktop = F::Desktop::hyprland;
                f.hotkeys = F::Hotkeys::portal;
                f.desktopBindings = {{"SUPER+D", "hold", false, true}};
            }),
        true, {}},
    // Pasting
    {"WlrootsWithoutWtype",
        with(workingSway,
            [](F &f) {
                f.keyTool = false;
                f.route = InsertionRoute::clipboardOnly;
            }),
        false, {Advice::installWtype}},
    {"WithoutWlClipboard",
        with(workingSway,
            [](F &f) {
                f.clipboardTools = false;
                f.route = InsertionRoute::x11; // an XWayland window has the focus
            }),
        true, {Advice::installWlClipboard}},
    {"GnomeWithoutPortal",
        with(workingGnome,
            [](F &f) {
                f.portal = PortalSupport{};
                f.portal->presence = PortalSupport::Presence::absent;
                f.hotkeys = F::Hotkeys::none;
                f.triggers.clear();
                f.shortcuts = F::Shortcuts::notAsked;
                f.route = InsertionRoute::clipboardOnly;
            }),
        false, {Advice::bindDesktopKey, Advice::installPortal}},
    {"KeyboardRefused",
        with(workingGnome,
            [](F &f) {
                f.remoteDesktopState = QStringLiteral("refused");
                f.route = InsertionRoute::clipboardOnly;
            }),
        false, {Advice::grantKeyboard}},
    {"NothingCanPaste",
        with(workingSway,
            [](F &f) {
                f.desktop = F::Desktop::other;
                f.dataControl = f.virtualKeyboard = false;
                f.route = InsertionRoute::clipboardOnly;
            }),
        false, {Advice::pasteByHand}},
    {"DesktopEntryMissing", with(workingGnome, [](F &f) { f.desktopEntryInstalled = false; }), true,
        {Advice::installDesktopEntry}},
    {"NoAppIdNoUseForTheEntry",
        with(workingGnome,
            [](F &f) {
                f.portal->registered = false;
                f.appId.clear();
                f.desktopEntryInstalled = false;
            }),
        true, {}},
    {"PortalFindsNoAppInfo",
        with(workingGnome,
            [](F &f) {
                f.portal->registered = false;
                f.portal->registryProblem = QStringLiteral("App info not found for 'com.nolt.quillo'");
            }),
        true, {Advice::installDesktopEntry}},
    // The tray never stops a dictation
    {"GnomeWithoutTray", with(workingGnome, [](F &f) { f.tray = false; }), true, {Advice::enableAppIndicator}},
    {"SwayWithoutTray", with(workingSway, [](F &f) { f.tray = false; }), true, {Advice::addTray}},
    {"TrayNeverAnswered", with(workingSway, [](F &f) { f.tray.reset(); }), true, {}},
    // No desktop at all: only what does not need one is judged
    {"NoSession",
        [] {
            F f;
            f.microphoneOpened = true;
            f.key = F::Key::stored;
            return f;
        },
        false, {Advice::graphicalSession}},
};

INSTANTIATE_TEST_SUITE_P(Doctor, DoctorVerdictTest, ::testing::ValuesIn(cases),
    [](const auto &info) { return std::string(info.param.name); });

struct CompositorCase {
    const char *desktop;
    bool swaySocket;
    std::optional<QStringList> globals;
    F::Compositor compositor;
    F::Desktop family;
};

TEST(DoctorCompositorTest, NamedByTheDesktopOrByItsOwnGlobals)
{
    const QStringList core{"wl_compositor", "wl_seat"};
    const CompositorCase cases[] = {
        {"", true, core, F::Compositor::sway, F::Desktop::sway},
        {"sway", false, std::nullopt, F::Compositor::sway, F::Desktop::sway},
        {"", false, core + QStringList{"org_kde_plasma_shell"}, F::Compositor::kwin, F::Desktop::kde},
        {"ubuntu:GNOME", false, core + QStringList{"gtk_shell1"}, F::Compositor::mutter, F::Desktop::gnome},
        {"", false, core + QStringList{"hyprland_global_shortcuts_manager_v1"}, F::Compositor::hyprland,
            F::Desktop::hyprland},
        {"", false, core, F::Compositor::other, F::Desktop::other},
        // wlroots offers a KDE decoration protocol too: that alone names no KWin.
        {"", false, core + QStringList{"org_kde_kwin_server_decoration_manager", "zwlr_layer_shell_v1"},
            F::Compositor::other, F::Desktop::other},
        {"KDE", false, std::nullopt, F::Compositor::kwin, F::Desktop::kde},
        {"", false, std::nullopt, F::Compositor::unknown, F::Desktop::other},
    };
    for (const auto &c : cases) {
        const auto compositor = F::compositorFrom(QString::fromLatin1(c.desktop), c.swaySocket, false, c.globals);
        EXPECT_EQ(compositor, c.compositor)
            << c.desktop << " " << c.globals.value_or(QStringList()).join(',').toStdString();
        EXPECT_EQ(F::desktopFrom(QString::fromLatin1(c.desktop), compositor), c.family) << c.desktop;
    }
}

} // namespace
} // namespace quillo
