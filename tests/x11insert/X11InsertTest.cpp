// End to end on a virtual display: real clipboard, XTest keystrokes into a Tk
// text window and an xterm, other clients (xclip, xdotool) around them.
#include "dictation/AppClassifier.h"
#include "dictation/TextInserter.h"
#include "platform/qt/QtPasteboard.h"
#include "platform/qt/QtScheduler.h"
#include "platform/x11/X11FrontmostApp.h"
#include "platform/x11/X11KeystrokePoster.h"
#include "platform/x11/X11Permissions.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>

using namespace std::chrono_literals;

namespace quillo {
namespace {

const QString python = QStringLiteral("/usr/bin/python3"); // Debian's, with tkinter

QByteArray pngBytes()
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(qRgb(200, 30, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Runs the event loop (the clipboard answers other clients from it) until pred
// holds or the time is up.
bool spinUntil(const std::function<bool()> &pred, std::chrono::milliseconds timeout)
{
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.hasExpired(timeout.count()))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

void spinFor(std::chrono::milliseconds d)
{
    spinUntil([] { return false; }, d);
}

// A child process that is ended, by its own handle, when the owner goes.
class Child {
public:
    Child(const QString &program, const QStringList &args, const QByteArray &input = {})
    {
        process_.start(program, args);
        process_.waitForStarted(5000);
        if (!input.isNull()) {
            process_.write(input);
            process_.closeWriteChannel();
        }
    }
    ~Child()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    QProcess &process() { return process_; }

private:
    QProcess process_;
};

// Runs a tool to its end while the event loop keeps serving the clipboard.
QByteArray run(const QString &program, const QStringList &args, std::chrono::milliseconds timeout = 5s)
{
    Child child(program, args, QByteArray(""));
    spinUntil([&] { return child.process().state() == QProcess::NotRunning; }, timeout);
    return child.process().readAllStandardOutput();
}

QByteArray readClipboard(const char *target)
{
    return run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", target});
}

QByteArray fileText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class X11Insert : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(permissions_.isAccessibilityTrusted()) << "no XTest on this display";
    }

    // A Tk text window with the focus.
    void openTarget()
    {
        tk_ = std::make_unique<Child>(python,
            QStringList{
                QStringLiteral(QUILLO_TK_TARGET), QStringLiteral("quillo-target"), path("content"), path("keys")});
        ASSERT_TRUE(spinUntil([&] { return QFile::exists(path("content")); }, 10s)) << "Tk target did not start";
        ASSERT_NO_FATAL_FAILURE(activate(QStringLiteral("quillo-target"), QStringLiteral("Tk")));
    }

    // Asks the window manager to focus the window, again each second, until the
    // focused application is the expected one.
    void activate(const QString &title, const QString &windowClass)
    {
        const auto focused = [&] {
            const auto app = frontmost_.current();
            return app && app->windowClass == windowClass;
        };
        for (int attempt = 0; attempt < 20 && !focused(); ++attempt) {
            const QByteArray id
                = run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", title}).split('\n').value(0);
            if (!id.isEmpty())
                run(QStringLiteral("xdotool"), {"windowactivate", QString::fromLatin1(id)});
            spinUntil(focused, 1s);
        }
        ASSERT_TRUE(focused()) << "window " << title.toStdString() << " did not get the focus";
    }

    QString path(const char *name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir_;
    QtScheduler scheduler_;
    X11OwnKeystrokes ledger_;
    QtPasteboard clipboard_{QClipboard::Clipboard};
    QtPasteboard selection_{QClipboard::Selection};
    X11KeystrokePoster keys_{ledger_, scheduler_};
    X11Permissions permissions_;
    X11FrontmostApp frontmost_;
    TextInserter inserter_{{clipboard_, &selection_, keys_, permissions_, frontmost_, scheduler_}};
    std::unique_ptr<Child> tk_;
};

// First, while the display is fresh: the desktop itself is not an application.
TEST_F(X11Insert, NothingIsFocusedOnAnEmptyDesktop)
{
    EXPECT_EQ(frontmost_.current(), std::nullopt);
}

TEST_F(X11Insert, TkGetsTheTextAndThePreviousTextAndImageComeBack)
{
    ASSERT_NO_FATAL_FAILURE(openTarget());
    Child owner(QCoreApplication::applicationFilePath(), {QStringLiteral("--own-clipboard")});
    ASSERT_TRUE(owner.process().waitForReadyRead(5000)) << "clipboard owner did not start";
    // Qt stamps its selection requests with the time of the last X event it saw;
    // the notification of the owner's copy brings that time up to date.
    const auto before = clipboard_.changeCount();
    ASSERT_TRUE(spinUntil([&] { return clipboard_.changeCount() != before; }, 2s));

    const QString text = QStringLiteral("你好 quillo");
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(inserter_.insertText(text, true));
    ASSERT_TRUE(spinUntil([&] { return fileText(path("content")) == text.toUtf8(); }, 5s))
        << "Tk holds: " << fileText(path("content")).toStdString();
    std::printf("paste reached Tk after %lld ms\n", static_cast<long long>(clock.elapsed()));

    spinFor(900ms);
    EXPECT_EQ(readClipboard("image/png"), pngBytes());
    EXPECT_EQ(readClipboard("UTF8_STRING"), QByteArray("before"));
}

// Whoever takes the clipboard after our paste keeps it: a copy by the user, or
// a clipboard manager that takes over the text we pasted.
TEST_F(X11Insert, ATakeOverWithinTheWindowSurvives)
{
    struct Case {
        const char *name;
        QByteArray content; // empty: the text we pasted
    };
    const Case cases[] = {{"copy by the user", "copied by user"}, {"clipboard manager", ""}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(openTarget());
        ASSERT_TRUE(inserter_.insertText(QStringLiteral("dictated"), true));
        ASSERT_TRUE(spinUntil([&] { return fileText(path("content")) == "dictated"; }, 5s));
        const QByteArray content = c.content.isEmpty() ? readClipboard("UTF8_STRING") : c.content;
        ASSERT_EQ(content.isEmpty(), false);
        Child other(QStringLiteral("xclip"), {"-quiet", "-selection", "clipboard", "-i"}, content);
        ASSERT_TRUE(spinUntil([&] { return readClipboard("UTF8_STRING") == content; }, 500ms));
        spinFor(900ms);
        EXPECT_EQ(readClipboard("UTF8_STRING"), content);
        // xclip exits when it loses the clipboard: still running means we never took it back.
        EXPECT_EQ(other.process().state(), QProcess::Running) << "our restore overwrote the clipboard";
        tk_.reset();
        QFile::remove(path("content"));
    }
}

// The client we saved the clipboard from exits when our paste takes it over:
// what it held still comes back.
TEST_F(X11Insert, TheSavedTextComesBackAfterItsOwnerIsGone)
{
    ASSERT_NO_FATAL_FAILURE(openTarget());
    const auto before = clipboard_.changeCount();
    Child owner(QStringLiteral("xclip"), {"-quiet", "-selection", "clipboard", "-i"}, QByteArray("from a gone owner"));
    // As a user's copy would: our next take of the clipboard is stamped after xclip's.
    ASSERT_TRUE(spinUntil([&] { return clipboard_.changeCount() != before; }, 2s));
    ASSERT_EQ(readClipboard("UTF8_STRING"), QByteArray("from a gone owner"));
    ASSERT_TRUE(inserter_.insertText(QStringLiteral("dictated"), true));
    ASSERT_TRUE(spinUntil([&] { return fileText(path("content")) == "dictated"; }, 5s));
    ASSERT_TRUE(spinUntil([&] { return owner.process().state() == QProcess::NotRunning; }, 2s))
        << "xclip did not give up the clipboard";
    spinFor(900ms);
    EXPECT_EQ(readClipboard("UTF8_STRING"), QByteArray("from a gone owner"));
}

TEST_F(X11Insert, HeldAltDoesNotSpoilThePaste)
{
    ASSERT_NO_FATAL_FAILURE(openTarget());
    run(QStringLiteral("xdotool"), {"keydown", "Alt_L"});
    ASSERT_TRUE(inserter_.insertText(QStringLiteral("alt held"), false));
    const bool pasted = spinUntil([&] { return fileText(path("content")) == "alt held"; }, 5s);
    run(QStringLiteral("xdotool"), {"keyup", "Alt_L"});
    ASSERT_TRUE(pasted) << "Tk holds: " << fileText(path("content")).toStdString();

    // The V key press the target saw carried Control and not Alt (Mod1, 0x8).
    bool sawV = false;
    for (const QByteArray &line : fileText(path("keys")).split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 2 || parts[0] != "v")
            continue;
        sawV = true;
        const int state = parts[1].toInt();
        EXPECT_TRUE(state & 0x4) << "no Control: " << state;
        EXPECT_FALSE(state & 0x8) << "Alt leaked into the chord: " << state;
    }
    EXPECT_TRUE(sawV);
}

TEST_F(X11Insert, XtermGetsTheTextWithShiftInsertAndReturn)
{
    const QString out = path("xterm-out");
    Child xterm(
        QStringLiteral("xterm"), {"-T", "quillo-xterm", "-e", "sh", "-c", QStringLiteral("cat > '%1'").arg(out)});
    ASSERT_NO_FATAL_FAILURE(activate(QStringLiteral("quillo-xterm"), QStringLiteral("XTerm")));

    ASSERT_TRUE(inserter_.insertText(QStringLiteral("echo 终端"), true));
    // As after an auto-send dictation: xterm fetches the selection asynchronously,
    // so Return comes a quarter second later.
    spinFor(250ms);
    inserter_.pressReturn();
    EXPECT_TRUE(spinUntil([&] { return fileText(out) == QStringLiteral("echo 终端\n").toUtf8(); }, 5s))
        << "xterm wrote: " << fileText(out).toStdString();
}

TEST_F(X11Insert, NamesTheFocusedApplication)
{
    ASSERT_NO_FATAL_FAILURE(openTarget());
    auto tk = frontmost_.current();
    ASSERT_TRUE(tk);
    EXPECT_EQ(tk->identifier, QStringLiteral("Tk"));
    EXPECT_EQ(tk->name, QStringLiteral("Tk"));

    Child xterm(QStringLiteral("xterm"), {"-T", "quillo-xterm", "-e", "sh", "-c", "sleep 30"});
    ASSERT_NO_FATAL_FAILURE(activate(QStringLiteral("quillo-xterm"), QStringLiteral("XTerm")));
    auto app = frontmost_.current();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->identifier, QStringLiteral("debian-xterm"));
    EXPECT_EQ(app->name, QStringLiteral("XTerm"));
    EXPECT_EQ(app->windowInstance, QStringLiteral("xterm"));
    EXPECT_EQ(app->pid, xterm.process().processId());
    EXPECT_EQ(forApp(*app), AppStyle::coding) << "Debian's xterm is a terminal whatever its desktop entry is called";
}

TEST_F(X11Insert, SessionWithXHasNoProblemToReport)
{
    EXPECT_TRUE(permissions_.sessionProblem().isEmpty());
    EXPECT_EQ(permissions_.microphoneAuthorization(), MicrophoneAuthorization::authorized);
    EXPECT_TRUE(X11Permissions::displayReachable());

    // A display that names no server is reported, not connected to (Qt would abort on it).
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":197");
    EXPECT_FALSE(X11Permissions::displayReachable());
    qputenv("DISPLAY", display);
}

// Another client's clipboard: text and an image in one item, served until killed.
int ownClipboard(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    auto *mime = new QMimeData; // the clipboard takes ownership
    mime->setData(QStringLiteral("text/plain"), "before");
    mime->setData(QStringLiteral("image/png"), pngBytes());
    QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

} // namespace
} // namespace quillo

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--own-clipboard")
        return quillo::ownClipboard(argc, argv);
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
