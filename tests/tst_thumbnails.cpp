// The shared thumbnail cache (names, validity, failures, atomic writes), the
// queue that fills it in the background, and the icon views that show it.
#include <QDir>
#include <QDirIterator>
#include <QListView>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/PictureService.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/Thumbnailer.h"
#include "kit/Thumbnails.h"

namespace {
using Thumbnails::Size;

void setModified(const QString& path, int seconds) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) ||
        !f.setFileTime(kModified.addSecs(seconds), QFileDevice::FileModificationTime))
        qFatal("cannot date %s", qPrintable(path));
}

QByteArray bytesOf(const QString& path) {
    return QFile::encodeName(path);
}

// A JPEG of one colour, its modification time set to seconds after 2001.
QString writeJpeg(const QString& path, QColor colour, QSize size = {200, 150}, int seconds = 0) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    writeDated(path, encoded(image, "jpeg"));
    setModified(path, seconds);
    return path;
}

QString cacheFile(const QString& path, Size size) {
    return Thumbnails::CacheRoot() + "/" + Thumbnails::FolderName(size) + "/" +
           Thumbnails::FileName(Thumbnails::FileUri(bytesOf(path)));
}

// A thumbnail as another program writes one: its own picture, the chunks it chooses.
void writeForeign(const QString& file, QColor colour, const QString& uri, const QString& mtime) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    QImage image(100, 50, QImage::Format_ARGB32);
    image.fill(colour);
    if (!uri.isNull()) image.setText("Thumb::URI", uri);
    if (!mtime.isNull()) image.setText("Thumb::MTime", mtime);
    image.setText("Software", "Another Program");
    QVERIFY(image.save(file, "png"));
}

bool near(QColor a, QColor b) {
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24 &&
           qAbs(a.blue() - b.blue()) < 24;
}

int mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}
}  // namespace

class TestThumbnails : public QObject {
    Q_OBJECT
    QString dir_;

    Thumbnails::Made make(const QString& path, Size size = Size::Normal) {
        return Thumbnails::Make(bytesOf(path), size, 15, 15);
    }

private slots:
    void init() {
        // A cache of its own for each test.
        const QString cache = UseFreshSettings() + "cache";
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
        dir_ = QFileInfo(cache).absolutePath() + "/pictures/";
        QDir().mkpath(dir_);
    }

