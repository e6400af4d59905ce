// Real X events under a virtual display: keys are pressed by xdotool, another
// XTest client, so they count as the user's.
#include "hotkeys/HotkeyManager.h"
#include "platform/qt/QtScheduler.h"
#include "platform/x11/X11KeyboardSource.h"
#include "platform/x11/X11OwnKeystrokes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

// Last: Xlib's macros (None, KeyPress...) clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace quillo;
using ::testing::ElementsAre;

namespace {

constexpr int rightAltKeycode = 108; // on Xvfb's default keymap

bool waitFor(const std::function<bool()> &done, int milliseconds = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void settle(int milliseconds)
{
    waitFor([] { return false; }, milliseconds);
}

void xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    ASSERT_TRUE(process.waitForFinished(5000)) << arguments.join(' ').toStdString();
    ASSERT_EQ(process.exitCode(), 0) << arguments.join(' ').toStdString();
}

// A focused window of our own that records the keys it receives.
class TargetWindow : public QWidget {
public:
    TargetWindow()
    {
        setWindowTitle(QStringLiteral("quillo-x11keys-target"));
        setFocusPolicy(Qt::StrongFocus);
        resize(200, 100);
    }
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys.push_back(event->key()); }
};

class X11KeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        manager.onPress = [this](HotkeySlot s) { events.push_back("press " + slotName(s).toStdString()); };
        manager.onRelease = [this](HotkeySlot s) { events.push_back("release " + slotName(s).toStdString()); };
        manager.onEscape = [this] { events.push_back("escape"); };
        manager.shouldInterceptEscape = [this] { return busy; };
        manager.debugLog = [this](const QString &line) { log.push_back(line.toStdString()); };
        ASSERT_TRUE(source.access().listen) << "no XInput2 on this display";
    }

    void TearDown() override
    {
        // A failed test must not leave a key held for the next one.
        xdotool({QStringLiteral("keyup"), QString::number(rightAltKeycode), QStringLiteral("keyup"),
            QStringLiteral("Alt_L"), QStringLiteral("keyup"), QStringLiteral("space")});
        if (HasFailure()) {
            for (const std::string &line : log)
                std::cerr << "hotkey: " << line << '\n';
            for (int key : target.keys)
                std::cerr << "window got key " << std::hex << key << std::dec << '\n';
        }
    }

    void focusTarget()
    {
        target.show();
        ASSERT_TRUE(waitFor([this] { return target.isVisible() && target.winId() != 0; }));
        // No window manager here (it would hold Alt+Space itself): focus directly.
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(target.winId())});
        ASSERT_TRUE(waitFor([this] { return target.isActiveWindow(); })) << "target window never got the focus";
        settle(100);
        target.keys.clear();
    }

    size_t count(const std::string &event) const { return std::count(events.begin(), events.end(), event); }

    QtScheduler scheduler;
    X11OwnKeystrokes own;
    X11KeyboardSource source{&own};
    HotkeyManager manager{source, scheduler};
    TargetWindow target;
    std::vector<std::string> events;
    std::vector<std::string> log;
    bool busy = false;
};

TEST_F(X11KeysTest, RightAltHeldGivesOnePressAndOneRelease)
{
    manager.configure(defaultHoldHotkey, defaultToggleHotkey, std::nullopt);
    ASSERT_TRUE(manager.hasEventTap());
    xdotool({QStringLiteral("keydown"), QString::number(rightAltKeycode)});
    ASSERT_TRUE(waitFor([this] { return count("press hold") == 1; }));
    settle(700); // long enough for auto-repeat to start, were it reported
    xdotool({QStringLiteral("keyup"), QString::number(rightAltKeycode)});
    ASSERT_TRUE(waitFor([this] { return count("release hold") == 1; }));
    settle(100);
    EXPECT_THAT(events, ElementsAre("press hold", "release hold"));
}

TEST_F(X11KeysTest, AltSpaceGivesToggleOnce)
{
    manager.configure(defaultHoldHotkey, defaultToggleHotkey, std::nullopt);
    EXPECT_THAT(log, ::testing::Contains("register toggle ⌥Space status=0"));
    focusTarget();
    xdotool({QStringLiteral("keydown"), QStringLiteral("Alt_L"), QStringLiteral("keydown"), QStringLiteral("space")});
    ASSERT_TRUE(waitFor([this] { return count("press toggle") == 1; }));
    settle(700);
    xdotool({QStringLiteral("keyup"), QStringLiteral("space"), QStringLiteral("keyup"), QStringLiteral("Alt_L")});
    ASSERT_TRUE(waitFor([this] { return count("release toggle") == 1; }));
    EXPECT_THAT(events, ElementsAre("press toggle", "release toggle"));
    EXPECT_THAT(target.keys, ::testing::Not(::testing::Contains(Qt::Key_Space)));
}

