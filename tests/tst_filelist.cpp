// The file list, drive and favourite buttons and the Favorites menu, on
// generated folders.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QtTest>

#include "TestEnv.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Options.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/MsgBox.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "platform/Volumes.h"

namespace {
void touch(const QString& path, int bytes = 10) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
}
// Each type's switch, a file of that type and the image its entry shows.
struct TypeRow {
    const char* key;
    const char* file;
    int image;
};
constexpr TypeRow kTypes[] = {
    {"Show BMP", "a.bmp", 1},   {"Show GIF", "b.GIF", 2}, {"Show JPG", "c.jpg", 3},
    {"Show JPEG", "d.jpeg", 3}, {"Show DIB", "e.Dib", 4}, {"Show CUR", "f.cur", 5},
    {"Show ICO", "g.ico", 6},   {"Show EMF", "h.emf", 7}, {"Show WMF", "i.WMF", 8}};
}  // namespace

class TestFileList : public QObject {
    Q_OBJECT
    QString root_;
    frmMain* f_ = nullptr;

    // A main window on a fresh store whose start folder is `folder` (made
    // under the root) holding the given files.
    frmMain* open(const QString& folder, const QStringList& files,
                  const QStringList& settings = {}) {
        const QString dir = UseFreshSettings();
        root_ = dir + "root/";
        QDir().mkpath(root_ + folder);
        for (const QString& name : files) {
            if (name.endsWith('/')) {
                QDir().mkpath(root_ + folder + "/" + name);
            } else {
                touch(root_ + folder + "/" + name, 10 + name.size());
            }
        }
        UseFakeSystem(root_);
        WriteSetting("Browser Options", "Previous Folder", root_ + folder);
        for (const QString& kv : settings) {
            const QStringList p = kv.split('=');
            WriteSetting("Browser Options", p[0], p[1]);
        }
        f_ = frmMain::Instance();
        f_->Form_Load();
        return f_;
    }

    QStringList texts() const {
        QStringList t;
        const FileListModel* m = f_->ListView1->Model();
        for (int r = 0; r < m->Count(); ++r) t << m->Item(r).Text();
        return t;
    }

    void DoFileTypesAndRefresh() {
        DoFileTypes();
        f_->ListFiles();
    }

    int rowOf(const QString& text) const {
        const FileListModel* m = f_->ListView1->Model();
        for (int r = 0; r < m->Count(); ++r)
            if (m->Item(r).Text() == text) return r;
        return -1;
    }

private slots:
    void cleanup() {
        SetMsgBoxHandler(nullptr);
        if (frmMain::Exists()) frmMain::Instance()->close();
        QTRY_VERIFY(!frmMain::Exists());
    }

