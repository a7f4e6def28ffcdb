// The picture loader: types, sizes, scaled decodes, limits, bad files, the metafile helper.
#include <QRandomGenerator>
#include <QtTest>

#include <sys/stat.h>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "platform/MetafileRenderer.h"
#include "platform/PictureLoader.h"

Q_DECLARE_METATYPE(PictureType)
Q_DECLARE_METATYPE(PictureError)
Q_DECLARE_METATYPE(PictureLimits)

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
using Inks = QList<QPair<QRectF, QColor>>;      // a colour that shows somewhere in a fraction of it

const QColor kNone(Qt::transparent);
const Samples kHalves = {{{0.2, 0.5}, kRed}, {{0.8, 0.5}, kBlue}};
const Samples kDrawing = {
    {{0.25, 0.25}, kRed}, {{0.75, 0.75}, kGreen}, {{0.75, 0.25}, kNone}, {{0.25, 0.75}, kNone}};

// A 24-bit BMP header claiming any size, without pixels.
QByteArray bmpHeader(qint32 width, qint32 height) {
    Bytes bmp;
    bmp.raw("BM").u32(54).u32(0).u32(54).u32(40).u32(width).u32(height).u16(1).u16(24);
    return bmp.u32(0).u32(0).u32(2835).u32(2835).u32(0).u32(0).data();
}

