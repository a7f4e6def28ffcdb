// Writes a few pictures into a folder, for tests driven from outside the
// program: make_images <folder> [every-type]
// With every-type it also writes one picture of each other type the program
// reads, some of them in subfolders, for searches over a small tree.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "PictureFiles.h"

namespace {
bool write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]) + "/";
    QImage img(640, 400, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 640, 400);
    g.setColorAt(0, QColor(230, 120, 30));
    g.setColorAt(1, QColor(40, 60, 160));
    p.fillRect(img.rect(), g);
    p.end();
    bool ok = img.save(dir + "sunset.jpg", "JPEG", 90) &&
              img.scaled(200, 125).save(dir + "Banner.BMP", "BMP");
    if (ok && argc > 2 && QByteArray(argv[2]) == "every-type") {
        const QImage small = img.scaled(48, 32);
        ok = write(dir + "checker.gif", gifFile(checkerboard({149, 99}))) &&
             write(dir + "more/second.gif", gifFile(halves({120, 80}))) &&
             write(dir + "icons/tile.ico", iconFile(1, {{small.scaled(32, 32)}})) &&
             write(dir + "icons/pointer.cur", iconFile(2, {{small.scaled(32, 32)}})) &&
             write(dir + "plain.dib", encoded(small, "bmp")) &&
             write(dir + "more/shapes.wmf", wmfFile(wmfDrawing())) &&
             write(dir + "more/shapes.emf", emfFile(emfDrawing()));
    }
    return ok ? 0 : 1;
}
