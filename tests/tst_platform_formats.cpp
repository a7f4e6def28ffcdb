// The newer picture types: PNG, WebP, TIFF, SVG and TGA through Qt's readers,
// AVIF, HEIF and JPEG XL through the sandboxed decoding helper. Each decodes
// from a file its own encoder made; hostile files of each are refused, never
// crash or hold the program, and leave it able to load the next picture.
#include <QtTest>

#include <atomic>
#include <random>

#include "ModernFiles.h"
#include "PictureFiles.h"
#include "TestEnv.h"
#include "platform/HelperProcess.h"
#include "platform/PathText.h"
#include "platform/PictureDecoder.h"
#include "platform/PictureLoader.h"

Q_DECLARE_METATYPE(PictureType)
Q_DECLARE_METATYPE(PictureError)

namespace {

const QSize kSize(64, 48);

QImage picture() {
    return halves(kSize);  // red on the left, blue on the right
}

bool near(QColor a, QColor b) {
    const int tolerance = 40;  // lossy coders and smooth scaling move colours a little
    return a.alpha() > 200 && qAbs(a.red() - b.red()) <= tolerance &&
           qAbs(a.green() - b.green()) <= tolerance && qAbs(a.blue() - b.blue()) <= tolerance;
}

// An uncompressed, top-down, 24-bit TGA; `height` may claim more rows than follow.
QByteArray tgaFile(const QImage& source, int width, int height) {
    Bytes b;
    b.u8(0).u8(0).u8(2).u16(0).u16(0).u8(0).u16(0).u16(0).u16(width).u16(height).u8(24).u8(0x20);
    const QImage rgb = source.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb p = rgb.pixel(x, y);
            b.u8(qBlue(p)).u8(qGreen(p)).u8(qRed(p));
        }
    return b.data();
}

QByteArray svgFile(QByteArray width = "64", QByteArray height = "48") {
    return "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width +
           "\" height=\"" + height +
           "\" viewBox=\"0 0 64 48\"><rect width=\"32\" height=\"48\" fill=\"#f00\"/>"
           "<rect x=\"32\" width=\"32\" height=\"48\" fill=\"#00f\"/></svg>\n";
}

quint32 crc32(QByteArrayView bytes) {
    quint32 crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// A PNG whose header claims another size, its checksum made right.
QByteArray pngClaiming(QByteArray png, quint32 width, quint32 height) {
    qToBigEndian(width, png.data() + 16);
    qToBigEndian(height, png.data() + 20);
    qToBigEndian(crc32(QByteArrayView(png).sliced(12, 17)), png.data() + 29);
    return png;
}

QByteArray truncated(const QByteArray& file) {
    return file.left(file.size() / 2);
}

// The first bytes of the file, then noise to the file's length.
QByteArray noiseAfter(const QByteArray& file, int kept) {
    std::mt19937 random(12345);
    QByteArray bytes = file.left(kept);
    while (bytes.size() < file.size()) bytes.append(char(random()));
    return bytes;
}

struct Format {
    const char* name;
    const char* fileName;
    PictureType type;
    QByteArray file;
};

// Each format's file of the test picture, made once.
const QList<Format>& formats() {
    static const QList<Format> all = {
        {"png", "a.png", PictureType::Png, encoded(picture(), "png")},
        {"webp", "a.webp", PictureType::Webp, encoded(picture(), "webp")},
        {"tiff", "a.tif", PictureType::Tiff, encoded(picture(), "tiff")},
        {"svg", "a.svg", PictureType::Svg, svgFile()},
        {"tga", "a.TGA", PictureType::Tga, tgaFile(picture(), kSize.width(), kSize.height())},
        {"avif", "a.avif", PictureType::Avif, avifFile(picture())},
        {"heif", "a.heic", PictureType::Heif, heifFile(picture())},
        {"jxl", "a.jxl", PictureType::Jxl, jxlFile(picture())},
    };
    return all;
}

const Format& format(const char* name) {
    for (const Format& f : formats())
        if (qstrcmp(f.name, name) == 0) return f;
    qFatal("no format %s", name);
}

}  // namespace

class TestFormats : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // A limit that a stuck helper would run into long before the test's own.
    static PictureLimits limits() {
        PictureLimits l;
        l.decodeTimeoutMs = 20000;
        return l;
    }

