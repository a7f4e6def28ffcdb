// The print dialog: the printer's description, what OK and Cancel send, and
// a real page written as PDF at the picture's physical size.
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "app/Wiring.h"
#include "browser/FileListView.h"
#include "browser/Openers.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "platform/Platform.h"
#include "platform/Printers.h"
#include "tools/frmPrint.h"

class TestPrint : public QObject {
    Q_OBJECT
    QString dir_;
    FakePrinters* fake_ = nullptr;

    frmPrint* open(const QString& file) {
        frmPrint* f = Forms::Get<frmPrint>();
        f->Form_Load();
        f->Loadimage(file);
        return f;
    }
    QString picture(QSize size) {
        const QString path = dir_ + "pic.bmp";
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || !out.write(encoded(halves(size), "bmp")))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void init() {
        dir_ = UseFreshSettings();
        auto fake = std::make_unique<FakePrinters>();
        fake_ = fake.get();
        Platform::SetPrinters(std::move(fake));
    }
    void cleanup() {
        Openers::Table() = Openers();
        if (Forms::Loaded<frmPrint>()) Forms::Close<frmPrint>();
        QTRY_VERIFY(!Forms::Loaded<frmPrint>());
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
    }

    // "&Print" shows the dialog modal on the selected file; OK prints it.
    void fromTheMenu() {
        fake_->name = "Laser";
        UseFakeSystem(dir_);
        picture({64, 48});
        WireWindows();
        frmMain* m = frmMain::Instance();
        m->Form_Load();
        m->CurrentFolder = dir_;
        m->ListFiles();
        m->ListView1->SetSelectedRow(1);
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* f = Forms::Find<frmPrint>();
            shown = f && f->isModal() && f->isVisible();
            if (f) f->Command1_Click(0);
        });
        m->mnufilea_Click(5);
        QVERIFY(shown);
        QCOMPARE(fake_->printed.size(), 1);
        QCOMPARE(fake_->printed[0].picture.size(), QSize(64, 48));
    }

    void description_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("dpi");  // 0: cannot be read
        QTest::addColumn<QString>("text");
        QTest::newRow("no printer") << ""
                                    << "" << 0 << "No printer is installed.";
        QTest::newRow("all three")
            << "Laser"
            << "usb://Acme/Laser" << 600
            << "Printer: Laser\r\nPort: usb://Acme/Laser\r\nResolution: 600 dpi";
        QTest::newRow("port unreadable") << "Laser"
                                         << "" << 300 << "Printer: Laser\r\nResolution: 300 dpi";
    }
    void description() {
        QFETCH(QString, name);
        QFETCH(QString, port);
        QFETCH(int, dpi);
        QFETCH(QString, text);
        if (!name.isEmpty()) fake_->name = name;
        if (!port.isEmpty()) fake_->port = port;
        if (dpi) fake_->quality = qint16(dpi);
        QCOMPARE(open(QString())->Label2->text(), text);
    }

    // OK prints the picture at its size in twips; Cancel and no printer send nothing.
    void buttons_data() {
        QTest::addColumn<bool>("printer");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("pages");
        QTest::newRow("OK") << true << 0 << 1;
        QTest::newRow("Cancel") << true << 1 << 0;
        QTest::newRow("OK without printer") << false << 0 << 0;
    }
    void buttons() {
        QFETCH(bool, printer);
        QFETCH(int, button);
        QFETCH(int, pages);
        if (printer) fake_->name = "Laser";
        frmPrint* f = open(picture({64, 48}));
        f->show();
        f->Command1_Click(button);
        QTRY_VERIFY(!Forms::Loaded<frmPrint>());
        QCOMPARE(fake_->printed.size(), pages);
        if (pages) {
            QCOMPARE(fake_->printed[0].twips, QSizeF(64 * 15, 48 * 15));
            QCOMPARE(fake_->printed[0].picture.size(), QSize(64, 48));
        }
    }

    // A picture larger than the page prints its top left part at its own
    // pixels, as large as the page's printable area.
    void largerThanThePage() {
        fake_->name = "Laser";
        fake_->printable = QSizeF(300 * 15, 40 * 15);
        QImage picture(9000, 60, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x % 256, y * 4, x / 256 * 7));
        const QString path = dir_ + "wide.bmp";
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(encoded(picture, "bmp")));
        out.close();
        open(path)->Command1_Click(0);
        QCOMPARE(fake_->printed.size(), 1);
        const QImage& printed = fake_->printed[0].picture;
        QCOMPARE(printed.size(), QSize(300, 40));
        QCOMPARE(fake_->printed[0].twips, QSizeF(300 * 15, 40 * 15));
        for (const QPoint at : {QPoint(0, 0), QPoint(299, 0), QPoint(137, 39), QPoint(299, 39)})
            QCOMPARE(printed.pixel(at), picture.pixel(at));
    }

    void unreadableFilePrintsAnEmptyPage() {
        fake_->name = "Laser";
        open(dir_ + "missing.bmp")->Command1_Click(0);
        QCOMPARE(fake_->printed.size(), 1);
        QVERIFY(fake_->printed[0].picture.isNull());
    }

    // The system's printer is its default one; printers without a default
    // are no printer at all.
    void systemPrinterIsTheDefault_data() {
        QTest::addColumn<QStringList>("printers");  // "*" marks the default
        QTest::addColumn<QString>("chosen");        // empty: none
        QTest::newRow("default second") << QStringList({"Laser", "*Inkjet"}) << "Inkjet";
        QTest::newRow("no default") << QStringList({"Laser", "Inkjet"}) << "";
        QTest::newRow("none installed") << QStringList() << "";
    }
    void systemPrinterIsTheDefault() {
        QFETCH(QStringList, printers);
        QFETCH(QString, chosen);
        SystemPrinters system([&] {
            QList<ListedPrinter> listed;
            for (const QString& p : printers)
                listed.push_back({p.startsWith('*') ? p.mid(1) : p, p.startsWith('*')});
            return listed;
        });
        QCOMPARE(system.DeviceName().value_or(QString()), chosen);
        if (chosen.isEmpty()) {  // nothing below may reach a printer
            QVERIFY(!system.Port() && !system.PrintQuality());
            QVERIFY(!system.PrintPicture(halves({8, 8}), QSizeF(120, 120)));
        }
    }

    // 640 x 480 pixels at 96 dpi is 480 x 360 points, at the printable area's top left.
    void pdfAtPhysicalSize() {
        const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
        if (pdftoppm.isEmpty()) QSKIP("pdftoppm (poppler-utils) is not installed");
        const QString pdf = dir_ + "page.pdf";
        Platform::SetPrinters(std::make_unique<PdfPrinters>(pdf));
        open(picture({640, 480}))->Command1_Click(0);
        QVERIFY(QFileInfo(pdf).size() > 0);
        QProcess render;
        render.start(pdftoppm, {"-r", "72", "-png", "-singlefile", pdf, dir_ + "page"});
        QVERIFY(render.waitForFinished(30000));
        QCOMPARE(render.exitCode(), 0);
        const QImage page(dir_ + "page.png");
        QVERIFY(!page.isNull());
        // Where the red and the blue halves are.
        QRect red, blue;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 60 && c.blue() < 60) red |= QRect(x, y, 1, 1);
                if (c.blue() > 200 && c.red() < 60 && c.green() < 60) blue |= QRect(x, y, 1, 1);
            }
        const QRect picture = red | blue;
        QVERIFY(qAbs(picture.width() - 480) <= 1);
        QVERIFY(qAbs(picture.height() - 360) <= 1);
        QVERIFY(qAbs(red.width() - 240) <= 1);
        QVERIFY(red.left() < blue.left());
        // The printable area starts inside the page's margins, never centred.
        QVERIFY(picture.left() > 0 && picture.left() < 100);
        QVERIFY(picture.top() > 0 && picture.top() < 100);
    }
};

KVO_TEST_MAIN(TestPrint)
#include "tst_print.moc"
