// The wallpaper bitmap: the tile arithmetic, the file it is written to and
// what the desktop service and the settings are told, against a recorder.
#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QtTest>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "kit/Helpers.h"
#include "kit/PictureHolder.h"
#include "platform/Platform.h"
#include "platform/Wallpaper.h"
#include "tools/WallpaperMaker.h"

namespace {
// A picture whose every pixel has its own colour.
QImage numbered(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, qRgb(x * 10, y * 10, 200));
    return image;
}
}  // namespace

class TestWallpaper : public QObject {
    Q_OBJECT
    FakeWallpaper* fake_ = nullptr;

private slots:
    void init() {
        UseFreshSettings();
        auto f = std::make_unique<FakeWallpaper>();
        fake_ = f.get();
        SetWallpaperService(std::move(f));
    }
    void cleanup() { SetWallpaperService(nullptr); }

    // Tiles are the picture's width and one row less than its height; the
    // surface is the screen's size, or the picture's where that is larger.
    void TileWallpaper_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("surface");
        QTest::addColumn<QSize>("tile");  // empty: only the picture, at the origin
        QTest::newRow("3x3 on 7x5") << QSize(3, 3) << QSize(7, 5) << QSize(7, 5) << QSize(3, 2);
        QTest::newRow("two rows high") << QSize(4, 2) << QSize(9, 6) << QSize(9, 6) << QSize(4, 1);
        QTest::newRow("one row high") << QSize(3, 1) << QSize(8, 4) << QSize(8, 4) << QSize();
        QTest::newRow("larger than the screen")
            << QSize(12, 10) << QSize(5, 4) << QSize(12, 10) << QSize();
    }
    void TileWallpaper() {
        QFETCH(QSize, picture);
        QFETCH(QSize, screen);
        QFETCH(QSize, surface);
        QFETCH(QSize, tile);
        const QImage source = numbered(picture);
        const QImage out = ::TileWallpaper(source, screen);
        QCOMPARE(out.size(), surface);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                QRgb want = qRgb(0, 0, 0);
                if (tile.isEmpty()) {
                    if (x < picture.width() && y < picture.height()) want = source.pixel(x, y);
                } else {
                    want = source.pixel(x % tile.width(), y % tile.height());
                }
                if (out.pixel(x, y) != want)
                    QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
            }
    }

    void MakeWallpaper_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("centred") << 0;
        QTest::newRow("tiled") << 1;
        QTest::newRow("stretched") << 2;
    }
    // The whole picture from its file, a screen-sized bitmap at the fixed
    // place, the mode as the tile setting, and the same file every time.
    void MakeWallpaper() {
        QFETCH(int, mode);
        const QString dir = UseFreshSettings();
        for (int round = 0; round < 2; ++round) {
            const QString path = dir + QString("pic%1.bmp").arg(round);
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(encoded(halves({40, 30}, round ? kGreen : kRed), "bmp"));
            f.close();
            PictureHolder holder;
            holder.path = QFile::encodeName(path);
            holder.image = QImage(4, 3, QImage::Format_RGB32);  // a preview's copy
            holder.image.fill(Qt::white);
            ::MakeWallpaper(holder, mode);

            QCOMPARE(fake_->calls.size(), round + 1);
            QCOMPARE(fake_->calls.last().path, GetWindowsDir() + "Kvo View Wallpaper.bmp");
            QCOMPARE(fake_->calls.last().mode, mode);
            QImageReader reader(fake_->calls.last().path, "bmp");
            const QImage written = reader.read();
            QCOMPARE(written.size(), QSize(1024, 768));
            QCOMPARE(written.pixel(41, 0), (round ? kGreen : kRed).rgb());
            QVERIFY(!QDir(GetWindowsDir())
                         .entryList(QDir::Hidden | QDir::Files)
                         .join(' ')
                         .contains(".Kvo View Wallpaper"));
        }
        QVariant tile;
        HKEY key = 0;
        Platform::registry().RegOpenKeyEx(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0,
                                          KEY_ALL_ACCESS, &key);
        ReadRegValue(key, "TileWallpaper", tile);
        Platform::registry().RegCloseKey(key);
        QCOMPARE(tile.toString(), QString::number(mode));
    }
};

KVO_TEST_MAIN(TestWallpaper)
#include "tst_wallpaper.moc"
