// The file commands and the destination dialog, against a recording engine.
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QTimer>
#include <QtTest>

#include "TestEnv.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "fileops/FileCommands.h"
#include "fileops/frmFileOps.h"
#include "kit/InputBox.h"
#include "kit/MsgBox.h"
#include "kit/Settings.h"
#include "platform/FileOperation.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/Platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace FileOp;

class TestFileCommands : public QObject {
    Q_OBJECT
    QString folder_;
    QList<SHFILEOPSTRUCT> calls_;
    frmMain* f_ = nullptr;

    // The list shows names without their extension.
    void open(const QStringList& select) {
        const QString dir = UseFreshSettings();
        folder_ = dir + "root/photos";
        QDir().mkpath(folder_ + "/sub");
        for (const char* n : {"a.bmp", "b.bmp", "c.bmp"}) {
            QImage img(8, 8, QImage::Format_RGB32);
            img.fill(Qt::blue);
            QVERIFY(img.save(folder_ + '/' + n));
        }
        UseFakeSystem(dir + "root/");
        WriteSetting("Browser Options", "Previous Folder", folder_);
        f_ = frmMain::Instance();
        f_->Form_Load();
        const FileListModel* m = f_->ListView1->Model();
        f_->ListView1->Selection()->clear();
        for (int r = 0, n = 0; r < m->Count(); ++r) {
            if (!select.contains(m->Item(r).Text())) continue;
            if (n++ == 0)
                f_->ListView1->SetSelectedRow(r);  // the current item
            else
                f_->ListView1->SetSelected(r, true);
        }
        TreeHasFocus = false;
    }
    QByteArray path(const char* name) const { return QFile::encodeName(folder_ + '/' + name); }
    QStringList listed() const {
        QStringList names;
        for (int r = 0; r < f_->ListView1->Model()->Count(); ++r)
            names << f_->ListView1->Model()->Item(r).Text();
        return names;
    }

private slots:
    void init() {
        calls_.clear();
        SetFileOperationRecorder([this](SHFILEOPSTRUCT& op) {
            calls_ << op;
            return 0;
        });
    }
    void cleanup() {
        SetFileOperationRecorder(nullptr);
        SetInputBoxHandler(nullptr);
        SetMsgBoxHandler(nullptr);
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
    }

