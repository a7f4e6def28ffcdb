// The main window: start-up with its settings, layout, title and closing.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "TestEnv.h"
#include "app/Wiring.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Openers.h"
#include "browser/Options.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "hound/frmFind.h"
#include "kit/EdgeDrawing.h"
#include "kit/Form.h"
#include "kit/Forms.h"
#include "kit/PictureBox.h"
#include "kit/Settings.h"
#include "kit/Splitter.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "kit/Twips.h"
#include "platform/Platform.h"
#include "platform/SettingsBackend.h"
#include "platform/SystemInfo.h"
#include "tools/ShutDownDialog.h"
#include "tools/frmColors.h"
#include "tools/frmPrint.h"
#include "tools/frmSettings.h"
#include "tools/frmWebView.h"
#include "viewer/frmScroll.h"

// A window that refuses as many closes as it is told to, notes its unload
// steps, and asks to close again while it unloads.
class ClosingProbe : public Form {
    Q_OBJECT
public:
    int refusals = 0;
    QStringList steps;
    void Form_QueryUnload(qint16& Cancel, qint16) override {
        steps << "query";
        if (refusals > 0) {
            --refusals;
            Cancel = 1;
        }
    }
    void Form_Unload(qint16&) override {
        steps << "unload";
        close();
    }
};

// Notes the class of every window that gets a close event, once.
class CloseLog : public QObject {
public:
    QStringList closed;
    bool eventFilter(QObject* watched, QEvent* e) override {
        const QString name = watched->metaObject()->className();
        if (e->type() == QEvent::Close && !closed.contains(name)) closed << name;
        return false;
    }
};

class TestMainWindow : public QObject {
    Q_OBJECT

    QString root_;  // the program's "drive root" in these tests

    // A fresh settings file and fresh switches, as on a new machine.
    void freshStart() {
        const QString dir = UseFreshSettings();
        QDir().mkpath(dir + "root/photos");
        QDir().mkpath(dir + "root/.hidden");
        root_ = dir + "root/";
        UseFakeSystem(root_);
        for (bool* b : {&ShowBMP, &ShowDIB, &ShowGIF, &ShowJPG, &ShowJPEG, &ShowICO, &ShowCUR,
                        &ShowWMF, &ShowEMF, &ToolbarVisible, &StatusBarVisible, &UsePreviousFolder,
                        &PathInTitlebar, &ShowHidden})
            *b = false;
    }

    // The top-level window of the class named.
    static QWidget* topLevel(const QString& className) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (className == w->metaObject()->className()) return w;
        return nullptr;
    }

    frmMain* load() {
        frmMain* f = frmMain::Instance();
        f->Form_Load();
        return f;
    }

    // Drags the splitter's bar by `by` pixels with the mouse.
    static void drag(Splitter* s, int by) {
        QWidget* bar = s->handle(1);
        const QPoint from = bar->rect().center();
        const QPoint to = from + (s->Orientation() ? QPoint(0, by) : QPoint(by, 0));
        QTest::mousePress(bar, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, bar->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         {});
        QApplication::sendEvent(bar, &move);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
    }

    void unload(frmMain* f) {
        f->close();
        QTRY_VERIFY(!frmMain::Exists());
    }

