// The preview pane of the main window: pictures of every type loaded from a
// generated folder, fitted and framed in twips, their facts in the list and
// the status bar, the usage counter, and files that cannot be loaded.
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include "TestEnv.h"
#include "app/Helpers.h"
#include "app/ImageControl.h"
#include "app/PictureBox.h"
#include "app/Settings.h"
#include "app/Splitter.h"
#include "app/StatusBar.h"
#include "app/frmMain.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "platform/Clock.h"
#include "platform/Platform.h"

namespace {

// Little-endian bytes, as every picture format here stores its numbers.
class Bytes {
public:
    Bytes& u8(quint32 v) {
        d_.append(char(v & 0xFF));
        return *this;
    }
    Bytes& u16(quint32 v) { return u8(v).u8(v >> 8); }
    Bytes& u32(quint32 v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& raw(QByteArrayView bytes) {
        d_.append(bytes);
        return *this;
    }
    QByteArray data() const { return d_; }

private:
    QByteArray d_;
};

// Red left half, blue right half.
QImage halves(QSize size, QColor left = Qt::red, QColor right = Qt::blue) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(right);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), left);
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return data;
}

// Qt writes no GIF. Uncompressed LZW: a clear code before every 254 literals
// keeps all codes 9 bits wide.
QByteArray gifFile(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    Bytes gif;
    gif.raw("GIF89a").u16(image.width()).u16(image.height()).u8(0xF7).u8(0).u8(0);
    QList<QRgb> colours = image.colorTable();
    colours.resize(256);
    for (QRgb c : colours) gif.u8(qRed(c)).u8(qGreen(c)).u8(qBlue(c));
    gif.u8(',').u16(0).u16(0).u16(image.width()).u16(image.height()).u8(0).u8(8);
    QByteArray codes;
    quint32 bits = 0;
    int bitCount = 0, run = 0;
    auto put = [&](int code) {
        bits |= quint32(code) << bitCount;
        for (bitCount += 9; bitCount >= 8; bitCount -= 8, bits >>= 8) codes.append(char(bits));
    };
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (run++ % 254 == 0) put(256);
            put(image.constScanLine(y)[x]);
        }
    }
    put(257);
    if (bitCount > 0) codes.append(char(bits));
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        gif.u8(block.size()).raw(block);
    }
    return gif.u8(0).u8(';').data();
}

// An icon (kind 1) or cursor (kind 2) with one uncompressed 32-bit entry.
QByteArray iconFile(int kind, const QImage& image) {
    const int w = image.width(), h = image.height();
    Bytes dib;
    dib.u32(40).u32(w).u32(h * 2).u16(1).u16(32).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    for (int y = h - 1; y >= 0; --y) {  // bottom-up
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            dib.u8(qBlue(c)).u8(qGreen(c)).u8(qRed(c)).u8(0xFF);
        }
    }
    dib.raw(QByteArray((w + 31) / 32 * 4 * h, '\0'));  // opaque AND mask
    const QByteArray bitmap = dib.data();
    Bytes icon;
    icon.u16(0).u16(kind).u16(1).u8(w % 256).u8(h % 256).u8(0).u8(0);
    if (kind == 1)
        icon.u16(1).u16(32);
    else
        icon.u16(0).u16(0);  // hot spot
    return icon.u32(bitmap.size()).u32(22).raw(bitmap).data();
}

QByteArray wmfRecord(int function, QList<int> params) {
    Bytes r;
    r.u32(3 + params.size()).u16(function);
    for (int p : params) r.u16(p);
    return r.data();
}

