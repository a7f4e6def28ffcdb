// The folder tree component on a real, generated folder structure.
#include <QDir>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QtTest>

#include "TestEnv.h"
#include "browser/FolderModel.h"
#include "browser/FolderTreeview.h"
#include "platform/PathText.h"

#include <sys/stat.h>

class TestFolderTree : public QObject {
    Q_OBJECT
    QString base_;

private slots:
    void initTestCase() {
        base_ =
            QDir::tempPath() + "/kvo-tree-" + QString::number(QCoreApplication::applicationPid());
        QDir(base_).removeRecursively();
        for (const char* d : {"a/b/c", "a/.secret/inner", "space name/ünïcode"})
            QDir().mkpath(base_ + "/" + d);
        QFile f(base_ + "/a/file.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    void cleanupTestCase() { QDir(base_).removeRecursively(); }

    void writeRaisesFolderClickBeforeReturning_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "a/b"
                               << "a/b";
        QTest::newRow("trailing separator") << "a/b/c/"
                                            << "a/b/c";
        QTest::newRow("dots cleaned") << "a/b/../b"
                                      << "a/b";
        QTest::newRow("spaces and accents") << "space name/ünïcode"
                                            << "space name/ünïcode";
    }

    void writeRaisesFolderClickBeforeReturning() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        FolderTreeview tree;
        QString seen;
        int calls = 0;
        connect(&tree, &FolderTreeview::FolderClick, this, [&](const Folder& f, qint32) {
            seen = f.Path();
            ++calls;
        });
        QVERIFY(tree.SetSelectedFolder(base_ + "/" + path));
        // Raised synchronously, once, with the folder now selected.
        QCOMPARE(calls, 1);
        QCOMPARE(seen, base_ + "/" + expected);
        QCOMPARE(tree.SelectedFolder().Path(), base_ + "/" + expected);
        // Writing the same folder again reports it again, as a click would.
        QVERIFY(tree.SetSelectedFolder(base_ + "/" + path));
        QCOMPARE(calls, 2);
    }

