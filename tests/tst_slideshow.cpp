// The slideshow: the playlist, the three orders with and without looping
// (ticks driven by hand), captions, the fit, and closing.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/Helpers.h"
#include "kit/ImageControl.h"
#include "kit/PictureService.h"
#include "kit/Settings.h"
#include "slideshow/frmshow.h"

class TestSlideshow : public QObject {
    Q_OBJECT

    QString pics_;
    frmMain* f_ = nullptr;
    QPointer<frmshow> s_;

    // The main window on a folder of pictures a, b, c (40 x 30, 80 x 60 and
    // 2000 x 1000 pixels), rows selected as `selected` says ("" selects none).
    void open(const QString& selected) {
        pics_ = UseFreshSettings() + "pics/";
        QDir().mkpath(pics_);
        UseFakeSystem(pics_);
        const QSize sizes[] = {{40, 30}, {80, 60}, {2000, 1000}};
        for (int i = 0; i < 3; ++i) {
            QFile out(pics_ + QChar('a' + i) + ".bmp");
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(encoded(halves(sizes[i]), "bmp"));
        }
        f_ = frmMain::Instance();
        f_->Form_Load();
        f_->CurrentFolder = pics_;
        f_->ListFiles();
        FileListView* list = f_->ListView1;
        for (int row = 0; row < list->Model()->Count(); ++row)
            list->SetSelected(row, selected.contains(list->Model()->Item(row).Text()));
    }
    void start() {
        s_ = Forms::Get<frmshow>();
        s_->Form_Load();
        PictureService::Instance().Settle();
    }
    QString shown() const { return GetFileName(s_->List1.entries.value(s_->List1.ListIndex)); }

private slots:
    void init() { ShowBMP = true; }
    void cleanup() {
        if (s_) s_->close();
        QTRY_VERIFY(s_.isNull());
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
    }

    // Each row: the picture shown after opening, then after each tick; "end"
    // when a tick found the end, "closed" when the window went.
    void orders_data() {
        QTest::addColumn<int>("sequence");
        QTest::addColumn<int>("looping");
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("forwards once") << 0 << 0 << QStringList{"b", "c", "end", "closed"};
        QTest::newRow("forwards looping") << 0 << 1 << QStringList{"b", "c", "a", "b"};
        QTest::newRow("backwards once") << 1 << 0 << QStringList{"b", "a", "end", "closed"};
        QTest::newRow("backwards looping") << 1 << 1 << QStringList{"b", "a", "c", "b"};
    }
    void orders() {
        QFETCH(int, sequence);
        QFETCH(int, looping);
        QFETCH(QStringList, steps);
        open("abc");
        WriteSetting("Slideshow Settings", "Sequence", sequence);
        WriteSetting("Slideshow Settings", "Looping", looping);
        WriteSetting("Slideshow Settings", "Delay", 60);
        start();
        QCOMPARE(s_->Timer1->interval(), 60000);
        QCOMPARE(s_->List1.ListCount(), 3);
        for (int i = 0; i < steps.size(); ++i) {
            if (i > 0) s_->Timer1_Timer();
            if (steps[i] == "closed") {
                QTRY_VERIFY(s_.isNull());
            } else if (steps[i] == "end") {
                QVERIFY(s_->finished);
            } else {
                QVERIFY(!s_->finished);
                QCOMPARE(shown(), steps[i] + ".bmp");
            }
        }
    }

    // At random every entry can come, the order never ends, and the draws
    // lie in [0, 1).
    void random() {
        open("abc");
        WriteSetting("Slideshow Settings", "Sequence", 2);
        WriteSetting("Slideshow Settings", "Looping", 0);
        start();
        QSet<QString> seen;
        for (int i = 0; i < 200; ++i) {
            s_->Timer1_Timer();
            QVERIFY(!s_->finished);
            seen.insert(shown());
        }
        QCOMPARE(seen.size(), 3);
        for (int i = 0; i < 1000; ++i) {
            const double r = Rnd();
            QVERIFY(r >= 0 && r < 1);
        }
    }

    // Nothing selected plays every item, the parent entry first, which
    // shows no picture.
    void nothingSelected() {
        open("");
        WriteSetting("Slideshow Settings", "Looping", 1);
        start();
        QCOMPARE(s_->List1.ListCount(), 4);
        QCOMPARE(s_->List1.entries.first(), QString());
        QCOMPARE(shown(), QString("a.bmp"));
        s_->Timer1_Timer();
        s_->Timer1_Timer();
        s_->Timer1_Timer();
        QCOMPARE(s_->List1.ListIndex, qint16(0));
        QVERIFY(s_->Image1->isHidden());
    }

    void caption_data() {
        QTest::addColumn<int>("filename");
        QTest::addColumn<int>("details");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("lines");
        QTest::newRow("name only") << 1 << 0 << "Filename: " << 1;
        QTest::newRow("name and details") << 1 << 1 << "Filename: " << 4;
        QTest::newRow("details only") << 0 << 1 << "\r\nDimensions: 80 x 60 pixels\r\n" << 4;
        QTest::newRow("neither") << 0 << 0 << "" << 1;
    }
    void caption() {
        QFETCH(int, filename);
        QFETCH(int, details);
        QFETCH(QString, start);
        QFETCH(int, lines);
        open("abc");
        WriteSetting("Slideshow Settings", "Show Filename", filename);
        WriteSetting("Slideshow Settings", "Show Details", details);
        this->start();
        const QString text = s_->Label1->text();
        QCOMPARE(text.left(start.size()), start);
        QCOMPARE(text.split("\r\n").size(), lines);
        if (filename) QVERIFY(text.startsWith("Filename: " + pics_ + "b.bmp"));
        if (details) QVERIFY(text.contains("\r\nFilesize: 14KB\r\nDate Modified: "));
    }

    // Larger than the window: fitted to its outer size, 30 twips up and left.
    void fit() {
        open("c");
        WriteSetting("Slideshow Settings", "Looping", 1);
        start();
        QCOMPARE(shown(), QString("c.bmp"));
        const float A = 1024 * 15, B = 768 * 15;
        QCOMPARE(s_->Image1->Width, A - 210);
        QCOMPARE(s_->Image1->Height, 15000 * A / 30000);
        QCOMPARE(s_->Image1->Left, (A - (A - 210)) / 2 - 30);
        QCOMPARE(s_->Image1->Top, (B - 15000 * A / 30000) / 2 - 30);
    }

    void closing_data() {
        QTest::addColumn<int>("key");  // 0: a mouse click
        QTest::addColumn<bool>("closes");
        QTest::newRow("escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("another key") << int(Qt::Key_Space) << false;
        QTest::newRow("click") << 0 << true;
    }
    void closing() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        open("ab");
        start();
        if (key)
            QTest::keyClick(s_, Qt::Key(key));
        else
            QTest::mouseClick(s_, Qt::RightButton);
        if (closes)
            QTRY_VERIFY(s_.isNull());
        else
            QVERIFY(s_->isVisible());
    }
};

KVO_TEST_MAIN(TestSlideshow)
#include "tst_slideshow.moc"