    void listsPictureFilesOnly() {
        open("pics", {"cat.jpg", "dog.JPEG", "logo.gif", "notes.txt", "shot.png", "folder.jpg/",
                      "x.jpg.txt"});
        QCOMPARE(texts(), QStringList({"..", "cat", "dog", "logo", "shot"}));
        const FileListModel* m = f_->ListView1->Model();
        QCOMPARE(m->Item(0).Key(), QString());
        QCOMPARE(m->Item(0).Image(), 9);
        QCOMPARE(m->Item(1).Key(), root_ + "pics/cat.jpg");
        QCOMPARE(m->Item(1).SubItem(1), QString("17 bytes"));
        QCOMPARE(m->Item(2).Key(), root_ + "pics/dog.JPEG");
        QCOMPARE(m->Item(2).Image(), 3);
        QCOMPARE(m->Item(3).Image(), 2);
        // Every entry shows its type's picture.
        for (int r = 0; r < m->Count(); ++r)
            QVERIFY(!m->data(m->index(r, 0), Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(f_->StatusBar1->Panels(2).Text(), QString("Total 4 Item(s)"));
        QCOMPARE(f_->CurrentFolder, root_ + "pics/");
    }

    void typeSwitches_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("image");
        for (const auto& [key, file, image] : kTypes) QTest::newRow(file) << key << file << image;
    }

    void typeSwitches() {
        QFETCH(QString, key);
        QFETCH(QString, file);
        QFETCH(int, image);
        QStringList all;
        for (const auto& type : kTypes) all << type.file;
        open("types", all, {key + "=False"});
        const QString text = file.left(1);
        QVERIFY2(rowOf(text) < 0, qPrintable(texts().join(',')));
        QCOMPARE(f_->ListView1->Model()->Count(), 9);  // the parent and the other eight
        // Switched back on, the file comes back with its image.
        WriteSetting("Browser Options", key, true);
        DoFileTypesAndRefresh();
        const int row = rowOf(text);
        QVERIFY(row > 0);
        QCOMPARE(f_->ListView1->Model()->Item(row).Image(), image);
    }

    void hiddenFiles() {
        open("h", {".secret.jpg", "open.jpg"}, {"Show Hidden Files=False"});
        QCOMPARE(texts(), QStringList({"..", "open"}));
        QVERIFY(!f_->mnuviewa()(7)->isChecked());
        f_->mnuviewa()(7)->trigger();
        QCOMPARE(texts(), QStringList({"..", ".secret", "open"}));
        QCOMPARE(ReadSetting("Browser Options", "Show Hidden Files"), QString("True"));
        QVERIFY(f_->mnuviewa()(7)->isChecked() && f_->FolderTreeview1->ShowHidden());
        f_->mnuviewa()(7)->trigger();
        QCOMPARE(texts(), QStringList({"..", "open"}));
        QCOMPARE(ReadSetting("Browser Options", "Show Hidden Files"), QString("False"));
    }

    void unreadableFolderListsOnlyTheParent() {
        open("locked", {"a.jpg"});
        f_->CurrentFolder = root_ + "nowhere/";
        f_->ListFiles();
        QCOMPARE(texts(), QStringList({".."}));
        QCOMPARE(f_->StatusBar1->Panels(2).Text(), QString("Total 0 Item(s)"));
    }

    void columnClicksFlipTheOrder() {
        open("s", {"b.jpg", "A.jpg", "c.gif"});
        QCOMPARE(texts(), QStringList({"..", "A", "b", "c"}));
        f_->ListView1->SetSelectedRow(rowOf("b"));
        f_->ListView1->SetSelected(rowOf("A"), true);
        f_->ListView1_ColumnClick(1);
        QCOMPARE(texts(), QStringList({"c", "b", "A", ".."}));
        // The selection moves with the items.
        QCOMPARE(f_->ListView1->SelectedRow(), rowOf("b"));
        QVERIFY(f_->ListView1->IsSelected(rowOf("A")) && !f_->ListView1->IsSelected(rowOf("c")));
        // Any header flips the order again; sizes sort by their text.
        touch(root_ + "s/big.bmp", 2000);
        f_->ListFiles();
        f_->ListView1_ColumnClick(2);
        QCOMPARE(f_->ListView1->Model()->SortKey(), 1);
        QCOMPARE(f_->ListView1->Model()->SortOrder(), Qt::AscendingOrder);
        // The texts compare, not the numbers: "1.95KB" comes before "15 bytes",
        // and the parent, with no size text, before both.
        QCOMPARE(texts().mid(0, 2), QStringList({"..", "big"}));
    }

    void selectionCommandsSkipTheParent() {
        open("sel", {"a.jpg", "b.jpg", "c.jpg"});
        FileListView* list = f_->ListView1;
        list->SetSelected(0, true);
        f_->mnuedita()(9)->trigger();  // Select All Files
        QVERIFY(list->IsSelected(rowOf("a")) && list->IsSelected(rowOf("b")) &&
                list->IsSelected(rowOf("c")));
        QVERIFY(!list->IsSelected(rowOf("..")));
        list->SetSelected(rowOf("b"), false);
        list->SetSelected(rowOf(".."), true);
        f_->mnuedita()(10)->trigger();  // Invert Selection
        QVERIFY(!list->IsSelected(rowOf("a")) && list->IsSelected(rowOf("b")) &&
                !list->IsSelected(rowOf("c")));
        QVERIFY(list->IsSelected(rowOf("..")));
    }

    // The rows the slideshow, the file operations, the listings and the
    // converter take: in list order, each once, however the selection was
    // made. Picks are {first row, last row, whole rows?}, in the order made.
    void selectedRowsInListOrder_data() {
        QTest::addColumn<QList<QList<int>>>("picks");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("nothing") << QList<QList<int>>{} << QList<int>{};
        QTest::newRow("picked backwards")
            << QList<QList<int>>{{4, 4, 1}, {1, 1, 1}} << QList<int>{1, 4};
        QTest::newRow("one range a row")
            << QList<QList<int>>{{3, 3, 1}, {1, 1, 1}, {2, 2, 1}} << QList<int>{1, 2, 3};
        QTest::newRow("overlapping")
            << QList<QList<int>>{{1, 3, 1}, {2, 4, 1}} << QList<int>{1, 2, 3, 4};
        // What the icon views select: the name, not the whole row.
        QTest::newRow("names only")
            << QList<QList<int>>{{0, 0, 0}, {2, 3, 0}} << QList<int>{0, 2, 3};
    }

    void selectedRowsInListOrder() {
        QFETCH(QList<QList<int>>, picks);
        QFETCH(QList<int>, expected);
        open("rows", {"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
        FileListView* list = f_->ListView1;
        const FileListModel* m = list->Model();
        list->Selection()->clearSelection();
        for (const QList<int>& p : picks)
            list->Selection()->select(
                QItemSelection(m->index(p[0], 0), m->index(p[1], p[2] ? 3 : 0)),
                QItemSelectionModel::Select);
        std::vector<int> rows = list->SelectedRows();
        QCOMPARE(QList<int>(rows.begin(), rows.end()), expected);

        // Selecting the others instead: whole rows, and nothing else stays.
        std::vector<int> others;
        for (int row = 0; row < m->Count(); ++row)
            if (!expected.contains(row)) others.push_back(row);
        list->SelectOnly(others);
        QCOMPARE(list->SelectedRows(), others);
        for (int row : others) QVERIFY(list->IsSelected(row));
    }

    void sameFolderIsNotListedAgain() {
        open("same", {"a.jpg"});
        touch(root_ + "same/b.jpg");
        f_->FolderTreeview1->SetSelectedFolder(root_ + "same");
        QCOMPARE(texts(), QStringList({"..", "a"}));
        f_->mnuviewa()(9)->trigger();  // Refresh
        QCOMPARE(texts(), QStringList({"..", "a", "b"}));
    }

    void doubleClick_data() {
        QTest::addColumn<QString>("doubleClick");
        QTest::addColumn<bool>("opensOutside");
        QTest::newRow("viewer") << "True" << false;
        QTest::newRow("default program") << "False" << true;
    }

    void doubleClick() {
        QFETCH(QString, doubleClick);
        QFETCH(bool, opensOutside);
        auto shell = std::make_unique<FakeShell>();
        FakeShell* rec = shell.get();
        Platform::SetShell(std::move(shell));
        open("dbl/inner", {"a.jpg"}, {"Double Click=" + doubleClick});
        f_->ListView1->SetSelectedRow(rowOf("a"));
        f_->ListView1_DblClick();
        QCOMPARE(rec->opened, opensOutside
                                  ? QList<QUrl>{QUrl::fromLocalFile(root_ + "dbl/inner/a.jpg")}
                                  : QList<QUrl>{});
        QVERIFY(f_->isVisible() || !opensOutside);
        // The parent entry goes up a level instead.
        f_->ListView1->SetSelectedRow(rowOf(".."));
        f_->ListView1_DblClick();
        QCOMPARE(f_->CurrentFolder, root_ + "dbl/");
    }

    void driveButtons() {
        auto vols = std::make_unique<FakeVolumes>();
        vols->roots = {"/",         "/media/cd/", "/net/share/", "/run/media/u/USB/",
                       "/mnt/ram/", "/gone/",     "/odd/"};
        vols->types = {{"/", DRIVE_FIXED},
                       {"/media/cd/", DRIVE_CDROM},
                       {"/net/share/", DRIVE_REMOTE},
                       {"/run/media/u/USB/", DRIVE_REMOVABLE},
                       {"/mnt/ram/", DRIVE_RAMDISK},
                       {"/gone/", DRIVE_NO_ROOT_DIR},
                       {"/odd/", 9}};
        Platform::SetVolumes(std::move(vols));
        open("d", {});
        const Toolbar* bar = f_->Toolbar2;
        QStringList tips, keys;
        for (int i = 1; i <= bar->Count() && !bar->Buttons(i).separator; ++i) {
            tips << bar->Buttons(i).toolTip;
            keys << bar->Buttons(i).key;
        }
        QCOMPARE(tips,
                 QStringList({"Fixed Drive (/ )", "CDROM Drive (/media/cd/ )",
                              "Network Drive (/net/share/ )",
                              "Removable Drive (/run/media/u/USB/ )", "RAM Drive (/mnt/ram/ )"}));
        QCOMPARE(keys.first(), QString("/"));
        QVERIFY(bar->Buttons(6).separator);
        QCOMPARE(bar->Count(), 6);  // no favourites: the bar ends with the separator
        Platform::SetVolumes(std::make_unique<LinuxVolumes>());
    }

    void favouritesInSectionOrder() {
        const QString dir = UseFreshSettings();
        QDir().mkpath(dir + "root/work");
        QDir().mkpath(dir + "root/photos");
        WriteSetting("Favorite Folders", "Work", dir + "root/work");
        WriteSetting("Favorite Folders", "Photos", dir + "root/photos");
        UseFakeSystem(dir + "root/");
        f_ = frmMain::Instance();
        f_->Form_Load();
        const Toolbar* bar = f_->Toolbar2;
        QCOMPARE(bar->Buttons(bar->Count() - 1).toolTip, QString("Work"));
        QCOMPARE(bar->Buttons(bar->Count()).toolTip, QString("Photos"));
        QVERIFY(bar->Buttons(bar->Count() - 2).separator);
        QCOMPARE(f_->mnuorgan()(2)->text(), QString("Work"));
        QCOMPARE(f_->mnuorgan()(3)->text(), QString("Photos"));
        QVERIFY(!f_->mnuorgan()(4));

        f_->mnuorgan()(3)->trigger();
        QCOMPARE(f_->CurrentFolder, dir + "root/photos/");
        f_->Toolbar2_ButtonClick(bar->Count() - 1);
        QCOMPARE(f_->CurrentFolder, dir + "root/work/");
    }

    void missingFavouriteSaysSo() {
        const QString dir = UseFreshSettings();
        QDir().mkpath(dir + "root/here");
        WriteSetting("Favorite Folders", "Old", dir + "root/deleted");
        WriteSetting("Browser Options", "Previous Folder", dir + "root/here");
        UseFakeSystem(dir + "root/");
        QStringList shown;
        SetMsgBoxHandler([&](const QString& text, int style, const QString& title) {
            shown << text << QString::number(style) << title;
            return 1;
        });
        f_ = frmMain::Instance();
        f_->Form_Load();
        f_->Toolbar2_ButtonClick(f_->Toolbar2->Count());
        QCOMPARE(shown,
                 QStringList(
                     {"That folder does not appear to exist any longer.\r\n\r\nPlease verify the "
                      "path and try again.",
                      "64", "Kvo View"}));
        QCOMPARE(f_->CurrentFolder, dir + "root/here/");
    }
};

KVO_TEST_MAIN(TestFileList)
#include "tst_filelist.moc"
