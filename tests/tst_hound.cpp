// Image Hound: the ending rule, the walk over generated trees (order, links,
// unreadable folders, odd names), stopping, nested searches, the preview.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "hound/ResultListModel.h"
#include "hound/frmFind.h"
#include "kit/Forms.h"
#include "kit/ImageControl.h"
#include "kit/PictureBox.h"
#include "kit/PictureService.h"
#include "kit/PictureTypes.h"
#include "kit/Settings.h"
#include "kit/Splitter.h"
#include "kit/TabStrip.h"
#include "platform/FolderReader.h"

namespace {
void touch(const QString& path, const QByteArray& bytes = {}) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}
// A file whose name is not valid UTF-8.
void touchRaw(const QByteArray& path) {
    QFile f;
    if (!f.open(::fopen(path.constData(), "w"), QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        qFatal("cannot write %s", path.constData());
}

void allSwitches(bool on) {
    for (const PictureTypes::Row& r : PictureTypes::kRows) PictureTypes::Shown(r) = on;
}

// A reader that cannot read one folder.
class Refusing : public FolderReader {
public:
    explicit Refusing(QByteArray refused) : refused_(std::move(refused)) {}
    bool Read(const QByteArray& dir, std::vector<FolderItem>* out, FolderId* id) override {
        if (dir == refused_) return false;
        return FolderReader::Read(dir, out, id);
    }

private:
    QByteArray refused_;
};
}  // namespace

class TestHound : public QObject {
    Q_OBJECT

    QString root_;
    frmFind* w_ = nullptr;

    // A fresh window that searches `start` when Find is pressed.
    void open() {
        w_ = Forms::Get<frmFind>();
        w_->Form_Load();
        w_->show();
    }
    void find(const QString& start) {
        frmFind::chooseFolder = [start](QWidget*, const QString&) { return start; };
        w_->Toolbar1_ButtonClick(1);
    }
    // All results, list by list, relative to root_.
    QStringList results(int list) const {
        QStringList out;
        ResultListModel* m = w_->Results(list);
        for (int i = 0; i < m->ListCount(); ++i) out << m->Text(i).mid(root_.size());
        return out;
    }
    QStringList tabs() const {
        QStringList out;
        for (int i = 0; i < 8; ++i) out << w_->TabStrip1->tabText(i);
        return out;
    }

private slots:
    void init() {
        root_ = UseFreshSettings() + "tree/";
        QDir().mkpath(root_);
        allSwitches(true);
    }
    void cleanup() {
        frmFind::chooseFolder = nullptr;
        frmFind::makeReader = nullptr;
        if (Forms::Loaded<frmFind>()) Forms::Close<frmFind>();
        QTRY_VERIFY(!Forms::Loaded<frmFind>());
    }

    void endings_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("list");
        QTest::newRow("upper case") << QByteArray("PHOTO.JPG") << 6;
        QTest::newRow("mixed case") << QByteArray("Photo.Jpg") << 6;
        QTest::newRow("jpeg") << QByteArray("x.JPEG") << 6;
        QTest::newRow("jpeg without a dot") << QByteArray("notjpeg") << 6;
        QTest::newRow("longer ending") << QByteArray("a.bmpx") << -1;
        QTest::newRow("exactly the ending") << QByteArray(".wmf") << 7;
        QTest::newRow("too short") << QByteArray("bmp") << -1;
        QTest::newRow("dot dot") << QByteArray("..") << -1;
        QTest::newRow("latin-1 stem") << QByteArray("caf\xe9.gif") << 4;
        QTest::newRow("every type") << QByteArray("a.cur") << 1;
        QTest::newRow("dib") << QByteArray("a.DIB") << 2;
        QTest::newRow("emf") << QByteArray("a.emf") << 3;
        QTest::newRow("ico") << QByteArray("a.ico") << 5;
        QTest::newRow("png is other") << QByteArray("a.png") << 8;
        QTest::newRow("heic is other") << QByteArray("IMG_0001.HEIC") << 8;
        QTest::newRow("tiff without a dot") << QByteArray("xtiff") << 8;
        QTest::newRow("text is none") << QByteArray("a.txt") << -1;
    }
    void endings() {
        QFETCH(QByteArray, name);
        QFETCH(int, list);
        QCOMPARE(ImageListOf(name), list);
    }

    // Pre-order, folders named like images, dot-folders, switches, links.
    void walk() {
        touch(root_ + "a.bmp");
        touch(root_ + "x.JPEG");
        touch(root_ + "y.jpg");
        touch(root_ + "notes.txt");
        touch(root_ + "s1/b.bmp");
        touch(root_ + "s1/deep/c.bmp");
        touch(root_ + "s2/d.bmp");
        touch(root_ + "s2/e.gif");
        touch(root_ + ".hidden/h.bmp");
        touch(root_ + "pics.bmp/inside.ico");
        const QByteArray raw = QFile::encodeName(root_) + "s2/\xff\xfe.cur";
        touchRaw(raw);
        // Folder removal goes by text names, which cannot reach this one.
        const auto removeRaw = qScopeGuard([raw] { ::unlink(raw.constData()); });
        QVERIFY(QFile::link(root_, root_ + "s1/deep/loop"));
        QVERIFY(QFile::link(root_ + "s2", root_ + "s2again"));
        ShowGIF = false;
        open();
        find(QDir(root_).absolutePath());  // no trailing separator

        const QStringList bmp = results(0);
        // The start folder's own entries first (the folder pics.bmp among them),
        // then each subfolder's files before those of the folders below it.
        QCOMPARE(QSet<QString>(bmp.begin(), bmp.begin() + 2), (QSet<QString>{"a.bmp", "pics.bmp"}));
        const QStringList s1 = {"s1/b.bmp", "s1/deep/c.bmp"};
        const QStringList rest = bmp.mid(2);
        QVERIFY2(rest == s1 + QStringList{"s2/d.bmp"} || rest == QStringList{"s2/d.bmp"} + s1 ||
                     rest == QStringList{"s2again/d.bmp"} + s1 ||
                     rest == s1 + QStringList{"s2again/d.bmp"},
                 qPrintable(bmp.join(", ")));
        QCOMPARE(results(5).size(), 1);
        QCOMPARE(results(5).first(), QString("pics.bmp/inside.ico"));
        QCOMPARE(results(4), QStringList());
        QCOMPARE(results(6).size(), 2);
        QCOMPARE(w_->Results(1)->RawPath(0).right(6), QByteArray("\xff\xfe.cur"));
        QCOMPARE(tabs(), (QStringList{"BMP (5)", "CUR (1)", "DIB (0)", "EMF (0)", "GIF (0)",
                                      "ICO (1)", "JPG (2)", "WMF (0)"}));
        QCOMPARE(w_->SimpleText(), "9 images were found for your query under the folder " +
                                       QDir(root_).absolutePath() + ".");
        QVERIFY(!w_->Searching);
    }

    // The newer types all go to the one tab after the classic eight, each
    // file as its own type's switch says.
    void otherTab() {
        for (const char* name : {"a.png", "b.AVIF", "c.jxl", "d.heic", "e.tif", "f.txt", "g.bmp"})
            touch(root_ + name);
        PictureTypes::Shown(PictureTypes::Named("JXL")) = false;
        open();
        find(root_);
        QStringList other = results(8);
        other.sort();
        QCOMPARE(other, (QStringList{"a.png", "b.AVIF", "d.heic", "e.tif"}));
        QCOMPARE(w_->TabStrip1->count(), 9);
        QCOMPARE(w_->TabStrip1->tabText(8), "Other (4)");
        QCOMPARE(results(0), QStringList{"g.bmp"});
    }

    // A folder that cannot be read adds nothing and stops nothing.
    void unreadableFolder_data() {
        QTest::addColumn<bool>("byPermission");
        QTest::newRow("refused by the reader") << false;
        QTest::newRow("mode 000") << true;
    }
    void unreadableFolder() {
        QFETCH(bool, byPermission);
        touch(root_ + "a/locked/x.bmp");
        touch(root_ + "b/y.bmp");
        touch(root_ + "z.bmp");
        const QByteArray locked = QFile::encodeName(root_ + "a/locked/");
        if (byPermission) {
            if (geteuid() == 0) QSKIP("root reads every folder");
            QVERIFY(::chmod(locked.constData(), 0) == 0);
        } else {
            frmFind::makeReader = [locked] { return std::make_unique<Refusing>(locked); };
        }
        open();
        find(root_);
        if (byPermission) ::chmod(locked.constData(), 0755);
        QStringList found = results(0);
        found.sort();
        QCOMPARE(found, (QStringList{"b/y.bmp", "z.bmp"}));
    }

    // Stop (or closing the window) during the walk: the folder just
    // announced is not listed and nothing more is added.
    void stopMidWalk_data() {
        QTest::addColumn<bool>("close");
        QTest::newRow("stop") << false;
        QTest::newRow("close the window") << true;
    }
    void stopMidWalk() {
        QFETCH(bool, close);
        touch(root_ + "top.bmp");
        for (int i = 0; i < 30; ++i) touch(root_ + QString("f%1/g/p.bmp").arg(i));
        open();
        int announced = 0;
        QPointer<frmFind> w = w_;
        connect(w_, &frmFind::SimpleTextChanged, w_, [&](const QString& t) {
            if (!t.startsWith("Searching ") || ++announced != 6) return;
            if (close)
                w->close();
            else
                w->Toolbar1_ButtonClick(2);
        });
        find(root_);
        if (close) {
            QTRY_VERIFY(w.isNull());
            return;
        }
        // Visits 1 to 5 were listed: the root, then two folders of each of
        // two branches; visit 6 was announced, not listed.
        QCOMPARE(results(0).size(), 3);
        QVERIFY(w_->SimpleText().startsWith("3 images were found"));
        QCOMPARE(w_->TabStrip1->tabText(0), QString("BMP (3)"));
    }

    // A second search starts from 0; one started inside another's yield
    // leaves its own results and one count per tab; a cancelled picker
    // changes nothing.
    void searchAgain() {
        touch(root_ + "one/a.bmp");
        touch(root_ + "one/b.gif");
        touch(root_ + "two/c.bmp");
        open();
        find(root_ + "one");
        QCOMPARE(tabs().mid(0, 1), QStringList{"BMP (1)"});
        bool nested = false;
        connect(w_, &frmFind::SimpleTextChanged, w_, [&](const QString& t) {
            if (nested || !t.startsWith("Searching ")) return;
            nested = true;
            find(root_ + "two");
        });
        find(root_ + "one");
        QCOMPARE(results(0), QStringList{"two/c.bmp"});
        QCOMPARE(results(4), QStringList());
        QCOMPARE(tabs().mid(0, 5),
                 (QStringList{"BMP (1)", "CUR (0)", "DIB (0)", "EMF (0)", "GIF (0)"}));
        QCOMPARE(w_->SimpleText(),
                 "1 images were found for your query under the folder " + root_ + "two.");
        disconnect(w_, &frmFind::SimpleTextChanged, w_, nullptr);
        find(QString());
        QCOMPARE(results(0), QStringList{"two/c.bmp"});
    }

    // The real folder chooser opens on the folder the browser lists, each
    // time, wherever the program was started and wherever the last search
    // began; what is chosen in it is searched, and Cancel searches nothing.
    void folderChooserStartsInTheListedFolder() {
        touch(root_ + "listed/a.bmp");
        touch(root_ + "other/b.bmp");
        UseFakeSystem(root_);
        frmMain::Instance()->CurrentFolder = root_ + "listed/";
        QVERIFY(QDir::current() != QDir(root_ + "listed"));
        open();
        QStringList opened;
        auto answer = [&](const QString& choose) {
            QTimer::singleShot(0, w_, [&, choose] {
                auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(d);
                opened << d->directory().absolutePath() + "/";
                if (choose.isEmpty()) return d->reject();
                d->setDirectory(choose);
                static_cast<QDialog*>(d)->accept();
            });
            w_->Toolbar1_ButtonClick(1);
        };
        answer(root_ + "other");
        QCOMPARE(results(0), QStringList{"other/b.bmp"});
        answer(QString());
        QCOMPARE(opened, (QStringList{root_ + "listed/", root_ + "listed/"}));
        QCOMPARE(results(0), QStringList{"other/b.bmp"});
        frmMain::Instance()->close();
        QTRY_VERIFY(!frmMain::Exists());
    }

    // However narrow the left pane, every tab (captions with counts) is
    // drawn inside the strip, apart from the others, and a click on it
    // chooses it and shows its list alone; the lists start below the tabs.
    // Arrow keys move between tabs and rows.
    void everyTabOnShow_data() {
        QTest::addColumn<float>("split");
        QTest::addColumn<int>("rows");
        QTest::newRow("default pane") << 4000.f << 5;
        QTest::newRow("smallest pane") << 2000.f << 9;
        QTest::newRow("wide pane") << 11000.f << 2;
    }
    void everyTabOnShow() {
        QFETCH(float, split);
        QFETCH(int, rows);
        touch(root_ + "a.bmp");
        open();
        find(root_);
        const int count = w_->TabStrip1->count();
        for (int i = 0; i < count; ++i)  // counts as long as a big search gives
            w_->TabStrip1->setTabText(i, w_->TabStrip1->tabText(i).section(' ', 0, 0) + " (12345)");
        w_->Splitter1->SetSplitPosition(split);
        QCoreApplication::processEvents();
        TabStrip* s = w_->TabStrip1;
        QCOMPARE(s->rowCount(), rows);
        QCOMPARE(s->height(), s->heightForWidth(s->width()));
        for (int i = 0; i < count; ++i) {
            const QRect r = s->tabRect(i);
            QVERIFY2(s->rect().contains(r) && !r.isEmpty(), qPrintable(s->tabText(i)));
            for (int k = 0; k < i; ++k) QVERIFY(!r.intersects(s->tabRect(k)));
            QTest::mouseClick(s, Qt::LeftButton, {}, r.center());
            QCOMPARE(s->currentIndex(), i);
            for (int k = 0; k < count; ++k) QCOMPARE(w_->List1[k]->isVisible(), k == i);
            QVERIFY(w_->List1[i]->geometry().top() >= s->geometry().bottom());
        }
        s->setCurrentIndex(0);
        QTest::keyClick(s, Qt::Key_Right);
        QCOMPARE(s->currentIndex(), 1);
        const int below = s->tabAt(s->tabRect(1).center() + QPoint(0, s->tabRect(1).height()));
        QVERIFY(below > 1);
        QTest::keyClick(s, Qt::Key_Down);
        QCOMPARE(s->currentIndex(), below);
        QTest::keyClick(s, Qt::Key_End);
        QCOMPARE(s->currentIndex(), count - 1);
    }

    // A folder on a mount that stops answering is given up, with the mount.
    void slowMountGivesUp() {
        FolderReader reader(50);
        reader.SetSlowMounts({"/net"});
        int calls = 0;
        reader.SetSlowRead([&calls](const QByteArray&, std::vector<FolderItem>*, FolderId*) {
            ++calls;
            QThread::msleep(400);
            return true;
        });
        std::vector<FolderItem> out;
        FolderId id;
        QVERIFY(!reader.Read("/net/a/", &out, &id));
        QVERIFY(!reader.Read("/net/b/", &out, &id));
        QCOMPARE(calls, 1);
        QCOMPARE(FolderReader::SlowMounts("srv:/x /net nfs4 rw 0 0\n"
                                          "a /mnt/my\\040disk fuse.sshfs rw 0 0\n"
                                          "/dev/sda1 / ext4 rw 0 0\n"),
                 (std::vector<QByteArray>{"/net", "/mnt/my disk"}));
        QThread::msleep(450);  // the helper thread finishes before the test ends
    }

    // A clicked result is fitted into the preview, counted and copyable.
    void preview() {
        touch(root_ + "wide.bmp", encoded(halves({2000, 100}), "bmp"));
        touch(root_ + "small.bmp", encoded(halves({100, 100}), "bmp"));
        touch(root_ + "broken.bmp", "BM not really");
        open();
        w_->resize(900, 600);
        QCoreApplication::processEvents();
        find(root_);
        const float DW = w_->picdest->Width(), DH = w_->picdest->Height();
        const QStringList names = results(0);
        auto click = [&](const QString& name) {
            // Moving the selection shows the result, as a click does.
            w_->List1[0]->setCurrentIndex(w_->Results(0)->index(int(names.indexOf(name))));
            PictureService::Instance().Settle();
        };
        WriteSetting("Browser Options", "Odometer", 5);
        click("small.bmp");
        QCOMPARE(w_->Image1->Width, 1500.f);
        QCOMPARE(w_->Image1->Left, (DW - 1500) / 2);
        click("wide.bmp");
        QCOMPARE(w_->Image1->Width, DW - 210);
        QCOMPARE(w_->Image1->Height, DW * 1500 / 30000);
        QCOMPARE(ReadSetting("Browser Options", "Odometer"), QString("7"));
        w_->Toolbar1_ButtonClick(5);
        QCOMPARE(QApplication::clipboard()->text(), root_ + "wide.bmp");
        click("broken.bmp");
        QVERIFY(w_->Image1->Picture().isNull());
        QVERIFY(!w_->picsrc.HasPicture());
        QVERIFY(DH > 0);
    }
};

KVO_TEST_MAIN(TestHound)
#include "tst_hound.moc"