private slots:
    void initTestCase() {
        for (const Format& f : formats()) QVERIFY2(!f.file.isEmpty(), f.name);
        QVERIFY(!PictureDecoder::FindHelper().isEmpty());
    }

    void decodesEachFormat_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<PictureType>("type");
        QTest::addColumn<QSize>("maxSize");
        QTest::addColumn<QSize>("expected");
        for (const Format& f : formats()) {
            QTest::addRow("%s whole", f.name) << f.fileName << f.file << f.type << QSize() << kSize;
            QTest::addRow("%s scaled", f.name)
                << f.fileName << f.file << f.type << QSize(32, 32) << QSize(32, 24);
        }
    }

    void decodesEachFormat() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, file);
        QFETCH(PictureType, type);
        QFETCH(QSize, maxSize);
        QFETCH(QSize, expected);
        const QString path = write(fileName, file);
        const PictureLoader loader(15, 15, limits());
        PictureError error = PictureError::Damaged;
        const auto info = loader.Probe(path, &error);
        QVERIFY(info);
        QCOMPARE(info->type, type);
        QCOMPARE(info->pixels, kSize);
        QCOMPARE(info->twips, QSizeF(kSize.width() * 15, kSize.height() * 15));

        const auto loaded = loader.Load(path, maxSize, &error);
        QVERIFY(loaded);
        QCOMPARE(error, PictureError::None);
        QCOMPARE(loaded->info.type, type);
        QCOMPARE(loaded->image.size(), expected);
        const QImage& image = loaded->image;
        QVERIFY(near(image.pixelColor(0, 0), kRed));
        QVERIFY(near(image.pixelColor(image.width() - 1, image.height() - 1), kBlue));
    }

    // The top left part comes from the whole picture, uncut by scaling.
    void cutsTheTopLeftPart_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("file");
        for (const char* name : {"png", "svg", "avif", "jxl"})
            QTest::newRow(name) << format(name).fileName << format(name).file;
    }

    void cutsTheTopLeftPart() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, file);
        const PictureLoader loader(15, 15, limits());
        const auto part = loader.LoadTopLeft(PathBytes(write(fileName, file)), QSize(40, 10));
        QVERIFY(part);
        QCOMPARE(part->image.size(), QSize(40, 10));
        QVERIFY(near(part->image.pixelColor(0, 0), kRed));
        QVERIFY(near(part->image.pixelColor(39, 9), kBlue));
    }

    // A name says TGA, a TGA's header says nothing; other bytes named .tga
    // are not taken for one.
    void findsTgaByItsName_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<PictureType>("type");
        const QByteArray tga = format("tga").file;
        QTest::newRow("tga") << tga << QByteArray("x.tga") << PictureType::Tga;
        QTest::newRow("upper case") << tga << QByteArray("X.TGA") << PictureType::Tga;
        QTest::newRow("other name: a cursor's first bytes")
            << tga << QByteArray("x.bin") << PictureType::Cur;
        QTest::newRow("text") << QByteArray("hello, this is no picture at all")
                              << QByteArray("x.tga") << PictureType::Unknown;
        QTest::newRow("png named tga")
            << format("png").file << QByteArray("x.tga") << PictureType::Png;
        QTest::newRow("svg without declaration")
            << QByteArray("\xEF\xBB\xBF  <svg width='1' height='1'/>") << QByteArray("x")
            << PictureType::Svg;
        QTest::newRow("html") << QByteArray("<html><body><svg/></body></html>") << QByteArray("x")
                              << PictureType::Unknown;
    }

    void findsTgaByItsName() {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, name);
        QFETCH(PictureType, type);
        QCOMPARE(PictureFormat::sniffNamed(head, name), type);
    }

    // Damaged and oversized files of each format: refused, and the next
    // picture loads as ever.
    void refusesHostileFiles_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("maxSize");
        QTest::addColumn<PictureError>("expected");
        const auto damaged = PictureError::Damaged, tooLarge = PictureError::TooLarge;
        for (const Format& f : formats()) {
            QTest::addRow("%s truncated", f.name)
                << f.fileName << truncated(f.file) << QSize() << damaged;
            // Noise after an SVG's first bytes leaves no root to find.
            QTest::addRow("%s noise", f.name)
                << f.fileName << noiseAfter(f.file, 16) << QSize()
                << (f.type == PictureType::Svg ? PictureError::UnknownType : damaged);
        }
        const QByteArray png = format("png").file;
        QTest::newRow("png huge") << "h.png" << pngClaiming(png, 100000, 100000) << QSize(200, 200)
                                  << tooLarge;
        QTest::newRow("png huge area")
            << "h.png" << pngClaiming(png, 29000, 29000) << QSize(200, 200) << tooLarge;
        // Qt's reader gives no size for a TGA whose pixels the file cannot hold.
        QTest::newRow("tga huge") << "h.tga" << tgaFile(picture(), 65535, 65535) << QSize(200, 200)
                                  << damaged;
        QTest::newRow("tga short")
            << "s.tga" << tgaFile(picture(), kSize.width(), 4 * kSize.height()) << QSize()
            << damaged;
        QTest::newRow("svg huge whole")
            << "h.svg" << svgFile("1000000", "1000000") << QSize() << tooLarge;
        // libavif does not even parse a picture over its own size limit.
        for (const auto& [name, error] :
             {std::pair("avif", damaged), std::pair("heif", tooLarge)}) {
            QTest::addRow("%s huge", name)
                << format(name).fileName << withIsoSize(format(name).file, 60000, 60000)
                << QSize(200, 200) << error;
            QTest::addRow("%s huge area", name)
                << format(name).fileName << withIsoSize(format(name).file, 20000, 20000)
                << QSize(200, 200) << error;
        }
    }

    void refusesHostileFiles() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, file);
        QFETCH(QSize, maxSize);
        QFETCH(PictureError, expected);
        const PictureLoader loader(15, 15, limits());
        PictureError error = PictureError::None;
        QVERIFY(!loader.Load(write(fileName, file), maxSize, &error));
        QCOMPARE(error, expected);
        QVERIFY(loader.Load(write("good.avif", format("avif").file), QSize(16, 16)));
    }

    // The helper itself refuses what the loader would not ask: a picture
    // over its own size limit, a request over its processor time, a request
    // cancelled; each time the helper is gone and a fresh one answers next.
    void helperKeepsItsLimits_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<PictureType>("type");
        QTest::addColumn<int>("cpuMs");
        QTest::addColumn<bool>("cancelled");
        const QByteArray avif = format("avif").file;
        const QByteArray big = avifFile(checkerboard({1024, 1024}));
        QTest::newRow("avif over its size")
            << withIsoSize(avif, 20000, 20000) << PictureType::Avif << 5000 << false;
        QTest::newRow("heif over its size")
            << withIsoSize(format("heif").file, 20000, 20000) << PictureType::Heif << 5000 << false;
        QTest::newRow("out of processor time") << big << PictureType::Avif << 1 << false;
        QTest::newRow("cancelled") << avif << PictureType::Avif << 5000 << true;
        QTest::newRow("not its type") << avif << PictureType::Png << 5000 << false;
    }

    void helperKeepsItsLimits() {
        QFETCH(QByteArray, file);
        QFETCH(PictureType, type);
        QFETCH(int, cpuMs);
        QFETCH(bool, cancelled);
        HelperProcess::StopIdle();
        // Warm: the request goes to a helper that already answered once.
        const PictureDecoder warm(PictureDecoder::FindHelper(), 20000);
        QVERIFY(warm.Decode(format("avif").file, PictureType::Avif, QSize(8, 6)));
        const QList<qint64> before = HelperProcess::Idle();
        QCOMPARE(before.size(), 1);

        PictureDecoder decoder(PictureDecoder::FindHelper(), 20000, cpuMs);
        const std::atomic<bool> cancel = cancelled;
        decoder.SetCancel(&cancel);
        QVERIFY(!decoder.Decode(file, type, QSize(100, 100)));
        // A refused request ends its helper; one never sent leaves it idle.
        if (type != PictureType::Png && !cancelled)
            QVERIFY(!HelperProcess::Idle().contains(before[0]));

        const auto again = warm.Decode(format("jxl").file, PictureType::Jxl, QSize(64, 48));
        QVERIFY(again);
        QVERIFY(near(again->pixelColor(0, 0), kRed));
    }
};

KVO_TEST_MAIN_CORE(TestFormats)
#include "tst_platform_formats.moc"
