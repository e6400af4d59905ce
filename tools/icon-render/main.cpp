// Renders the application icon's SVG into the PNG sizes of the hicolor theme:
//   icon-render SOURCE.svg OUTDIR SIZE...
// writes OUTDIR/<SIZE>x<SIZE>/apps/<name of SOURCE>.png for every SIZE.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

bool renderOne(QSvgRenderer &svg, int side, const QString &path)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter, QRectF(0, 0, side, side));
    painter.end();
    return QDir().mkpath(QFileInfo(path).path()) && image.save(path, "PNG");
}

} // namespace

int main(int argc, char *argv[])
{
    // Painting a QImage needs no application object, so the build needs no display.
    QTextStream err(stderr);
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.size() < 4) {
        err << "usage: icon-render SOURCE.svg OUTDIR SIZE...\n";
        return 2;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        err << "icon-render: cannot read " << args[1] << "\n";
        return 1;
    }
    const QString name = QFileInfo(args[1]).completeBaseName() + QStringLiteral(".png");
    for (const QString &sizeText : args.mid(3)) {
        bool ok = false;
        const int side = sizeText.toInt(&ok);
        if (!ok || side <= 0 || side > 4096) {
            err << "icon-render: not a size: " << sizeText << "\n";
            return 2;
        }
        const QString path = QDir(args[2]).filePath(QStringLiteral("%1x%1/apps/").arg(side) + name);
        if (!renderOne(svg, side, path)) {
            err << "icon-render: cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
