// The viewer window: zoom steps and their controls, layout and scroll limits
// in twips, stepping through the list, commands, and damaged files.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QtTest>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "browser/CommandTables.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/Openers.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/Helpers.h"
#include "kit/PictureService.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "viewer/ScrollBar.h"
#include "viewer/ViewerTables.h"
#include "viewer/ZoomSurface.h"
#include "viewer/frmScroll.h"

class TestViewer : public QObject {
    Q_OBJECT

    QString pics_;
    frmMain* f_ = nullptr;
    frmScroll* v_ = nullptr;

    // The main window on a folder of four 40 x 30 pictures a to d, the
    // viewer opened on the list's row `row` (0-based).
    void open(int row = 1, bool descending = false) {
        pics_ = UseFreshSettings() + "pics/";
        QDir().mkpath(pics_);
        UseFakeSystem(pics_);
        for (const char* n : {"a", "b", "c", "d"})
            writeDated(pics_ + n + ".bmp", encoded(halves({40, 30}), "bmp"));
        f_ = frmMain::Instance();
        f_->Form_Load();
        f_->CurrentFolder = pics_;
        f_->ListFiles();
        if (descending) f_->ListView1_ColumnClick(1);
        f_->ListView1->SetSelectedRow(row);
        v_ = Forms::Get<frmScroll>();
        v_->Form_Load();
        QCoreApplication::processEvents();
        settle();
    }

    // Lets the pictures asked for arrive, as between two user actions.
    static void settle() { PictureService::Instance().Settle(); }

    static QString views() { return ReadSetting("Browser Options", "Odometer"); }
    bool button(int i) const { return v_->Toolbar1->Buttons(i).action->isEnabled(); }
    bool menu(int i) { return v_->mnuviewa()(i)->isEnabled(); }
    QString selectedKey() const {
        return f_->ListView1->Model()->Item(f_->ListView1->SelectedRow()).Key();
    }

private slots:
    void cleanup() {
        frmScroll::chooseFile = nullptr;
        Openers::Table() = Openers();
        if (Forms::Loaded<frmScroll>()) Forms::Close<frmScroll>();
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
    }