    // Each setting false adds its flag; a copy never reads "Show Confrim Dialog".
    void flags_data() {
        QTest::addColumn<QString>("falseOnes");    // of mkdir, confirm, progress
        QTest::addColumn<QList<int>>("expected");  // copy, move, delete, recycle
        QTest::newRow("all true") << "" << QList<int>{0x0001, 0x0001, 0, 0x0040};
        QTest::newRow("all false")
            << "mkdir confirm progress" << QList<int>{0x0205, 0x0215, 0x0014, 0x0054};
        QTest::newRow("confirm false") << "confirm" << QList<int>{0x0001, 0x0011, 0x0010, 0x0050};
    }
    void flags() {
        QFETCH(QString, falseOnes);
        QFETCH(QList<int>, expected);
        UseFreshSettings();
        WriteSetting("File Options", "Confirm Folder Creation", !falseOnes.contains("mkdir"));
        WriteSetting("File Options", "Show Confrim Dialog", !falseOnes.contains("confirm"));
        WriteSetting("File Options", "Show Progress", !falseOnes.contains("progress"));
        ShellCopy("/a", "/b/a");
        ShellMove("/a", "/b/a");
        ShellDelete("/a", false);
        ShellDelete("/a", true);
        QCOMPARE(calls_.size(), 4);
        const int funcs[] = {FO_COPY, FO_MOVE, FO_DELETE, FO_DELETE};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(int(calls_[i].fFlags), expected[i]);
            QCOMPARE(calls_[i].wFunc, funcs[i]);
            QCOMPARE(calls_[i].pFrom, QByteArray("/a\0", 3));
        }
    }

    // The list goes in list order; the parent entry's empty key ends it.
    void deleteList_data() {
        QTest::addColumn<QStringList>("select");
        QTest::addColumn<QStringList>("deleted");
        QTest::newRow("three") << QStringList{"a", "b", "c"}
                               << QStringList{"a.bmp", "b.bmp", "c.bmp"};
        QTest::newRow("one") << QStringList{"b"} << QStringList{"b.bmp"};
        QTest::newRow("parent and files") << QStringList{"..", "b"} << QStringList{};
        QTest::newRow("parent alone") << QStringList{".."} << QStringList{};
    }
    void deleteList() {
        QFETCH(QStringList, select);
        QFETCH(QStringList, deleted);
        open(select);
        DeleteSelected(true);
        QCOMPARE(calls_.size(), 1);
        QStringList names;
        for (const QByteArray& p : SplitPathList(calls_[0].pFrom)) names << QFileInfo(p).fileName();
        QCOMPARE(names, deleted);
        QVERIFY(calls_[0].fFlags & FOF_ALLOWUNDO);
    }

    void folderFromTree() {
        open({});
        QVERIFY(f_->FolderTreeview1->SetSelectedFolder(folder_ + "/sub"));
        TreeHasFocus = true;
        DeleteSelected(false);
        QCOMPARE(calls_.size(), 1);
        QCOMPARE(calls_[0].pFrom, QFile::encodeName(folder_ + "/sub") + QByteArray("\0\0", 2));
        QCOMPARE(f_->FolderTreeview1->SelectedFolder().Path(), folder_);  // the parent
        frmFileOps dialog(f_);
        dialog.Form_Load();
        QCOMPARE(dialog.Lines(), std::vector<QByteArray>{QFile::encodeName(folder_)});
        // A screen reader finds the list, the destination and the tree by name.
        for (auto [w, name] : {std::pair<QWidget*, const char*>{dialog.List1, "File Listing"},
                               {dialog.Combo1, "Destination Folder"},
                               {dialog.FolderTreeview1, "Folders"}})
            QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name),
                     QString(name));
    }

    // Recent folders: the chosen one goes to the top, every close saves them.
    void recent_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("chosen");  // empty: Cancel
        QTest::addColumn<QStringList>("after");
        QTest::newRow("first use") << QStringList{} << "/x/Pics" << QStringList{"/x/Pics"};
        QTest::newRow("B to the top")
            << QStringList{"A", "B", "C"} << "B" << QStringList{"B", "A", "C"};
        QTest::newRow("case differs") << QStringList{"A", "B"} << "a" << QStringList{"a", "A", "B"};
        QTest::newRow("cancel") << QStringList{"A", "B", "C"} << "" << QStringList{"A", "B", "C"};
    }
    void recent() {
        QFETCH(QStringList, stored);
        QFETCH(QString, chosen);
        QFETCH(QStringList, after);
        open({"a", "b"});
        for (int i = 0; i < stored.size(); ++i)
            WriteSetting("Recent Folders", QString("Recent Folder %1").arg(i), stored[i]);
        CopyMode = false;
        frmFileOps dialog(f_);
        dialog.Form_Load();
        QCOMPARE(dialog.windowTitle(), QString("Move file(s)..."));
        QCOMPARE(dialog.Label2[1]->text(), QString("Move file(s) to..."));
        QCOMPARE(dialog.Combo1->currentText(), stored.value(0));
        // A file that appears meanwhile shows only when the list is rebuilt.
        QFile(folder_ + "/new.bmp").open(QIODevice::WriteOnly);
        if (chosen.isEmpty()) {
            dialog.Command4_Click();
        } else {
            dialog.Combo1->setEditText(chosen);
            dialog.Command3_Click();
        }
        QStringList saved;
        for (const auto& [key, value] : ReadSection("Recent Folders")) saved << value;
        QCOMPARE(saved, after);
        QCOMPARE(calls_.size(), chosen.isEmpty() ? 0 : 1);
        QCOMPARE(listed().contains("new"), !chosen.isEmpty());
        if (chosen.isEmpty()) return;
        // Two sources go to the folder, with its separator.
        QCOMPARE(calls_[0].wFunc, FO_MOVE);
        QCOMPARE(calls_[0].pFrom, path("a.bmp") + '\0' + path("b.bmp") + QByteArray("\0\0", 2));
        QCOMPARE(calls_[0].pTo, QFile::encodeName(chosen) + QByteArray("/\0\0", 3));
    }

    void oneSourceGoesToItsFullPath() {
        open({"c"});
        CopyMode = true;
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<frmFileOps*>(QApplication::activeModalWidget());
            QVERIFY(d);
            QCOMPARE(d->windowTitle(), QString("Copy file(s)..."));
            d->Combo1->setEditText("/dest");
            d->Command3_Click();
        });
        CopyThem(true);
        QCOMPARE(calls_.size(), 1);
        QCOMPARE(calls_[0].wFunc, FO_COPY);
        QCOMPARE(calls_[0].pFrom, path("c.bmp") + '\0');
        QCOMPARE(calls_[0].pTo, QByteArray("/dest/c.bmp\0", 12));
    }

    // Rename never replaces a file; an unchanged or empty answer changes nothing.
    void rename_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("new name") << "z.bmp" << QStringList{"b.bmp", "c.bmp", "z.bmp"};
        QTest::newRow("onto another file") << "b.bmp" << QStringList{"a.bmp", "b.bmp", "c.bmp"};
        QTest::newRow("same name") << "a.bmp" << QStringList{"a.bmp", "b.bmp", "c.bmp"};
        QTest::newRow("cancel") << "" << QStringList{"a.bmp", "b.bmp", "c.bmp"};
    }
    void rename() {
        QFETCH(QString, answer);
        QFETCH(QStringList, names);
        open({"a"});
        const QByteArray before = [&] {
            QFile b(folder_ + "/b.bmp");
            b.open(QIODevice::ReadOnly);
            return b.readAll();
        }();
        QString prompt;
        SetInputBoxHandler([&](const QString& p, const QString& title, const QString& def) {
            prompt = title + '|' + p + '|' + def;
            return answer;
        });
        RenameFile();
        QCOMPARE(prompt,
                 QString("Rename File|Rename the file\r\na.bmp\r\nto a file named...|a.bmp"));
        QCOMPARE(QDir(folder_).entryList(QDir::Files, QDir::Name), names);
        QFile b(folder_ + "/b.bmp");
        if (b.open(QIODevice::ReadOnly)) QCOMPARE(b.readAll(), before);
    }

    void newFolder() {
        open({});
        QStringList prompts;
        SetInputBoxHandler([&](const QString& p, const QString& title, const QString&) {
            prompts << title + '|' + p;
            return prompts.size() == 1 ? QString() : QString("made");
        });
        CreateAFolder();
        CreateAFolder();
        QCOMPARE(prompts[0],
                 "Create Folder|Type in a name for the new folder you want to create in the \r\n" +
                     f_->CurrentFolder.toUpper() + "\r\n folder.");
        QVERIFY(QFileInfo(f_->CurrentFolder + "made").isDir());
        QCOMPARE(QDir(folder_).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList({"made", "sub"}));
    }

    // A folder and a file named in Latin-1, as old archives name them: the
    // tree shows and opens the folder by its bytes, and whatever the user
    // types keeps the bytes of every character left alone.
    void namesThatAreNotUtf8() {
        const QByteArray root = PathBytes(UseFreshSettings()) + "root";
        const QByteArray cafe = root + "/dossier caf\xE9";
        for (const QByteArray& d : {root, cafe, cafe + "/sub"})
            QCOMPARE(mkdir(d.constData(), 0777), 0);
        const int fd = ::open((cafe + "/na\xEFve.bmp").constData(), O_WRONLY | O_CREAT, 0644);
        QFile file;
        QVERIFY(file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        QImage(6, 4, QImage::Format_RGB32).save(&file, "BMP");
        file.close();
        UseFakeSystem(PathText(root) + "/");
        WriteSetting("Browser Options", "Previous Folder", PathText(cafe));
        f_ = frmMain::Instance();
        f_->Form_Load();
        QCOMPARE(PathBytes(f_->CurrentFolder), cafe + '/');
        QCOMPARE(f_->FolderTreeview1->currentIndex().data().toString(), u"dossier caf\uFFFD"_qs);
        QVERIFY(f_->windowTitle().endsWith(u"dossier caf\uFFFD/"_qs));
        QCOMPARE(listed(), QStringList({"..", u"na\uFFFDve"_qs}));
        QStringList messages;
        SetMsgBoxHandler([&](const QString& prompt, int, const QString&) {
            messages << prompt;
            return vbOK;
        });
        const auto names = [&] {
            QList<QByteArray> n;
            std::vector<DirEntry> entries;
            Platform::files().ListDirectory(cafe, &entries);
            for (const DirEntry& e : entries) n << e.rawName;
            return n;
        };

        // Rename: a prefix added keeps the rest; a typed replacement is refused.
        QString answer;
        SetInputBoxHandler([&](const QString&, const QString&, const QString& def) {
            return answer.isEmpty() ? "old_" + def : answer;
        });
        f_->ListView1->SetSelectedRow(1);
        RenameFile();
        QVERIFY(names().contains("old_na\xEFve.bmp"));
        f_->ListView1->SetSelectedRow(1);
        answer = u"x\uFFFD.bmp"_qs;
        RenameFile();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(answer));
        QVERIFY(names().contains("old_na\xEFve.bmp"));

        // A new folder typed beside it lands in it, by its bytes.
        answer = "neu";
        CreateAFolder();
        QVERIFY(Platform::files().GetFileAttributes(cafe + "/neu").value_or(0) &
                FileAttr::Directory);
        QVERIFY(f_->FolderTreeview1->IndexOf(PathText(cafe + "/neu")).isValid());

        // The destination dialog: the tree's folder shows, a typed path
        // keeps the bytes of what the user did not touch.
        f_->ListView1->SetSelectedRow(1);
        TreeHasFocus = false;
        CopyMode = true;
        frmFileOps dialog(f_);
        dialog.Form_Load();
        QVERIFY(dialog.FolderTreeview1->SetSelectedFolder(PathText(cafe + "/sub")));
        QCOMPARE(dialog.Combo1->currentText(), ShownText(cafe + "/sub"));
        dialog.Combo1->setEditText(u"\uFFFD"_qs + ShownText(cafe + "/sub"));
        dialog.Command3_Click();
        QCOMPARE(calls_.size(), 0);  // refused: that character stands for no known byte
        QCOMPARE(messages.size(), 2);
        dialog.Combo1->setEditText(ShownText(cafe + "/sub/deeper"));
        dialog.Command3_Click();
        QCOMPARE(calls_.size(), 1);
        QCOMPARE(calls_[0].pTo, cafe + "/sub/deeper/old_na\xEFve.bmp" + '\0');
        QCOMPARE(PathBytes(ReadSetting("Recent Folders", "Recent Folder 0")), cafe + "/sub/deeper");
    }
};

KVO_TEST_MAIN(TestFileCommands)
#include "tst_fileops.moc"
