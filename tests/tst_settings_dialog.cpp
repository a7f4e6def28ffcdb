// The settings dialog: what it shows for stored values, what OK and Apply
// write back, and what the main window takes from it.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QtTest>

#include "TestEnv.h"
#include "browser/FolderTreeview.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/Settings.h"
#include "kit/Toolbar.h"
#include "tools/frmSettings.h"

class TestSettingsDialog : public QObject {
    Q_OBJECT

    QString root_;

    frmMain* loadMain() {
        root_ = UseFreshSettings() + "root/";
        QDir().mkpath(root_ + "photos");
        UseFakeSystem(root_);
        frmMain* f = frmMain::Instance();
        f->Form_Load();
        return f;
    }

    frmSettings* open() {
        auto* d = Forms::Get<frmSettings>();
        d->Form_Load();
        d->show();
        return d;
    }

private slots:
    void cleanup() {
        Forms::Close<frmSettings>();
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
    }

    void emptyStoreShowsDesignedState() {
        loadMain();
        frmSettings* d = open();
        for (QCheckBox* b : d->Check1)
            if (b) QVERIFY2(b->isChecked(), qPrintable(b->text()));
        QVERIFY(d->Check1[3] == nullptr && d->Check3[1] == nullptr);
        QVERIFY(d->Option1[0]->isChecked());
        QCOMPARE(d->Slider1->value(), 5);
        QCOMPARE(d->Label2[2]->text(), "5 second(s)");
        QCOMPARE(d->Check4[0]->isChecked(), true);
        QCOMPARE(d->Check4[1]->isChecked(), true);
        QCOMPARE(d->Check4[2]->isChecked(), false);
        QCOMPARE(d->Check4[3]->isChecked(), true);
        QVERIFY(d->Option2[0]->isChecked());
        QCOMPARE(d->Picture1->currentIndex(), 0);
        d->TabStrip1->setCurrentIndex(2);
        QCOMPARE(d->Picture1->currentIndex(), 2);
        // The extras follow the three tabs of the browser's own settings.
        QCOMPARE(d->TabStrip1->count(), 4);
        QCOMPARE(d->TabStrip1->tabText(3), "Extras");
        d->TabStrip1->setCurrentIndex(3);
        QCOMPARE(d->Picture1->currentWidget(),
                 d->ExtraCheck("Remember Pane Sizes")->parentWidget()->parentWidget());
        QVERIFY(d->ExtraCheck("Remember Pane Sizes")->isChecked());
    }

