// What the Wayland adapters read from others: sway's tree, Hyprland's active window,
// the compositor's registry, wl-paste's answers, and what they write back with wl-copy.
#include "platform/wayland/CompositorBindings.h"
#include "platform/wayland/HyprlandIpcFocus.h"
#include "platform/wayland/SwayIpcFocus.h"
#include "platform/wayland/WaylandRegistryProbe.h"
#include "platform/wayland/WlClipboardPasteboard.h"
#include "platform/wayland/WtypeKeystrokePoster.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include <cstring>
#include <map>

namespace quillo {
namespace {

QByteArray data(const char *name)
{
    QFile f(QStringLiteral(QUILLO_WAYLAND_TEST_DATA "/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

TEST(SwayTree, NamesTheFocusedWindow)
{
    struct Case {
        const char *file;
        std::optional<CompositorWindow> expected;
    };
    const Case cases[] = {
        // Recorded from sway 1.7 headless: a native foot, an XWayland xterm, an empty workspace.
        {"sway-tree-foot.json", CompositorWindow{QStringLiteral("foot"), {}, {}, 0, false, QStringLiteral("5")}},
        {"sway-tree-xterm.json",
            CompositorWindow{QStringLiteral("XTerm"), QStringLiteral("xterm"), {}, 0, true, QStringLiteral("6")}},
        {"sway-tree-empty.json", std::nullopt},
    };
    for (const Case &c : cases) {
        auto window = SwayIpcFocus::parseTree(data(c.file));
        ASSERT_EQ(window.has_value(), c.expected.has_value()) << c.file;
        if (!window)
            continue;
        EXPECT_EQ(window->appId, c.expected->appId) << c.file;
        EXPECT_EQ(window->x11Instance, c.expected->x11Instance) << c.file;
        EXPECT_EQ(window->xwayland, c.expected->xwayland) << c.file;
        EXPECT_EQ(window->id, c.expected->id) << c.file << ": two windows of one program are told apart";
        EXPECT_GT(window->pid, 0) << c.file;
    }
}

TEST(SwayTree, FindsFloatingWindowsAndRejectsGarbage)
{
    const QByteArray floating = R"({"type":"root","nodes":[{"type":"workspace","nodes":[],
        "floating_nodes":[{"type":"floating_con","focused":true,"app_id":"org.telegram.desktop","pid":7,
        "name":"Telegram"}]}]})";
    const auto window = SwayIpcFocus::parseTree(floating);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->appId, QStringLiteral("org.telegram.desktop"));
    EXPECT_FALSE(window->xwayland);
    EXPECT_EQ(window->title, QStringLiteral("Telegram"));

    for (const char *bad : {"", "[]", "{", R"({"nodes":[{"focused":false}]})",
             // A split container holding the focus names no application.
             R"({"nodes":[{"type":"con","focused":true,"nodes":[{"type":"con","app_id":"foot"}]}]})"})
        EXPECT_FALSE(SwayIpcFocus::parseTree(bad)) << bad;
}

TEST(SwayIpc, FramesRoundTripAndWaitForWholeMessages)
{
    const QByteArray payload = R"({"focused":true})";
    QByteArray message = SwayIpcFocus::frame(SwayIpcFocus::getTree, payload);
    ASSERT_EQ(message.left(6), QByteArray("i3-ipc"));
    ASSERT_EQ(message.size(), 14 + payload.size());

    std::uint32_t type = 0;
    QByteArray partial = message.left(20);
    EXPECT_FALSE(SwayIpcFocus::takeMessage(partial, type));
    EXPECT_EQ(partial.size(), 20); // kept for the rest

    QByteArray two = message + SwayIpcFocus::frame(1, "[]");
    EXPECT_EQ(SwayIpcFocus::takeMessage(two, type), payload);
    EXPECT_EQ(type, SwayIpcFocus::getTree);
    EXPECT_EQ(SwayIpcFocus::takeMessage(two, type), QByteArray("[]"));
    EXPECT_EQ(type, 1u);
    EXPECT_TRUE(two.isEmpty());
}

