#include "platform/x11/X11ConnectionLoss.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <unistd.h>

namespace quillo {

namespace {

// The handler Qt had before ours: every other message goes on to it. Message
// handlers are process-wide in Qt, so this is too.
QtMessageHandler previousHandler = nullptr;

// Worded in the interface language when the handlers are installed: at the end nothing
// may be allocated or looked up any more.
QByteArray &farewell()
{
    static QByteArray line;
    return line;
}

[[noreturn]] void endProgram()
{
    const QByteArray &line = farewell();
    std::fflush(stdout);
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.constData(), static_cast<size_t>(line.size()));
    std::_Exit(1);
}

int onXlibIOError(Display *)
{
    endProgram();
}

void onQtMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // WORKAROUND: Qt's xcb plugin (6.4) reports a broken connection with this warning
    // and then calls exit(1) itself, or, for its Xlib side, lets Xlib print two more
    // lines first. Either way: our one line, and no exit-time destructors.
    if (type == QtWarningMsg && message.startsWith(QLatin1String("The X11 connection broke")))
        endProgram();
    if (previousHandler) {
        previousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, message)));
}

} // namespace

void endProgramOnX11ConnectionLoss()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        farewell()
            = "quillo: " + QCoreApplication::translate("App", "与 X 服务器的连接已断开，程序退出").toLocal8Bit() + '\n';
        XSetIOErrorHandler(onXlibIOError);
        previousHandler = qInstallMessageHandler(onQtMessage);
    });
}

} // namespace quillo