// A placeable WMF of width x height units at 96 an inch: a red rectangle
// filling the window, no outline. largestRecord and sizeWords (the file size
// in 16-bit words) are what the header claims; 0 means the true values.
QByteArray wmfFile(int width, int height, quint32 largestRecord = 0, quint32 sizeWords = 0) {
    const QByteArray body = wmfRecord(0x020B, {0, 0}) + wmfRecord(0x020C, {height, width}) +
                            wmfRecord(0x02FA, {5, 0, 0, 0, 0}) + wmfRecord(0x012D, {0}) +
                            wmfRecord(0x02FC, {0, 0x00FF, 0, 0}) + wmfRecord(0x012D, {1}) +
                            wmfRecord(0x041B, {height, width, 0, 0}) + wmfRecord(0, {});
    Bytes header;
    header.u32(0x9AC6CDD7).u16(0).u16(0).u16(0).u16(width).u16(height).u16(96).u32(0);
    const QByteArray h = header.data();
    quint16 checksum = 0;
    for (int i = 0; i < 20; i += 2) checksum ^= quint8(h[i]) | quint8(h[i + 1]) << 8;
    Bytes wmf;
    wmf.raw(h).u16(checksum);
    wmf.u16(1).u16(9).u16(0x0300).u32(sizeWords ? sizeWords : (18 + body.size()) / 2);
    wmf.u16(2).u32(largestRecord ? largestRecord : 7).u16(0);
    return wmf.raw(body).data();
}

QByteArray emfRecord(quint32 type, QList<quint32> params) {
    Bytes r;
    r.u32(type).u32(8 + 4 * params.size());
    for (quint32 p : params) r.u32(p);
    return r.data();
}

// An EMF drawn on a 200 x 100 pixel device, framed as 52.92 x 26.46 mm, which
// is 3000 x 1500 twips to the nearest twip: a green rectangle. records is what
// the header claims; 0 means the true count.
QByteArray emfFile(quint32 records = 0) {
    const QByteArray body = emfRecord(39, {1, 0, 0x00FF00, 0}) + emfRecord(37, {1}) +
                            emfRecord(37, {0x80000008}) + emfRecord(43, {0, 0, 200, 100}) +
                            emfRecord(14, {0, 16, 20});
    Bytes emf;
    emf.u32(1).u32(88).u32(0).u32(0).u32(199).u32(99);
    emf.u32(0).u32(0).u32(5292).u32(2646);
    emf.u32(0x464D4520).u32(0x10000).u32(88 + body.size()).u32(records ? records : 6);
    emf.u16(2).u16(0).u32(0).u32(0).u32(0).u32(1024).u32(768).u32(271).u32(203);
    return emf.raw(body).data();
}

// A good JPEG up to and including its scan header, then noise without a
// single marker: the headers read fine, the pixels are not there.
QByteArray damagedJpeg() {
    const QByteArray jpeg = encoded(halves({160, 120}), "jpeg");
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    const int length = quint8(jpeg[sos + 2]) << 8 | quint8(jpeg[sos + 3]);
    QByteArray noise(4000, '\0');
    QRandomGenerator generator(7);
    for (char& c : noise) c = char(generator.bounded(0xFF));  // never 0xFF
    return jpeg.left(sos + 2 + length) + noise;
}

// Counts the resize events a widget receives.
class ResizeCounter : public QObject {
public:
    explicit ResizeCounter(QWidget* target) : target_(target) { target->installEventFilter(this); }
    ~ResizeCounter() override {
        if (target_) target_->removeEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == target_ && e->type() == QEvent::Resize) ++count;
        return false;
    }

private:
    QPointer<QWidget> target_;
};

// Moves the program's millisecond clock on by a set amount when the picture
// appears, so a load takes exactly that long.
class LoadTime : public QObject {
public:
    LoadTime(QWidget* image, FakeClock* clock, quint32 ms) : image_(image), clock_(clock), ms_(ms) {
        image->installEventFilter(this);
    }
    ~LoadTime() override {
        if (image_) image_->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == image_ && e->type() == QEvent::Show) {
            clock_->now += ms_;
            ms_ = 0;
        }
        return false;
    }

private:
    QPointer<QWidget> image_;
    FakeClock* clock_;
    quint32 ms_;
};

struct Layout {
    float left, top, width, height;
};

// The fit rules, worked out in single precision like the window system's
// twips: shrink a picture wider than the area to the area's width less the
// margin, scaling its height by the full width's ratio; then the same for
// the height; then centre.
Layout expectedLayout(float w, float h, float A, float B) {
    if (w > A) {
        h = h * A / w;
        w = A - 210;
    }
    if (h > B) {
        w = w * B / h;
        h = B - 210;
    }
    return {(A - w) / 2, (B - h) / 2, w, h};
}

