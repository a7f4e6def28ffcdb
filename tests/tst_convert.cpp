// Convert to BMP: output names, what is written for each kind of source,
// damaged sources, Cancel, the remembered folder and atomic writes.
#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QStringListModel>
#include <QTimer>
#include <QtTest>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "kit/Settings.h"
#include "tools/BmpFile.h"
#include "tools/frmconvert.h"

class TestConvert : public QObject {
    Q_OBJECT

    QString src_, out_;
    FileListView* lv_ = nullptr;
    QPointer<frmconvert> f_;

    void write(const QString& name, const QByteArray& bytes) {
        QFile f(src_ + name);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
    }

    // The converter on the given files of src_, all selected, ".." too.
    void open(const QStringList& names) {
        QVector<ListItem> items{ListItem::Parent(0)};
        for (const QString& n : names) items << ListItem::AtPath(QFile::encodeName(src_ + n), 0, 1);
        lv_->Model()->SetSort(false, 0, Qt::AscendingOrder);
        lv_->Model()->AddItems(items);
        for (int r = 0; r < items.size(); ++r) lv_->SetSelected(r, true);
        f_ = new frmconvert;
        f_->setAttribute(Qt::WA_DeleteOnClose);
        f_->FolderTreeview1->SetSelectedFolder(out_);
        f_->addtfiles(lv_);
    }

    QImage output(const QString& name) {
        QImageReader r(out_ + '/' + name, "bmp");
        return r.read();
    }

private slots:
    void init() {
        const QString root = UseFreshSettings();
        src_ = root + "src/";
        out_ = root + "out";
        QDir().mkpath(src_);
        QDir().mkpath(out_);
        lv_ = new FileListView;
    }
    void cleanup() {
        delete lv_;
        if (f_) delete f_;
    }

    void OutputPath_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/out"
                               << "/pics/cat.jpg"
                               << "/out/cat.bmp";
        QTest::newRow("folder with separator") << "/out/"
                                               << "/pics/cat.jpg"
                                               << "/out/cat.bmp";
        QTest::newRow("last dot only") << "/out"
                                       << "/p/holiday.photo.jpeg"
                                       << "/out/holiday.photo.bmp";
        QTest::newRow("lower case") << "/out"
                                    << "/p/cat.BMP"
                                    << "/out/cat.bmp";
        QTest::newRow("no dot") << "/out"
                                << "/p/cat"
                                << "/out/catbmp";
    }
    void OutputPath() {
        QFETCH(QString, folder);
        QFETCH(QString, source);
        QFETCH(QString, path);
        QCOMPARE(frmconvert::OutputPath(folder, source), path);
    }

    // Every kind becomes a real bitmap; a damaged source writes nothing, not
    // even the picture before it; of two sources with one output name the
    // later wins.
    void convertfiles() {
        write("a.jpg", encoded(halves({64, 48}), "jpg"));
        write("bad.gif", "GIF89a\x10\0\x10\0garbage");
        write("cat.bmp", encoded(halves({8, 8}, kRed, kRed), "bmp"));
        write("cat.gif", gifFile(halves({8, 8}, kGreen, kGreen)));
        write("i.ico", iconFile(1, {{halves({16, 16}), 32}}));
        write("m.wmf", wmfFile(wmfDrawing()));
        open({"a.jpg", "bad.gif", "cat.bmp", "cat.gif", "i.ico", "m.wmf"});
        QCOMPARE(f_->paths_->stringList().size(), 6);
        f_->convertfiles();
        QCOMPARE(QDir(out_).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"a.bmp", "cat.bmp", "i.bmp", "m.bmp"}));
        QCOMPARE(output("a.bmp").size(), QSize(64, 48));
        QCOMPARE(output("cat.bmp").pixel(4, 4), kGreen.rgb());
        QCOMPARE(output("i.bmp").pixel(2, 2), kRed.rgb());
        QVERIFY(!output("m.bmp").isNull());
        for (const char* n : {"a.bmp", "cat.bmp", "i.bmp", "m.bmp"})
            QVERIFY(!output(n).hasAlphaChannel());
        QCOMPARE(f_->Picture1->text(), QString());
    }

    void cancelAfterTheCurrentFile() {
        for (const char* n : {"a.bmp", "b.bmp", "c.bmp"}) write(n, encoded(halves({8, 8}), "bmp"));
        open({"a.bmp", "b.bmp", "c.bmp"});
        f_->show();
        QTimer::singleShot(0, f_, &frmconvert::Command2_Click);
        f_->Command1_Click();
        QTRY_VERIFY(!f_);
        QCOMPARE(QDir(out_).entryList(QDir::Files), QStringList{"a.bmp"});
        QCOMPARE(ReadSetting("General Options", "Last Convert Folder"), out_);
    }

    // A BMP converted into its own folder is replaced whole, its mode kept.
    void overItself() {
        out_ = src_.chopped(1);
        write("a.bmp", encoded(halves({8, 8}), "bmp"));
        QFile(src_ + "a.bmp").setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        open({"a.bmp"});
        f_->convertfiles();
        QCOMPARE(output("a.bmp").pixel(7, 0), kBlue.rgb());
        QCOMPARE(QFile(src_ + "a.bmp").permissions(),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                     QFileDevice::WriteUser);
        QCOMPARE(QDir(src_).entryList(QDir::Files | QDir::Hidden), QStringList{"a.bmp"});
    }
};

KVO_TEST_MAIN(TestConvert)
#include "tst_convert.moc"