    void badWritesLeaveSelection_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << "   ";
        QTest::newRow("missing") << base_ + "/nope";
        QTest::newRow("a file") << base_ + "/a/file.txt";
    }

    void badWritesLeaveSelection() {
        QFETCH(QString, path);
        FolderTreeview tree;
        QVERIFY(tree.SetSelectedFolder(base_ + "/a"));
        QSignalSpy clicks(&tree, &FolderTreeview::FolderClick);
        QVERIFY(!tree.SetSelectedFolder(path));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(tree.SelectedFolder().Path(), base_ + "/a");
    }

    void parentWalksUpToTheRoot() {
        FolderTreeview tree;
        QVERIFY(tree.SetSelectedFolder(base_ + "/a/b/c"));
        Folder f = tree.SelectedFolder();
        QStringList chain;
        for (int guard = 0; !f.IsNull() && guard < 64; ++guard, f = f.Parent()) chain << f.Path();
        QCOMPARE(chain.first(), base_ + "/a/b/c");
        QCOMPARE(chain.at(1), base_ + "/a/b");
        QCOMPARE(chain.last(), QString("/"));
        // Assigning the parent moves the tree one level up.
        QVERIFY(tree.SetSelectedFolder(tree.SelectedFolder().Parent()));
        QCOMPARE(tree.SelectedFolder().Path(), base_ + "/a/b");
    }

    void hiddenFoldersFollowTheSwitch() {
        FolderTreeview tree;
        tree.SetShowHidden(true);
        QVERIFY(tree.SetSelectedFolder(base_ + "/a/.secret"));
        tree.SetShowHidden(false);
        QVERIFY(!tree.ShowHidden());
        // The selection falls back to the nearest folder still shown, and
        // once the listing of "a" is in, the hidden folder is not among its rows.
        QCOMPARE(tree.SelectedFolder().Path(), base_ + "/a");
        tree.SelectedFolder().SetExpanded(true);
        const QModelIndex a = tree.IndexOf(base_ + "/a");
        QTRY_VERIFY(tree.FileModel()->rowCount(a) > 0);
        QStringList names;
        for (int r = 0; r < tree.FileModel()->rowCount(a); ++r)
            names << tree.FileModel()->index(r, 0, a).data().toString();
        QVERIFY2(!names.contains(".secret"), qPrintable(names.join(',')));
        tree.SetShowHidden(true);
        tree.SelectedFolder().SetExpanded(true);
        const QModelIndex shown = tree.IndexOf(base_ + "/a");
        QTRY_COMPARE(tree.FileModel()->rowCount(shown), 2);
        // Each switch replaces the model; the old models and their
        // selection models go with it.
        for (int i = 0; i < 4; ++i) tree.SetShowHidden(!tree.ShowHidden());
        QCOMPARE(tree.findChildren<QItemSelectionModel*>().size(),
                 1);  // the tree and header share it
        QTRY_COMPARE(tree.findChildren<FolderModel*>().size(), 1);
    }

    void selectionChangeCanKeepTheOldFolder() {
        FolderTreeview tree;
        QVERIFY(tree.SetSelectedFolder(base_ + "/a"));
        QList<bool> phases;
        connect(&tree, &FolderTreeview::SelectionChange, this,
                [&](const Folder&, bool pre, bool* cancel) {
                    phases << pre;
                    if (pre) *cancel = true;
                });
        QSignalSpy clicks(&tree, &FolderTreeview::FolderClick);
        QVERIFY(!tree.SetSelectedFolder(base_ + "/a/b"));
        QCOMPARE(phases, QList<bool>{true});
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(tree.SelectedFolder().Path(), base_ + "/a");
    }

    // Folders named in other encodings show (with U+FFFD for the bytes
    // that are not UTF-8) and open by their bytes; folders made after a
    // folder was read show when it is opened again or walked through.
    void foldersByTheirBytes() {
        const QByteArray base = PathBytes(base_);
        const QByteArray latin = base + "/dossier caf\xE9";
        QCOMPARE(mkdir(latin.constData(), 0777), 0);
        FolderTreeview tree;
        QString seen;
        connect(&tree, &FolderTreeview::FolderClick, this,
                [&](const Folder& f, qint32) { seen = f.Path(); });
        QVERIFY(tree.SetSelectedFolder(PathText(latin)));
        QCOMPARE(PathBytes(seen), latin);
        QCOMPARE(PathBytes(tree.SelectedFolder().Path()), latin);
        QCOMPARE(tree.currentIndex().data().toString(), u"dossier caf\uFFFD"_qs);
        QCOMPARE(PathBytes(tree.SelectedFolder().Parent().Path()), base);

        // Made after its parent was read: found when asked for, shown when
        // the parent is opened again.
        const QByteArray later = latin + "/sp\xE4ter";
        tree.SelectedFolder().SetExpanded(true);
        QCOMPARE(tree.FileModel()->rowCount(tree.currentIndex()), 0);
        QCOMPARE(mkdir(later.constData(), 0777), 0);
        tree.collapse(tree.currentIndex());
        tree.expand(tree.currentIndex());
        QCOMPARE(tree.FileModel()->rowCount(tree.currentIndex()), 1);
        QVERIFY(tree.SetSelectedFolder(PathText(later)));
        QCOMPARE(PathBytes(tree.SelectedFolder().Path()), later);
        QCOMPARE(rmdir(later.constData()), 0);
        tree.Refresh(PathText(latin));
        QCOMPARE(tree.FileModel()->rowCount(tree.IndexOf(PathText(latin))), 0);
        QCOMPARE(rmdir(latin.constData()), 0);
    }
};

KVO_TEST_MAIN(TestFolderTree)
#include "tst_foldertree.moc"
