// The favourites organizer: adding with its duplicate rule, deleting with
// its question, and the store and main window after every close.
#include <QDir>
#include <QLabel>
#include <QTreeWidget>
#include <QtTest>

#include "TestEnv.h"
#include "browser/FolderTreeview.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/InputBox.h"
#include "kit/MsgBox.h"
#include "kit/Settings.h"
#include "kit/Toolbar.h"
#include "tools/frmOrganize.h"

class TestOrganizer : public QObject {
    Q_OBJECT

    QString root_;
    QStringList asked_;   // message boxes, as "title|text|style"
    int answer_ = vbYes;  // what the message boxes answer
    QString name_;        // what the input box answers

    frmMain* loadMain(const QList<std::pair<QString, QString>>& favourites = {}) {
        root_ = UseFreshSettings() + "root/";
        for (const char* d : {"a", "b", "c"}) QDir().mkpath(root_ + d);
        UseFakeSystem(root_);
        for (const auto& [name, path] : favourites) WriteSetting("Favorite Folders", name, path);
        frmMain* f = frmMain::Instance();
        f->Form_Load();
        return f;
    }

    frmOrganize* open() {
        auto* o = Forms::Get<frmOrganize>();
        o->Form_Load();
        o->show();
        return o;
    }

    // Adds the folder under the root as a favourite named name.
    void add(frmOrganize* o, const QString& folder, const QString& name) {
        QVERIFY(o->FolderTreeview1->SetSelectedFolder(root_ + folder));
        name_ = name;
        o->Command1_Click(0);
    }

    QStringList names(frmOrganize* o) const {
        QStringList n;
        for (int i = 0; i < o->TreeView1->topLevelItemCount(); ++i)
            n << o->TreeView1->topLevelItem(i)->text(0);
        return n;
    }

    void closeIt(frmOrganize* o) {
        o->Command1_Click(1);
        QTRY_VERIFY(!Forms::Loaded<frmOrganize>());
    }

private slots:
    void init() {
        asked_.clear();
        answer_ = vbYes;
        SetMsgBoxHandler([this](const QString& text, int style, const QString& title) {
            asked_ << title + "|" + text + "|" + QString::number(style);
            return answer_;
        });
        SetInputBoxHandler(
            [this](const QString&, const QString&, const QString&) { return name_; });
    }
    void cleanup() {
        SetMsgBoxHandler(nullptr);
        SetInputBoxHandler(nullptr);
        Forms::Close<frmOrganize>();
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
    }

    void loadsStoreInOrderAndShowsPaths() {
        frmMain* f = loadMain({{"Zeta", "/z"}, {"Alpha", "/a"}});
        QVERIFY(f->FolderTreeview1->SetSelectedFolder(root_ + "b"));
        frmOrganize* o = open();
        QCOMPARE(o->windowTitle(), "Orgainze Favorites");
        QCOMPARE(names(o), QStringList({"Zeta", "Alpha"}));
        QCOMPARE(o->FolderTreeview1->SelectedFolder().Path(), root_ + "b");
        o->TreeView1_NodeClick(o->TreeView1->topLevelItem(1));
        QCOMPARE(o->TreeView1->toolTip(), "/a");
        QVERIFY(o->FolderTreeview1->SetSelectedFolder(root_ + "c"));
        QCOMPARE(o->Label2->text(), root_ + "c");
    }

    void addingTheSameFolderTwice() {
        loadMain();
        frmOrganize* o = open();
        add(o, "a", "First");
        add(o, "a", "Other name");
        QCOMPARE(names(o), QStringList({"First"}));
        QCOMPARE(asked_,
                 QStringList({"Kvo View|That folder already exists as a favorite.\r\n\r\nPlease "
                              "select another folder and try again.|64"}));
        add(o, "b", "");  // a cancelled name adds nothing and says nothing
        QCOMPARE(names(o), QStringList({"First"}));
        QCOMPARE(asked_.size(), 1);
    }

    // Two names alike: the second written wins when the section is saved.
    void closingSavesAndRebuildsMainWindow() {
        frmMain* f = loadMain({{"Old", root_ + "c"}});
        frmOrganize* o = open();
        add(o, "a", "Same");
        add(o, "b", "Same");
        closeIt(o);
        const auto stored = ReadSection("Favorite Folders");
        QCOMPARE(stored.size(), size_t(2));
        QCOMPARE(stored[0].first, "Old");
        QCOMPARE(stored[1], std::make_pair(QString("Same"), root_ + "b"));
        QCOMPARE(f->mnuorgan().Indexes().size(), 2 + 2);
        QCOMPARE(f->Toolbar2->Buttons(f->Toolbar2->Count()).key, root_ + "b");
        QCOMPARE(f->Toolbar2->Buttons(f->Toolbar2->Count()).toolTip, "Same");
    }

    // Delete removes the selected node; the node that only has the focus
    // rectangle, as the first one has once the tree takes the focus, stays.
    void deleting_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("favourites");
        QTest::addColumn<int>("selected");  // -1: none, the first one current
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("asked");
        QTest::newRow("yes") << vbYes << 2 << 0 << QStringList({"Two"}) << 1;
        QTest::newRow("yes, second") << vbYes << 2 << 1 << QStringList({"One"}) << 1;
        QTest::newRow("no") << vbNo << 2 << 0 << QStringList({"One", "Two"}) << 1;
        QTest::newRow("nothing selected") << vbYes << 2 << -1 << QStringList({"One", "Two"}) << 1;
        QTest::newRow("empty tree") << vbYes << 0 << -1 << QStringList() << 0;
    }

    void deleting() {
        QFETCH(int, answer);
        QFETCH(int, favourites);
        QFETCH(int, selected);
        QFETCH(QStringList, left);
        QFETCH(int, asked);
        QList<std::pair<QString, QString>> favs = {{"One", root_ + "a"}, {"Two", "/two"}};
        frmMain* f = loadMain(favs.mid(0, favourites));
        frmOrganize* o = open();
        QTreeWidget* tree = o->TreeView1;
        if (favourites)
            tree->selectionModel()->setCurrentIndex(tree->model()->index(0, 0),
                                                    QItemSelectionModel::NoUpdate);
        if (selected >= 0) tree->setCurrentItem(tree->topLevelItem(selected));
        answer_ = answer;
        o->Command1_Click(2);
        QCOMPARE(asked_.size(), asked);
        if (asked)
            QCOMPARE(
                asked_[0],
                "Delete Favorite Folder|Are you sure you want to delete the select folder?|36");
        QCOMPARE(names(o), left);
        // The title bar's close box saves too.
        o->close();
        QTRY_VERIFY(!Forms::Loaded<frmOrganize>());
        QCOMPARE(int(ReadSection("Favorite Folders").size()), left.size());
        QCOMPARE(f->mnuorgan().Indexes().size(), 2 + left.size());
    }
};

KVO_TEST_MAIN(TestOrganizer)
#include "tst_organizer.moc"
