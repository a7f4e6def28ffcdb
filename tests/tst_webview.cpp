// The web pattern viewer: the tile copies, the pattern they make, and the
// window opened from the main window.
#include <QDir>
#include <QtTest>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "app/Wiring.h"
#include "browser/FileListView.h"
#include "browser/Openers.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/PictureService.h"
#include "tools/frmWebView.h"

namespace {
// Row y of the picture in its own grey, so a pixel tells which row it shows.
QImage rows(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, qRgb(y * 20, x * 20, 100));
    return image;
}
}  // namespace

class TestWebView : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        Openers::Table() = Openers();
        if (Forms::Loaded<frmWebView>()) Forms::Close<frmWebView>();
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
    }

    void copies_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("across");  // copies in the first row
        QTest::addColumn<int>("lastX");
        QTest::addColumn<int>("down");  // row bands below it
        QTest::addColumn<int>("lastY");
        QTest::newRow("10 x 10") << QSize(10, 10) << 103 << 1020 << 85 << 765;
        QTest::newRow("larger than the screen") << QSize(1500, 900) << 1 << 0 << 0 << -1;
        QTest::newRow("one pixel high") << QSize(30, 1) << 35 << 1020 << 0 << -1;
        QTest::newRow("as wide as the screen") << QSize(1024, 2) << 2 << 1024 << 768 << 768;
    }
    void copies() {
        QFETCH(QSize, picture);
        QFETCH(int, across);
        QFETCH(int, lastX);
        QFETCH(int, down);
        QFETCH(int, lastY);
        const std::vector<TileCopy> c = TileCopies(picture, {1024, 768});
        QCOMPARE(int(c.size()), across + down);
        const int h = picture.height() - 1;
        for (int i = 0; i < across; ++i) {
            QCOMPARE(c[i].to, QPoint(i * picture.width(), 0));
            QCOMPARE(c[i].from, QRect(0, 0, picture.width(), h));
        }
        QCOMPARE(c[across - 1].to.x(), lastX);
        for (int i = 0; i < down; ++i) {
            QCOMPARE(c[across + i].to, QPoint(0, (i + 1) * h));
            QCOMPARE(c[across + i].from, QRect(0, 0, 1024, h));
        }
        if (down) QCOMPARE(c.back().to.y(), lastY);
    }

    // Every tile shows the picture's first nine rows; the last row is drawn over.
    void pattern() {
        frmWebView f;
        f.Picture1.Picture = rows({10, 10});
        TilePicture(f.Picture1, nullptr, f);
        QCOMPARE(f.Background.size(), QSize(1024, 768));
        const QImage& bg = f.Background;
        QCOMPARE(bg.pixel(1023, 0), rows({10, 10}).pixel(3, 0));
        QCOMPARE(bg.pixel(0, 9), rows({10, 10}).pixel(0, 0));
        QCOMPARE(bg.pixel(15, 767), rows({10, 10}).pixel(5, (767 - 9) % 9));
        for (int y = 0; y < 768; ++y) QVERIFY(qRed(bg.pixel(4, y)) != 9 * 20);
        QVERIFY(f.Picture1.Picture.isNull());
        f.Background = QImage();
        TilePicture(f.Picture1, nullptr, f);  // an empty box leaves the window blank
        QVERIFY(f.Background.isNull());
    }

    // The tile is the picture at its own pixels, one row less high, also
    // when the picture is far larger than the screen.
    void openedFromTheMainWindow_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("10 x 10") << QSize(10, 10);
        QTest::newRow("wider than the screen") << QSize(9000, 20);
    }
    void openedFromTheMainWindow() {
        QFETCH(QSize, size);
        QImage picture(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                picture.setPixel(x, y, qRgb(y * 12, x % 256, x / 256 * 7));
        const QString pics = UseFreshSettings() + "pics/";
        QDir().mkpath(pics);
        UseFakeSystem(pics);
        QFile out(pics + "tile.bmp");
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(encoded(picture, "bmp")));
        out.close();
        WireWindows();
        frmMain* m = frmMain::Instance();
        m->Form_Load();
        m->CurrentFolder = pics;
        m->ListFiles();
        m->ListView1->SetSelectedRow(1);
        m->ShowImage();
        PictureService::Instance().Settle();
        m->mnutoolsa_Click(10);
        auto* f = Forms::Find<frmWebView>();
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), "Web Pattern Viewer - " + pics + "tile.bmp");
        QCOMPARE(f->size(), QSize(683, 512));
        const int h = size.height() - 1;
        for (const QPoint at : {QPoint(0, 0), QPoint(20, 9), QPoint(1023, 5), QPoint(700, 19),
                                QPoint(513, 767), QPoint(1023, 767)})
            QCOMPARE(f->Background.pixel(at), picture.pixel(at.x() % size.width(), at.y() % h));
    }
};

KVO_TEST_MAIN(TestWebView)
#include "tst_webview.moc"
