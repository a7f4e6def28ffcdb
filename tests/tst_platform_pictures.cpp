#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/stat.h>

#include "TestEnv.h"
#include "platform/PictureLoader.h"

// Every picture here is made by the test: bitmaps through Qt's writers or byte
// by byte, metafiles record by record.

Q_DECLARE_METATYPE(PictureType)
Q_DECLARE_METATYPE(PictureError)

// Readable failure messages for QCOMPARE.
char* toString(PictureType type) {
    return qstrdup(PictureFormat::name(type));
}
char* toString(PictureError error) {
    static const char* const names[] = {"None",     "CannotOpen", "UnknownType",
                                        "TooLarge", "Damaged",    "RendererFailed"};
    return qstrdup(names[int(error)]);
}

namespace {

using Samples = QList<QPair<QPointF, QColor>>;  // colour expected at a fraction of the size

// Little-endian bytes, as every format here stores its numbers.
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

const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 255, 0), kNone(Qt::transparent);

// Red left half, blue right half: the halves show whether a decode kept the
// picture the right way round, whatever size it came out at.
QImage halves(QSize size, QColor left = kRed, QColor right = kBlue) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(right);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), left);
    return image;
}

const Samples kHalves = {{{0.2, 0.5}, kRed}, {{0.8, 0.5}, kBlue}};

QByteArray encoded(const QImage& image, const char* format, bool progressive = false) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
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

// An icon (kind 1) or cursor (kind 2) with uncompressed 24- or 32-bit entries.
struct IconEntry {
    QImage image;
    int bitCount;
};

QByteArray iconBitmap(const IconEntry& entry) {
    const QImage& image = entry.image;
    const int w = image.width(), h = image.height();
    Bytes dib;
    dib.u32(40).u32(w).u32(h * 2).u16(1).u16(entry.bitCount).u32(0).u32(0);
    dib.u32(0).u32(0).u32(0).u32(0);
    const int padding = (4 - (w * entry.bitCount / 8) % 4) % 4;
    for (int y = h - 1; y >= 0; --y) {  // bottom-up
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            dib.u8(qBlue(c)).u8(qGreen(c)).u8(qRed(c));
            if (entry.bitCount == 32) dib.u8(0xFF);
        }
        dib.raw(QByteArray(padding, '\0'));
    }
    return dib.raw(QByteArray((w + 31) / 32 * 4 * h, '\0')).data();  // opaque AND mask
}

QByteArray iconFile(int kind, const QList<IconEntry>& entries) {
    Bytes icon;
    icon.u16(0).u16(kind).u16(entries.size());
    QByteArray images;
    for (const IconEntry& entry : entries) {
        const QByteArray bitmap = iconBitmap(entry);
        icon.u8(entry.image.width() % 256).u8(entry.image.height() % 256).u8(0).u8(0);
        if (kind == 1)
            icon.u16(1).u16(entry.bitCount);
        else
            icon.u16(0).u16(0);  // hot spot
        icon.u32(bitmap.size()).u32(6 + 16 * entries.size() + images.size());
        images += bitmap;
    }
    return icon.raw(images).data();
}

// WMF: a red rectangle over the top-left quarter and a green ellipse filling
// the bottom-right quarter of a 200 x 100 window, no outlines.
QByteArray wmfRecord(int function, QList<int> params) {
    Bytes r;
    r.u32(3 + params.size()).u16(function);
    for (int p : params) r.u16(p);
    return r.data();
}

QByteArray wmfDrawing() {
    return wmfRecord(0x020B, {0, 0}) + wmfRecord(0x020C, {100, 200})        // window origin, extent
           + wmfRecord(0x02FA, {5, 0, 0, 0, 0}) + wmfRecord(0x012D, {0})    // null pen
           + wmfRecord(0x02FC, {0, 0x00FF, 0, 0}) + wmfRecord(0x012D, {1})  // red brush
           + wmfRecord(0x041B, {50, 100, 0, 0})                             // rectangle
           + wmfRecord(0x02FC, {0, 0xFF00, 0, 0}) + wmfRecord(0x012D, {2})  // green brush
           + wmfRecord(0x0418, {100, 200, 50, 100});                        // ellipse
}

