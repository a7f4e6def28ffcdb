// The picture service: answers only for the newest request of a caller, one
// decode for requests that want the same picture, a cache bounded in bytes
// that tells versions of a file apart, and a metafile helper stopped when
// its picture is no longer wanted.
#include <QApplication>
#include <QFile>
#include <QtTest>

#include <signal.h>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "kit/PictureService.h"

namespace {

QByteArray write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return {};
    return QFile::encodeName(path);
}

// Every answer a caller's requests got, in order.
struct Answers {
    explicit Answers(PictureRequests* r) {
        QObject::connect(r, &PictureRequests::Ready,
                         [this](const PictureAnswer& a) { got.push_back(a); });
    }
    std::vector<PictureAnswer> got;
};

PictureService& service() {
    return PictureService::Instance();
}

}  // namespace

class TestPictureService : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        folder_ = dir_.path() + "/";
        red_ = write(folder_ + "red.bmp", encoded(halves(QSize(64, 48)), "bmp"));
        blue_ = write(folder_ + "blue.jpg", encoded(halves(QSize(800, 600), kBlue, kBlue), "jpg"));
        gif_ = write(folder_ + "green.gif", gifFile(halves(QSize(40, 30), kGreen, kGreen)));
        missing_ = QFile::encodeName(folder_ + "missing.bmp");
        QVERIFY(!red_.isEmpty() && !blue_.isEmpty() && !gif_.isEmpty());
    }
    void init() { service().Cache().Clear(); }
    void cleanup() { service().Settle(); }

    // A caller's newest request is the only one answered, whatever order
    // the decodes finish in and whether the older ones could be read.
    void onlyTheNewestRequestIsAnswered_data() {
        QTest::addColumn<QStringList>("asked");  // red, blue, gif, missing
        QTest::newRow("two files") << QStringList{"red", "blue"};
        QTest::newRow("three files") << QStringList{"blue", "gif", "red"};
        QTest::newRow("same file twice") << QStringList{"red", "red"};
        QTest::newRow("missing then a picture") << QStringList{"missing", "gif"};
        QTest::newRow("picture then missing") << QStringList{"gif", "missing"};
    }
    void onlyTheNewestRequestIsAnswered() {
        QFETCH(QStringList, asked);
        PictureRequests requests;
        Answers answers(&requests);
        for (const QString& name : asked) requests.Request(pathOf(name), sizing());
        QCOMPARE(requests.PendingPath(), pathOf(asked.last()));
        service().Settle();
        QCOMPARE(answers.got.size(), size_t(1));
        QCOMPARE(answers.got[0].path, pathOf(asked.last()));
        QCOMPARE(answers.got[0].picture.has_value(), asked.last() != "missing");
        QVERIFY(!requests.Pending());
    }

    void aCancelledRequestIsNeverAnswered() {
        PictureRequests requests;
        Answers answers(&requests);
        requests.Request(blue_, sizing());
        requests.Cancel();
        service().Settle();
        QVERIFY(answers.got.empty());
        QVERIFY(service().Idle());
    }

    // Callers asking for the same picture at once share one decode; a
    // picture decoded before comes from the cache.
    void oneDecodeServesEveryCaller() {
        PictureRequests a, b;
        Answers got(&a), alsoGot(&b);
        const int before = service().Decodes();
        a.Request(blue_, sizing());
        b.Request(blue_, sizing());
        service().Settle();
        QCOMPARE(service().Decodes() - before, 1);
        a.Request(blue_, sizing());
        service().Settle();
        QCOMPARE(service().Decodes() - before, 1);
        QCOMPARE(got.got.size(), size_t(2));
        QCOMPARE(alsoGot.got.size(), size_t(1));
        QCOMPARE(got.got[1].picture->image, alsoGot.got[0].picture->image);
    }

    // A preview hidden behind the viewer takes the viewer's larger decode.
    void aCoveringDecodeServesAHiddenPreview() {
        PictureRequests viewer, preview;
        Answers shown(&preview);
        viewer.Request(blue_, PictureSizing::HeldWhole());
        PictureSizing hidden = sizing();
        hidden.anyCovering = true;
        const int before = service().Decodes();
        preview.Request(blue_, hidden);
        service().Settle();
        QCOMPARE(service().Decodes() - before, 1);
        QCOMPARE(shown.got.at(0).picture->image.size(), QSize(800, 600));
        // Visible, it wants its own size.
        preview.Request(blue_, sizing());
        service().Settle();
        QCOMPARE(service().Decodes() - before, 2);
        QVERIFY(shown.got.at(1).picture->image.width() < 800);
    }

    // A file rewritten in place is decoded again; its old decode goes.
    void aRewrittenFileIsDecodedAgain() {
        const QByteArray path =
            write(folder_ + "rewritten.bmp", encoded(halves(QSize(30, 20)), "bmp"));
        const PictureSizing whole = PictureSizing::HeldWhole();
        const int before = service().Decodes();
        QCOMPARE(service().LoadNow(path, whole).picture->image.size(), QSize(30, 20));
        QCOMPARE(service().LoadNow(path, whole).picture->image.size(), QSize(30, 20));
        QCOMPARE(service().Decodes() - before, 1);
        write(QFile::decodeName(path), encoded(halves(QSize(31, 20)), "bmp"));  // another size
        QCOMPARE(service().LoadNow(path, whole).picture->image.size(), QSize(31, 20));
        QCOMPARE(service().Decodes() - before, 2);
        QCOMPARE(service().Cache().Count(), 1);
    }

    // The cache never holds more than its bound, the newest kept.
    void theCacheStaysWithinItsBytes_data() {
        QTest::addColumn<int>("pictures");
        QTest::addColumn<int>("side");
        QTest::addColumn<qint64>("bound");
        QTest::addColumn<int>("kept");
        // 100 x 100 at 4 bytes a pixel is 40,000 bytes.
        QTest::newRow("all fit") << 5 << 100 << qint64(400'000) << 5;
        QTest::newRow("the newest three") << 8 << 100 << qint64(120'000) << 3;
        QTest::newRow("none fits") << 3 << 100 << qint64(39'999) << 0;
    }
    void theCacheStaysWithinItsBytes() {
        QFETCH(int, pictures);
        QFETCH(int, side);
        QFETCH(qint64, bound);
        QFETCH(int, kept);
        PictureCache cache(bound);
        Picture p;
        p.image = QImage(side, side, QImage::Format_ARGB32);
        for (int i = 0; i < pictures; ++i) {
            cache.Insert({QByteArray::number(i), {1, 1}, QSize(side, side), false}, p);
            QVERIFY(cache.Bytes() <= bound);
        }
        QCOMPARE(cache.Count(), kept);
        QVERIFY(cache.PeakBytes() <= bound);
        for (int i = 0; i < pictures; ++i) {
            const bool held =
                cache.Find({QByteArray::number(i), {1, 1}, QSize(side, side), false}).has_value();
            QCOMPARE(held, i >= pictures - kept);
        }
    }

    // Keys: the path's bytes, the file's version, the size asked for and
    // whether only a part was.
    void theCacheKeysEveryPart_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<qint64>("modified");
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<bool>("topLeft");
        QTest::addColumn<bool>("found");
        QTest::newRow("the same") << QByteArray("caf\xE9") << qint64(5) << QSize(10, 10) << false
                                  << true;
        QTest::newRow("other bytes, same text")
            << QByteArray("caf\xC3\xA9") << qint64(5) << QSize(10, 10) << false << false;
        QTest::newRow("other version")
            << QByteArray("caf\xE9") << qint64(6) << QSize(10, 10) << false << false;
        QTest::newRow("other size")
            << QByteArray("caf\xE9") << qint64(5) << QSize(20, 20) << false << false;
        QTest::newRow("a part") << QByteArray("caf\xE9") << qint64(5) << QSize(10, 10) << true
                                << false;
    }
    void theCacheKeysEveryPart() {
        QFETCH(QByteArray, path);
        QFETCH(qint64, modified);
        QFETCH(QSize, asked);
        QFETCH(bool, topLeft);
        QFETCH(bool, found);
        PictureCache cache;
        Picture p;
        p.image = QImage(10, 10, QImage::Format_RGB32);
        cache.Insert({QByteArray("caf\xE9"), {5, 100}, QSize(10, 10), false}, p);
        QCOMPARE(cache.Find({path, {modified, 100}, asked, topLeft}).has_value(), found);
    }

    // A metafile's helper still drawing is killed when its request is dropped.
    void theHelperIsKilledOnCancel() {
        const QString helpers = dir_.path() + "/slowhelper";
        QVERIFY(QDir().mkpath(helpers));
        const QString pidFile = helpers + "/pid";
        QFile script(helpers + "/kvoview-metafile");
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(("#!/bin/sh\necho $$ > '" + pidFile + "'\nexec sleep 60\n").toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray saved = qgetenv("KVO_BUILD_DIR");
        qputenv("KVO_BUILD_DIR", helpers.toUtf8());
        const QByteArray wmf = write(folder_ + "slow.wmf", wmfFile(wmfDrawing()));

        PictureRequests requests;
        Answers answers(&requests);
        requests.Request(wmf, PictureSizing::HeldWhole());
        QTRY_VERIFY_WITH_TIMEOUT(QFile(pidFile).size() > 0, 10000);
        QFile f(pidFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const pid_t pid = f.readAll().trimmed().toInt();
        QVERIFY(pid > 0);
        requests.Cancel();
        service().Settle();  // returns only once the worker has let the helper go
        QCOMPARE(::kill(pid, 0), -1);
        QVERIFY(answers.got.empty());
        qputenv("KVO_BUILD_DIR", saved);
    }

    // A picture asked for by the background pool is taken over when the
    // user asks for it, and still decoded once.
    void aPreloadServesTheStepAfterIt() {
        PictureRequests viewer;
        Answers got(&viewer);
        const int before = service().Decodes();
        viewer.Preload(gif_, PictureSizing::HeldWhole());
        viewer.Request(gif_, PictureSizing::HeldWhole());
        service().Settle();
        QCOMPARE(got.got.size(), size_t(1));
        QCOMPARE(got.got[0].picture->image.size(), QSize(40, 30));
        QCOMPARE(service().Decodes() - before, 1);
    }

private:
    static PictureSizing sizing() { return PictureSizing::ForArea(3000, 3000, 1); }
    QByteArray pathOf(const QString& name) const {
        return name == "red" ? red_ : name == "blue" ? blue_ : name == "gif" ? gif_ : missing_;
    }

    QTemporaryDir dir_;
    QString folder_;
    QByteArray red_, blue_, gif_, missing_;
};

KVO_TEST_MAIN(TestPictureService)
#include "tst_pictureservice.moc"