TEST_F(X11KeysTest, EscapeIsSwallowedOnlyWhileBusy)
{
    manager.configure(defaultHoldHotkey, defaultToggleHotkey, std::nullopt);
    focusTarget();

    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    ASSERT_TRUE(waitFor([this] { return !target.keys.empty(); })) << "idle: Escape must reach the window";
    EXPECT_THAT(target.keys, ElementsAre(Qt::Key_Escape));
    EXPECT_TRUE(events.empty());

    busy = true;
    manager.refreshEscapeInterception();
    target.keys.clear();
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    ASSERT_TRUE(waitFor([this] { return count("escape") == 1; }));
    settle(300);
    EXPECT_TRUE(target.keys.empty()) << "busy: Escape must not reach the window";

    busy = false;
    manager.refreshEscapeInterception();
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    ASSERT_TRUE(waitFor([this] { return !target.keys.empty(); })) << "idle again: Escape reaches the window";
}

struct ToggleCase {
    const char *label;
    Hotkey toggle;
};

class ToggleWhileHolding : public X11KeysTest, public ::testing::WithParamInterface<ToggleCase> { };

TEST_P(ToggleWhileHolding, ToggleKeyReachesNoWindow)
{
    manager.configure(defaultHoldHotkey, GetParam().toggle, std::nullopt);
    focusTarget();
    xdotool({QStringLiteral("keydown"), QString::number(rightAltKeycode)});
    ASSERT_TRUE(waitFor([this] { return count("press hold") == 1; }));
    xdotool({QStringLiteral("key"), QStringLiteral("space")});
    ASSERT_TRUE(waitFor([this] { return count("press toggle") == 1; }));
    xdotool({QStringLiteral("keyup"), QString::number(rightAltKeycode)});
    ASSERT_TRUE(waitFor([this] { return count("release hold") == 1; }));
    settle(300);
    EXPECT_THAT(events, ElementsAre("press hold", "press toggle", "release hold")) << GetParam().label;
    EXPECT_THAT(target.keys, ::testing::Not(::testing::Contains(Qt::Key_Space))) << GetParam().label;

    // Once the hold key is up, Space types again.
    target.keys.clear();
    xdotool({QStringLiteral("key"), QStringLiteral("space")});
    EXPECT_TRUE(waitFor([this] { return !target.keys.empty(); })) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(Cases, ToggleWhileHolding,
    ::testing::Values(ToggleCase{"Option+Space", defaultToggleHotkey},
        ToggleCase{"Control+Space", Hotkey{49, modifierFlag::control, false}}));

TEST_F(X11KeysTest, ShiftTapSwitchesTranslationWithoutAnyGrab)
{
    int taps = 0;
    manager.onTranslateTap = [&taps](HotkeyManager::TimePoint) { ++taps; };
    manager.configure(defaultHoldHotkey, defaultToggleHotkey, std::nullopt);
    xdotool({QStringLiteral("key"), QStringLiteral("Shift_L")});
    ASSERT_TRUE(waitFor([&taps] { return taps == 1; }));
    xdotool({QStringLiteral("key"), QStringLiteral("shift+a")});
    settle(200);
    EXPECT_EQ(taps, 1) << "Shift used as a modifier is no tap";
}

TEST_F(X11KeysTest, OurOwnKeystrokesAreNotTheUsers)
{
    manager.configure(defaultHoldHotkey, defaultToggleHotkey, std::nullopt);
    own.expect(rightAltKeycode, true);
    own.expect(rightAltKeycode, false);
    xdotool({QStringLiteral("key"), QString::number(rightAltKeycode)});
    settle(300);
    xdotool({QStringLiteral("key"), QString::number(rightAltKeycode)});
    ASSERT_TRUE(waitFor([this] { return count("release hold") == 1; }));
    EXPECT_THAT(events, ElementsAre("press hold", "release hold"));
}

TEST_F(X11KeysTest, CombinationHeldByAnotherClientIsReported)
{
    // Another program holds Control+F1 already (here: a connection of the test's own).
    Display *other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    XGrabKey(other, XKeysymToKeycode(other, XK_F1), ControlMask, DefaultRootWindow(other), False, GrabModeAsync,
        GrabModeAsync);
    XSync(other, False);
    manager.configure(defaultHoldHotkey, Hotkey{122, modifierFlag::control, false}, std::nullopt);
    XCloseDisplay(other);
    EXPECT_THAT(log, ::testing::Contains("register toggle ⌃F1 status=10"));
    EXPECT_THAT(log, ::testing::Contains("register toggleTranslate ⌃⇧F1 status=0"));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
