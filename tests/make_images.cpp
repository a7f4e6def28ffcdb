// Writes a few pictures into a folder, for tests driven from outside the
// program: make_images <folder>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

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
    const bool ok = img.save(dir + "sunset.jpg", "JPEG", 90) &&
                    img.scaled(200, 125).save(dir + "Banner.BMP", "BMP");
    return ok ? 0 : 1;
}