QByteArray wmfFile(const QByteArray& records, bool placeable = true, int unitsPerInch = 96,
                   QRect box = QRect(0, 0, 200, 100), quint32 largestRecord = 8) {
    const QByteArray body = records + wmfRecord(0, {});
    Bytes wmf;
    if (placeable) {
        Bytes header;
        header.u32(0x9AC6CDD7).u16(0).u16(box.left()).u16(box.top());
        header.u16(box.left() + box.width()).u16(box.top() + box.height());
        header.u16(unitsPerInch).u32(0);
        quint16 checksum = 0;
        const QByteArray h = header.data();
        for (int i = 0; i < 20; i += 2) checksum ^= quint8(h[i]) | quint8(h[i + 1]) << 8;
        wmf.raw(h).u16(checksum);
    }
    wmf.u16(1).u16(9).u16(0x0300).u32((18 + body.size()) / 2).u16(3).u32(largestRecord).u16(0);
    return wmf.raw(body).data();
}

const Samples kDrawing = {
    {{0.25, 0.25}, kRed}, {{0.75, 0.75}, kGreen}, {{0.75, 0.25}, kNone}, {{0.25, 0.75}, kNone}};

// EMF: the same drawing on a 200 x 100 pixel device, framed as 52.92 x 26.46 mm.
QByteArray emfRecord(quint32 type, QList<quint32> params) {
    Bytes r;
    r.u32(type).u32(8 + 4 * params.size());
    for (quint32 p : params) r.u32(p);
    return r.data();
}

QByteArray emfDrawing() {
    return emfRecord(39, {1, 0, 0x0000FF, 0}) + emfRecord(37, {1})    // red brush
           + emfRecord(37, {0x80000008})                              // stock null pen
           + emfRecord(43, {0, 0, 100, 50})                           // rectangle
           + emfRecord(39, {2, 0, 0x00FF00, 0}) + emfRecord(37, {2})  // green brush
           + emfRecord(42, {100, 50, 200, 100});                      // ellipse
}

const QRect kEmfFrame(0, 0, 5292, 2646);  // in 0.01 mm

// Follows the records' own sizes, as a reader would.
int emfRecordCount(const QByteArray& records) {
    int count = 0;
    for (qsizetype at = 0; at + 8 <= records.size(); ++count)
        at += qMax<quint32>(8, qFromLittleEndian<quint32>(records.constData() + at + 4));
    return count;
}

QByteArray emfFile(const QByteArray& records, QRect frame = kEmfFrame, int extraRecords = 0) {
    const QByteArray body = records + emfRecord(14, {0, 16, 20});
    const int count = 2 + emfRecordCount(records) + extraRecords;  // with header and end
    Bytes emf;
    emf.u32(1).u32(88).u32(0).u32(0).u32(199).u32(99);  // bounds in device pixels
    emf.u32(frame.left()).u32(frame.top()).u32(frame.right()).u32(frame.bottom());
    emf.u32(0x464D4520).u32(0x10000).u32(88 + body.size()).u32(count).u16(3).u16(0);
    emf.u32(0).u32(0).u32(0).u32(1024).u32(768).u32(271).u32(203);
    return emf.raw(body).data();
}

QSizeF emfTwips(QRect frame) {
    return QSizeF((frame.right() - frame.left()) * 1440.0 / 2540,
                  (frame.bottom() - frame.top()) * 1440.0 / 2540);
}

QByteArray randomBytes(int count) {
    QByteArray data(count, '\0');
    QRandomGenerator generator(42);
    for (char& c : data) c = char(generator.bounded(256));
    return data;
}

// A BMP header for a 24-bit picture of any claimed size, with the pixels
// given (usually far fewer than claimed).
QByteArray bmpHeader(qint32 width, qint32 height, const QByteArray& pixels = {}) {
    Bytes bmp;
    bmp.raw("BM").u32(54 + pixels.size()).u32(0).u32(54);
    bmp.u32(40).u32(width).u32(height).u16(1).u16(24).u32(0).u32(pixels.size());
    bmp.u32(2835).u32(2835).u32(0).u32(0);
    return bmp.raw(pixels).data();
}