const QDateTime kModified(QDate(2001, 2, 3), QTime(4, 5, 6));

}  // namespace

class TestPreview : public QObject {
    Q_OBJECT

    QString root_;  // the program's "drive root"
    QString pics_;  // the folder of pictures, ending in '/'
    frmMain* f_ = nullptr;

    void freshStart() {
        const QString dir = UseFreshSettings();
        root_ = dir + "root/";
        pics_ = root_ + "pics/";
        QDir().mkpath(pics_);
        UseFakeSystem(root_);
    }

    // Lets the resizes and layouts a change posted arrive, as the event
    // loop would between two user actions.
    static void settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }

    // The main window at a known size with the tree and the list 2500 twips
    // wide, so the preview area has a known size too.
    frmMain* load(QSize window = QSize(800, 600)) {
        f_ = frmMain::instance();
        f_->Form_Load();
        f_->resize(window);
        settle();
        f_->Splitter1->SetSplitPosition(2500);
        f_->Splitter2->SetSplitPosition(2500);
        settle();
        return f_;
    }

    QString write(const QString& path, const QByteArray& bytes) {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        out.close();
        QFile touched(path);
        touched.open(QIODevice::ReadWrite);
        touched.setFileTime(kModified, QFileDevice::FileModificationTime);
        return path;
    }

    void list(const QString& folder) {
        f_->CurrentFolder = folder;
        f_->ListFiles();
    }

    int rowOf(const QString& path) const { return f_->ListView1->Model()->FindKey(path); }

    // Selects the item with that key, as a click would, and shows it.
    void show(const QString& path) {
        const int row = rowOf(path);
        QVERIFY2(row >= 0, qPrintable(path + " is not listed"));
        f_->ListView1->SetSelectedRow(row);
        f_->ShowImage();
    }

    void showParent() {
        FileListModel* model = f_->ListView1->Model();
        for (int row = 0; row < model->Count(); ++row) {
            if (model->Item(row).Text == "..") {
                f_->ListView1->SetSelectedRow(row);
                f_->ShowImage();
                return;
            }
        }
        QFAIL("no parent entry");
    }

    QString column(const QString& path, int column) const {
        const int row = rowOf(path);
        return row < 0 ? QString("<not listed>")
                       : f_->ListView1->Model()->Item(row).SubItems[column - 1];
    }

    QString panel(int index) const { return f_->StatusBar1->Panels(index).Text(); }

    static QString views() { return ReadSetting("Browser Options", "Odometer"); }

    // The picture shown, its frame and the fit rules for the preview area as
    // it is now.
    void checkLayout(float w, float h) {
        const float A = f_->picdest->Width(), B = f_->picdest->Height();
        const Layout e = expectedLayout(w, h, A, B);
        const ImageControl* im = f_->Image1;
        const auto same = [](float actual, float expected, const char* what) {
            QVERIFY2(actual == expected, qPrintable(QString("%1 is %2, expected %3")
                                                        .arg(what)
                                                        .arg(double(actual), 0, 'g', 9)
                                                        .arg(double(expected), 0, 'g', 9)));
        };
        same(im->Left, e.left, "Image1.Left");
        same(im->Top, e.top, "Image1.Top");
        same(im->Width, e.width, "Image1.Width");
        same(im->Height, e.height, "Image1.Height");
        QVERIFY(im->isVisible());
        QVERIFY(!im->Picture().isNull());

        const float L = e.left, T = e.top, W = e.width, H = e.height;
        const float ends[4][4] = {{L, T + H, L, T},
                                  {L, T, L + W, T},
                                  {L + W, T, L + W, T + H},
                                  {L, T + H, L + W + 10, T + H}};
        for (int i = 0; i < 4; ++i) {
            const LineControl* line = f_->Line1[i];
            const QByteArray name = "Line1(" + QByteArray::number(i) + ").";
            same(line->X1, ends[i][0], name + "X1");
            same(line->Y1, ends[i][1], name + "Y1");
            same(line->X2, ends[i][2], name + "X2");
            same(line->Y2, ends[i][3], name + "Y2");
            QVERIFY(line->isVisible());
        }
    }