    // A stored value goes through the dialog's controls and back out on OK.
    void roundTrip_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("box");
        // Section by first letter: Browser, File, Slideshow, Extras; box: the check
        // box the stored value unticks (-1 none).
        struct Row {
            const char *name, *section, *key, *stored, *written;
            int box;
        };
        static const Row rows[] = {
            // clang-format off
            {"double click off",    "B", "Double Click",        "False",  "False", 1},
            {"lower-case false",    "B", "Grid Lines",          "false",  "False", 13},
            {"not a boolean",       "B", "Full Row Select",     "maybe",  "True", -1},
            {"icons off (box 11)",  "B", "Show ICO",            "0",      "False", 11},
            {"cursors off (box 9)", "B", "Show CUR",            "False",  "False", 9},
            {"window state off",    "B", "Window State",        "False",  "False", 18},
            {"preview bottom",      "B", "Preview Position",    "Bottom", "Bottom", -1},
            {"preview other",       "B", "Preview Position",    "bottom", "Right", -1},
            {"confrim off",         "F", "Show Confrim Dialog", "False",  "False", -1},
            {"delay 60",            "S", "Delay",               "60",     "60", -1},
            {"delay out of range",  "S", "Delay",               "61",     "5", -1},
            {"delay no number",     "S", "Delay",               "soon",   "5", -1},
            {"random",              "S", "Sequence",            "2",      "2", -1},
            {"no such sequence",    "S", "Sequence",            "3",      "0", -1},
            {"details on",          "S", "Show Details",        "1",      "1", -1},
            {"not on top",          "S", "Always On Top",       "0",      "0", -1},
            {"looping no check",    "S", "Looping",             "5",      "1", -1},
            {"panes not kept",      "E", "Remember Pane Sizes", "False",  "False", -1},
            {"panes no boolean",    "E", "Remember Pane Sizes", "maybe",  "True", -1},
            // clang-format on
        };
        const QHash<QString, QString> sections = {{"B", "Browser Options"},
                                                  {"F", "File Options"},
                                                  {"S", "Slideshow Settings"},
                                                  {"E", "Extras"}};
        for (const Row& r : rows)
            QTest::newRow(r.name) << sections[r.section] << r.key << r.stored << r.written << r.box;
    }

    void roundTrip() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, written);
        QFETCH(int, box);
        loadMain();
        WriteSetting(section, key, stored);
        frmSettings* d = open();
        for (int i = 0; i < 21; ++i)
            if (d->Check1[i]) QCOMPARE(d->Check1[i]->isChecked(), i != box);
        d->Command1_Click(0);
        QTRY_VERIFY(!Forms::Loaded<frmSettings>());
        QCOMPARE(ReadSetting(section, key, "missing"), written);
    }

    // A stored 2 shows a slideshow box grayed and is written back as 2; a
    // click makes a grayed box a plain ticked one.
    void grayedSlideshowBoxes() {
        loadMain();
        const QStringList keys = {"Looping", "Show Filename", "Show Details", "Always On Top"};
        for (const QString& k : keys) WriteSetting("Slideshow Settings", k, QString("2"));
        frmSettings* d = open();
        for (QCheckBox* b : d->Check4) QCOMPARE(b->checkState(), Qt::PartiallyChecked);
        d->Check4[2]->click();
        QCOMPARE(d->Check4[2]->checkState(), Qt::Checked);
        d->Check4[2]->click();
        QCOMPARE(d->Check4[2]->checkState(), Qt::Unchecked);
        d->Command1_Click(0);
        QTRY_VERIFY(!Forms::Loaded<frmSettings>());
        QStringList written;
        for (const QString& k : keys) written << ReadSetting("Slideshow Settings", k);
        QCOMPARE(written, QStringList({"2", "2", "0", "2"}));
    }

    // Apply writes at once; the bars follow only when the dialog closes,
    // and Cancel keeps what Apply wrote.
    void applyThenCancel() {
        frmMain* f = loadMain();
        frmSettings* d = open();
        // Taking stored geometry again would resize the window, and a resize
        // lays out the bars at once.
        for (int i : {16, 17, 18}) d->Check1[i]->setChecked(false);
        d->Check1[0]->click();
        d->Slider1->setValue(d->Slider1->maximum());
        QCOMPARE(d->Label2[2]->text(), "60 second(s)");
        d->Command1_Click(1);
        QVERIFY(Forms::Loaded<frmSettings>());
        QCOMPARE(ReadSetting("Browser Options", "Toolbar Visible"), "False");
        QCOMPARE(ReadSetting("Slideshow Settings", "Delay"), "60");
        QVERIFY(!ToolbarVisible);
        QVERIFY(f->Toolbar1->isVisible());
        d->Command1_Click(2);
        QTRY_VERIFY(!Forms::Loaded<frmSettings>());
        QVERIFY(!f->Toolbar1->isVisible());
        QCOMPARE(ReadSetting("Browser Options", "Toolbar Visible"), "False");
    }

    // OK makes the main window take the switches and go to its start folder.
    void okAppliesToMainWindow() {
        frmMain* f = loadMain();
        QVERIFY(f->FolderTreeview1->SetSelectedFolder(root_ + "photos"));
        QCOMPARE(f->CurrentFolder, root_ + "photos/");
        WriteSetting("Browser Options", "Use Previous Folder", "False");
        frmSettings* d = open();
        d->Check1[20]->setChecked(false);  // hidden files
        d->Check1[4]->setChecked(false);   // BMP
        d->Check1[15]->setChecked(false);  // path in title
        d->Command1_Click(0);
        QCOMPARE(f->CurrentFolder, root_);
        QVERIFY(!ShowBMP && ShowJPG && !PathInTitlebar && !ShowHidden);
        QVERIFY(!f->mnuviewa()(7)->isChecked());
        QVERIFY(!f->FolderTreeview1->ShowHidden());
        QCOMPARE(f->windowTitle(), "Kvo View 1.0.53");
    }
};

KVO_TEST_MAIN(TestSettingsDialog)
#include "tst_settings_dialog.moc"