// A GIF whose first image lies at `image` on a `screen` of red and blue (the
// background), its compressed data `dataBytes` long: pairs of a clear code and
// a red literal, three bits each, setting the image's first pixels red. Before
// it, comments of commentBytes.
QByteArray gifOnScreen(QSize screen, QRect image, int dataBytes = 4, bool interlaced = false,
                       int commentBytes = 0) {
    Bytes gif;
    gif.raw("GIF89a").u16(screen.width()).u16(screen.height()).u8(0x80).u8(1).u8(0);
    gif.raw(QByteArray("\xFF\0\0\0\0\xFF", 6));
    if (commentBytes > 0) {
        gif.u8(0x21).u8(0xFE);
        for (int left = commentBytes; left > 0; left -= 255)
            gif.u8(qMin(left, 255)).raw(QByteArray(qMin(left, 255), 'c'));
        gif.u8(0);
    }
    gif.u8(',').u16(image.x()).u16(image.y()).u16(image.width()).u16(image.height());
    gif.u8(interlaced ? 0x40 : 0).u8(2);
    QByteArray codes;
    quint32 bits = 0;
    for (int bitCount = 0; codes.size() < dataBytes;) {
        bits |= (codes.size() + 2 < dataBytes ? 0x04 : 0x05) << bitCount;  // clear, 0; at last end
        for (bitCount += 6; bitCount >= 8; bitCount -= 8, bits >>= 8) codes.append(char(bits));
    }
    for (qsizetype i = 0; i < codes.size(); i += 255)
        gif.u8(codes.mid(i, 255).size()).raw(codes.mid(i, 255));
    return gif.u8(0).u8(';').data();
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

    static QSizeF twips(QSize pixels) {
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

    static void checkInks(const QImage& image, const Inks& inks) {
        for (const auto& [area, expected] : inks) {
            const QRect r(
                QPoint(int(area.left() * image.width()), int(area.top() * image.height())),
                QPoint(int(area.right() * image.width()) - 1,
                       int(area.bottom() * image.height()) - 1));
            bool found = false;
            for (int y = r.top(); y <= r.bottom() && !found; ++y)
                for (int x = r.left(); x <= r.right() && !found; ++x)
                    found = near(image.pixelColor(x, y), expected);
            QVERIFY2(found, qPrintable(QString("no %1 in (%2,%3 %4x%5)")
                                           .arg(expected.name())
                                           .arg(r.x())
                                           .arg(r.y())
                                           .arg(r.width())
                                           .arg(r.height())));
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
        const QByteArray bmp = encoded(halves(size), "bmp");
        QTest::newRow("bmp") << "a.bmp" << bmp << PictureType::Bmp << size << twips(size);
        QTest::newRow("gif named .bmp")
            << "b.bmp" << gifFile(halves(size)) << PictureType::Gif << size << twips(size);
        QTest::newRow("jpeg named .gif")
            << "b.gif" << encoded(halves(size), "jpeg") << PictureType::Jpeg << size << twips(size);
        QTest::newRow("ico, largest entry")
            << "a.ico"
            << iconFile(1, {{halves({16, 16})}, {halves({48, 48})}, {halves({32, 32}), 24}})
            << PictureType::Ico << QSize(48, 48) << twips({48, 48});
        QTest::newRow("cur named .ico")
            << "b.ico" << iconFile(2, {{halves({32, 32})}, {halves({64, 64})}}) << PictureType::Cur
            << QSize(64, 64) << twips({64, 64});
        // Qt's GIF reader fills the logical screen, whatever its first image.
        QTest::newRow("gif screen far larger than its image")
            << "c.gif" << gifOnScreen({16000, 16000}, {0, 0, 1, 1}) << PictureType::Gif
            << QSize(16000, 16000) << twips({16000, 16000});
        QTest::newRow("gif screen of no size, behind 70 KB of comments")
            << "d.gif" << gifOnScreen({0, 0}, {5, 5, 10, 10}, 4, false, 70000) << PictureType::Gif
            << QSize(15, 15) << twips({15, 15});
        QTest::newRow("emf named .wmf")
            << "d.wmf" << emfFile(emfDrawing()) << PictureType::Emf << QSize(200, 125)
            << QSizeF(5292 * 1440.0 / 2540, 2646 * 1440.0 / 2540);
    }

    void probe() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        PictureError error = PictureError::Damaged;
        const auto info = PictureLoader(kTppX, kTppY).Probe(write(name, bytes), &error);
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

        const QByteArray jpeg = encoded(halves({1600, 1200}), "jpeg");
        QTest::newRow("jpeg, fit in a square")
            << jpeg << QSize(300, 300) << QSize(300, 225) << kHalves;
        QTest::newRow("jpeg, never enlarged")
            << encoded(halves({100, 80}), "jpeg") << QSize(1000, 1000) << QSize(100, 80) << kHalves;
        QTest::newRow("bmp, scaled")
            << encoded(halves({400, 300}), "bmp") << QSize(100, 100) << QSize(100, 75) << kHalves;
        // Red above blue stored top-down (negative height) reads the right way up.
        const QImage redOverBlue = halves({32, 64}).transformed(QTransform().rotate(90));
        QTest::newRow("top-down bmp")
            << encoded(redOverBlue.mirrored(), "bmp").replace(22, 4, "\xE0\xFF\xFF\xFF") << QSize()
            << QSize(64, 32) << Samples{{{0.5, 0.2}, kRed}, {{0.5, 0.8}, kBlue}};
        // The wanted entry is the red and blue one, the other all green.
        const QImage green = halves({32, 32}, kGreen, kGreen);
        QTest::newRow("ico, equal sizes: deepest colours last")
            << iconFile(1, {{green, 24}, {halves({32, 32})}}) << QSize() << QSize(32, 32)
            << kHalves;
        QTest::newRow("ico, equal sizes: deepest colours first")
            << iconFile(1, {{halves({32, 32})}, {green, 24}}) << QSize() << QSize(32, 32)
            << kHalves;
        QTest::newRow("cur, largest entry first, scaled")
            << iconFile(2, {{halves({64, 64})}, {green}}) << QSize(16, 16) << QSize(16, 16)
            << kHalves;
        QTest::newRow("gif image larger than its screen")
            << gifOnScreen({100, 100}, {0, 0, 65535, 65535}) << QSize() << QSize(100, 100)
            << Samples{};
        QTest::newRow("gif image off its screen")
            << gifOnScreen({100, 100}, {200, 200, 10, 10}) << QSize() << QSize(100, 100)
            << Samples{{{0.5, 0.5}, kBlue}};
        // 1000 bytes of codes paint at most 2.7 million pixels, interlaced eight times that.
        QTest::newRow("gif 3000 x 3000, interlaced data can paint it")
            << gifOnScreen({3000, 3000}, {0, 0, 3000, 3000}, 1000, true) << QSize(200, 200)
            << QSize(200, 200) << Samples{};
        QTest::newRow("placeable wmf, fitted")
            << wmfFile(wmfDrawing()) << QSize(100, 100) << QSize(100, 63) << kDrawing;
        QTest::newRow("emf") << emfFile(emfDrawing()) << QSize() << QSize(200, 125) << kDrawing;
    }

    void load() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, maxSize);
        QFETCH(Samples, samples);
        PictureError error = PictureError::Damaged;
        const auto picture =
            PictureLoader(kTppX, kTppY).Load(write("load", bytes), maxSize, &error);
        QVERIFY(picture);
        QCOMPARE(error, PictureError::None);
        QTEST(picture->image.size(), "expectedSize");
        checkSamples(picture->image, samples);
    }

    // The top left part at the picture's own pixels: the same pixels a
    // whole decode has there, never a scaled copy.
    void topLeft_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("part");
        QTest::addColumn<QSize>("expectedSize");
        const QImage picture = halves({400, 300});
        QTest::newRow("jpeg") << encoded(picture, "jpeg") << QSize(250, 100) << QSize(250, 100);
        QTest::newRow("progressive jpeg")
            << encoded(picture, "jpeg", true) << QSize(250, 100) << QSize(250, 100);
        QTest::newRow("bmp") << encoded(picture, "bmp") << QSize(250, 100) << QSize(250, 100);
        QTest::newRow("gif") << gifFile(picture) << QSize(250, 100) << QSize(250, 100);
        QTest::newRow("part wider than the picture")
            << encoded(picture, "bmp") << QSize(1000, 100) << QSize(400, 100);
        QTest::newRow("emf") << emfFile(emfDrawing()) << QSize(150, 100) << QSize(150, 100);
    }
    void topLeft() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, part);
        QFETCH(QSize, expectedSize);
        const QString path = write("part", bytes);
        const PictureLoader loader(kTppX, kTppY);
        const auto whole = loader.Load(path);
        PictureError error = PictureError::Damaged;
        const auto cut = loader.LoadTopLeft(QFile::encodeName(path), part, &error);
        QVERIFY(whole && cut);
        QCOMPARE(error, PictureError::None);
        QCOMPARE(cut->info.pixels, whole->info.pixels);
        QCOMPARE(cut->image.size(), expectedSize);
        const QImage expected = whole->image.copy(QRect(QPoint(0, 0), expectedSize));
        for (int y = 0; y < expectedSize.height(); y += 7)
            for (int x = 0; x < expectedSize.width(); x += 7)
                QVERIFY2(near(cut->image.pixelColor(x, y), expected.pixelColor(x, y)),
                         qPrintable(QString("pixel (%1,%2)").arg(x).arg(y)));
    }

    // A photo tagged with an orientation comes upright, measured as shown,
    // whole, scaled or cut; with the loader not asked to turn it, as stored.
    void orientation_data() {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("upright");
        QTest::addColumn<QSize>("maxSize");
        QTest::addColumn<QSize>("part");
        QTest::addColumn<QSize>("expectedSize");
        QTest::addColumn<QColor>("topLeft");
        // The stored picture is 64 x 32; each tag's top left corner as shown.
        const QColor corner[] = {{},   kRed,  kGreen,    Qt::white, kBlue,
                                 kRed, kBlue, Qt::white, kGreen};
        for (int o = 1; o <= 8; ++o) {
            const QSize shown = o >= 5 ? QSize(32, 64) : QSize(64, 32);
            const QByteArray tag = QByteArray::number(o);
            QTest::newRow("whole " + tag) << o << true << QSize() << QSize() << shown << corner[o];
            QTest::newRow("scaled " + tag)
                << o << true << shown / 2 << QSize() << shown / 2 << corner[o];
            QTest::newRow("part " + tag)
                << o << true << QSize() << QSize(8, 8) << QSize(8, 8) << corner[o];
        }
        QTest::newRow("not turned 6") << 6 << false << QSize() << QSize() << QSize(64, 32) << kRed;
        QTest::newRow("not turned 8, part")
            << 8 << false << QSize() << QSize(8, 8) << QSize(8, 8) << kRed;
    }
    void orientation() {
        QFETCH(int, orientation);
        QFETCH(bool, upright);
        QFETCH(QSize, maxSize);
        QFETCH(QSize, part);
        QFETCH(QSize, expectedSize);
        QFETCH(QColor, topLeft);
        const QByteArray photo = withOrientation(encoded(quadrants({64, 32}), "jpeg"), orientation);
        const QByteArray path = QFile::encodeName(write("tagged", photo));
        PictureLoader loader(kTppX, kTppY);
        loader.SetUpright(upright);
        const auto info = loader.Probe(path);
        QVERIFY(info);
        const QSize shown = upright && orientation >= 5 ? QSize(32, 64) : QSize(64, 32);
        QCOMPARE(info->pixels, shown);
        QCOMPARE(info->twips, QSizeF(shown.width() * kTppX, shown.height() * kTppY));
        const auto picture =
            part.isValid() ? loader.LoadTopLeft(path, part) : loader.Load(path, maxSize);
        QVERIFY(picture);
        QCOMPARE(picture->info.pixels, shown);
        QCOMPARE(picture->image.size(), expectedSize);
        QVERIFY2(near(picture->image.pixelColor(1, 1), topLeft),
                 qPrintable(picture->image.pixelColor(1, 1).name()));
    }

    // WMF pictures at their natural size: the placeable box, else the first
    // window, else what they draw fills the picture.
    void wmfDrawn_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSizeF>("twips");
        QTest::addColumn<Samples>("samples");
        QTest::addColumn<Inks>("inks");

        const QColor black(Qt::black), white(Qt::white);
        QTest::newRow("placeable") << wmfFile(wmfDrawing(), true, 1440, QRect(0, 0, 3000, 1500))
                                   << QSizeF(3000, 1500) << kDrawing << Inks{};
        QTest::newRow("plain, sized by its window")
            << wmfFile(wmfDrawing(), false) << QSizeF(3000, 1500) << kDrawing << Inks{};
        QTest::newRow("plain, sized by its drawing")
            << wmfFile(wmfDrawing().mid(20), false) << QSizeF(3015, 1515) << kDrawing << Inks{};
        // The window, not the extent of the drawing, fills the picture.
        const QByteArray quarter = wmfRecord(0x020B, {0, 0}) + wmfRecord(0x020C, {1000, 2000}) +
                                   wmfDrawing().mid(20, 46) + wmfRecord(0x041B, {500, 1000, 0, 0});
        QTest::newRow("placeable, window ten times its box, a quarter drawn")
            << wmfFile(quarter) << QSizeF(3000, 1500)
            << Samples{{{0.25, 0.25}, kRed}, {{0.75, 0.25}, kNone}, {{0.75, 0.75}, kNone}}
            << Inks{};
        // y grows upwards: the rectangle at the bottom, the ellipse at the top.
        const QByteArray upwards =
            wmfRecord(0x020B, {100, 0}) + wmfRecord(0x020C, {-100, 200}) + wmfDrawing().mid(20);
        QTest::newRow("plain, window upside down")
            << wmfFile(upwards, false) << QSizeF(3000, 1500)
            << Samples{{{0.25, 0.75}, kRed}, {{0.75, 0.25}, kGreen}, {{0.25, 0.25}, kNone}}
            << Inks{};
        QTest::newRow("placeable, default brush, pen of no width")
            << wmfFile(wmfOutlines(), true, 1440, QRect(0, 0, 2000, 1000)) << QSizeF(2000, 1000)
            << Samples{{{0.25, 0.25}, white}, {{0.75, 0.75}, white}, {{0.75, 0.25}, kNone}}
            << Inks{{{0.45, 0.1, 0.1, 0.3}, black}, {{0.6, 0.45, 0.3, 0.1}, black}};
        QTest::newRow("text") << wmfFile(wmfText()) << QSizeF(3000, 1500)
                              << Samples{{{0.9, 0.75}, kNone}}
                              << Inks{{{0.05, 0.1, 0.7, 0.4}, kBlue},
                                      {{0.05, 0.55, 0.35, 0.4}, kBlue}};
    }

    void wmfDrawn() {
        QFETCH(QByteArray, bytes);
        PictureError error = PictureError::Damaged;
        const auto picture =
            PictureLoader(kTppX, kTppY).Load(write("drawn.wmf", bytes), {}, &error);
        QVERIFY(picture);
        QCOMPARE(error, PictureError::None);
        QTEST(picture->info.twips, "twips");
        QCOMPARE(picture->image.size(), picture->info.pixels);
        QFETCH(Samples, samples);
        QFETCH(Inks, inks);
        checkSamples(picture->image, samples);
        checkInks(picture->image, inks);
    }

    void cannotLoad_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<PictureError>("probeError");  // None: the header alone looks fine
        QTest::addColumn<PictureError>("loadError");

        const auto none = PictureError::None, unknown = PictureError::UnknownType,
                   damaged = PictureError::Damaged, tooLarge = PictureError::TooLarge,
                   helper = PictureError::RendererFailed;
        const QByteArray jpeg = encoded(halves({640, 480}), "jpeg");
        const QByteArray gif = gifFile(halves({200, 100}));
        const QByteArray bmp = encoded(halves({200, 100}), "bmp");
        const QByteArray icon = iconFile(1, {{halves({48, 48})}});
        QByteArray noise(5000, '\0');
        QRandomGenerator generator(42);
        for (char& c : noise) c = char(generator.bounded(256));

        QTest::newRow("empty file") << QByteArray() << unknown << unknown;
        QTest::newRow("random bytes") << noise << unknown << unknown;
        QTest::newRow("jpeg cut in half") << jpeg.left(jpeg.size() / 2) << none << damaged;
        QTest::newRow("gif cut in its image data") << gif.left(gif.size() / 2) << none << damaged;
        QTest::newRow("bmp cut short") << bmp.chopped(100) << none << damaged;
        QTest::newRow("bmp claiming 100000 x 100000")
            << bmpHeader(100000, 100000) << none << tooLarge;
        QTest::newRow("bmp pixels beyond the end")
            << QByteArray(bmp).replace(10, 4, "\xFF\xFF\xFF\x7F") << none << damaged;
        QTest::newRow("ico without entries")
            << icon.left(4) + QByteArray(2, '\0') << damaged << damaged;

        // Each would have Qt's GIF reader fill a screen of hundreds of
        // millions of pixels that its data never paint.
        QTest::newRow("gif of 35 bytes, 16000 x 16000 screen, 1 x 1 image")
            << gifOnScreen({16000, 16000}, {0, 0, 1, 1}, 2) << none << tooLarge;
        QTest::newRow("gif 16000 x 16000 image of 4 bytes")
            << gifOnScreen({16000, 16000}, {0, 0, 16000, 16000}) << none << tooLarge;
        QTest::newRow("gif 4000 x 4000 screen, image off it")
            << gifOnScreen({4000, 4000}, {5000, 5000, 3000, 3000}, 100000) << none << tooLarge;
        QTest::newRow("gif 3000 x 3000, data cannot paint it")
            << gifOnScreen({3000, 3000}, {0, 0, 3000, 3000}, 1000) << none << tooLarge;
        QTest::newRow("gif 16384 x 16384, beyond Qt's reader")
            << gifOnScreen({16384, 16384}, {0, 0, 16384, 16384}, 200000) << none << tooLarge;

        const QByteArray drawing = wmfDrawing();
        const QByteArray wmfRect = wmfRecord(0x041B, {0, 0, 0, 0});
        QTest::newRow("wmf claiming a huge record")
            << wmfFile(drawing, true, 96, QRect(0, 0, 200, 100), 0xFFFFFFF0) << none << damaged;
        QTest::newRow("wmf record longer than the file")
            << wmfFile(drawing + QByteArray(wmfRect).replace(0, 4, "\xF0\xFF\x00\x00")) << none
            << damaged;
        QTest::newRow("wmf cut short") << wmfFile(drawing).chopped(30) << none << damaged;
        QTest::newRow("wmf with zero units an inch")
            << wmfFile(drawing, true, 0) << damaged << damaged;
        QTest::newRow("wmf a mile wide")
            << wmfFile(drawing, true, 1, QRect(0, 0, 30000, 10)) << tooLarge << tooLarge;

        const QByteArray emfRect = emfRecord(43, {0, 0, 0, 0});
        QTest::newRow("emf with gigantic bounds")
            << emfFile(emfDrawing(),
                       QRect(QPoint(-2000000000, -2000000000), QPoint(2000000000, 2000000000)))
            << tooLarge << tooLarge;
        QTest::newRow("emf claiming a billion records")
            << emfFile(emfDrawing(), kEmfFrame, 1000000000) << none << damaged;
        QTest::newRow("emf record of no length")
            << emfFile(emfDrawing() + QByteArray(emfRect).replace(4, 4, QByteArray(4, 0))) << none
            << helper;
        QTest::newRow("emf polygon of two billion points")
            << emfFile(emfDrawing() + emfRecord(86, {0, 0, 9, 9, 0x7FFFFFFF, 1, 2})) << none
            << helper;
        QTest::newRow("emf glyph indices in a Hebrew font named by a lone surrogate")
            << emfFile(emfGlyphsInBrokenFont()) << none << helper;
        QTest::newRow("emf cut short") << emfFile(emfDrawing()).chopped(40) << none << damaged;
        QTest::newRow("emf header only") << emfFile(emfDrawing()).left(60) << damaged << damaged;
    }

    void cannotLoad() {
        QFETCH(QByteArray, bytes);
        QFETCH(PictureError, probeError);
        QFETCH(PictureError, loadError);
        const QString path = write("bad.jpg", bytes);
        const PictureLoader loader(kTppX, kTppY);
        PictureError error = PictureError::None;
        QCOMPARE(loader.Probe(path, &error).has_value(), probeError == PictureError::None);
        if (probeError != PictureError::None) QCOMPARE(error, probeError);
        // Asked for a preview size too, as the main window does.
        for (const QSize maxSize : {QSize(), QSize(200, 200)}) {
            QVERIFY(!loader.Load(path, maxSize, &error));
            QCOMPARE(error, loadError);
        }
    }

    // The helper itself on files the loader's checks let through or never
    // see: it exits on its own, in time, and answers in full or not at all.
    // Some crash the metafile libraries; that kills only the helper.
    void hostileMetafile_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("mayDraw");  // false: it must refuse
        const QByteArray drawing = wmfFile(wmfDrawing());
        QByteArray noise(4000, '\0');
        QRandomGenerator generator(7);
        for (char& c : noise) c = char(generator.bounded(256));
        auto stretchDib = [](int bitCount) {  // a 30000 x 30000 DIB with no pixels
            Bytes bitmap;
            bitmap.u32(0x00CC0020)
                .u16(0)
                .u16(0)
                .u16(30000)
                .u16(30000)
                .u16(0)
                .u16(0)
                .u16(100)
                .u16(200);
            bitmap.u32(40).u32(30000).u32(30000).u16(1).u16(bitCount).u32(0).u32(0).u32(0).u32(0);
            bitmap.u32(0).u32(0);
            return Bytes().u32(3 + bitmap.data().size() / 2).u16(0x0F43).raw(bitmap.data()).data();
        };
        const QStringList none;

        QTest::newRow("wmf cut inside a record") << drawing.chopped(30) << none << false;
        QTest::newRow("wmf without end record") << drawing.chopped(6) << none << false;
        QTest::newRow("wmf header only") << drawing.left(40) << none << false;
        QTest::newRow("wmf of random records") << drawing.left(40) + noise << none << true;
        QTest::newRow("wmf polygon claiming 30000 points")
            << wmfFile(wmfDrawing() + wmfRecord(0x0324, {30000, 0, 0, 10, 10})) << none << true;
        QTest::newRow("wmf text longer than its record")
            << wmfFile(wmfText() + wmfRecord(0x0521, {30000, 0x4141, 10, 10})) << none << true;
        for (const int bitCount : {24, 32})  // 2.7 and 3.6 GB
            QTest::addRow("wmf bitmap of 30000 x 30000 x %d bits, no pixels", bitCount)
                << wmfFile(wmfDrawing() + stretchDib(bitCount), true, 96, QRect(0, 0, 200, 100), 64)
                << none << true;
        QTest::newRow("wmf ellipse 65535 windows wide")
            << wmfFile(wmfDrawing() + wmfRecord(0x020C, {1, 1}) +
                       wmfRecord(0x0418, {32767, 32767, 0x8000, 0x8000}))
            << none << true;
        QTest::newRow("wmf object never created")
            << wmfFile(wmfRecord(0x012D, {999})) << none << true;

        QTest::newRow("emf glyph indices in a Hebrew font named by a lone surrogate")
            << emfFile(emfGlyphsInBrokenFont()) << none << true;
        QTest::newRow("emf polyline claiming more points than it holds")
            << emfFile(emfDrawing() + emfRecord(87, {0, 0, 200, 100, 1000, 0x00100010, 0x00500050}))
            << none << true;
        QByteArray unended = emfFile(emfDrawing()).chopped(20);  // records run to the very end
        unended.replace(48, 8, Bytes().u32(unended.size()).u32(8).data());
        QTest::newRow("emf without end record") << unended << none << true;

        // Processor time: the helper stops itself at the budget it is given.
        QTest::newRow("wmf with 1 ms of processor time")
            << drawing << QStringList{"--cpu-ms", "1"} << false;
        QTest::newRow("emf with 1 ms of processor time")
            << emfFile(emfDrawing()) << QStringList{"--cpu-ms", "1"} << false;
    }

    void hostileMetafile() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, options);
        QFETCH(bool, mayDraw);
        const QString helper = MetafileRenderer::FindHelper();
        QVERIFY(!helper.isEmpty());
        const bool emf = PictureFormat::sniff(bytes) == PictureType::Emf;
        QList<QStringList> requests = {options + QStringList{emf ? "emf" : "wmf", "64", "64"}};
        // Measuring is too quick to be stopped at any budget; drawing starts a GUI application.
        if (!emf && options.isEmpty()) requests << QStringList{"wmf", "extent"};
        for (const QStringList& args : requests) {
            QProcess process;
            process.start(helper, args);
            QVERIFY(process.waitForStarted());
            process.write(bytes);
            process.closeWriteChannel();
            QVERIFY2(process.waitForFinished(8000), qPrintable(args.join(' ')));
            const QByteArray out = process.readAllStandardOutput();
            const bool drew =
                process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
            if (!drew || !mayDraw) {
                QVERIFY2(!drew, qPrintable(args.join(' ')));
                // A refusal is exit status 1 with nothing written, or a crash
                // (whatever came before it counts for nothing); never a usage error.
                if (process.exitStatus() == QProcess::NormalExit) {
                    QCOMPARE(process.exitCode(), 1);
                    QVERIFY(out.isEmpty());
                }
            } else if (args.last() != "extent") {
                QCOMPARE(out.size(), 64 * 64 * 4);
            }
        }
        // A warm helper serving the renderer: the same answers, and whatever
        // became of it, the next picture is drawn.
        if (!options.isEmpty()) return;
        const MetafileRenderer renderer;
        const auto type = emf ? PictureType::Emf : PictureType::Wmf;
        const auto image = renderer.Render(bytes, type, {64, 64});
        QVERIFY(mayDraw || !image);
        QVERIFY(renderer.Render(wmfFile(wmfDrawing()), PictureType::Wmf, {64, 64}));
    }

    void notAFile_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "missing.bmp";
        QTest::newRow("fifo, which would block a read") << "fifo.gif";
    }

    void notAFile() {
        QFETCH(QString, name);
        ::mkfifo(QFile::encodeName(dir_.filePath("fifo.gif")).constData(), 0600);
        const PictureLoader loader(kTppX, kTppY);
        PictureError error = PictureError::None;
        QVERIFY(!loader.Probe(dir_.filePath(name), &error));
        QCOMPARE(error, PictureError::CannotOpen);
        QVERIFY(!loader.Load(dir_.filePath(name), {}, &error));
        QCOMPARE(error, PictureError::CannotOpen);
    }

    // Limits judge what the decoder holds: a part of a scaled JPEG unless libjpeg buffers it all.
    void limits_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("maxSize");
        QTest::addColumn<PictureError>("expected");

        const QImage big = halves({2000, 1500});
        const QByteArray jpeg = encoded(big, "jpeg");
        const auto ok = PictureError::None, tooLarge = PictureError::TooLarge;
        QTest::newRow("jpeg, preview") << jpeg << QSize(250, 250) << ok;
        QTest::newRow("jpeg, preview too large to help") << jpeg << QSize(1600, 1600) << tooLarge;
        QTest::newRow("progressive jpeg, preview")
            << encoded(big, "jpeg", true) << QSize(250, 250) << tooLarge;
        QTest::newRow("gif too wide, few pixels")
            << gifFile(halves({1100, 10})) << QSize(250, 250) << tooLarge;
        QTest::newRow("jpeg at the limits")
            << encoded(halves({1000, 1000}), "jpeg") << QSize() << ok;
    }

    void limits() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, maxSize);
        QFETCH(PictureError, expected);
        PictureLimits limits;
        limits.maxSide = 1000;
        limits.maxPixels = 1'000'000;
        PictureError error = PictureError::Damaged;
        const auto picture =
            PictureLoader(kTppX, kTppY, limits).Load(write("limits", bytes), maxSize, &error);
        QCOMPARE(error, expected);
        QCOMPARE(picture.has_value(), expected == PictureError::None);
        if (picture) checkSamples(picture->image, kHalves);
    }

    // Fake helpers are shell scripts; none means the real one, "-" none installed.
    void metafileHelper_data() {
        QTest::addColumn<QByteArray>("script");  // HELPER stands for the real one
        QTest::addColumn<PictureLimits>("limits");
        QTest::addColumn<bool>("loads");
        auto limits = [](int timeoutMs, int cpuMs) {
            PictureLimits l;
            l.metafileTimeoutMs = timeoutMs;
            l.metafileCpuMs = cpuMs;
            return l;
        };
        const PictureLimits normal = limits(10000, 5000);
        QTest::newRow("real helper") << QByteArray() << normal << true;
        QTest::newRow("real helper, preview limits")
            << QByteArray() << PictureLimits::Preview() << true;
        QTest::newRow("real helper out of time") << QByteArray() << limits(1, 5000) << false;
        QTest::newRow("helper started to serve requests")
            << QByteArray("[ \"$*\" = \"--serve\" ] && exec HELPER \"$@\"; exit 9") << normal
            << true;
        QTest::newRow("no helper installed") << QByteArray("-") << normal << false;
        QTest::newRow("sends too few pixels")
            << QByteArray("head -c 99999 /dev/zero") << normal << false;
        QTest::newRow("fails after the pixels")
            << QByteArray("head -c 100000 /dev/zero; exit 1") << normal << false;
        QTest::newRow("never answers") << QByteArray("exec sleep 60") << limits(300, 5000) << false;
    }

    void metafileHelper() {
        QFETCH(QByteArray, script);
        QFETCH(PictureLimits, limits);
        QFETCH(bool, loads);
        PictureLoader loader(kTppX, kTppY, limits);  // draws 200 x 125: 100000 bytes
        const QString helper = dir_.filePath(QString("helper-%1").arg(QTest::currentDataTag()));
        if (script == "-") {
            loader.SetMetafileHelper(dir_.filePath("no-such-helper"));
        } else if (!script.isEmpty()) {
            script.replace("HELPER", QFile::encodeName(MetafileRenderer::FindHelper()));
            write(QFileInfo(helper).fileName(), "#!/bin/sh\n" + script + "\n");
            QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            loader.SetMetafileHelper(helper);
        }
        QByteArray padding;  // more than a pipe holds, so a helper that quits early closes it on us
        for (int i = 0; i < 20000; ++i) padding += wmfRecord(0x020B, {0, 0});
        PictureError error = PictureError::Damaged;
        const auto picture =
            loader.Load(write("helper.wmf", wmfFile(wmfDrawing() + padding)), {}, &error);
        QCOMPARE(picture.has_value(), loads);
        QCOMPARE(error, loads ? PictureError::None : PictureError::RendererFailed);
        if (picture) checkSamples(picture->image, kDrawing);
    }
};

KVO_TEST_MAIN_CORE(TestPictures)
#include "tst_platform_pictures.moc"