bool near(QColor a, QColor b) {
    if (b.alpha() == 0) return a.alpha() == 0;
    const int tolerance = 40;  // JPEG and smooth scaling move colours a little
    return a.alpha() > 200 && qAbs(a.red() - b.red()) <= tolerance &&
           qAbs(a.green() - b.green()) <= tolerance && qAbs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace

class TestPictures : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    // Unequal twips per pixel across and down catch swapped axes.
    static constexpr float kTppX = 15.0f, kTppY = 12.0f;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static QSizeF bitmapTwips(QSize pixels) {
        return QSizeF(pixels.width() * kTppX, pixels.height() * kTppY);
    }

    static void checkSamples(const QImage& image, const Samples& samples) {
        for (const auto& [at, expected] : samples) {
            const QPoint p(int(at.x() * image.width()), int(at.y() * image.height()));
            const QColor actual = image.pixelColor(p);
            QVERIFY2(near(actual, expected), qPrintable(QString("pixel (%1,%2) is %3, expected %4")
                                                            .arg(p.x())
                                                            .arg(p.y())
                                                            .arg(actual.name(QColor::HexArgb),
                                                                 expected.name(QColor::HexArgb))));
        }
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void probe_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<PictureType>("type");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSizeF>("twips");

        const QSize size(120, 80);
        const QByteArray bmp = encoded(halves(size), "bmp"), jpeg = encoded(halves(size), "jpeg");
        const QSizeF twips = bitmapTwips(size);
        QTest::newRow("bmp") << "a.bmp" << bmp << PictureType::Bmp << size << twips;
        QTest::newRow("dib holding a bmp") << "a.dib" << bmp << PictureType::Bmp << size << twips;
        QTest::newRow("gif") << "a.gif" << gifFile(halves(size)) << PictureType::Gif << size
                             << twips;
        QTest::newRow("jpeg") << "a.jpg" << jpeg << PictureType::Jpeg << size << twips;
        QTest::newRow("jpeg named .gif") << "b.gif" << jpeg << PictureType::Jpeg << size << twips;
        QTest::newRow("bmp without extension") << "c" << bmp << PictureType::Bmp << size << twips;
        QTest::newRow("gif named .bmp")
            << "d.bmp" << gifFile(halves(size)) << PictureType::Gif << size << twips;

        const QByteArray icon =
            iconFile(1, {{halves({16, 16}), 32}, {halves({48, 48}), 32}, {halves({32, 32}), 24}});
        QTest::newRow("ico, largest entry")
            << "a.ico" << icon << PictureType::Ico << QSize(48, 48) << bitmapTwips({48, 48});
        const QByteArray cursor = iconFile(2, {{halves({32, 32}), 32}, {halves({64, 64}), 32}});
        QTest::newRow("cur, largest entry")
            << "a.cur" << cursor << PictureType::Cur << QSize(64, 64) << bitmapTwips({64, 64});
        QTest::newRow("cur named .ico")
            << "b.ico" << cursor << PictureType::Cur << QSize(64, 64) << bitmapTwips({64, 64});

        // 200 x 100 units at 96 an inch: 3000 x 1500 twips whatever the screen.
        QTest::newRow("placeable wmf") << "a.wmf" << wmfFile(wmfDrawing()) << PictureType::Wmf
                                       << QSize(200, 125) << QSizeF(3000, 1500);
        QTest::newRow("placeable wmf, 1440 units an inch")
            << "b.wmf" << wmfFile(wmfDrawing(), true, 1440, QRect(0, 0, 3000, 1500))
            << PictureType::Wmf << QSize(200, 125) << QSizeF(3000, 1500);
        QTest::newRow("plain wmf sized by its window")
            << "c.wmf" << wmfFile(wmfDrawing(), false) << PictureType::Wmf << QSize(200, 125)
            << QSizeF(3000, 1500);
        const QSizeF frame = emfTwips(kEmfFrame);
        QTest::newRow("emf") << "a.emf" << emfFile(emfDrawing()) << PictureType::Emf
                             << QSize(qRound(frame.width() / kTppX), qRound(frame.height() / kTppY))
                             << frame;
        QTest::newRow("emf named .wmf")
            << "d.wmf" << emfFile(emfDrawing()) << PictureType::Emf << QSize(200, 125) << frame;
    }

    void probe() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const PictureLoader loader(kTppX, kTppY);
        PictureError error = PictureError::Damaged;
        const auto info = loader.probe(write(name, bytes), &error);
        QVERIFY(info);
        QCOMPARE(error, PictureError::None);
        QTEST(info->type, "type");
        QTEST(info->pixels, "pixels");
        QTEST(info->twips, "twips");
    }

    void load_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("maxSize");
        QTest::addColumn<QSize>("expectedSize");
        QTest::addColumn<Samples>("samples");

        const QImage photo = halves({1600, 1200});
        const QByteArray jpeg = encoded(photo, "jpeg");
        QTest::newRow("jpeg, full size") << jpeg << QSize() << QSize(1600, 1200) << kHalves;
        QTest::newRow("jpeg, an eighth") << jpeg << QSize(200, 150) << QSize(200, 150) << kHalves;
        QTest::newRow("jpeg, fit in a square")
            << jpeg << QSize(300, 300) << QSize(300, 225) << kHalves;
        QTest::newRow("jpeg, fit in a wide box")
            << jpeg << QSize(800, 150) << QSize(200, 150) << kHalves;
        QTest::newRow("progressive jpeg, a quarter")
            << encoded(photo, "jpeg", true) << QSize(400, 300) << QSize(400, 300) << kHalves;
        QTest::newRow("jpeg, box larger than picture: never enlarged")
            << encoded(halves({100, 80}), "jpeg") << QSize(1000, 1000) << QSize(100, 80) << kHalves;

        const QByteArray bmp = encoded(halves({400, 300}), "bmp");
        QTest::newRow("bmp, full size") << bmp << QSize() << QSize(400, 300) << kHalves;
        QTest::newRow("bmp, scaled") << bmp << QSize(100, 100) << QSize(100, 75) << kHalves;
        // Red above blue, written upside down bottom-up, then marked top-down
        // by a negative height: reads the right way up.
        const QImage redOverBlue = halves({32, 64}).transformed(QTransform().rotate(90));
        QTest::newRow("top-down bmp")
            << encoded(redOverBlue.mirrored(), "bmp").replace(22, 4, "\xE0\xFF\xFF\xFF") << QSize()
            << QSize(64, 32) << Samples{{{0.5, 0.2}, kRed}, {{0.5, 0.8}, kBlue}};
        const QByteArray gif = gifFile(halves({300, 200}));
        QTest::newRow("gif, full size") << gif << QSize() << QSize(300, 200) << kHalves;
        QTest::newRow("gif, scaled") << gif << QSize(150, 150) << QSize(150, 100) << kHalves;

        // The largest entry is the one in red and blue.
        const QImage green = halves({32, 32}, kGreen, kGreen);
        QTest::newRow("ico, largest entry") << iconFile(1, {{green, 32}, {halves({48, 48}), 32}})
                                            << QSize() << QSize(48, 48) << kHalves;
        QTest::newRow("ico, equal sizes: deepest colours")
            << iconFile(1, {{green, 24}, {halves({32, 32}), 32}}) << QSize() << QSize(32, 32)
            << kHalves;
        QTest::newRow("cur, largest entry, scaled")
            << iconFile(2, {{halves({64, 64}), 32}, {green, 32}}) << QSize(16, 16) << QSize(16, 16)
            << kHalves;

        QTest::newRow("placeable wmf, natural size")
            << wmfFile(wmfDrawing()) << QSize() << QSize(200, 125) << kDrawing;
        QTest::newRow("placeable wmf, fitted")
            << wmfFile(wmfDrawing()) << QSize(100, 100) << QSize(100, 63) << kDrawing;
        QTest::newRow("plain wmf")
            << wmfFile(wmfDrawing(), false) << QSize() << QSize(200, 125) << kDrawing;
        QTest::newRow("emf, natural size")
            << emfFile(emfDrawing()) << QSize() << QSize(200, 125) << kDrawing;
        QTest::newRow("emf, fitted")
            << emfFile(emfDrawing()) << QSize(80, 80) << QSize(80, 50) << kDrawing;
    }

    void load() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, maxSize);
        QFETCH(QSize, expectedSize);
        QFETCH(Samples, samples);
        const PictureLoader loader(kTppX, kTppY);
        PictureError error = PictureError::Damaged;
        const auto picture = loader.load(write("load", bytes), maxSize, &error);
        QVERIFY(picture);
        QCOMPARE(error, PictureError::None);
        QCOMPARE(picture->image.size(), expectedSize);
        checkSamples(picture->image, samples);
    }

    void cannotLoad_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("maxSize");
        QTest::addColumn<PictureError>("probeError");  // None: the header alone looks fine
        QTest::addColumn<PictureError>("loadError");

        const auto none = PictureError::None, unknown = PictureError::UnknownType,
                   damaged = PictureError::Damaged, tooLarge = PictureError::TooLarge,
                   helper = PictureError::RendererFailed;
        const QSize preview(200, 200);
        const QByteArray jpeg = encoded(halves({640, 480}), "jpeg");
        const QByteArray gif = gifFile(halves({200, 100}));
        const QByteArray bmp = encoded(halves({200, 100}), "bmp");
        const QByteArray icon = iconFile(1, {{halves({48, 48}), 32}});

        QTest::newRow("empty file") << QByteArray() << QSize() << unknown << unknown;
        QTest::newRow("random bytes") << randomBytes(5000) << QSize() << unknown << unknown;
        QTest::newRow("text named like a picture")
            << QByteArray("not a picture\n") << preview << unknown << unknown;
        QTest::newRow("jpeg cut in half")
            << jpeg.left(jpeg.size() / 2) << QSize() << none << damaged;
        QTest::newRow("jpeg cut in half, preview")
            << jpeg.left(jpeg.size() / 2) << preview << none << damaged;
        QTest::newRow("jpeg missing its last bytes")
            << jpeg.chopped(2) << QSize() << none << damaged;
        QTest::newRow("jpeg, headers overwritten")
            << QByteArray(jpeg).replace(4, 600, QByteArray(600, '\x11')) << QSize() << damaged
            << damaged;
        QTest::newRow("jpeg, nothing after the start marker")
            << jpeg.left(4) << QSize() << damaged << damaged;
        QTest::newRow("gif cut in its image data")
            << gif.left(gif.size() / 2) << QSize() << none << damaged;
        QTest::newRow("gif cut in its colour table")
            << gif.left(400) << QSize() << damaged << damaged;
        QTest::newRow("gif without an image")
            << Bytes().raw("GIF89a").u16(10).u16(10).u8(0).u8(0).u8(0).u8(';').data() << QSize()
            << damaged << damaged;
        QTest::newRow("bmp cut short") << bmp.chopped(100) << QSize() << none << damaged;
        QTest::newRow("bmp claiming 100000 x 100000")
            << bmpHeader(100000, 100000) << preview << none << tooLarge;
        QTest::newRow("bmp claiming zero width")
            << bmpHeader(0, 10, QByteArray(40, '\0')) << QSize() << damaged << damaged;
        QTest::newRow("bmp pixels beyond the end")
            << QByteArray(bmp).replace(10, 4, "\xFF\xFF\xFF\x7F") << QSize() << none << damaged;
        QTest::newRow("ico cut short") << icon.chopped(200) << QSize() << none << damaged;
        QTest::newRow("ico entry beyond the end")
            << QByteArray(icon).replace(18, 4, "\x00\x00\x00\x70") << QSize() << none << damaged;
        QTest::newRow("ico without entries")
            << icon.left(4) + QByteArray(2, '\0') << QSize() << damaged << damaged;

        const QByteArray drawing = wmfDrawing();
        QTest::newRow("wmf claiming a huge record")
            << wmfFile(drawing, true, 96, QRect(0, 0, 200, 100), 0xFFFFFFF0) << QSize() << none
            << damaged;
        QTest::newRow("wmf record longer than the file")
            << wmfFile(drawing + wmfRecord(0x041B, {0, 0, 0, 0}).replace(0, 4, "\xF0\xFF\x00\x00"))
            << QSize() << none << helper;
        QTest::newRow("wmf record of no length")
            << wmfFile(drawing + wmfRecord(0x041B, {0, 0, 0, 0}).replace(0, 4, QByteArray(4, '\0')))
            << QSize() << none << helper;
        QTest::newRow("wmf cut short")
            << wmfFile(drawing).chopped(30) << QSize() << none << damaged;
        QTest::newRow("wmf with zero units an inch")
            << wmfFile(drawing, true, 0) << QSize() << damaged << damaged;
        QTest::newRow("wmf a mile wide")
            << wmfFile(drawing, true, 1, QRect(0, 0, 30000, 10)) << QSize() << tooLarge << tooLarge;
        QTest::newRow("plain wmf without a window")
            << wmfFile(drawing.mid(20), false) << QSize() << damaged << damaged;
        QTest::newRow("emf with gigantic bounds")
            << emfFile(emfDrawing(),
                       QRect(QPoint(-2000000000, -2000000000), QPoint(2000000000, 2000000000)))
            << preview << tooLarge << tooLarge;
        QTest::newRow("emf claiming a billion records")
            << emfFile(emfDrawing(), kEmfFrame, 1000000000) << QSize() << none << damaged;
        QTest::newRow("emf record of no length")
            << emfFile(emfDrawing() + emfRecord(43, {0, 0, 0, 0}).replace(4, 4, QByteArray(4, 0)))
            << QSize() << none << helper;
        QTest::newRow("emf record longer than the file")
            << emfFile(emfDrawing() + emfRecord(43, {0, 0, 0, 0}).replace(4, 4, "\xF0\xFF\xFF\x7F"))
            << QSize() << none << helper;
        QTest::newRow("emf polygon of two billion points")
            << emfFile(emfDrawing() + emfRecord(86, {0, 0, 9, 9, 0x7FFFFFFF, 1, 2})) << QSize()
            << none << helper;
        QTest::newRow("emf cut short")
            << emfFile(emfDrawing()).chopped(40) << QSize() << none << damaged;
        QTest::newRow("emf header only")
            << emfFile(emfDrawing()).left(60) << QSize() << damaged << damaged;
    }

    void cannotLoad() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, maxSize);
        QFETCH(PictureError, probeError);
        QFETCH(PictureError, loadError);
        const QString path = write("bad.jpg", bytes);
        const PictureLoader loader(kTppX, kTppY);
        PictureError error = PictureError::None;
        QCOMPARE(loader.probe(path, &error).has_value(), probeError == PictureError::None);
        if (probeError != PictureError::None) QCOMPARE(error, probeError);
        QVERIFY(!loader.load(path, maxSize, &error));
        QCOMPARE(error, loadError);
    }

    void notAFile_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "missing.bmp";
        QTest::newRow("folder") << "folder.jpg";
        QTest::newRow("fifo, which would block a read") << "fifo.gif";
    }

    void notAFile() {
        QFETCH(QString, name);
        QDir(dir_.path()).mkdir("folder.jpg");
        ::mkfifo(QFile::encodeName(dir_.filePath("fifo.gif")).constData(), 0600);
        const PictureLoader loader(kTppX, kTppY);
        PictureError error = PictureError::None;
        QVERIFY(!loader.probe(dir_.filePath(name), &error));
        QCOMPARE(error, PictureError::CannotOpen);
        QVERIFY(!loader.load(dir_.filePath(name), {}, &error));
        QCOMPARE(error, PictureError::CannotOpen);
    }

    // Limits are judged on what the decoder holds: a scaled JPEG decode holds
    // a fraction of the picture unless libjpeg must buffer all of it.
    void limits_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("maxSize");
        QTest::addColumn<PictureError>("expected");

        const QImage big = halves({2000, 1500});
        const QByteArray jpeg = encoded(big, "jpeg");
        const auto ok = PictureError::None, tooLarge = PictureError::TooLarge;
        QTest::newRow("jpeg, full size") << jpeg << QSize() << tooLarge;
        QTest::newRow("jpeg, preview") << jpeg << QSize(250, 250) << ok;
        QTest::newRow("jpeg, preview too large to help") << jpeg << QSize(1600, 1600) << tooLarge;
        QTest::newRow("progressive jpeg, preview")
            << encoded(big, "jpeg", true) << QSize(250, 250) << tooLarge;
        QTest::newRow("bmp, preview") << encoded(big, "bmp") << QSize(250, 250) << tooLarge;
        QTest::newRow("gif, preview") << gifFile(halves({1100, 10})) << QSize(250, 250) << tooLarge;
        QTest::newRow("jpeg within the limits")
            << encoded(halves({1000, 1000}), "jpeg") << QSize() << ok;
    }

    void limits() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, maxSize);
        QFETCH(PictureError, expected);
        PictureLimits limits;
        limits.maxSide = 1000;
        limits.maxPixels = 1'000'000;
        const PictureLoader loader(kTppX, kTppY, limits);
        PictureError error = PictureError::Damaged;
        const auto picture = loader.load(write("limits", bytes), maxSize, &error);
        QCOMPARE(error, expected);
        QCOMPARE(picture.has_value(), expected == PictureError::None);
        if (picture) checkSamples(picture->image, kHalves);
    }

    // Whatever the helper does wrong, the answer is "cannot be loaded", in
    // time. Fake helpers are shell scripts; an empty script means the real one.
    void metafileHelper_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<bool>("loads");
        QTest::newRow("real helper") << QByteArray() << 10000 << true;
        QTest::newRow("real helper out of time") << QByteArray() << 1 << false;
        QTest::newRow("no helper installed") << QByteArray("-") << 10000 << false;
        QTest::newRow("exits without pixels") << QByteArray("exit 0") << 10000 << false;
        QTest::newRow("fails after the pixels")
            << QByteArray("head -c 100000 /dev/zero; exit 1") << 10000 << false;
        QTest::newRow("sends too few pixels")
            << QByteArray("head -c 99999 /dev/zero") << 10000 << false;
        QTest::newRow("never stops talking") << QByteArray("exec yes") << 10000 << false;
        QTest::newRow("never answers") << QByteArray("exec sleep 60") << 300 << false;
        QTest::newRow("closes its output and hangs")
            << QByteArray("exec >&-; exec sleep 60") << 1000 << false;
    }

    void metafileHelper() {
        QFETCH(QByteArray, script);
        QFETCH(int, timeoutMs);
        QFETCH(bool, loads);
        PictureLimits limits;
        limits.metafileTimeoutMs = timeoutMs;
        PictureLoader loader(kTppX, kTppY, limits);  // draws 200 x 125: 100000 bytes
        const QString helper = dir_.filePath(QString("helper-%1").arg(QTest::currentDataTag()));
        if (script == "-") {
            loader.setMetafileHelper(dir_.filePath("no-such-helper"));
        } else if (!script.isEmpty()) {
            write(QFileInfo(helper).fileName(), "#!/bin/sh\n" + script + "\n");
            QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            loader.setMetafileHelper(helper);
        }
        // Larger than a pipe holds, so a helper that quits early closes it on us.
        QByteArray padding;
        for (int i = 0; i < 20000; ++i) padding += wmfRecord(0x020B, {0, 0});
        const QString path = write("helper.wmf", wmfFile(wmfDrawing() + padding));
        PictureError error = PictureError::Damaged;
        const auto picture = loader.load(path, {}, &error);
        QCOMPARE(picture.has_value(), loads);
        QCOMPARE(error, loads ? PictureError::None : PictureError::RendererFailed);
        if (picture) checkSamples(picture->image, kDrawing);
    }
};

KVO_TEST_MAIN_CORE(TestPictures)
#include "tst_platform_pictures.moc"