TEST(HyprlandActiveWindow, ReadsClassPidAndXWayland)
{
    const auto kitty = HyprlandIpcFocus::parseActiveWindow(data("hyprland-activewindow-kitty.json"));
    ASSERT_TRUE(kitty);
    EXPECT_EQ(kitty->appId, QStringLiteral("kitty"));
    EXPECT_EQ(kitty->pid, 2412);
    EXPECT_FALSE(kitty->xwayland);

    const auto idea = HyprlandIpcFocus::parseActiveWindow(data("hyprland-activewindow-xwayland.json"));
    ASSERT_TRUE(idea);
    EXPECT_EQ(idea->appId, QStringLiteral("jetbrains-idea"));
    EXPECT_TRUE(idea->xwayland);

    // No window focused, an empty class, an error text, nothing at all.
    for (const char *none : {"{}", R"({"class":"","initialClass":""})", "Invalid", ""})
        EXPECT_FALSE(HyprlandIpcFocus::parseActiveWindow(none)) << none;
    // A class cleared by the client falls back to the one it started with.
    const auto initial = HyprlandIpcFocus::parseActiveWindow(R"({"class":"","initialClass":"foot"})");
    ASSERT_TRUE(initial);
    EXPECT_EQ(initial->appId, QStringLiteral("foot"));
}

QByteArray word(std::uint32_t w)
{
    return QByteArray(reinterpret_cast<const char *>(&w), 4);
}

QByteArray globalEvent(std::uint32_t name, const QByteArray &interface, std::uint32_t version)
{
    QByteArray text = interface + '\0';
    while (text.size() % 4)
        text.append('\0');
    const QByteArray args = word(name) + word(static_cast<std::uint32_t>(interface.size() + 1)) + text + word(version);
    return word(2) + word(static_cast<std::uint32_t>((8 + args.size()) << 16)) + args;
}

TEST(WaylandRegistry, CollectsGlobalsUntilTheSyncIsDone)
{
    const QByteArray request = WaylandRegistryProbe::request();
    ASSERT_EQ(request.size(), 24);
    EXPECT_EQ(request.mid(0, 12), word(1) + word((12u << 16) | 1u) + word(2)); // get_registry

    const QByteArray events = globalEvent(1, "wl_compositor", 5) + globalEvent(7, "zwlr_data_control_manager_v1", 2)
        + globalEvent(9, "zwp_virtual_keyboard_manager_v1", 1);
    const QByteArray done = word(3) + word(12u << 16) + word(42);
    QStringList names;
    // Split mid-event: the tail waits for the next read.
    QByteArray buffer = events.left(30);
    EXPECT_FALSE(WaylandRegistryProbe::readEvents(buffer, names));
    buffer += events.mid(30) + done;
    EXPECT_TRUE(WaylandRegistryProbe::readEvents(buffer, names));
    EXPECT_EQ(names,
        (QStringList{QStringLiteral("wl_compositor"), QStringLiteral("zwlr_data_control_manager_v1"),
            QStringLiteral("zwp_virtual_keyboard_manager_v1")}));

    QByteArray broken = word(2) + word(4u << 16); // a size below the header's
    EXPECT_FALSE(WaylandRegistryProbe::readEvents(broken, names));
}

// A busy compositor (KWin under load) once took more than a second to answer: the probe
// waits for it rather than taking the session for one without data-control.
TEST(WaylandRegistry, WaitsForABusyCompositorAndTellsSilenceApart)
{
    const QString path
        = QDir::temp().filePath(QStringLiteral("quillo-registry-%1").arg(QCoreApplication::applicationPid()));
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.toLocal8Bit().constData(), sizeof address.sun_path - 1);
    ::unlink(address.sun_path);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(server, 2), 0);
    const QByteArray answer = globalEvent(7, "zwlr_data_control_manager_v1", 2) + word(3) + word(12u << 16) + word(1);
    std::thread compositor([server, answer] {
        const int client = ::accept(server, nullptr, nullptr);
        char request[24];
        [[maybe_unused]] const auto got = ::read(client, request, sizeof request);
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        [[maybe_unused]] const auto put = ::write(client, answer.constData(), static_cast<size_t>(answer.size()));
        ::close(client);
        // The second client is never answered.
        const int silent = ::accept(server, nullptr, nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::close(silent);
    });
    const auto busy = WaylandRegistryProbe::globals(path);
    ASSERT_TRUE(busy);
    EXPECT_EQ(*busy, QStringList{QStringLiteral("zwlr_data_control_manager_v1")});
    EXPECT_FALSE(WaylandRegistryProbe::globals(path)) << "a compositor that hung up answered nothing";
    compositor.join();
    ::close(server);
    ::unlink(address.sun_path);
}