    // Steps: + zoom in, - zoom out, N next, A actual size (menu), T actual
    // size (button 13), R reload.
    void zoom_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("enabled");  // button 11, 12, menu item 3, 4
        QTest::newRow("in to the end") << "++++" << 6 << "0101";
        QTest::newRow("out to the end") << "----" << 0 << "1010";
        QTest::newRow("back from 6 enables in") << "+++-" << 5 << "1111";
        QTest::newRow("back from 0 enables out") << "---+" << 1 << "1111";
        QTest::newRow("next at 6 keeps in disabled") << "+++N---" << 0 << "0000";
        QTest::newRow("actual size from the menu") << "+++A" << 3 << "1111";
        QTest::newRow("actual size button leaves the menu") << "+++T" << 3 << "1101";
        QTest::newRow("reload leaves the menu") << "+++R" << 3 << "1101";
    }

    void zoom() {
        QFETCH(QString, steps);
        QFETCH(int, level);
        QFETCH(QString, enabled);
        open();
        for (QChar c : steps) {
            if (c == '+') v_->mnuviewa_Click(3);
            if (c == '-') v_->Toolbar1_ButtonClick(12);
            if (c == 'N') v_->mnuviewa_Click(1);
            if (c == 'A') v_->mnuviewa_Click(5);
            if (c == 'T') v_->Toolbar1_ButtonClick(13);
            if (c == 'R') v_->Toolbar1_ButtonClick(9);
            settle();
        }
        QCOMPARE(int(ZoomLevel), level);
        const QString states = QString::number(button(11)) + QString::number(button(12)) +
                               QString::number(menu(3)) + QString::number(menu(4));
        QCOMPARE(states, enabled);
        // Drawn at the factor from the picture as loaded, never a zoomed copy.
        QCOMPARE(v_->InnerPict->Width, float(40 * 15 * ZoomFactor(level)));
        QCOMPARE(v_->InnerPict->Picture().cacheKey(), v_->Picture1.image.cacheKey());
    }

    void opensSquareAndCentred() {
        open();
        // A 1024 x 768 screen at 15 twips per pixel.
        // The outer size is made right once the window has its frame.
        QTRY_VERIFY(qAbs(v_->Width() - 768 * 15.0f) < 15);
        QTRY_VERIFY(qAbs(v_->Height() - (768 * 15.0f - 60)) < 15);
        QVERIFY(qAbs(v_->Left() - (512 * 15.0f - 384 * 15.0f)) < 15);
        QCOMPARE(v_->windowTitle(), "Kvo View Viewer - " + pics_ + "a.bmp");
        QCOMPARE(v_->StatusBar1->accessibleName(), QString("Status"));
        QCOMPARE(v_->InnerPict->accessibleName(), QString("Picture"));
        v_->close();
        QVERIFY(f_->isVisible());
        QTRY_VERIFY(!Forms::Loaded<frmScroll>());
    }

    // The picture's size against the room left: dw, dh added to the room.
    void layout_data() {
        QTest::addColumn<float>("dw");
        QTest::addColumn<float>("dh");
        QTest::addColumn<bool>("hBar");
        QTest::addColumn<bool>("vBar");
        QTest::newRow("fits exactly") << 0.f << 0.f << false << false;
        QTest::newRow("wider, the bar leaves room") << 15.f << -600.f << true << false;
        QTest::newRow("wider, the bar forces the other") << 15.f << -15.f << true << true;
        QTest::newRow("taller, the bar forces the other") << -15.f << 15.f << true << true;
        QTest::newRow("taller, the bar leaves room") << -600.f << 15.f << false << true;
    }

    void layout() {
        QFETCH(float, dw);
        QFETCH(float, dh);
        QFETCH(bool, hBar);
        QFETCH(bool, vBar);
        open();
        const float tb = v_->Toolbar1->height() * 15.f, sb = v_->StatusBar1->height() * 15.f;
        const float roomW = v_->ScaleWidth() - 60, roomH = v_->ScaleHeight() - (tb + sb + 60);
        v_->InnerPict->Move(0, 0, roomW + dw, roomH + dh);
        v_->sizeit();
        QCOMPARE(!v_->HBar->isHidden(), hBar);
        QCOMPARE(!v_->VBar->isHidden(), vBar);
        const float w = roomW - (vBar ? v_->VBar->Width() : 0);
        const float h = roomH - (hBar ? v_->HBar->Height() : 0);
        QCOMPARE(v_->OuterPict->Width(), w);
        QCOMPARE(v_->OuterPict->Height(), h);
        if (hBar) QCOMPARE(v_->HBar->geometry().topLeft(), QPoint(0, int(h / 15)));
        QCOMPARE(v_->picholder->geometry(),
                 QRect(0, int(tb / 15), v_->width(), int((v_->ScaleHeight() - tb - sb) / 15)));
    }

    void minimisedSkipsTheViewport() {
        open();
        const QRect before = v_->OuterPict->geometry();
        v_->setWindowState(Qt::WindowMinimized);
        v_->InnerPict->Move(0, 0, 100000, 100000);
        v_->sizeit();
        QCOMPARE(v_->OuterPict->geometry(), before);
        QVERIFY(v_->HBar->isHidden());
    }

    // Limits are 16-bit, rounded halves to even; one out of range is not set.
    void scrollLimits_data() {
        QTest::addColumn<float>("beyond");  // picture height less viewport height
        QTest::addColumn<int>("max");
        QTest::newRow("half rounds to even, down") << 100.5f << -100;
        QTest::newRow("half rounds to even, up") << 101.5f << -102;
        QTest::newRow("lowest 16-bit value") << 32768.f << -32768;
        QTest::newRow("one past keeps the old limit") << 32769.f << -5;
    }

    void scrollLimits() {
        QFETCH(float, beyond);
        QFETCH(int, max);
        open();
        v_->OuterPict->setGeometry(0, 0, 300, 200);
        v_->VBar->SetMax(-5);
        v_->InnerPict->Move(0, 0, 100, 3000 + beyond);
        v_->SetScrollRanges();
        QCOMPARE(int(v_->VBar->Max()), max);
        QCOMPARE(int(v_->VBar->LargeChange()), 3000);
        QCOMPARE(int(v_->VBar->SmallChange()), 600);
        QCOMPARE(int(v_->HBar->Max()), 4500 - 100);
    }

    void barsMoveThePicture() {
        open();
        v_->OuterPict->setGeometry(0, 0, 300, 200);
        v_->InnerPict->Move(0, 0, 9000, 6000);
        v_->SetScrollRanges();
        v_->VBar->bar()->setValue(450);  // the bar's end runs to its negative maximum
        QCOMPARE(int(v_->VBar->Value()), -450);
        QCOMPARE(v_->InnerPict->Top, -450.f);
        QCOMPARE(v_->InnerPict->y(), -30);
        // A smaller limit brings the value and the picture with it.
        v_->InnerPict->Move(v_->InnerPict->Left, v_->InnerPict->Top, 9000, 3200);
        v_->SetScrollRanges();
        QCOMPARE(v_->InnerPict->Top, -200.f);
    }

    // Rows are 1-based list indexes; ".." first, or last when descending.
    void stepping_data() {
        QTest::addColumn<bool>("descending");
        QTest::addColumn<int>("from");
        QTest::addColumn<bool>("next");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("prevNext");  // enabled afterwards
        QTest::newRow("first: onto the last file") << false << 4 << true << 5 << "10";
        QTest::newRow("first: at the last file") << false << 5 << true << 5 << "10";
        QTest::newRow("first: onto the first file") << false << 3 << false << 2 << "01";
        QTest::newRow("last: to a middle file") << true << 2 << true << 3 << "11";
        QTest::newRow("last: onto the last file") << true << 3 << true << 4 << "10";
        QTest::newRow("last: at the last file") << true << 4 << true << 4 << "10";
        QTest::newRow("last: onto the first file") << true << 2 << false << 1 << "01";
    }

    void stepping() {
        QFETCH(bool, descending);
        QFETCH(int, from);
        QFETCH(bool, next);
        QFETCH(int, to);
        QFETCH(QString, prevNext);
        open(from - 1, descending);
        QCOMPARE(f_->ListView1->Model()->Item(descending ? 4 : 0).Text(), QString(".."));
        v_->Toolbar1_ButtonClick(next ? 7 : 6);
        settle();
        QCOMPARE(f_->ListView1->SelectedRow() + 1, to);
        QVERIFY(!f_->ListView1->IsSelected(from - 1) || from == to);
        QCOMPARE(QString::number(button(6)) + QString::number(button(7)), prevNext);
        QCOMPARE(QString::number(menu(0)) + QString::number(menu(1)), prevNext);
        // The viewer and the main window's preview show the same file.
        QCOMPARE(v_->windowTitle(), "Kvo View Viewer - " + selectedKey());
        QCOMPARE(f_->StatusBar1->Panels(3).Text(), GetFileName(selectedKey()));
    }

    // Behind the viewer the main window follows each step without a decode
    // of its own; shown again, it makes a copy at its preview's size.
    void hiddenBrowserTakesTheViewersPicture() {
        pics_ = UseFreshSettings() + "pics/";
        QDir().mkpath(pics_);
        UseFakeSystem(pics_);
        for (const char* n : {"a", "b", "c", "d"})
            writeDated(pics_ + n + ".bmp", encoded(halves({1200, 900}), "bmp"));
        f_ = frmMain::Instance();
        f_->Form_Load();
        f_->resize(800, 600);
        f_->CurrentFolder = pics_;
        f_->ListFiles();
        f_->ListView1->SetSelectedRow(1);
        f_->ShowImage();
        settle();
        const QString before = views();
        // The viewer takes the main window's place, as a double click does.
        f_->hide();
        v_ = Forms::Get<frmScroll>();
        v_->Form_Load();
        settle();
        const int decodes = PictureService::Instance().Decodes();
        for (int step = 1; step <= 3; ++step) {
            v_->mnuviewa_Click(1);
            settle();
            QCOMPARE(f_->picsrc.path, v_->Picture1.path);
            QCOMPARE(f_->picsrc.image.cacheKey(), v_->Picture1.image.cacheKey());
            QCOMPARE(f_->StatusBar1->Panels(3).Text(), GetFileName(selectedKey()));
            QCOMPARE(views().toInt(), before.toInt() + step);
        }
        // Each step read ahead the next one; none was decoded twice.
        QCOMPARE(PictureService::Instance().Decodes() - decodes, 3);
        v_->close();
        settle();
        QVERIFY(f_->isVisible());
        QVERIFY(f_->picsrc.image.width() < 1200);
        QCOMPARE(QFile::decodeName(f_->picsrc.path), pics_ + "d.bmp");
        QCOMPARE(views().toInt(), before.toInt() + 3);
    }

    void filter_data() {
        QTest::addColumn<QVector<bool>>("shown");
        QTest::addColumn<QString>("patterns");
        QTest::newRow("bmp and jpg") << QVector<bool>{1, 0, 1, 0, 0, 0, 0, 0, 0} << "*.bmp;*.jpg";
        QTest::newRow("none") << QVector<bool>(9, false) << "";
        QTest::newRow("all, in order")
            << QVector<bool>(9, true) << "*.bmp;*.gif;*.jpg;*.jpeg;*.dib;*.ico;*.cur;*.wmf;*.emf";
    }

    void filter() {
        QFETCH(QVector<bool>, shown);
        QFETCH(QString, patterns);
        std::array<bool, 9> flags;
        std::copy(shown.begin(), shown.end(), flags.begin());
        QCOMPARE(PatternList(flags), patterns);
        if (patterns.isEmpty())
            QCOMPARE(OpenDialogFilter(patterns),
                     QString("All Supported Formats ();;All Files (*)"));
    }

    void openDialogShowsTheFileOnlyHere() {
        open();
        for (bool& b : PictureTypes::switches) b = &b == &ShowBMP || &b == &ShowJPG;
        const QString other = writeDated(pics_ + "../other.bmp", encoded(halves({20, 10}), "bmp"));
        QString asked;
        frmScroll::chooseFile = [&](QWidget*, const QString& filter) {
            asked = filter;
            return other;
        };
        v_->Toolbar1_ButtonClick(1);
        settle();
        QCOMPARE(asked, QString("All Supported Formats (*.bmp *.jpg);;All Files (*)"));
        QCOMPARE(v_->windowTitle(), "Kvo View Viewer - " + other);
        QCOMPARE(v_->Picture1.pixels, QSize(20, 10));
        QCOMPARE(selectedKey(), pics_ + "a.bmp");
    }

    // The real Open dialog starts in the folder the browser lists, not where
    // the program was started; cancelling it changes nothing.
    void openDialogStartsInTheListedFolder() {
        open();
        QVERIFY(QDir::current() != QDir(pics_));
        QString opened;
        QTimer::singleShot(0, v_, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(d);
            opened = d->directory().absolutePath() + "/";
            d->reject();
        });
        v_->mnufilea_Click(0);
        QCOMPARE(opened, pics_);
        QCOMPARE(v_->windowTitle(), "Kvo View Viewer - " + pics_ + "a.bmp");
    }

    // What each command did, as a line of the log.
    void commands_data() {
        QTest::addColumn<QString>("source");  // "button" or a menu array
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("did");
        QTest::newRow("print button") << "button" << 4 << "print a.bmp";
        QTest::newRow("copy filename button") << "button" << 15 << "text a.bmp";
        QTest::newRow("copy image button") << "button" << 16 << "image 40x30";
        QTest::newRow("tiled wallpaper") << "mnuwall" << 1 << "wallpaper 1 40x30";
        QTest::newRow("web site") << "mnuabouta" << 0 << "web https://kvoview.example.org/";
        QTest::newRow("about") << "mnuabouta" << 2 << "about";
        QTest::newRow("browser button") << "button" << 2 << "closed";
        QTest::newRow("close menu") << "mnufilea" << 5 << "closed";
        QTest::newRow("wallpaper button") << "button" << 18 << "popup mnuwall";
    }

    void commands() {
        QFETCH(QString, source);
        QFETCH(int, index);
        QFETCH(QString, did);
        auto* shell = new FakeShell;
        Platform::SetShell(std::unique_ptr<Shell>(shell));
        open();
        QStringList log;
        Openers& o = Openers::Table();
        o.PrintFile = [&](const QString& p) { log << "print " + GetFileName(p); };
        o.ShowAbout = [&] { log << "about"; };
        o.MakeWallpaper = [&](const PictureHolder& pic, int mode) {
            log << QString("wallpaper %1 %2x%3")
                       .arg(mode)
                       .arg(pic.image.width())
                       .arg(pic.image.height());
        };
        QClipboard* clip = QGuiApplication::clipboard();
        clip->setText("before");
        QPointer<frmScroll> viewer(v_);
        f_->hide();
        if (source == "button") v_->Toolbar1_ButtonClick(index);
        if (source == "mnufilea") v_->mnufilea_Click(index);
        if (source == "mnuedita") v_->mnuedita_Click(index);
        if (source == "mnuwall") v_->mnuwall_Click(index);
        if (source == "mnuabouta") v_->mnuabouta_Click(index);
        if (clip->text() != "before" && !clip->text().isEmpty())
            log << "text " + GetFileName(clip->text());
        if (!clip->image().isNull())
            log << QString("image %1x%2").arg(clip->image().width()).arg(clip->image().height());
        for (const QUrl& u : shell->opened) log << "web " + u.toString();
        if (QWidget* popup = QApplication::activePopupWidget()) {
            log << "popup " + popup->objectName();
            popup->close();
        }
        QCoreApplication::processEvents();
        if (!viewer || !viewer->isVisible())
            log << (f_->isVisible() ? "closed" : "closed, browser hidden");
        QCOMPARE(log.join("; "), did);
    }

    void helpTexts_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("help");
        QTest::newRow("open") << "&Open"
                              << "Opens new image";
        QTest::newRow("web") << "&Morvath Software on the Web"
                             << "Go to https://kvoview.example.org/";
        QTest::newRow("about") << "About"
                               << "About Kvo View 1.0.53";
        QTest::newRow("separator clears") << ""
                                          << "";
        QTest::newRow("top menu clears") << "&View"
                                         << "";
    }

    void helpTexts() {
        QFETCH(QString, caption);
        QFETCH(QString, help);
        open();
        v_->StatusBar1->Panels(1).SetText("old");
        // Through the menu's hover signal, as the mouse raises it.
        QAction probe(caption);
        emit v_->mnuviewa().menu->hovered(&probe);
        QCOMPARE(v_->StatusBar1->Panels(1).Text(), help);
    }

    void panels_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("kb");
        QTest::newRow("1536 bytes") << 1536 << "1.5 KB";
        QTest::newRow("1024 bytes keeps the point") << 1024 << "1. KB";
    }

    void panels() {
        QFETCH(int, bytes);
        QFETCH(QString, kb);
        open();
        QByteArray file = encoded(halves({8, 6}), "bmp");
        file.append(bytes - file.size(), '\0');
        const QString path = writeDated(pics_ + "sized.bmp", file);
        v_->mnuviewa_Click(3);
        v_->Loadimage(path);
        settle();
        QCOMPARE(int(ZoomLevel), 3);
        QCOMPARE(v_->StatusBar1->Panels(2).Text(), QString("sized.bmp  "));
        QCOMPARE(v_->StatusBar1->Panels(3).Text(), kb + ", " + FormatGeneralDate(kModified) + "  ");
        QCOMPARE(v_->StatusBar1->Panels(4).Text(), QString("8 x 6  "));
        QVERIFY(v_->StatusBar1->Panels(1).Text().startsWith("Image loaded in "));
    }

    // A file that cannot be loaded leaves the picture, unzoomed; the title names it.
    void damagedKeepsThePicture_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray jpeg = encoded(halves({64, 48}), "jpeg");
        QTest::newRow("truncated jpeg") << jpeg.left(jpeg.size() / 2);
        QByteArray huge = encoded(halves({4, 4}), "bmp");
        qToLittleEndian<qint32>(200000, huge.data() + 18);  // width far past any cap
        QTest::newRow("hostile size") << huge;
    }

    void damagedKeepsThePicture() {
        QFETCH(QByteArray, bytes);
        open();
        const qint64 shown = v_->Picture1.image.cacheKey();
        v_->mnuviewa_Click(3);
        const QString bad = writeDated(pics_ + "bad.jpg", bytes);
        v_->Loadimage(bad);
        settle();
        QCOMPARE(v_->Picture1.image.cacheKey(), shown);
        QCOMPARE(v_->InnerPict->Picture().cacheKey(), shown);
        QCOMPARE(v_->InnerPict->Width, 40 * 15.f);
        QCOMPARE(v_->windowTitle(), "Kvo View Viewer - " + bad);
        QCOMPARE(v_->StatusBar1->Panels(2).Text(), QString("bad.jpg  "));
    }

    // On the screen's own pixels (this test also runs with QT_SCALE_FACTOR=2):
    // at actual size each pixel of the picture is whole device pixels in its
    // own colour; zoomed out it is smoothed, so a checkerboard turns grey.
    void actualSizeKeepsPixels_data() {
        QTest::addColumn<int>("level");
        QTest::newRow("actual size") << 3;
        QTest::newRow("half size") << 1;
    }

    void actualSizeKeepsPixels() {
        QFETCH(int, level);
        open();
        const QImage source = checkerboard({149, 99});
        v_->Loadimage(writeDated(pics_ + "checker.bmp", encoded(source, "bmp")));
        settle();
        v_->ZoomIn(level);
        QCoreApplication::processEvents();
        const QImage shown = v_->InnerPict->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const qreal ratio = v_->InnerPict->devicePixelRatioF();
        const qreal scale = ratio * ZoomFactor(level);
        QCOMPARE(shown.size(), (QSizeF(v_->InnerPict->size()) * ratio).toSize());
        int exact = 0, grey = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb c = shown.pixel(x, y);
                if (c == source.pixel(int(x / scale), int(y / scale))) ++exact;
                if (qRed(c) > 40 && qRed(c) < 215) ++grey;
            }
        const int all = shown.width() * shown.height();
        if (level == 3)
            QCOMPARE(exact, all);
        else
            QVERIFY2(grey > all / 2, qPrintable(QString("%1 of %2 grey").arg(grey).arg(all)));
    }

    // A zoom step scales what is in view once; a move scales only the
    // strip it brings into view, and the pixels are the picture stretched.
    void surfaceScalesOnlyWhatShows() {
        const QSize surface(6000, 4500);
        QWidget box;
        box.resize(200, 150);
        auto* s = new ZoomSurface(&box);
        const QImage source =
            halves({400, 300}).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        s->SetPicture(source);
        s->setGeometry(QRect(QPoint(0, 0), surface));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCoreApplication::processEvents();
        QCOMPARE(s->ScaledPixels(), qint64(200 * 150));
        s->move(-20, 0);
        QCoreApplication::processEvents();
        QCOMPARE(s->ScaledPixels(), qint64(220 * 150));
        s->move(0, 0);
        QCoreApplication::processEvents();
        QCOMPARE(s->ScaledPixels(), qint64(240 * 150));
        // Pixels as one stretched drawing of the whole picture gives them.
        QImage expected(box.size(), QImage::Format_ARGB32_Premultiplied);
        {
            QPainter p(&expected);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRectF(QPointF(0, 0), QSizeF(surface)), source);
        }
        QCOMPARE(box.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 expected);
    }
};

KVO_TEST_MAIN(TestViewer)
#include "tst_viewer.moc"
