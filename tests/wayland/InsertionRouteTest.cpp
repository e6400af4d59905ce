// Which way a dictation's text takes in a mixed Wayland/XWayland session, and what is
// left on the clipboard when no way can paste.
#include "dictation/InsertionRouter.h"
#include "platform/wayland/WaylandPermissions.h"

#include "platform/fake/FakeFrontmostApp.h"
#include "platform/fake/FakeKeystrokePoster.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/ManualScheduler.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace std::chrono_literals;

namespace quillo {
namespace {

TEST(InsertionRoute, PrefersX11ForX11WindowsThenTheCompositorThenThePortal)
{
    using R = InsertionRoute;
    struct Case {
        bool focusIsX11, x11, tools, portal;
        R expected;
    };
    const Case cases[] = {
        {true, true, true, true, R::x11}, // an XWayland window: XTest and its own clipboard
        {false, true, true, true, R::waylandTools}, // a native window
        {false, true, false, true, R::portal},
        {false, true, false, false, R::clipboardOnly}, // X11's clipboard does not reliably reach it
        {true, false, true, false, R::waylandTools}, // no XTest: the virtual keyboard reaches X11 windows too
        {true, false, false, true, R::portal},
        {true, false, false, false, R::clipboardOnly},
        {false, false, false, false, R::clipboardOnly},
    };
    for (const Case &c : cases) {
        const InsertionFacts facts{c.focusIsX11, c.x11, c.tools, c.portal};
        EXPECT_EQ(chooseInsertionRoute(facts), c.expected) << c.focusIsX11 << c.x11 << c.tools << c.portal;
    }
}

// One route's ports.
struct Lane {
    FakePasteboard clipboard;
    FakeKeystrokePoster keys;
    FakePermissions permissions;
};

struct Rig {
    FakeFrontmostApp frontmost;
    ManualScheduler scheduler;
    Lane x11, wayland, portal;
    FakePasteboard waylandClipboard; // where an unpasteable text waits
    TextInserter x11Inserter{{x11.clipboard, nullptr, x11.keys, x11.permissions, frontmost, scheduler}};
    TextInserter waylandInserter{{wayland.clipboard, nullptr, wayland.keys, wayland.permissions, frontmost, scheduler}};
    TextInserter portalInserter{{portal.clipboard, nullptr, portal.keys, portal.permissions, frontmost, scheduler}};
    InsertionRouter router(bool withX11, bool withTools)
    {
        return InsertionRouter({.x11 = withX11 ? &x11Inserter : nullptr,
                                   .waylandTools = withTools ? &waylandInserter : nullptr,
                                   .portal = nullptr,
                                   .portalUsable = {},
                                   .openPortal = {},
                                   .clipboardOnly = &waylandClipboard,
                                   .focusStayed = {}},
            frontmost, QStringLiteral("me.nolt.quillo"));
    }
    void focus(const char *id, bool nativeWayland)
    {
        AppIdentity app;
        app.identifier = QString::fromLatin1(id);
        app.windowClass = app.identifier;
        app.nativeWayland = nativeWayland;
        frontmost.app = app;
    }
};

// The outcome, when the insertion answered at once (fakes do).
std::optional<InsertOutcome> insertNow(InsertionRouter &router, const QString &text, bool restore)
{
    std::optional<InsertOutcome> outcome;
    router.insert(text, restore, [&outcome](InsertOutcome o) { outcome = o; });
    return outcome;
}

const PasteboardItems userCopy{{{QStringLiteral("text/plain"), QByteArrayLiteral("user's")}}};

TEST(InsertionRouter, PastesAlongTheRouteOfTheFocusedWindow)
{
    Rig rig;
    InsertionRouter router = rig.router(true, true);

    rig.focus("foot", true);
    EXPECT_EQ(insertNow(router, QStringLiteral("一"), false), InsertOutcome::pasted);
    EXPECT_EQ(router.lastRoute(), InsertionRoute::waylandTools);
    ASSERT_EQ(rig.wayland.keys.posted.size(), 1u);
    EXPECT_EQ(rig.wayland.keys.posted.front(), PasteChord::ctrlShiftV); // foot is a terminal
    EXPECT_TRUE(rig.x11.keys.posted.empty());

    rig.focus("XTerm", false);
    EXPECT_EQ(insertNow(router, QStringLiteral("二"), false), InsertOutcome::pasted);
    EXPECT_EQ(router.lastRoute(), InsertionRoute::x11);
    EXPECT_EQ(rig.x11.keys.posted.size(), 1u);

    // Return goes the way the last paste went.
    router.pressReturn();
    ASSERT_EQ(rig.x11.keys.posted.size(), 2u);
    EXPECT_EQ(rig.x11.keys.posted.back(), std::nullopt);

    // After a text the input method committed, Return goes the way of the window focused now.
    rig.focus("foot", true);
    router.pressReturnNow();
    ASSERT_EQ(rig.wayland.keys.posted.size(), 2u);
    EXPECT_EQ(rig.wayland.keys.posted.back(), std::nullopt);

    // An unknown window is not taken for an X11 one.
    rig.frontmost.app.reset();
    insertNow(router, QStringLiteral("三"), false);
    EXPECT_EQ(router.lastRoute(), InsertionRoute::waylandTools);
}

TEST(InsertionRouter, WithoutAWayToPasteTheTextStaysOnTheClipboard)
{
    Rig rig;
    InsertionRouter router = rig.router(true, false);
    rig.focus("foot", true);
    rig.waylandClipboard.copyFromElsewhere(userCopy);

    EXPECT_EQ(insertNow(router, QStringLiteral("留在剪贴板"), true), InsertOutcome::copiedOnly);
    EXPECT_EQ(router.lastRoute(), InsertionRoute::clipboardOnly);
    EXPECT_TRUE(rig.x11.keys.posted.empty());
    EXPECT_TRUE(rig.x11.clipboard.written.empty()); // not the X11 clipboard: foot would not see it
    rig.scheduler.advance(2s);
    // Never put back, even when asked to restore: nothing was pasted.
    EXPECT_EQ(rig.waylandClipboard.items(),
        (PasteboardItems{TextInserter::pastedItem(QStringLiteral("留在剪贴板"), QStringLiteral("me.nolt.quillo"))}));
    router.pressReturn();
    EXPECT_TRUE(rig.x11.keys.posted.empty());

    rig.waylandClipboard.refuseWrites = true;
    EXPECT_EQ(insertNow(router, QStringLiteral("x"), false), InsertOutcome::clipboardFailed);
    InsertionRouter none({}, rig.frontmost, {});
    EXPECT_EQ(insertNow(none, QStringLiteral("x"), false), InsertOutcome::clipboardFailed);

    // A write the clipboard took but does not hold (GNOME without data-control, seen for
    // real) is no "copied": the user's Ctrl+V would paste the old text.
    rig.waylandClipboard.refuseWrites = false;
    rig.waylandClipboard.forgetWrites = true;
    EXPECT_EQ(insertNow(router, QStringLiteral("y"), false), InsertOutcome::clipboardFailed);
}

// The chord goes only to the window that had the focus when the dictation started.
TEST(InsertionRouter, NeverTypesIntoAWindowTheFocusMovedTo)
{
    Rig rig;
    InsertionRouter router = rig.router(true, true);
    bool stayed = true;
    router.setFocusCheck([&stayed] { return stayed; });
    rig.focus("foot", true);
    EXPECT_EQ(insertNow(router, QStringLiteral("一"), false), InsertOutcome::pasted);
    stayed = false;
    EXPECT_EQ(insertNow(router, QStringLiteral("二"), false), InsertOutcome::copiedOnly);
    EXPECT_EQ(rig.wayland.keys.posted.size(), 1u);
    EXPECT_EQ(rig.waylandClipboard.items(),
        (PasteboardItems{TextInserter::pastedItem(QStringLiteral("二"), QStringLiteral("me.nolt.quillo"))}));
}

// GNOME: no compositor protocols, only the RemoteDesktop portal, opened for each paste (the
// desktop may ask the user). A paste is claimed only once its keystroke went out.
TEST(InsertionRouter, PortalPastesOnceTheDesktopOpensItsKeyboard)
{
    Rig rig;
    bool usable = true;
    std::function<void(bool)> pendingOpen;
    InsertionRouter router({.x11 = nullptr,
                               .waylandTools = nullptr,
                               .portal = &rig.portalInserter,
                               .portalUsable = [&usable] { return usable; },
                               .openPortal = [&pendingOpen](std::function<void(bool)> open) { pendingOpen = open; },
                               .clipboardOnly = &rig.waylandClipboard,
                               .focusStayed = {}},
        rig.frontmost, QStringLiteral("me.nolt.quillo"));
    rig.focus("org.gnome.TextEditor", true);

    struct Step {
        bool usable;
        std::optional<bool> granted; // the desktop's answer; none when it is not asked
        InsertOutcome outcome;
        InsertionRoute route;
        std::size_t keystrokes; // posted through the portal so far
    };
    const Step steps[] = {
        {true, false, InsertOutcome::copiedOnly, InsertionRoute::clipboardOnly, 0}, // refused this time
        {true, true, InsertOutcome::pasted, InsertionRoute::portal, 1},
        {false, std::nullopt, InsertOutcome::copiedOnly, InsertionRoute::clipboardOnly, 1}, // refused for good
    };
    for (const Step &step : steps) {
        usable = step.usable;
        pendingOpen = nullptr;
        std::optional<InsertOutcome> outcome;
        router.insert(QStringLiteral("文字"), false, [&outcome](InsertOutcome o) { outcome = o; });
        ASSERT_EQ(static_cast<bool>(pendingOpen), step.granted.has_value());
        if (pendingOpen) {
            EXPECT_FALSE(outcome) << "nothing is claimed while the desktop asks";
            pendingOpen(*step.granted);
        }
        EXPECT_EQ(outcome, step.outcome);
        EXPECT_EQ(router.lastRoute(), step.route);
        EXPECT_EQ(rig.portal.keys.posted.size(), step.keystrokes);
    }
}

TEST(InsertionRouter, RestoresTheUsersClipboardAfterAWaylandPaste)
{
    Rig rig;
    InsertionRouter router = rig.router(false, true);
    rig.focus("foot", true);
    rig.wayland.clipboard.copyFromElsewhere(userCopy);
    EXPECT_EQ(insertNow(router, QStringLiteral("文字"), true), InsertOutcome::pasted);
    rig.scheduler.advance(TextInserter::restoreDelay);
    EXPECT_EQ(rig.wayland.clipboard.items(), userCopy);
}

// Which capabilities of the session give which rows in the settings, and whether a paste can happen.
TEST(WaylandPermissions, DesktopAccessFollowsWhatTheSessionOffers)
{
    using K = DesktopAccess::Keyboard;
    using S = DesktopAccess::Shortcuts;
    struct Case {
        const char *desktop;
        bool tools, x11, remoteOffered, remoteRunning, shortcutsOffered, shortcutsBound;
        K keyboard;
        S shortcuts;
        bool trusted;
    };
    const Case cases[] = {
        {"sway", true, true, false, false, false, false, K::virtualKeyboard, S::unavailable, true},
        {"GNOME granted", false, true, true, true, true, true, K::remoteDesktop, S::bound, true},
        {"GNOME refused", false, true, true, false, true, false, K::notGranted, S::notBound, true},
        {"GNOME, no XWayland, refused", false, false, true, false, true, false, K::notGranted, S::notBound, false},
        {"old GNOME", false, false, false, false, false, false, K::unavailable, S::unavailable, false},
        {"KDE", false, true, true, true, true, true, K::remoteDesktop, S::bound, true},
    };
    for (const Case &c : cases) {
        WaylandPermissions::Sources sources;
        sources.virtualKeyboard = c.tools;
        sources.x11Paste = c.x11;
        int keyboardAsks = 0;
        if (c.remoteOffered) {
            sources.remoteKeyboardOffered = [] { return true; };
            sources.remoteKeyboardRunning = [&c] { return c.remoteRunning; };
            sources.askRemoteKeyboard = [&keyboardAsks] { ++keyboardAsks; };
        }
        if (c.shortcutsOffered) {
            sources.shortcutsOffered = [] { return true; };
            sources.shortcutsBound = [&c] { return c.shortcutsBound; };
        }
        WaylandPermissions permissions(sources);
        const auto access = permissions.desktopAccess();
        ASSERT_TRUE(access) << c.desktop;
        EXPECT_EQ(access->keyboard, c.keyboard) << c.desktop;
        EXPECT_EQ(access->shortcuts, c.shortcuts) << c.desktop;
        EXPECT_EQ(permissions.isAccessibilityTrusted(), c.trusted) << c.desktop;
        EXPECT_EQ(permissions.sessionProblem().isEmpty(), c.trusted) << c.desktop;
        // Only a keyboard the desktop can still grant is asked for.
        permissions.promptForAccessibility();
        EXPECT_EQ(keyboardAsks, c.keyboard == K::notGranted ? 1 : 0) << c.desktop;
        permissions.askForShortcuts(); // nothing to ask where no portal is: no crash
    }
}

} // namespace
} // namespace quillo
