// The main window's preview: pictures fitted and framed in twips, their facts, the view count.
#include <QApplication>
#include <QDir>
#include <QTreeView>
#include <QtTest>

#include <unistd.h>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/Helpers.h"
#include "kit/ImageControl.h"
#include "kit/PictureBox.h"
#include "kit/PictureService.h"
#include "kit/Settings.h"
#include "kit/Splitter.h"
#include "kit/StatusBar.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

namespace {

// Runs a function on every event of one type a widget receives.
class EventHook : public QObject {
public:
    EventHook(QWidget* target, QEvent::Type type, std::function<void()> run)
        : type_(type), run_(std::move(run)) {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == type_) run_();
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> run_;
};

}  // namespace

class TestPreview : public QObject {
    Q_OBJECT

    QString root_;  // the program's "drive root"
    QString pics_;  // the folder of pictures, ending in '/'
    frmMain* f_ = nullptr;

    void freshStart() {
        root_ = UseFreshSettings() + "root/";
        pics_ = root_ + "pics/";
        QDir().mkpath(pics_);
        UseFakeSystem(root_);
    }

    // Lets posted resizes and layouts arrive, as between two user actions.
    static void settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        PictureService::Instance().Settle();
    }

    void start() {
        freshStart();
        load();
    }

    // The main window at a known size, tree and list 2500 twips wide.
    void load() {
        f_ = frmMain::Instance();
        f_->Form_Load();
        f_->resize(800, 600);
        settle();
        f_->Splitter1->SetSplitPosition(2500);
        f_->Splitter2->SetSplitPosition(2500);
        settle();
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
        PictureService::Instance().Settle();
    }

    QString column(const QString& path, int column) const {
        const int row = rowOf(path);
        return row < 0 ? QString("<not listed>")
                       : f_->ListView1->Model()->Item(row).SubItem(column);
    }

    QString panel(int index) const { return f_->StatusBar1->Panels(index).Text(); }

    static QString views() { return ReadSetting("Browser Options", "Odometer"); }

    // The picture of w x h twips and its frame as fitted to the preview area as it is now.
    void checkLayout(float w, float h) {
        const float A = f_->picdest->Width(), B = f_->picdest->Height();
        if (w > A) {  // shrinks to the width less a margin, scaled by the full width
            h = h * A / w;
            w = A - 210;
        }
        if (h > B) {
            w = w * B / h;
            h = B - 210;
        }
        const float L = (A - w) / 2, T = (B - h) / 2;
        const ImageControl* im = f_->Image1;
        QVERIFY(im->isVisible() && !im->Picture().isNull());
        // Image1 Left, Top, Width, Height, then Line1(0 to 3) X1, Y1, X2, Y2.
        QList<float> actual = {im->Left, im->Top, im->Width, im->Height};
        for (const LineControl* line : f_->Line1) {
            QVERIFY(line->isVisible());
            actual << line->X1 << line->Y1 << line->X2 << line->Y2;
        }
        const QList<float> expected = {L,     T,     w, h,     L,          T + h, L,
                                       T,     L,     T, L + w, T,          L + w, T,
                                       L + w, T + h, L, T + h, L + w + 10, T + h};
        QCOMPARE(actual, expected);
    }