    // The cache's names are those every desktop program computes: MD5 of the
    // escaped file URI of the name's own bytes.
    void namesTheCacheFile_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("uri");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QByteArray("/home/jens/photos/me.png")
                               << QByteArray("file:///home/jens/photos/me.png")
                               << "c6ee772d9e49320e97ec29a7eb5b1697.png";
        QTest::newRow("space") << QByteArray("/tmp/a b.jpg") << QByteArray("file:///tmp/a%20b.jpg")
                               << "45f1b47640b52dc5428fd58ac89fec15.png";
        QTest::newRow("percent") << QByteArray("/tmp/100%.jpg")
                                 << QByteArray("file:///tmp/100%25.jpg")
                                 << "2ba70347a30cce2a84756396bb7c6be1.png";
        QTest::newRow("latin-1 byte")
            << QByteArray("/tmp/caf\xe9.jpg") << QByteArray("file:///tmp/caf%E9.jpg")
            << "5fe9d1618454ce299503f3004cef2c45.png";
        QTest::newRow("utf-8") << QByteArray("/tmp/caf\xc3\xa9.jpg")
                               << QByteArray("file:///tmp/caf%C3%A9.jpg")
                               << "a90eb2ad68eb076f8591acdfbe90d1c6.png";
        QTest::newRow("reserved") << QByteArray("/tmp/[x]#?;.jpg")
                                  << QByteArray("file:///tmp/%5Bx%5D%23%3F%3B.jpg")
                                  << "880f044ec1901e09d0b210fdffb9f1c0.png";
        QTest::newRow("kept marks") << QByteArray("/tmp/a-b_c.d!~*'()&=+$,:@.jpg")
                                    << QByteArray("file:///tmp/a-b_c.d!~*'()&=+$,:@.jpg")
                                    << "0fc81f1669505bfa8bef5b79907f4b22.png";
    }
    void namesTheCacheFile() {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, uri);
        QFETCH(QString, name);
        QCOMPARE(Thumbnails::FileUri(path), uri);
        QCOMPARE(Thumbnails::FileName(uri), name);
    }

    void findsTheCacheFolder_data() {
        QTest::addColumn<QByteArray>("cacheHome");
        QTest::addColumn<QString>("root");
        QTest::newRow("set") << QByteArray("/somewhere/cache") << "/somewhere/cache/thumbnails";
        QTest::newRow("blank") << QByteArray("  ") << QDir::homePath() + "/.cache/thumbnails";
        QTest::newRow("relative") << QByteArray("cache") << QDir::homePath() + "/.cache/thumbnails";
        QTest::newRow("unset") << QByteArray() << QDir::homePath() + "/.cache/thumbnails";
    }
    void findsTheCacheFolder() {
        QFETCH(QByteArray, cacheHome);
        QFETCH(QString, root);
        if (cacheHome.isNull())
            qunsetenv("XDG_CACHE_HOME");
        else
            qputenv("XDG_CACHE_HOME", cacheHome);
        QCOMPARE(Thumbnails::CacheRoot(), root);
        QVERIFY(Thumbnails::FailFolder().startsWith(root + "/fail/kvoview-"));
    }

    // Made once, then read back; a changed file gets a new one.
    void remakesAChangedPicture_data() {
        QTest::addColumn<Size>("size");
        QTest::addColumn<int>("side");
        QTest::newRow("normal") << Size::Normal << 128;
        QTest::newRow("large") << Size::Large << 256;
    }
    void remakesAChangedPicture() {
        QFETCH(Size, size);
        QFETCH(int, side);
        const QString pic = writeJpeg(dir_ + "a picture.jpg", kRed, {600, 300});
        Thumbnails::Made first = make(pic, size);
        QVERIFY(first.decoded);
        QCOMPARE(first.image.size(), QSize(side, side / 2));
        QVERIFY(near(first.image.pixelColor(side / 2, side / 4), kRed));

        const QImage stored(cacheFile(pic, size));
        QCOMPARE(stored.size(), first.image.size());
        QCOMPARE(stored.text("Thumb::URI"),
                 QString("file://") + QString(dir_).replace(' ', "%20") + "a%20picture.jpg");
        QCOMPARE(stored.text("Thumb::MTime"), QString::number(kModified.toSecsSinceEpoch()));
        QCOMPARE(stored.text("Thumb::Size"), QString::number(QFileInfo(pic).size()));

        Thumbnails::Made again = make(pic, size);
        QVERIFY(!again.decoded);
        QVERIFY(near(again.image.pixelColor(side / 2, side / 4), kRed));

        writeJpeg(pic, kBlue, {600, 300}, 60);
        Thumbnails::Made changed = make(pic, size);
        QVERIFY(changed.decoded);
        QVERIFY(near(changed.image.pixelColor(side / 2, side / 4), kBlue));
        QCOMPARE(QImage(cacheFile(pic, size)).text("Thumb::MTime"),
                 QString::number(kModified.toSecsSinceEpoch() + 60));
    }

    // A picture smaller than a thumbnail keeps its size.
    void neverEnlarges() {
        const QString pic = writeJpeg(dir_ + "tiny.jpg", kGreen, {40, 20});
        QCOMPARE(make(pic).image.size(), QSize(40, 20));
    }

    // A picture that cannot be read is tried once per version of the file.
    void remembersAFailure() {
        const QString pic = writeDated(dir_ + "broken.jpg", QByteArray("\xff\xd8\xff\xe0 no more"));
        QVERIFY(make(pic).failed);
        const QString entry = Thumbnails::FailFolder() + "/" +
                              Thumbnails::FileName(Thumbnails::FileUri(bytesOf(pic)));
        QVERIFY(QFileInfo::exists(entry));
        QVERIFY(!QFileInfo::exists(cacheFile(pic, Size::Normal)));

        // Repaired behind the same time: the failure still stands.
        writeJpeg(pic, kGreen);
        Thumbnails::Made still = make(pic);
        QVERIFY(still.failed);
        QVERIFY(still.image.isNull());

        setModified(pic, 5);
        Thumbnails::Made now = make(pic);
        QVERIFY(now.decoded);
        QVERIFY(!now.failed);
    }

    // What cannot be opened at all is no failure of the picture's.
    void missingFileLeavesNoEntry() {
        QVERIFY(make(dir_ + "gone.jpg").failed);
        QVERIFY(!QFileInfo::exists(Thumbnails::FailFolder()));
    }

    // Thumbnails of other programs are used while they match the file.
    void readsOtherProgramsThumbnails_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("uri");  // "" for the file's own
        QTest::addColumn<qint64>("mtime");
        QTest::addColumn<bool>("used");
        const qint64 t = kModified.toSecsSinceEpoch();
        QTest::newRow("matching") << "normal" << QString() << t << true;
        QTest::newRow("larger only") << "large" << QString() << t << true;
        QTest::newRow("older") << "normal" << QString() << t - 1 << false;
        QTest::newRow("other file") << "normal"
                                    << "file:///elsewhere.jpg" << t << false;
        QTest::newRow("no chunks") << "normal"
                                   << "-" << qint64(-1) << false;
    }
    void readsOtherProgramsThumbnails() {
        QFETCH(QString, folder);
        QFETCH(QString, uri);
        QFETCH(qint64, mtime);
        QFETCH(bool, used);
        const QString pic = writeJpeg(dir_ + "shared.jpg", kRed);
        const QByteArray own = Thumbnails::FileUri(bytesOf(pic));
        writeForeign(Thumbnails::CacheRoot() + "/" + folder + "/" + Thumbnails::FileName(own),
                     kGreen,
                     uri == "-"      ? QString()
                     : uri.isEmpty() ? QString::fromLatin1(own)
                                     : uri,
                     mtime < 0 ? QString() : QString::number(mtime));
        const Thumbnails::Made made = make(pic);
        QCOMPARE(made.decoded, !used);
        QVERIFY(near(made.image.pixelColor(10, 10), used ? kGreen : kRed));
    }

    // Written whole and renamed: no temporary files stay, the picture is
    // the user's only, and a second write replaces the first.
    void writesAtomicallyAndPrivately() {
        const QString a = writeJpeg(dir_ + "a.jpg", kRed);
        const QString b = writeJpeg(dir_ + "b.jpg", kBlue);
        QVERIFY(make(a).decoded);
        QVERIFY(make(b).decoded);
        writeJpeg(a, kGreen, {200, 150}, 9);
        QVERIFY(make(a).decoded);

        const QString normal = Thumbnails::CacheRoot() + "/normal";
        const QStringList names = QDir(normal).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(names.size(), 2);
        for (const QString& n : names) {
            QVERIFY2(QRegularExpression("^[0-9a-f]{32}\\.png$").match(n).hasMatch(), qPrintable(n));
            QCOMPARE(mode(normal + "/" + n), 0600);
        }
        QCOMPARE(mode(normal), 0700);
        QCOMPARE(mode(Thumbnails::CacheRoot()), 0700);
        QVERIFY(near(QImage(cacheFile(a, Size::Normal)).pixelColor(5, 5), kGreen));
    }

    // Files are made in the order wanted; a new listing drops the rest.
    void queueKeepsOrderAndRestarts() {
        std::vector<QByteArray> paths;
        for (int i = 0; i < 8; ++i)
            paths.push_back(bytesOf(writeJpeg(dir_ + QString("q%1.jpg").arg(i), kRed)));
        Thumbnailer queue;
        QSignalSpy arrived(&queue, &Thumbnailer::Arrived);
        queue.Want(paths);
        queue.Settle();
        QCOMPARE(arrived.size(), 8);
        for (int i = 0; i < 8; ++i) QCOMPARE(arrived[i][0].toByteArray(), paths[i]);
        QCOMPARE(queue.Decodes(), 8);
        QVERIFY(!queue.Find(paths[3], 64).isNull());
        QCOMPARE(queue.Find(paths[3], 64).size(), QSize(64, 48));

        // Held ones are not asked again until a new listing.
        arrived.clear();
        queue.Want(paths);
        queue.Settle();
        QCOMPARE(arrived.size(), 0);

        // After a new listing each is checked once; none is decoded again.
        queue.Restart();
        queue.Want(paths);
        queue.Settle();
        QCOMPARE(arrived.size(), 8);
        QCOMPARE(queue.Decodes(), 8);

        // Dropped at once: at most the ones already on their way come.
        std::vector<QByteArray> more;
        for (int i = 0; i < 12; ++i)
            more.push_back(bytesOf(writeJpeg(dir_ + QString("r%1.jpg").arg(i), kBlue)));
        arrived.clear();
        queue.Want(more);
        queue.Restart();
        queue.Settle();
        QCOMPARE(arrived.size(), 0);
        QVERIFY(queue.Decodes() <= 8 + 2);
    }

    // A rewritten file shows its new picture after the next listing.
    void queueNoticesARewrittenFile() {
        const QString pic = writeJpeg(dir_ + "w.jpg", kRed);
        Thumbnailer queue;
        queue.Want({bytesOf(pic)});
        queue.Settle();
        QVERIFY(near(queue.Find(bytesOf(pic), 32).toImage().pixelColor(5, 5), kRed));
        writeJpeg(pic, kBlue, {200, 150}, 30);
        queue.Restart();
        // The old one shows until the new one is there.
        QVERIFY(!queue.Find(bytesOf(pic), 32).isNull());
        queue.Want({bytesOf(pic)});
        queue.Settle();
        QVERIFY(near(queue.Find(bytesOf(pic), 32).toImage().pixelColor(5, 5), kBlue));
    }

    // The icon views draw the thumbnail where the type image was, once the
    // background work brought it; details and a switched-off list never do.
    void iconViewsShowThumbnails_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("iconSide");
        QTest::newRow("large icons") << 0 << true << 96;
        QTest::newRow("small icons") << 1 << true << 16;
        QTest::newRow("large icons, off") << 0 << false << 32;
        QTest::newRow("details") << 3 << true << 0;
    }
    void iconViewsShowThumbnails() {
        QFETCH(int, view);
        QFETCH(bool, on);
        QFETCH(int, iconSide);
        for (int i = 0; i < 5; ++i) writeJpeg(dir_ + QString("p%1.jpg").arg(i), kGreen);
        writeDated(dir_ + "damaged.jpg", QByteArray("\xff\xd8\xff"));
        WriteSetting(Keys::ShowThumbnails, on ? "True" : "False");
        WriteSetting("Browser Options", "Previous Folder", dir_);
        frmMain* f = frmMain::Instance();
        f->Form_Load();
        f->resize(800, 600);
        f->show();
        f->SetView(view);
        FileListView* list = f->ListView1;
        const FileListModel* model = list->Model();
        QCOMPARE(model->Count(), 7);
        const int row = model->FindKey(dir_ + "p2.jpg");
        QVERIFY(row > 0);
        if (view <= 1) QCOMPARE(list->IconsView()->iconSize().width(), iconSide);

        const bool shows = on && view <= 1;
        if (shows) {
            QTRY_VERIFY(!list->ThumbnailOf(row).isNull());
            QTRY_VERIFY(list->Thumbs()->Idle());
            QCOMPARE(list->ThumbnailOf(row).width(), iconSide);
            // A picture that cannot be read keeps its type image.
            QVERIFY(list->ThumbnailOf(model->FindKey(dir_ + "damaged.jpg")).isNull());
            // The thumbnail is what is drawn, in the icon's place.
            QListView* icons = list->IconsView();
            const QRect item = icons->visualRect(model->index(row, 0));
            const QImage shot = icons->viewport()->grab().toImage();
            const QPoint middle = view == 0 ? QPoint(item.center().x(), item.top() + 4 + 48)
                                            : QPoint(item.left() + 2 + 8, item.center().y());
            QVERIFY2(near(shot.pixelColor(middle), kGreen),
                     qPrintable(shot.pixelColor(middle).name()));
        } else {
            PictureService::Instance().SettleBackground();
            QCoreApplication::processEvents();
            QVERIFY(list->ThumbnailOf(row).isNull());
            QVERIFY(!QFileInfo::exists(cacheFile(dir_ + "p2.jpg", Size::Normal)));
        }
        // The model's own image stays the type image.
        QCOMPARE(model->data(model->index(row, 0), Qt::DecorationRole).typeId(), QMetaType::QIcon);
        f->close();
    }
};

KVO_TEST_MAIN(TestThumbnails)
#include "tst_thumbnails.moc"
