#include "ui/ScreenshotRenderer.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (argc < 2) {
        err << "usage: ui-render DIR\n";
        return 2;
    }
    const auto written = quillo::renderScreenshots(QString::fromLocal8Bit(argv[1]));
    if (!written) {
        err << written.error() << "\n";
        return 1;
    }
    out << "截图已输出到 " << QString::fromLocal8Bit(argv[1]) << "\n";
    return 0;
}