private slots:
    void cleanup() {
        Platform::setClock(std::make_unique<SteadyClock>());
        if (frmMain::exists()) {
            frmMain::instance()->close();
            QTRY_VERIFY(!frmMain::exists());
        }
        f_ = nullptr;
    }

    // Picture sizes are given relative to the preview area in pixels: size =
    // area * scale + extra.
    void geometry_data() {
        QTest::addColumn<QSizeF>("scale");
        QTest::addColumn<QSize>("extra");
        QTest::newRow("fits: natural size, centred") << QSizeF(0.5, 0.5) << QSize(1, 3);
        QTest::newRow("small") << QSizeF(0, 0) << QSize(1, 1);
        QTest::newRow("exactly the area: not shrunk") << QSizeF(1, 1) << QSize(0, 0);
        QTest::newRow("one pixel too wide") << QSizeF(1, 0) << QSize(1, 20);
        QTest::newRow("too wide") << QSizeF(2, 1) << QSize(0, 0);
        QTest::newRow("one pixel too tall") << QSizeF(0, 1) << QSize(20, 1);
        QTest::newRow("too tall") << QSizeF(0.25, 1.5) << QSize(0, 0);
        QTest::newRow("too large both ways: both passes") << QSizeF(2, 3) << QSize(0, 0);
        QTest::newRow("too wide and too tall, the first pass is enough")
            << QSizeF(2, 1.5) << QSize(0, 0);
        QTest::newRow("too wide, scaled height still too tall") << QSizeF(1.2, 1.5) << QSize(0, 0);
    }

    void geometry() {
        QFETCH(QSizeF, scale);
        QFETCH(QSize, extra);
        freshStart();
        load();
        const QSize area = f_->picdest->size();
        QVERIFY2(area.width() > 200 && area.height() > 200,
                 qPrintable(QString("preview area %1 x %2").arg(area.width()).arg(area.height())));
        const QSize size(qRound(area.width() * scale.width()) + extra.width(),
                         qRound(area.height() * scale.height()) + extra.height());
        const QString path = write(pics_ + "picture.bmp", encoded(halves(size), "bmp"));
        list(pics_);
        show(path);
        checkLayout(size.width() * 15.0f, size.height() * 15.0f);
        QCOMPARE(panel(5), QString("%1 x %2 pixels").arg(size.width()).arg(size.height()));
    }

    // One of each of the nine listed types, with what the list and the
    // status bar then say about it.
    void everyTypeShowsItsFacts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("dimensions");
        const QByteArray bmp = encoded(halves({100, 80}), "bmp");
        QTest::newRow("bmp") << "photo.bmp" << bmp << "100 x 80";
        QTest::newRow("dib") << "photo.dib" << encoded(halves({64, 48}), "bmp") << "64 x 48";
        QTest::newRow("gif") << "anim.gif" << gifFile(halves({120, 90})) << "120 x 90";
        QTest::newRow("jpg") << "camera.jpg" << encoded(halves({160, 120}), "jpeg") << "160 x 120";
        QTest::newRow("jpeg") << "tall.jpeg" << encoded(halves({90, 160}), "jpeg") << "90 x 160";
        QTest::newRow("ico") << "app.ico" << iconFile(1, halves({48, 48})) << "48 x 48";
        QTest::newRow("cur") << "arrow.cur" << iconFile(2, halves({32, 32})) << "32 x 32";
        QTest::newRow("wmf") << "chart.wmf" << wmfFile(150, 75) << "150 x 75";
        QTest::newRow("emf") << "drawing.emf" << emfFile() << "200 x 100";
        QTest::newRow("spaces in the name") << "my photo 1.bmp" << bmp << "100 x 80";
    }

    void everyTypeShowsItsFacts() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, dimensions);
        freshStart();
        load();
        const QString path = write(pics_ + name, bytes);
        write(pics_ + "other.bmp", encoded(halves({10, 10}), "bmp"));
        list(pics_);
        QVERIFY(!f_->StatusBar1->Panels(3).Visible());  // a listing hides the facts
        show(path);
        QVERIFY2(f_->picsrc.HasPicture(), "not loaded");

        QCOMPARE(column(path, FileListModel::ColDimensions), dimensions);
        QCOMPARE(column(path, FileListModel::ColDate), FormatGeneralDate(kModified));
        QCOMPARE(column(pics_ + "other.bmp", FileListModel::ColDimensions), QString());
        QCOMPARE(panel(5), dimensions + " pixels");
        QCOMPARE(panel(3), name);
        QCOMPARE(panel(4), FormatFileSize(bytes.size()) + ", " + FormatGeneralDate(kModified));
        QVERIFY2(panel(1).startsWith("Image loaded in ") && panel(1).endsWith(" seconds"),
                 qPrintable(panel(1)));
        for (int i = 3; i <= 5; ++i) QVERIFY(f_->StatusBar1->Panels(i).Visible());
        QCOMPARE(views(), QString("1"));
        QVERIFY(f_->cursor().shape() != Qt::WaitCursor);
        // Shown at natural size: the pixel size in twips.
        const QStringList wh = dimensions.split(" x ");
        const QSizeF twips = f_->picsrc.twips;
        QCOMPARE(qRound(twips.width() / 15), wh[0].toInt());
        QCOMPARE(qRound(twips.height() / 15), wh[1].toInt());
        checkLayout(f_->picsrc.Width(), f_->picsrc.Height());
    }

    // The load time in seconds with "###.##": no leading zero, the point
    // always, up to two decimals rounded, no trailing zeros.
    void loadTimeText_data() {
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no time at all") << 0 << "Image loaded in . seconds";
        QTest::newRow("rounds to nothing") << 4 << "Image loaded in . seconds";
        QTest::newRow("rounds up to a hundredth") << 5 << "Image loaded in .01 seconds";
        QTest::newRow("a quarter") << 250 << "Image loaded in .25 seconds";
        QTest::newRow("rounded") << 1237 << "Image loaded in 1.24 seconds";
        QTest::newRow("one decimal") << 1500 << "Image loaded in 1.5 seconds";
        QTest::newRow("whole") << 2000 << "Image loaded in 2. seconds";
        QTest::newRow("minutes") << 123456 << "Image loaded in 123.46 seconds";
    }

    void loadTimeText() {
        QFETCH(int, ms);
        QFETCH(QString, expected);
        freshStart();
        auto owned = std::make_unique<FakeClock>();
        FakeClock* clock = owned.get();
        clock->now = 0xFFFFFF00u;  // the counter wraps during the load
        Platform::setClock(std::move(owned));
        load();
        const QString path = write(pics_ + "a.jpg", encoded(halves({64, 64}), "jpeg"));
        list(pics_);
        {
            LoadTime time(f_->Image1, clock, ms);
            show(path);
        }
        QVERIFY(f_->picsrc.HasPicture());
        QCOMPARE(panel(1), expected);
    }

    void parentEntryEmptiesPreview() {
        freshStart();
        load();
        const QString path = write(pics_ + "a.bmp", encoded(halves({100, 80}), "bmp"));
        list(pics_);
        show(path);
        QVERIFY(f_->picsrc.HasPicture());
        QString texts[6];
        bool visible[6];
        for (int i = 1; i <= 5; ++i) {
            texts[i] = panel(i);
            visible[i] = f_->StatusBar1->Panels(i).Visible();
        }
        const QString count = views();

        showParent();
        QVERIFY(!f_->picsrc.HasPicture());
        QVERIFY(!f_->Image1->isVisible() || f_->Image1->Picture().isNull());
        for (LineControl* line : f_->Line1) QVERIFY(!line->isVisible());
        for (int i = 1; i <= 5; ++i) {
            QCOMPARE(panel(i), texts[i]);
            QCOMPARE(f_->StatusBar1->Panels(i).Visible(), visible[i]);
        }
        QCOMPARE(views(), count);

        // With nothing on show a resize lays nothing out and counts nothing.
        f_->resize(f_->width() - 40, f_->height() - 30);
        settle();
        QCOMPARE(views(), count);
        for (LineControl* line : f_->Line1) QVERIFY(!line->isVisible());
    }

    void sameNameIsNotReloaded_data() {
        QTest::addColumn<bool>("otherFolder");
        QTest::newRow("same file twice") << false;
        QTest::newRow("same name in another folder") << true;
    }

    void sameNameIsNotReloaded() {
        QFETCH(bool, otherFolder);
        freshStart();
        load();
        const QString first = write(pics_ + "same.bmp", encoded(halves({100, 80}), "bmp"));
        const QString otherDir = root_ + "other/";
        QDir().mkpath(otherDir);
        const QString second = write(otherDir + "same.bmp", encoded(halves({50, 40}), "bmp"));
        list(pics_);
        show(first);
        QCOMPARE(views(), QString("1"));
        QCOMPARE(panel(3), QString("same.bmp"));

        const QString again = otherFolder ? second : first;
        if (otherFolder) list(otherDir);
        const QImage shown = f_->Image1->Picture();
        f_->StatusBar1->Panels(1).SetText("earlier");
        f_->ListView1->Model()->SetSubItem(rowOf(again), FileListModel::ColDimensions, "stale");
        show(again);
        QCOMPARE(views(), QString("1"));
        QCOMPARE(panel(1), QString("earlier"));
        QCOMPARE(column(again, FileListModel::ColDimensions), QString("stale"));
        QVERIFY(f_->cursor().shape() != Qt::WaitCursor);
        if (otherFolder) {
            // The listing emptied the preview and nothing replaced it.
            QVERIFY(!f_->picsrc.HasPicture());
            QVERIFY(!f_->Image1->isVisible() || f_->Image1->Picture().isNull());
        } else {
            QCOMPARE(f_->picsrc.path, first);
            QCOMPARE(f_->Image1->Picture(), shown);
        }

        // Another name loads.
        const QString next =
            write((otherFolder ? otherDir : pics_) + "next.bmp", encoded(halves({30, 20}), "bmp"));
        list(otherFolder ? otherDir : pics_);
        show(next);
        QCOMPARE(views(), QString("2"));
        QCOMPARE(column(next, FileListModel::ColDimensions), QString("30 x 20"));
    }

    void odometer_data() {
        QTest::addColumn<QString>("stored");  // null: never written
        QTest::addColumn<QString>("expected");
        QTest::newRow("not stored") << QString() << "1";
        QTest::newRow("counts on") << "5"
                                   << "6";
        QTest::newRow("reaches the largest") << "32766"
                                             << "32767";
        QTest::newRow("stays at the largest") << "32767"
                                              << "32767";
        QTest::newRow("not a number") << "abc"
                                      << "1";
        QTest::newRow("out of range") << "40000"
                                      << "1";
        QTest::newRow("negative") << "-5"
                                  << "-4";
        QTest::newRow("padded") << " 12 "
                                << "13";
    }

    void odometer() {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        freshStart();
        if (!stored.isNull()) WriteSetting("Browser Options", "Odometer", stored);
        load();
        const QString path = write(pics_ + "a.gif", gifFile(halves({40, 30})));
        list(pics_);
        QCOMPARE(views(), stored);  // listing and the parent entry count nothing
        show(path);
        QVERIFY(f_->picsrc.HasPicture());
        QCOMPARE(views(), expected);
    }

    // Every resize of the preview area with a picture on show re-fits it and
    // counts one more view.
    void resizeRefitsAndCounts_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("window resized") << 0;
        QTest::newRow("splitter moved") << 1;
        QTest::newRow("preview area resized") << 2;
        QTest::newRow("window enlarged") << 3;
    }

    void resizeRefitsAndCounts() {
        QFETCH(int, how);
        freshStart();
        load();
        const QSize area = f_->picdest->size();
        const QSize size(area.width() + 60, area.height() / 2);  // shrunk to the width
        const QString path = write(pics_ + "wide.jpg", encoded(halves(size), "jpeg"));
        list(pics_);
        show(path);
        QCOMPARE(views(), QString("1"));

        ResizeCounter resizes(f_->picdest);
        switch (how) {
            case 0:
                f_->resize(f_->width() - 70, f_->height() - 50);
                break;
            case 1:
                f_->Splitter2->SetSplitPosition(f_->Splitter2->SplitPosition() + 1500);
                break;
            case 2:
                f_->picdest->resize(area.width() - 33, area.height() - 17);
                break;
            case 3:
                f_->resize(1000, 740);
                break;
        }
        settle();
        QVERIFY(f_->picdest->size() != area);
        QVERIFY(resizes.count >= 1);
        QCOMPARE(views(), QString::number(1 + resizes.count));
        checkLayout(size.width() * 15.0f, size.height() * 15.0f);
        QCOMPARE(f_->picsrc.path, path);
    }

    // A resize lays out the picture loaded for the selection; it does not
    // read the file again.
    void resizeKeepsPictureInMemory() {
        freshStart();
        load(QSize(640, 480));
        const QSize area = f_->picdest->size();
        const QSize size(area.width() * 3, area.height() * 3);
        const QString path =
            write(pics_ + "big.bmp", encoded(halves(size, Qt::red, Qt::red), "bmp"));
        list(pics_);
        show(path);
        QCOMPARE(f_->Image1->Picture().pixelColor(0, 0), QColor(Qt::red));
        // The file changes on disk after it was shown.
        write(path, encoded(halves(size, Qt::blue, Qt::blue), "bmp"));
        f_->resize(1000, 740);
        settle();
        QVERIFY(f_->picdest->width() > area.width());
        QCOMPARE(f_->Image1->Picture().pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(panel(5), QString("%1 x %2 pixels").arg(size.width()).arg(size.height()));
    }

    // A file that cannot be loaded leaves the picture before it on show, the
    // hourglass off and nothing reported.
    void unloadableKeepsPrevious_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("removed");  // deleted after the listing
        const QByteArray gif = gifFile(halves({200, 100}));
        QTest::newRow("damaged jpeg") << "bad.jpg" << damagedJpeg() << false;
        QTest::newRow("truncated gif") << "cut.gif" << gif.left(gif.size() / 2) << false;
        QTest::newRow("zero-byte bmp") << "empty.bmp" << QByteArray() << false;
        QTest::newRow("wmf claiming a huge record")
            << "huge.wmf" << wmfFile(200, 100, 0xFFFFFFF0) << false;
        QTest::newRow("wmf claiming a huge size")
            << "long.wmf" << wmfFile(200, 100, 0, 0x7FFFFFFF) << false;
        QTest::newRow("emf claiming a billion records")
            << "many.emf" << emfFile(1000000000) << false;
        QTest::newRow("text named .ico") << "text.ico" << QByteArray("not an icon\n") << false;
        QTest::newRow("removed after listing")
            << "gone.jpeg" << encoded(halves({20, 20}), "jpeg") << true;
    }

    void unloadableKeepsPrevious() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, removed);
        freshStart();
        load();
        const QString good = write(pics_ + "good.bmp", encoded(halves({120, 90}), "bmp"));
        const QString bad = write(pics_ + name, bytes);
        list(pics_);
        if (removed) QVERIFY(QFile::remove(bad));
        show(good);
        QVERIFY(f_->picsrc.HasPicture());
        const QImage picture = f_->Image1->Picture();
        const Layout before{f_->Image1->Left, f_->Image1->Top, f_->Image1->Width,
                            f_->Image1->Height};
        QString texts[6];
        for (int i = 1; i <= 5; ++i) texts[i] = panel(i);

        show(bad);
        QVERIFY(f_->cursor().shape() != Qt::WaitCursor);
        QCOMPARE(f_->picsrc.path, good);
        QCOMPARE(f_->Image1->Picture(), picture);
        QCOMPARE(f_->Image1->Left, before.left);
        QCOMPARE(f_->Image1->Top, before.top);
        QCOMPARE(f_->Image1->Width, before.width);
        QCOMPARE(f_->Image1->Height, before.height);
        QVERIFY(f_->Image1->isVisible());
        for (int i = 1; i <= 5; ++i) QCOMPARE(panel(i), texts[i]);
        QCOMPARE(column(bad, FileListModel::ColDimensions), QString());
        QCOMPARE(column(bad, FileListModel::ColDate), QString());
        QCOMPARE(views(), QString("1"));
        QVERIFY(QApplication::activeModalWidget() == nullptr);

        // The picture kept is still laid out by a resize.
        f_->resize(f_->width() - 30, f_->height() - 30);
        settle();
        checkLayout(120 * 15.0f, 90 * 15.0f);
    }
};

KVO_TEST_MAIN(TestPreview)
#include "tst_preview.moc"