private slots:
    void cleanup() {
        if (frmMain::Exists()) unload(frmMain::Instance());
    }

    void emptyStoreOpensWithDefaults() {
        freshStart();
        frmMain* f = load();
        for (bool b :
             {ShowBMP, ShowDIB, ShowGIF, ShowJPG, ShowJPEG, ShowICO, ShowCUR, ShowWMF, ShowEMF,
              ToolbarVisible, StatusBarVisible, UsePreviousFolder, PathInTitlebar, ShowHidden})
            QVERIFY(b);
        // Window geometry is kept in whole pixels: one pixel is 15 twips here.
        QVERIFY(qAbs(f->Left() - 200) < 15);
        QVERIFY(qAbs(f->Top() - 200) < 15);
        // The outer size is made right once the window has its frame.
        QTRY_VERIFY(qAbs(f->Width() - (1024 * 15 - 400)) < 15);
        QTRY_VERIFY(qAbs(f->Height() - (768 * 15 - 400)) < 15);
        QCOMPARE(f->WindowState(), 0);
        QVERIFY(f->isVisible());
        QVERIFY(!f->Splitter2->Orientation());
        QVERIFY(f->Toolbar1->isVisible() && f->Toolbar2->isVisible() && f->StatusBar1->isVisible());
        QCOMPARE(f->CurrentFolder, root_);
        QCOMPARE(f->windowTitle(), "Kvo View 1.0.53 - " + root_);
        QCOMPARE(f->ListView1->View(), 3);
        QCOMPARE(f->ListView1->ExtendedStyle(), LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        QVERIFY(f->FolderTreeview1->ShowHidden());
    }

    void startFolder_data() {
        QTest::addColumn<QString>("usePrevious");
        QTest::addColumn<QString>("showHidden");
        QTest::addColumn<QString>("previous");  // relative to the root
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* use, const char* hidden, const char* previous,
                      const char* expected) {
            QTest::newRow(name) << QString(use) << QString(hidden) << QString(previous)
                                << QString(expected);
        };
        row("previous folder", "True", "True", "photos", "photos/");
        row("previous ignored", "False", "True", "photos", "");
        row("hidden not shown", "True", "False", ".hidden", "");
        row("missing folder", "True", "True", "gone", "");
    }

    void startFolder() {
        QFETCH(QString, usePrevious);
        QFETCH(QString, showHidden);
        QFETCH(QString, previous);
        QFETCH(QString, expected);
        freshStart();
        WriteSetting("Browser Options", "Use Previous Folder", usePrevious);
        WriteSetting("Browser Options", "Show Hidden Files", showHidden);
        WriteSetting("Browser Options", "Previous Folder", root_ + previous);
        frmMain* f = load();
        QCOMPARE(f->CurrentFolder, root_ + expected);
        QCOMPARE(f->FolderTreeview1->ShowHidden(), showHidden == "True");
    }

    void layout_data() {
        QTest::addColumn<bool>("toolbars");
        QTest::addColumn<bool>("statusBar");
        QTest::newRow("both") << true << true;
        QTest::newRow("toolbars only") << true << false;
        QTest::newRow("status bar only") << false << true;
        QTest::newRow("neither") << false << false;
    }

    void layout() {
        QFETCH(bool, toolbars);
        QFETCH(bool, statusBar);
        freshStart();
        frmMain* f = load();
        ToolbarVisible = toolbars;
        StatusBarVisible = statusBar;
        f->SetUpSlitter();
        const float tb = TwY(f->Toolbar1->PreferredHeight()) + TwY(f->Toolbar2->PreferredHeight());
        const float sb = TwY(f->StatusBar1->PreferredHeight());
        const float top = toolbars ? tb : 0;
        const float height = f->ScaleHeight() - (toolbars ? tb : 0) - (statusBar ? sb : 0);
        QCOMPARE(f->Splitter1->geometry(), PxRect(0, top, f->ScaleWidth(), height));
        QCOMPARE(f->Toolbar1->isVisible(), toolbars);
        QCOMPARE(f->Toolbar2->isVisible(), toolbars);
        QCOMPARE(f->StatusBar1->isVisible(), statusBar);
        QCOMPARE(f->mnuviewa()(0)->isChecked(), toolbars);
        QCOMPARE(f->mnuviewa()(1)->isChecked(), statusBar);
        QCOMPARE(f->Toolbar1->y(), 0);
        // The layout holds after a resize too.
        f->resize(f->width() - 37, f->height() - 23);
        QCOMPARE(f->Splitter1->geometry().height(),
                 PxY(f->ScaleHeight() - (toolbars ? tb : 0) - (statusBar ? sb : 0)));
    }

    // The panes start at the designed split of 3000 twips, whichever way
    // the preview lies and whatever size the window comes up at.
    void designedSplitAtStart_data() {
        QTest::addColumn<QString>("position");
        QTest::addColumn<int>("state");
        QTest::newRow("right") << "Right" << 0;
        QTest::newRow("bottom") << "Bottom" << 0;
        QTest::newRow("bottom, maximised") << "Bottom" << 2;
        QTest::newRow("right, maximised") << "Right" << 2;
    }

    void designedSplitAtStart() {
        QFETCH(QString, position);
        QFETCH(int, state);
        freshStart();
        WriteSetting("Browser Options", "Preview Position", position);
        WriteSetting("Browser Options", "WindowState", state);
        frmMain* f = load();
        QTRY_COMPARE(f->WindowState(), state);
        const bool below = position == "Bottom";
        QCOMPARE(f->Splitter2->Orientation(), below);
        QCOMPARE(f->FolderTreeview1->width(), PxX(3000));
        QCOMPARE(below ? f->ListView1->height() : f->ListView1->width(), PxX(3000));
        // The preview takes the rest.
        QCOMPARE(below ? f->picdest->height() : f->picdest->width(),
                 (below ? f->Splitter2->height() : f->Splitter2->width()) - PxX(3000) -
                     f->Splitter2->handleWidth());
    }

    // Pane sizes from the last run come back, for the preview's place at
    // that time, unless the switch is off or the stored size is nonsense.
    void storedPaneSizes_data() {
        QTest::addColumn<QString>("remember");
        QTest::addColumn<QString>("position");
        QTest::addColumn<QString>("tree");
        QTest::addColumn<int>("treePx");
        QTest::addColumn<int>("listPx");
        // Stored: tree 4500, list 3600 wide, 5250 high.
        QTest::newRow("right") << ""
                               << "Right"
                               << "4500" << 300 << 240;
        QTest::newRow("bottom") << "True"
                                << "Bottom"
                                << "4500" << 300 << 350;
        QTest::newRow("switched off") << "False"
                                      << "Bottom"
                                      << "4500" << 200 << 200;
        QTest::newRow("no size") << ""
                                 << "Right"
                                 << "wide" << 200 << 240;
        QTest::newRow("negative") << ""
                                  << "Right"
                                  << "-90" << 200 << 240;
    }

    void storedPaneSizes() {
        QFETCH(QString, remember);
        QFETCH(QString, position);
        QFETCH(QString, tree);
        QFETCH(int, treePx);
        QFETCH(int, listPx);
        freshStart();
        if (!remember.isEmpty()) WriteSetting("Extras", "Remember Pane Sizes", remember);
        WriteSetting("Extras", "Folder Tree Width", tree);
        WriteSetting("Extras", "File List Width", QString("3600"));
        WriteSetting("Extras", "File List Height", QString("5250"));
        WriteSetting("Browser Options", "Preview Position", position);
        frmMain* f = load();
        QCOMPARE(f->FolderTreeview1->width(), treePx);
        QCOMPARE(f->Splitter2->Orientation() ? f->ListView1->height() : f->ListView1->width(),
                 listPx);
    }

    // A bar the user dragged stays where it was left through a resize and
    // is kept at closing, for the preview's place.
    void draggedBarsAreKept_data() {
        QTest::addColumn<QString>("position");
        QTest::addColumn<QString>("remember");
        QTest::newRow("right") << "Right"
                               << "True";
        QTest::newRow("bottom") << "Bottom"
                                << "True";
        QTest::newRow("switched off") << "Bottom"
                                      << "False";
    }

    void draggedBarsAreKept() {
        QFETCH(QString, position);
        QFETCH(QString, remember);
        freshStart();
        WriteSetting("Extras", "Remember Pane Sizes", remember);
        WriteSetting("Browser Options", "Preview Position", position);
        frmMain* f = load();
        const bool below = position == "Bottom";
        auto listSize = [&] { return below ? f->ListView1->height() : f->ListView1->width(); };
        drag(f->Splitter1, 40);
        drag(f->Splitter2, 30);
        const int tree = f->FolderTreeview1->width(), list = listSize();
        QVERIFY(qAbs(tree - 240) <= 1 && qAbs(list - 230) <= 1);
        f->resize(f->width() + 50, f->height() + 50);
        QCOMPARE(f->FolderTreeview1->width(), tree);
        QCOMPARE(listSize(), list);
        unload(f);
        const bool kept = remember == "True";
        QCOMPARE(ReadSetting("Extras", "Folder Tree Width"),
                 kept ? QString::number(tree * 15) : "");
        QCOMPARE(ReadSetting("Extras", below ? "File List Height" : "File List Width"),
                 kept ? QString::number(list * 15) : "");
        QCOMPARE(ReadSetting("Extras", below ? "File List Width" : "File List Height"), "");
    }

    void barTogglesSaveAndLayOut() {
        freshStart();
        frmMain* f = load();
        f->mnuviewa()(0)->trigger();
        QCOMPARE(ReadSetting("Browser Options", "Toolbar Visible"), QString("False"));
        QVERIFY(!f->Toolbar1->isVisible() && !ToolbarVisible && !f->mnuviewa()(0)->isChecked());
        QCOMPARE(f->Splitter1->y(), 0);
        f->mnuviewa()(0)->trigger();
        QCOMPARE(ReadSetting("Browser Options", "Toolbar Visible"), QString("True"));
        QVERIFY(f->Toolbar1->isVisible() && f->mnuviewa()(0)->isChecked());
        f->mnuviewa()(1)->trigger();
        QCOMPARE(ReadSetting("Browser Options", "StatusBar Visible"), QString("False"));
        QVERIFY(!f->StatusBar1->isVisible());
    }

    void closingSavesState_data() {
        QTest::addColumn<int>("state");
        QTest::newRow("normal") << 0;
        QTest::newRow("maximised") << 2;
    }

    void closingSavesState() {
        QFETCH(int, state);
        freshStart();
        // Geometry from an earlier session, which only the normal state replaces.
        for (const char* key : {"Left", "Top", "Width", "Height"})
            WriteSetting("Browser Options", key, QString("4321"));
        WriteSetting("Browser Options", "Use Previous Folder", false);
        frmMain* f = load();
        f->SetLeft(600);
        f->SetTop(450);
        f->SetWidth(9000);
        f->SetHeight(6000);
        f->SetWindowState(state);
        QCOMPARE(f->WindowState(), state);
        f->SetView(1);
        unload(f);
        QCOMPARE(ReadSetting("Browser Options", "WindowState"), QString::number(state));
        QCOMPARE(ReadSetting("Browser Options", "Previous Folder"), root_);
        QCOMPARE(ReadSetting("Browser Options", "Listview View"), QString("1"));
        const QStringList saved =
            state == 0 ? QStringList{"600", "450", "9000", "6000"} : QStringList(4, "4321");
        const char* const keys[] = {"Left", "Top", "Width", "Height"};
        for (int i = 0; i < 4; ++i) QCOMPARE(ReadSetting("Browser Options", keys[i]), saved[i]);
    }

    void badGeometryLeavesWindowAlone() {
        freshStart();
        WriteSetting("Browser Options", "Left", QString("far left"));
        WriteSetting("Browser Options", "Width", QString("wide"));
        WriteSetting("Browser Options", "WindowState", QString("7"));
        frmMain* f = frmMain::Instance();
        f->move(77, 55);
        f->resize(640, 480);
        f->Form_Load();
        QCOMPARE(f->frameGeometry().x(), 77);
        QVERIFY(qAbs(f->Top() - 200) < 15);
        QCOMPARE(f->width(), 640);
        QCOMPARE(f->WindowState(), 0);
    }

    void otherWindowsOutliveTheMainWindow() {
        freshStart();
        DeclareWindows();
        frmMain* f = load();
        QWidget* search = Forms::Get<frmFind>();
        search->show();
        QWidget* hidden = Forms::Get<frmSettings>();
        QPointer<QWidget> hiddenRef(hidden);
        unload(f);
        QVERIFY(search->isVisible());
        QTRY_VERIFY(hiddenRef.isNull());
        QVERIFY(!Forms::Loaded<frmFind>());
        search->close();
    }

    // The main window closes the print window, the web pattern viewer, the
    // viewer and the settings dialog in that order; it frees a hidden window
    // it releases and leaves a window it was not told about alone.
    void closingDealsWithTheDeclaredWindows() {
        freshStart();
        DeclareWindows();
        frmMain* f = load();
        CloseLog log;
        for (QWidget* w : std::initializer_list<QWidget*>{
                 Forms::Get<frmSettings>(), Forms::Get<frmScroll>(), Forms::Get<frmWebView>(),
                 Forms::Get<frmPrint>(), Forms::Get<frmColors>()})
            w->installEventFilter(&log);
        QPointer<QWidget> released = Forms::Get<frmColors>();
        ShutDownDialog* alone = Forms::Get<ShutDownDialog>();
        unload(f);
        QCOMPARE(log.closed.join(' '), QString("frmPrint frmWebView frmScroll frmSettings"));
        QTRY_VERIFY(released.isNull());
        QCOMPARE(Forms::Find<ShutDownDialog>(), alone);
        Forms::Close<ShutDownDialog>();
    }

    // A refused close keeps the window; the unload runs once, after the
    // close that is let through.
    void formCloseSequence_data() {
        QTest::addColumn<int>("refusals");
        QTest::addColumn<QString>("steps");
        QTest::newRow("closes") << 0 << "query unload";
        QTest::newRow("refuses once") << 1 << "query query unload";
    }
    void formCloseSequence() {
        QFETCH(int, refusals);
        QFETCH(QString, steps);
        ClosingProbe w;
        w.refusals = refusals;
        w.show();
        for (int i = 0; i < refusals; ++i) {
            QVERIFY(!w.close());
            QVERIFY(w.isVisible());
        }
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QCOMPARE(w.steps.join(' '), steps);
    }

    // A window the main window leaves open keeps the program running once the
    // main window has closed; the program ends when that window closes.
    void leftOpenWindowsKeepTheProgramRunning_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("index");
        QTest::newRow("colour editor") << "frmColors"
                                       << "tools" << 11;
        QTest::newRow("converter") << "frmconvert"
                                   << "tools" << 8;
        QTest::newRow("slideshow") << "frmshow"
                                   << "tools" << 3;
        QTest::newRow("shut down") << "ShutDownDialog"
                                   << "shell" << 8;
        QTest::newRow("open with") << "OpenWithDialog"
                                   << "launch" << 1;
    }
    void leftOpenWindowsKeepTheProgramRunning() {
        QFETCH(QString, window);
        QFETCH(QString, menu);
        QFETCH(int, index);
        freshStart();
        QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(root_ + "photos/a.bmp"));
        WireWindows();
        frmMain* f = load();
        f->CurrentFolder = root_ + "photos/";
        f->ListFiles();
        f->ListView1->SetSelectedRow(1);
        if (menu == "tools") f->mnutoolsa_Click(index);
        if (menu == "shell") f->mnushell_Click(index);
        if (menu == "launch") f->mnulaunch_Click(index);
        QPointer<QWidget> w = topLevel(window);
        QVERIFY(w && w->isVisible());

        // A quit asked for by the closing is posted before the second step,
        // so that step runs only while the program goes on.
        bool outlived = false;
        QObject steps;
        QTimer::singleShot(0, &steps, [&] {
            f->close();
            QTimer::singleShot(0, &steps, [&] {
                outlived = w && w->isVisible();
                if (w) w->close();
            });
        });
        QApplication::exec();
        Openers::Table() = Openers();
        QVERIFY(outlived);
        QTRY_VERIFY(!w);
    }
};

KVO_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
