// Renders the program's icon (the SVG its windows use) into the hicolor
// theme's fixed sizes: render-icons ICON.svg OUTDIR SIZE... writes
// OUTDIR/<size>x<size>/apps/kvoview.png.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: render-icons ICON.svg OUTDIR SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "render-icons: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    for (qsizetype i = 3; i < args.size(); ++i) {
        const int size = args[i].toInt();
        if (size < 1 || size > 1024) return 2;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p);
        p.end();
        const QString dir = QString("%1/%2x%2/apps").arg(args[2]).arg(size);
        // Written beside and renamed, so a build stopped halfway leaves no torn file.
        const QString out = dir + "/kvoview.png", tmp = out + ".tmp";
        if (!QDir().mkpath(dir) || !image.save(tmp, "PNG") ||
            (QFile::exists(out) && !QFile::remove(out)) || !QFile::rename(tmp, out)) {
            std::fprintf(stderr, "render-icons: cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}