private slots:
    void cleanup() {
        Platform::SetClock(std::make_unique<SteadyClock>());
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
        f_ = nullptr;
    }

    // Picture size = preview area in pixels * scale + extra.
    void geometry_data() {
        QTest::addColumn<QSizeF>("scale");
        QTest::addColumn<QSize>("extra");
        QTest::newRow("exactly the area: not shrunk") << QSizeF(1, 1) << QSize(0, 0);
        QTest::newRow("one pixel too wide") << QSizeF(1, 0) << QSize(1, 20);
        QTest::newRow("too tall") << QSizeF(0.25, 1.5) << QSize(0, 0);
        QTest::newRow("too large both ways: both passes") << QSizeF(2, 3) << QSize(0, 0);
    }

    void geometry() {
        QFETCH(QSizeF, scale);
        QFETCH(QSize, extra);
        start();
        const QSize area = f_->picdest->size();
        QVERIFY(area.width() > 200 && area.height() > 200);
        const QSize size(qRound(area.width() * scale.width()) + extra.width(),
                         qRound(area.height() * scale.height()) + extra.height());
        const QString path = writeDated(pics_ + "picture.bmp", encoded(halves(size), "bmp"));
        list(pics_);
        show(path);
        checkLayout(size.width() * 15.0f, size.height() * 15.0f);
        QCOMPARE(panel(5), QString("%1 x %2 pixels").arg(size.width()).arg(size.height()));
    }

    // One of each listed type, at natural size, with what the list and the status bar say.
    void everyTypeShowsItsFacts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("bmp") << "photo.bmp" << encoded(halves({100, 80}), "bmp") << QSize(100, 80);
        QTest::newRow("gif") << "anim.gif" << gifFile(halves({120, 90})) << QSize(120, 90);
        QTest::newRow("jpg") << "camera.jpg" << encoded(halves({160, 120}), "jpeg")
                             << QSize(160, 120);
        QTest::newRow("ico") << "app.ico" << iconFile(1, {{halves({48, 48})}}) << QSize(48, 48);
        QTest::newRow("wmf") << "chart.wmf" << wmfFile(wmfDrawing()) << QSize(200, 100);
        QTest::newRow("emf") << "drawing.emf" << emfFile(emfDrawing()) << QSize(200, 100);
    }

    void everyTypeShowsItsFacts() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, pixels);
        const QString dimensions = QString("%1 x %2").arg(pixels.width()).arg(pixels.height());
        start();
        const QString path = writeDated(pics_ + name, bytes);
        writeDated(pics_ + "other.bmp", encoded(halves({10, 10}), "bmp"));
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
        QVERIFY2(panel(1).startsWith("Image loaded in "), qPrintable(panel(1)));
        for (int i = 3; i <= 5; ++i) QVERIFY(f_->StatusBar1->Panels(i).Visible());
        QCOMPARE(views(), QString("1"));
        QVERIFY(f_->cursor().shape() != Qt::WaitCursor);
        checkLayout(f_->picsrc.Width(), f_->picsrc.Height());  // a metafile's twips are inexact
    }

    // A phone photo held upright is stored on its side with an orientation
    // tag; the list, the status bar and the preview show it as it was held.
    void portraitPhotoStandsUpright_data() {
        QTest::addColumn<QString>("turn");
        QTest::addColumn<QString>("dimensions");
        QTest::addColumn<QColor>("topLeft");
        QTest::newRow("turned") << "True"
                                << "30 x 60" << QColor(kBlue);
        QTest::newRow("switched off") << "False"
                                      << "60 x 30" << QColor(kRed);
    }
    void portraitPhotoStandsUpright() {
        QFETCH(QString, turn);
        QFETCH(QString, dimensions);
        QFETCH(QColor, topLeft);
        start();
        WriteSetting("Extras", "EXIF Orientation", turn);
        const QByteArray photo = withOrientation(encoded(quadrants({60, 30}), "jpeg"), 6);
        const QString path = writeDated(pics_ + "phone.jpg", photo);
        list(pics_);
        show(path);
        QCOMPARE(column(path, FileListModel::ColDimensions), dimensions);
        QCOMPARE(panel(5), dimensions + " pixels");
        const QImage shown = f_->Image1->grab().toImage();
        const QColor corner = shown.pixelColor(2, 2);
        QVERIFY2(
            qAbs(corner.red() - topLeft.red()) < 60 && qAbs(corner.blue() - topLeft.blue()) < 60,
            qPrintable(corner.name()));
    }

    void parentEntryEmptiesPreview() {
        start();
        const QString path = writeDated(pics_ + "a.bmp", encoded(halves({100, 80}), "bmp"));
        list(pics_);
        show(path);
        QString texts[6];
        bool visible[6];
        for (int i = 1; i <= 5; ++i) {
            texts[i] = panel(i);
            visible[i] = f_->StatusBar1->Panels(i).Visible();
        }
        QCOMPARE(f_->ListView1->Model()->Item(0).Text(), QString(".."));
        f_->ListView1->SetSelectedRow(0);
        f_->ShowImage();
        QVERIFY(!f_->picsrc.HasPicture());
        QVERIFY(!f_->Image1->isVisible() || f_->Image1->Picture().isNull());
        for (LineControl* line : f_->Line1) QVERIFY(!line->isVisible());
        for (int i = 1; i <= 5; ++i) {
            QCOMPARE(panel(i), texts[i]);
            QCOMPARE(f_->StatusBar1->Panels(i).Visible(), visible[i]);
        }
    }

    // Clicks faster than the pictures arrive: only the last one is shown,
    // counted once, and an older answer never replaces it.
    // Beside the arrow keys, the keys that move through the list and a typed
    // name show where they land, while their switch is on.
    void listKeysShowWhereTheyLand_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("on");
        // The file shown after the key, from c.bmp; none on the parent entry.
        QTest::addColumn<QString>("shown");
        QTest::newRow("down, as always") << int(Qt::Key_Down) << false << "d.bmp";
        QTest::newRow("home, onto the parent entry") << int(Qt::Key_Home) << true << "";
        QTest::newRow("end") << int(Qt::Key_End) << true << "e.bmp";
        QTest::newRow("page up") << int(Qt::Key_PageUp) << true << "";
        QTest::newRow("page down") << int(Qt::Key_PageDown) << true << "e.bmp";
        QTest::newRow("a typed name") << int(Qt::Key_B) << true << "b.bmp";
        QTest::newRow("home, switched off") << int(Qt::Key_Home) << false << "c.bmp";
        QTest::newRow("a typed name, switched off") << int(Qt::Key_B) << false << "c.bmp";
    }
    void listKeysShowWhereTheyLand() {
        QFETCH(int, key);
        QFETCH(bool, on);
        QFETCH(QString, shown);
        start();
        WriteSetting("Extras", "List Keys Preview", on);
        for (const char* n : {"a", "b", "c", "d", "e"})
            writeDated(pics_ + n + ".bmp", encoded(halves({40, 30}), "bmp"));
        list(pics_);
        show(pics_ + "c.bmp");
        f_->ListView1->DetailsView()->setFocus();
        QTest::keyClick(f_->ListView1->DetailsView(), Qt::Key(key));
        settle();
        QCOMPARE(GetFileName(QFile::decodeName(f_->picsrc.path)), shown);
    }

    void onlyTheLastClickIsShown_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::newRow("one") << QStringList{"a"};
        QTest::newRow("two") << QStringList{"a", "b"};
        QTest::newRow("back to the first") << QStringList{"a", "b", "a"};
        QTest::newRow("a metafile overtaken") << QStringList{"m", "b"};
        QTest::newRow("the same twice") << QStringList{"b", "b"};
        QTest::newRow("a damaged file last") << QStringList{"a", "x"};
    }
    void onlyTheLastClickIsShown() {
        QFETCH(QStringList, clicks);
        start();
        writeDated(pics_ + "a.bmp", encoded(halves({100, 80}), "bmp"));
        writeDated(pics_ + "b.gif", gifFile(halves({60, 40})));
        writeDated(pics_ + "m.wmf", wmfFile(wmfDrawing()));
        writeDated(pics_ + "x.jpg", "not a picture");
        list(pics_);
        auto path = [&](const QString& c) {
            return pics_ + (c == "a" ? "a.bmp" : c == "b" ? "b.gif" : c == "m" ? "m.wmf" : "x.jpg");
        };
        for (const QString& c : clicks) {
            f_->ListView1->SetSelectedRow(rowOf(path(c)));
            f_->ShowImage();  // no time for the picture to arrive
        }
        settle();
        const bool damaged = clicks.last() == "x";
        QCOMPARE(views(), damaged ? QString() : QString("1"));
        QCOMPARE(f_->picsrc.HasPicture(), !damaged);
        if (!damaged) {
            QCOMPARE(QFile::decodeName(f_->picsrc.path), path(clicks.last()));
            QCOMPARE(panel(3), GetFileName(path(clicks.last())));
        }
        QCOMPARE(f_->cursor().shape(), Qt::ArrowCursor);
    }

    void sameNameIsNotReloaded_data() {
        QTest::addColumn<bool>("otherFolder");
        QTest::newRow("same file twice") << false;
        QTest::newRow("same name in another folder") << true;
    }

    void sameNameIsNotReloaded() {
        QFETCH(bool, otherFolder);
        start();
        const QString first = writeDated(pics_ + "same.bmp", encoded(halves({100, 80}), "bmp"));
        const QString dir = otherFolder ? root_ + "other/" : pics_;
        QDir().mkpath(dir);
        const QString again =
            otherFolder ? writeDated(dir + "same.bmp", encoded(halves({50, 40}), "bmp")) : first;
        list(pics_);
        show(first);
        const QImage shown = f_->Image1->Picture();
        if (otherFolder) list(dir);
        f_->StatusBar1->Panels(1).SetText("earlier");
        f_->ListView1->Model()->SetSubItem(rowOf(again), FileListModel::ColDimensions, "stale");
        show(again);
        QCOMPARE(views(), QString("1"));
        QCOMPARE(panel(1), QString("earlier"));
        QCOMPARE(column(again, FileListModel::ColDimensions), QString("stale"));
        QVERIFY(f_->cursor().shape() != Qt::WaitCursor);
        // Another folder's listing emptied the preview and nothing replaced it.
        QCOMPARE(f_->picsrc.HasPicture(), !otherFolder);
        QCOMPARE(f_->Image1->Picture(), otherFolder ? QImage() : shown);

        const QString next = writeDated(dir + "next.bmp", encoded(halves({30, 20}), "bmp"));
        list(dir);
        show(next);
        QCOMPARE(views(), QString("2"));
        QCOMPARE(column(next, FileListModel::ColDimensions), QString("30 x 20"));
    }

    // The count of views, a 16-bit number kept in the settings, and the load time as "###.##".
    void countsAndTimesAView_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("views");
        QTest::addColumn<QString>("text");
        QTest::newRow("counts on, no time") << "5" << 0 << "6"
                                            << "Image loaded in . seconds";
        QTest::newRow("reaches the largest, rounded") << "32766" << 1237 << "32767"
                                                      << "Image loaded in 1.24 seconds";
        QTest::newRow("stays at the largest") << "32767" << 0 << "32767"
                                              << "Image loaded in . seconds";
    }

    void countsAndTimesAView() {
        QFETCH(QString, stored);
        QFETCH(int, ms);
        freshStart();
        WriteSetting("Browser Options", "Odometer", stored);
        auto owned = std::make_unique<FakeClock>();
        FakeClock* clock = owned.get();
        clock->now = 0xFFFFFF00u;  // the counter wraps during the load
        Platform::SetClock(std::move(owned));
        load();
        const QString path = writeDated(pics_ + "a.gif", gifFile(halves({40, 30})));
        list(pics_);
        QCOMPARE(views(), stored);  // listing counts nothing
        EventHook time(f_->Image1, QEvent::Show, [&] { clock->now += std::exchange(ms, 0); });
        show(path);
        QVERIFY(f_->picsrc.HasPicture());
        QTEST(views(), "views");
        QTEST(panel(1), "text");
    }

    // A resize with a picture on show re-fits it from memory and counts a view.
    void resizeRefitsAndCounts_data() {
        QTest::addColumn<bool>("splitter");
        QTest::newRow("window enlarged") << false;
        QTest::newRow("splitter moved") << true;
    }

    void resizeRefitsAndCounts() {
        QFETCH(bool, splitter);
        start();
        const QSize area = f_->picdest->size();
        const QSize size(area.width() + 60, area.height() / 2);  // shrunk to the width
        const QString path = writeDated(pics_ + "wide.bmp", encoded(halves(size), "bmp"));
        list(pics_);
        show(path);
        QCOMPARE(views(), QString("1"));
        writeDated(path, encoded(halves(size, kGreen, kGreen), "bmp"));  // not read again

        int resizes = 0;
        EventHook counter(f_->picdest, QEvent::Resize, [&] { ++resizes; });
        if (splitter)
            f_->Splitter2->SetSplitPosition(f_->Splitter2->SplitPosition() + 1500);
        else
            f_->resize(1000, 740);
        settle();
        QVERIFY(f_->picdest->size() != area);
        QVERIFY(resizes >= 1);
        QCOMPARE(views(), QString::number(1 + resizes));
        checkLayout(size.width() * 15.0f, size.height() * 15.0f);
        QCOMPARE(f_->Image1->Picture().pixelColor(0, 0), QColor(kRed));
        QCOMPARE(panel(5), QString("%1 x %2 pixels").arg(size.width()).arg(size.height()));
    }

    // An unloadable file leaves the previous picture on show, the hourglass off, nothing reported.
    void unloadableKeepsPrevious_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray gif = gifFile(halves({200, 100}));
        const QByteArray jpeg = encoded(halves({160, 120}), "jpeg");
        QTest::newRow("damaged jpeg: headers only")
            << "bad.jpg" << jpeg.left(jpeg.indexOf("\xFF\xDA") + 20);
        QTest::newRow("truncated gif") << "cut.gif" << gif.left(gif.size() / 2);
        QTest::newRow("zero-byte bmp") << "empty.bmp" << QByteArray();
        QTest::newRow("wmf claiming a huge record")
            << "huge.wmf" << wmfFile(wmfDrawing(), true, 96, QRect(0, 0, 200, 100), 0xFFFFFFF0);
        QTest::newRow("emf claiming a billion records")
            << "many.emf" << emfFile(emfDrawing(), kEmfFrame, 1000000000);
    }

    void unloadableKeepsPrevious() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        start();
        const QString good = writeDated(pics_ + "good.bmp", encoded(halves({120, 90}), "bmp"));
        const QString bad = writeDated(pics_ + name, bytes);
        list(pics_);
        show(good);
        const QImage picture = f_->Image1->Picture();
        QString texts[6];
        for (int i = 1; i <= 5; ++i) texts[i] = panel(i);

        show(bad);
        QVERIFY(f_->cursor().shape() != Qt::WaitCursor);
        QCOMPARE(f_->picsrc.path, QFile::encodeName(good));
        QCOMPARE(f_->Image1->Picture(), picture);
        checkLayout(120 * 15.0f, 90 * 15.0f);
        for (int i = 1; i <= 5; ++i) QCOMPARE(panel(i), texts[i]);
        QCOMPARE(column(bad, FileListModel::ColDimensions), QString());
        QCOMPARE(column(bad, FileListModel::ColDate), QString());
        QCOMPARE(views(), QString("1"));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // On a scaled screen (this test runs once more with QT_SCALE_FACTOR=2)
    // the preview holds at least the device pixels it covers.
    void decodesAtDevicePixels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("jpeg") << "big.jpg" << encoded(halves({4000, 2400}), "jpeg");
        QTest::newRow("bmp") << "big.bmp" << encoded(halves({1600, 1200}), "bmp");
    }

    void decodesAtDevicePixels() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        start();
        const QString path = writeDated(pics_ + name, bytes);
        list(pics_);
        show(path);
        const qreal ratio = f_->Image1->devicePixelRatioF();
        const QSize covered = (QSizeF(f_->Image1->size()) * ratio).toSize();
        // The frame's sides are fitted one by one, so only one of them need
        // match the picture's shape.
        QVERIFY2(f_->picsrc.image.width() >= covered.width() ||
                     f_->picsrc.image.height() >= covered.height(),
                 qPrintable(QString("%1x%2 decoded for %3x%4 device pixels")
                                .arg(f_->picsrc.image.width())
                                .arg(f_->picsrc.image.height())
                                .arg(covered.width())
                                .arg(covered.height())));
    }

    // What the preview puts on the screen's own pixels (this test also runs
    // with QT_SCALE_FACTOR=2): a picture at its natural size becomes whole
    // blocks of device pixels in its exact colours; a shrunk one stays
    // smooth, so a checkerboard turns grey.
    void keepsPixelsAtNaturalSize_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<bool>("natural");
        QTest::newRow("natural size") << QSize(149, 99) << true;
        QTest::newRow("shrunk") << QSize(1601, 1203) << false;
    }

    void keepsPixelsAtNaturalSize() {
        QFETCH(QSize, pixels);
        QFETCH(bool, natural);
        start();
        const QImage source = checkerboard(pixels);
        const QString path = writeDated(pics_ + "checker.bmp", encoded(source, "bmp"));
        list(pics_);
        show(path);
        QCOMPARE(f_->Image1->size() == pixels, natural);
        const QImage shown = f_->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const qreal ratio = f_->Image1->devicePixelRatioF();
        QCOMPARE(shown.size(), (QSizeF(f_->Image1->size()) * ratio).toSize());
        int exact = 0, grey = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb c = shown.pixel(x, y);
                if (natural && c == source.pixel(int(x / ratio), int(y / ratio))) ++exact;
                if (qRed(c) > 40 && qRed(c) < 215) ++grey;
            }
        const int all = shown.width() * shown.height();
        if (natural)
            QCOMPARE(exact, all);
        else
            QVERIFY2(grey > all / 2, qPrintable(QString("%1 of %2 grey").arg(grey).arg(all)));
    }

    // Latin-1 names from an old archive: two files whose names differ in one
    // byte that is not valid UTF-8 read the same, yet each is shown, dated
    // and opened as itself.
    void namesThatAreNotUtf8() {
        freshStart();
        auto shell = std::make_unique<FakeShell>();
        FakeShell* opened = shell.get();
        Platform::SetShell(std::move(shell));
        WriteSetting("Browser Options", "Double Click", "False");
        load();
        const QByteArray dir = QFile::encodeName(pics_);
        const QByteArray names[] = {"caf\xE9.bmp", "caf\xE8.bmp"};
        const QSize sizes[] = {{100, 80}, {50, 40}};
        // QDir cannot remove a name it cannot encode back.
        const auto removeRaw = qScopeGuard([&] {
            for (const QByteArray& name : names) ::unlink((dir + name).constData());
        });
        for (int i = 0; i < 2; ++i) {
            QFile out;
            FILE* f = std::fopen((dir + names[i]).constData(), "wb");
            QVERIFY(f && out.open(f, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
            out.write(encoded(halves(sizes[i]), "bmp"));
            out.close();
        }
        list(pics_);
        FileListModel* model = f_->ListView1->Model();
        QCOMPARE(model->Count(), 3);
        QCOMPARE(model->Item(1).Text(), model->Item(2).Text());
        for (int pass = 0; pass < 2; ++pass) {  // the second pass comes back to each
            for (int i = 0; i < 2; ++i) {
                int row = -1;
                for (int r = 1; r < model->Count(); ++r)
                    if (model->Item(r).RawKey() == dir + names[i]) row = r;
                QVERIFY(row > 0);
                f_->ListView1->SetSelectedRow(row);
                f_->ShowImage();
                PictureService::Instance().Settle();
                QCOMPARE(f_->picsrc.path, dir + names[i]);
                QCOMPARE(f_->picsrc.pixels, sizes[i]);
                QVERIFY(!model->Item(row).SubItem(FileListModel::ColDate).isEmpty());
                f_->ListView1_DblClick();
                QCOMPARE(opened->opened.last().toEncoded(),
                         "file://" + (dir + names[i]).toPercentEncoding("/"));
            }
        }
    }
};

KVO_TEST_MAIN(TestPreview)
#include "tst_preview.moc"