// wl-paste and wl-copy as a map from command line to answer; records what ran.
class FakeRunner final : public ProcessRunner {
public:
    std::vector<Result> runAll(const std::vector<Request> &requests, std::chrono::milliseconds) const override
    {
        std::vector<Result> results;
        for (const Request &r : requests) {
            const QString line = (QStringList{r.program} + r.arguments).join(QLatin1Char(' '));
            ran.push_back(line);
            if (r.program == QLatin1String("wl-copy") && r.arguments.size() == 2) {
                // The new content replaces the old, as the compositor's selection does.
                answers.clear();
                answers[QStringLiteral("wl-paste --list-types")] = r.arguments[1].toUtf8();
                answers[QStringLiteral("wl-paste --no-newline --type ") + r.arguments[1]] = r.input;
                results.push_back({true, 0, {}, {}});
                continue;
            }
            const auto it = answers.find(line);
            results.push_back(
                it == answers.end() ? Result{true, 1, {}, "No selection"} : Result{true, 0, it->second, {}});
        }
        return results;
    }

    mutable std::map<QString, QByteArray> answers;
    mutable QStringList ran;
};

PasteboardEntry entry(const char *type, const QByteArray &bytes)
{
    return {QString::fromLatin1(type), bytes};
}

TEST(WlClipboard, KeepsTheRepresentationOneWlCopyCanServe)
{
    struct Case {
        const char *what;
        PasteboardItem item;
        std::optional<PasteboardEntry> kept;
    };
    const Case cases[] = {
        {"picture with text", {entry("text/html", "<img>"), entry("image/png", "PNG"), entry("text/plain", "a.png")},
            entry("image/png", "PNG")},
        {"files",
            {entry("x-special/gnome-copied-files", "copy"), entry("text/uri-list", "file:///a"),
                entry("text/plain", "/a")},
            entry("text/uri-list", "file:///a")},
        {"rich text keeps plain text", {entry("text/html", "<b>hi</b>"), entry("text/plain", "hi")},
            entry("text/plain;charset=utf-8", "hi")},
        {"UTF-8 text before a Latin-1 alias", {entry("STRING", "caf\xe9"), entry("UTF8_STRING", "caf\xc3\xa9")},
            entry("text/plain;charset=utf-8", "caf\xc3\xa9")},
        {"our own item: text, markers dropped",
            {entry("text/plain", "你好"), entry("org.nspasteboard.TransientType", ""),
                entry("org.nspasteboard.source", "me.nolt.quillo")},
            entry("text/plain;charset=utf-8", "你好")},
        {"anything else", {entry("application/x-foo", "x")}, entry("application/x-foo", "x")},
        {"nothing", {}, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(WlClipboardPasteboard::keptEntry(c.item), c.kept) << c.what;

    EXPECT_EQ(WlClipboardPasteboard::parseTypes("text/plain\ntext/plain;charset=utf-8\n\ntext/plain\nTEXT\n"),
        (QStringList{
            QStringLiteral("text/plain"), QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("TEXT")}));
}

TEST(WlClipboard, SnapshotsEveryTypeAndSeesOthersCopy)
{
    FakeRunner runner;
    runner.answers[QStringLiteral("wl-paste --list-types")] = "image/png\ntext/plain\nbroken/type\n";
    runner.answers[QStringLiteral("wl-paste --no-newline --type image/png")] = "PNG";
    runner.answers[QStringLiteral("wl-paste --no-newline --type text/plain")] = "shot.png";
    WlClipboardPasteboard clipboard(runner);

    const PasteboardItems snapshot = clipboard.items();
    ASSERT_EQ(snapshot.size(), 1u);
    // The type whose owner did not answer is left out.
    EXPECT_EQ(snapshot.front(), (PasteboardItem{entry("image/png", "PNG"), entry("text/plain", "shot.png")}));

    const auto before = clipboard.changeCount();
    ASSERT_TRUE(clipboard.write({{entry("text/plain", "dictated")}}));
    const auto written = clipboard.changeCount();
    EXPECT_GT(written, before);
    EXPECT_EQ(runner.ran.filter(QStringLiteral("wl-copy")).size(), 1);
    // Nothing else copied: the count stays, so a restore may go ahead.
    EXPECT_EQ(clipboard.changeCount(), written);

    // Someone copies something else.
    runner.answers.clear();
    runner.answers[QStringLiteral("wl-paste --no-newline --type text/plain;charset=utf-8")] = "user's copy";
    EXPECT_GT(clipboard.changeCount(), written);

    // Text offered under every alias is read once, as UTF-8.
    runner.answers.clear();
    runner.ran.clear();
    runner.answers[QStringLiteral("wl-paste --list-types")]
        = "text/plain;charset=utf-8\ntext/plain\nTEXT\nSTRING\nUTF8_STRING\ntext/html\n";
    runner.answers[QStringLiteral("wl-paste --no-newline --type text/plain;charset=utf-8")] = "hi";
    runner.answers[QStringLiteral("wl-paste --no-newline --type text/html")] = "<b>hi</b>";
    EXPECT_EQ(clipboard.items().front(),
        (PasteboardItem{entry("text/plain;charset=utf-8", "hi"), entry("text/html", "<b>hi</b>")}));
    EXPECT_EQ(runner.ran.size(), 3);

    FakeRunner empty;
    WlClipboardPasteboard nothing(empty);
    EXPECT_TRUE(nothing.items().empty());
}

// The snapshot before a paste reads only what the restore can put back, and for text (the
// usual case) reads it beside the type listing: one round of helpers, not two.
TEST(WlClipboard, RestorableSnapshotReadsOnlyTheKeptType)
{
    struct Case {
        const char *what;
        const char *listing;
        std::map<QString, QByteArray> reads;
        PasteboardItems snapshot;
        qsizetype helpers;
    };
    const QString utf8 = QStringLiteral("wl-paste --no-newline --type text/plain;charset=utf-8");
    const Case cases[] = {
        {"text under every alias", "text/plain;charset=utf-8\ntext/plain\nTEXT\nSTRING\nUTF8_STRING\ntext/html\n",
            {{utf8, "hi"}, {QStringLiteral("wl-paste --no-newline --type text/html"), "<b>hi</b>"}},
            {{entry("text/plain;charset=utf-8", "hi")}}, 2},
        {"a picture with its name", "image/png\ntext/plain\n",
            {{QStringLiteral("wl-paste --no-newline --type image/png"), "PNG"}}, {{entry("image/png", "PNG")}}, 3},
        {"text without the UTF-8 name", "UTF8_STRING\nSTRING\n",
            {{QStringLiteral("wl-paste --no-newline --type UTF8_STRING"), "caf\xc3\xa9"}},
            {{entry("text/plain;charset=utf-8", "caf\xc3\xa9")}}, 3},
        // The kept type's owner does not answer: every other type is read, as a full snapshot does.
        {"unreadable picture", "image/png\ntext/plain\n",
            {{QStringLiteral("wl-paste --no-newline --type text/plain"), "shot.png"}},
            {{entry("text/plain", "shot.png")}}, 6},
        {"empty clipboard", nullptr, {}, {}, 2},
    };
    for (const Case &c : cases) {
        FakeRunner runner;
        if (c.listing)
            runner.answers[QStringLiteral("wl-paste --list-types")] = c.listing;
        for (const auto &[line, bytes] : c.reads)
            runner.answers[line] = bytes;
        WlClipboardPasteboard clipboard(runner);
        EXPECT_EQ(clipboard.restorableItems(), c.snapshot) << c.what;
        EXPECT_EQ(runner.ran.size(), c.helpers)
            << c.what << ": " << runner.ran.join(QStringLiteral("; ")).toStdString();
        EXPECT_EQ(runner.ran.value(0), QStringLiteral("wl-paste --list-types")) << c.what;
    }
}

TEST(Wtype, ChordsAsWtypeArguments)
{
    EXPECT_EQ(WtypeKeystrokePoster::pasteArguments(PasteChord::ctrlShiftV).join(QLatin1Char(' ')),
        QStringLiteral("-M ctrl -M shift v -m shift -m ctrl"));
    EXPECT_EQ(WtypeKeystrokePoster::pasteArguments(PasteChord::ctrlV).join(QLatin1Char(' ')),
        QStringLiteral("-M ctrl v -m ctrl"));
    EXPECT_EQ(WtypeKeystrokePoster::pasteArguments(PasteChord::shiftInsert).join(QLatin1Char(' ')),
        QStringLiteral("-M shift -k Insert -m shift"));
}

using Binding = CompositorBindings::Binding;

// Only bindings that run Quillo count; flags, continuation lines and comments as sway reads them.
TEST(CompositorBindings, SwayConfigurationLines)
{
    const QString config = QStringLiteral("set $mod Mod4\n"
                                          "bindsym --no-repeat $mod+d exec quillo --start\n"
                                          "bindsym --release --locked $mod+d exec \\\n"
                                          "    /usr/local/bin/quillo --stop\n"
                                          "# bindsym $mod+t exec quillo --toggle\n"
                                          "bindcode 133+40 exec quillo --toggle\n"
                                          "bindsym $mod+Return exec foot\n"
                                          "bindsym $mod+q exec notquillo --start\n"
                                          "bindsym {\n");
    const std::vector<Binding> expected{
        {QStringLiteral("$mod+d"), QStringLiteral("start"), false, false},
        {QStringLiteral("$mod+d"), QStringLiteral("stop"), true, false},
        {QStringLiteral("133+40"), QStringLiteral("toggle"), false, false},
    };
    EXPECT_EQ(CompositorBindings::parseSwayConfig(config), expected);
}

// Includes resolve sway's variables before the environment's (sway's own environment, which
// may differ from ours), ~, relative paths and globs.
TEST(CompositorBindings, SwayIncludesResolveLikeSway)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("config.d"));
    for (const char *name : {"config.d/50-quillo.conf", "config.d/60-other.conf", "runtime.conf", "home.conf"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString config = QStringLiteral("set $confdir config.d\n"
                                          "include $confdir/*.conf\n"
                                          "include $SWAY_RUNTIME/runtime.conf\n"
                                          "include ~/home.conf\n"
                                          "include missing.conf\n");
    const CompositorBindings::Environment sway{
        {QStringLiteral("SWAY_RUNTIME"), dir.path()}, {QStringLiteral("HOME"), dir.path()}};
    const QStringList expected{dir.filePath(QStringLiteral("config.d/50-quillo.conf")),
        dir.filePath(QStringLiteral("config.d/60-other.conf")), dir.filePath(QStringLiteral("runtime.conf")),
        dir.filePath(QStringLiteral("home.conf"))};
    EXPECT_EQ(CompositorBindings::swayIncludes(config, dir.path(), sway), expected);
}

// Hyprland's j/binds: exec binds of quillo, and `global` binds of our portal shortcuts.
TEST(CompositorBindings, HyprlandBinds)
{
    const QByteArray binds = R"([
        {"modmask":64,"key":"D","release":false,"dispatcher":"exec","arg":"quillo --start"},
        {"modmask":64,"key":"D","release":true,"dispatcher":"exec","arg":"/usr/bin/quillo --stop"},
        {"modmask":8,"key":"space","release":false,"dispatcher":"global","arg":"com.nolt.quillo:toggle"},
        {"modmask":64,"key":"Return","release":false,"dispatcher":"exec","arg":"kitty"},
        {"modmask":0,"key":"F9","release":false,"dispatcher":"global","arg":"org.other:hold"}
    ])";
    const std::vector<Binding> expected{
        {QStringLiteral("SUPER+D"), QStringLiteral("start"), false, false},
        {QStringLiteral("SUPER+D"), QStringLiteral("stop"), true, false},
        {QStringLiteral("ALT+space"), QStringLiteral("toggle"), false, true},
    };
    EXPECT_EQ(CompositorBindings::parseHyprlandBinds(binds), expected);
    EXPECT_TRUE(CompositorBindings::parseHyprlandBinds("not json").empty());
}

// GNOME's custom shortcuts as gsettings prints them.
TEST(CompositorBindings, GsettingsStrings)
{
    EXPECT_EQ(CompositorBindings::gvariantStrings(QStringLiteral("['/k/custom0/', '/k/quillo/']")),
        (QStringList{QStringLiteral("/k/custom0/"), QStringLiteral("/k/quillo/")}));
    EXPECT_EQ(CompositorBindings::gvariantStrings(QStringLiteral("'quillo --toggle'")),
        QStringList{QStringLiteral("quillo --toggle")});
    EXPECT_EQ(CompositorBindings::gvariantStrings(QStringLiteral("'sh -c \\'quillo --toggle\\''")),
        QStringList{QStringLiteral("sh -c 'quillo --toggle'")});
    EXPECT_TRUE(CompositorBindings::gvariantStrings(QStringLiteral("@as []")).isEmpty());
}

} // namespace
} // namespace quillo
