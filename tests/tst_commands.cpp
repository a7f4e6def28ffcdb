// The main window's menu arrays, command toolbar and help line, against
// recording openers and a recording shell.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "TestEnv.h"
#include "browser/CommandTables.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Openers.h"
#include "browser/PropertiesDialog.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/PictureHolder.h"
#include "kit/PictureService.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "viewer/ViewerTables.h"
#include "viewer/frmScroll.h"

class TestCommands : public QObject {
    Q_OBJECT
    QString folder_;
    QStringList log_;
    FakeShell* shell_ = nullptr;
    frmMain* f_ = nullptr;

    // Every opener writes its name (and argument) to the log.
    void recordOpeners() {
        Openers& o = Openers::Table();
        auto rec = [this](const QString& name) { return [this, name] { log_ << name; }; };
        o.ShowViewer = rec("ShowViewer");
        o.ShowSettings = rec("ShowSettings");
        o.ShowAbout = rec("ShowAbout");
        o.ShowOrganize = rec("ShowOrganize");
        o.ShowImageHound = rec("ShowImageHound");
        o.ShowConvert = rec("ShowConvert");
        o.ShowColors = rec("ShowColors");
        o.StartSlideshow = rec("StartSlideshow");
        o.ShowWebView = rec("ShowWebView");
        o.CreateHtmlListing = rec("CreateHtmlListing");
        o.CreateCsvListing = rec("CreateCsvListing");
        o.CreateAFolder = rec("CreateAFolder");
        o.RenameFile = rec("RenameFile");
        o.PrintFile = [this](const QString& p) { log_ << "PrintFile " + QFileInfo(p).fileName(); };
        o.CopyThem = [this](bool c) { log_ << QString("CopyThem %1").arg(c); };
        o.DeleteSelected = [this](bool r) { log_ << QString("DeleteSelected %1").arg(r); };
        o.MakeWallpaper = [this](const PictureHolder&, int m) {
            log_ << QString("Wallpaper %1").arg(m);
        };
        o.mnulaunch_Click = [this](int i) { log_ << QString("mnulaunch %1").arg(i); };
        o.mnushell_Click = [this](int i) { log_ << QString("mnushell %1").arg(i); };
    }

    // Opens the main window on a folder of pictures (or an empty one) and
    // selects the row whose text is `select` ("" for none).
    void open(bool empty, const QString& select) {
        const QString dir = UseFreshSettings();
        folder_ = dir + "root/photos";
        QDir().mkpath(folder_);
        if (!empty) {
            QImage img(40, 30, QImage::Format_RGB32);
            img.fill(Qt::red);
            QVERIFY(img.save(folder_ + "/a.bmp"));
            QVERIFY(img.save(folder_ + "/b.bmp"));
        }
        UseFakeSystem(dir + "root/");
        WriteSetting("Browser Options", "Previous Folder", folder_);
        auto shell = std::make_unique<FakeShell>();
        shell_ = shell.get();
        Platform::SetShell(std::move(shell));
        f_ = frmMain::Instance();
        f_->Form_Load();
        const FileListModel* m = f_->ListView1->Model();
        for (int r = 0; r < m->Count(); ++r)
            if (m->Item(r).Text() == select) f_->ListView1->SetSelectedRow(r);
        f_->ShowImage();
        PictureService::Instance().Settle();
        f_->ListView1_GotFocus();  // the user works in the list
        QApplication::clipboard()->setText("before");
    }

    // What the command did, beyond the openers' own log.
    void observe() {
        for (const QUrl& u : shell_->opened) log_ << "open " + u.toString();
        for (const QByteArray& p : shell_->properties)
            log_ << "properties " + QFileInfo(p).fileName();
        if (shell_->screenSavers) log_ << "screensaver";
        const QClipboard* c = QApplication::clipboard();
        if (!c->image().isNull())
            log_ << QString("clipboard image %1x%2")
                        .arg(c->image().width())
                        .arg(c->image().height());
        else if (c->text() != "before")
            log_ << "clipboard " + QFileInfo(c->text()).fileName();
        if (QWidget* popup = QApplication::activePopupWidget()) {
            log_ << "popup " + popup->objectName();
            popup->close();
        }
        if (f_->isHidden()) log_ << "hidden";
    }

    // The main window, or the viewer (unloaded: its menus and toolbar exist
    // from the start).
    QMainWindow* window(const QString& which) {
        if (which == "viewer") return Forms::Get<frmScroll>();
        return f_;
    }

    // The menu items and buttons that are switched off, as "mnufilea 3" and
    // "button 6".
    QString disabled() {
        QStringList off;
        for (const char* array :
             {"mnufilea", "mnuedita", "mnuviewa", "mnuprev", "mnuviewaa", "mnuorgan", "mnutoolsa",
              "mnuwallpaper", "mnushell", "mnulaunch", "mnuabouta"})
            for (int i : f_->Menu(array).Indexes())
                if (!f_->Menu(array)(i)->isEnabled()) off << QString("%1 %2").arg(array).arg(i);
        for (int i = 1; i <= f_->Toolbar1->Count(); ++i)
            if (!f_->Toolbar1->Buttons(i).action->isEnabled()) off << QString("button %1").arg(i);
        return off.join('|');
    }

    // The captions of the items that show an icon, sorted.
    static void iconCaptions(const QMenu* m, QStringList& out) {
        for (const QAction* a : m->actions()) {
            if (!a->icon().isNull()) out << a->text();
            if (a->menu()) iconCaptions(a->menu(), out);
        }
    }

private slots:
    void init() {
        log_.clear();
        recordOpeners();
    }
    void cleanup() {
        Forms::Close<frmScroll>();
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
        Openers::Table() = Openers();
    }

    void dispatch_data() {
        QTest::addColumn<QString>("array");  // "toolbar" for Toolbar1
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("select");  // the selected row's text
        QTest::addColumn<QString>("expected");
        auto row = [](const char* a, int i, const char* sel, const char* e) {
            QTest::addRow("%s %d on '%s'", a, i, sel) << a << i << sel << e;
        };
        row("mnufilea", 2, "a", "CreateAFolder");
        row("mnufilea", 3, "a", "ShowViewer|hidden");
        row("mnufilea", 3, "..", "");
        row("mnufilea", 5, "b", "PrintFile b.bmp");
        row("mnuedita", 0, "a", "clipboard image 40x30");
        row("mnuedita", 1, "a", "clipboard a.bmp");
        row("mnuedita", 1, "..", "");
        row("mnuedita", 3, "a", "CopyThem 1");
        row("mnuedita", 4, "a", "CopyThem 0");
        row("mnuedita", 5, "a", "DeleteSelected 0");
        row("mnuedita", 6, "a", "DeleteSelected 1");
        row("mnuedita", 7, "a", "RenameFile");
        row("mnuedita", 7, "..", "");
        row("mnuviewa", 11, "a", "properties a.bmp");
        row("mnutoolsa", 0, "a", "ShowSettings");
        row("mnutoolsa", 3, "a", "StartSlideshow");
        row("mnutoolsa", 3, "..", "");
        row("mnutoolsa", 5, "..", "CreateHtmlListing");
        row("mnutoolsa", 6, "", "CreateCsvListing");
        row("mnutoolsa", 8, "a", "ShowConvert");
        row("mnutoolsa", 10, "a", "ShowWebView");
        row("mnutoolsa", 10, "..", "");
        row("mnutoolsa", 11, "..", "ShowColors");
        row("mnutoolsa", 17, "", "ShowImageHound");
        row("mnutoolsa", 19, "", "screensaver");
        row("mnuwallpaper", 2, "a", "Wallpaper 2");
        row("mnuwallpaper", 0, "..", "");
        row("mnulaunch", 1, "a", "mnulaunch 1");
        row("mnushell", 8, "a", "mnushell 8");
        row("mnuabouta", 0, "", qPrintable("open " + QString(kVendorWebSite)));
        row("mnuabouta", 2, "", "ShowAbout");
        row("toolbar", 2, "", "ShowOrganize");
        row("mnuorgan", 0, "", "ShowOrganize");
        row("toolbar", 3, "a", "");
        row("toolbar", 6, "a", "ShowViewer|hidden");
        row("toolbar", 7, "a", "StartSlideshow");
        row("toolbar", 8, "a", "ShowWebView");
        row("toolbar", 9, "", "ShowImageHound");
        row("toolbar", 11, "a", "PrintFile a.bmp");
        row("toolbar", 12, "a", "popup mnuwallpaper");
        row("toolbar", 14, "a", "CopyThem 1");
        row("toolbar", 15, "a", "CopyThem 0");
        row("toolbar", 16, "a", "DeleteSelected 0");
        row("toolbar", 17, "a", "DeleteSelected 1");
        row("toolbar", 19, "a", "popup mnulaunch");
        row("toolbar", 20, "b", "properties b.bmp");
        // The two copy buttons do what the other's tool tip says.
        row("toolbar", 22, "a", "clipboard image 40x30");
        row("toolbar", 23, "a", "clipboard a.bmp");
        row("toolbar", 25, "", "popup mnuviewaa");
        row("toolbar", 27, "", "ShowSettings");
        row("toolbar", 28, "a", "");
        for (int i : {6, 7, 8, 11, 12, 19, 22, 23}) row("toolbar", i, "..", "");
    }
    void dispatch() {
        QFETCH(QString, array);
        QFETCH(int, index);
        QFETCH(QString, select);
        QFETCH(QString, expected);
        open(false, select);
        if (array == "toolbar") {
            f_->Toolbar1_ButtonClick(index);
        } else {
            QAction* a = f_->Menu(array)(index);
            if (a && !a->isSeparator()) a->trigger();
        }
        observe();
        QCOMPARE(log_.join('|'), expected);
    }

    // The listing commands need two entries; ".." alone is one.
    void listingsNeedTwoEntries() {
        open(true, "..");
        f_->mnutoolsa_Click(5);
        f_->mnutoolsa_Click(6);
        QVERIFY(log_.isEmpty());
    }

    // The tree's folder after the tree last had the focus, whatever the list selects.
    void propertiesFollowTheFocus() {
        open(false, "a");
        TreeHasFocus = true;
        f_->Toolbar1_ButtonClick(20);
        observe();
        QCOMPARE(log_, QStringList{"properties photos"});
    }

    // No file manager answers: our own sheet describes the file.
    void ownPropertiesSheet() {
        open(false, "a");
        shell_->fileManagerAnswers = false;
        QFile(folder_ + "/a.bmp")
            .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        f_->mnuviewa_Click(11);
        auto* sheet = f_->findChild<PropertiesDialog*>();
        QVERIFY(sheet);
        QCOMPARE(sheet->Value("Name"), QString("a.bmp"));
        QCOMPARE(sheet->Value("Type"), QString("BMP picture"));
        QCOMPARE(sheet->Value("Dimensions"), QString("40 x 30 pixels"));
        QVERIFY(sheet->Value("Size").contains(
            QLocale().toString(QFileInfo(folder_ + "/a.bmp").size())));
        QCOMPARE(sheet->Value("Permissions"), QString("rw-r----- (0640)"));
        sheet->close();
    }

    void helpTexts_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("on");  // the state the toggling texts read
        QTest::addColumn<QString>("expected");
        QTest::newRow("toolbar shown") << "&Toolbar" << true << "Hides toolbar";
        QTest::newRow("toolbar hidden") << "&Toolbar" << false << "Shows toolbar";
        QTest::newRow("status shown") << "&Statusbar" << true << "Hides statusbar";
        QTest::newRow("status hidden") << "&Statusbar" << false << "Shows statusbar";
        QTest::newRow("hidden shown") << "Show &Hidden Files" << true << "Hides hidden files";
        QTest::newRow("hidden off") << "Show &Hidden Files" << false << "Shows hidden files";
        QTest::newRow("exit") << "E&xit" << true << "Exits Kvo View 1.0.53";
        QTest::newRow("about") << "About" << true << "About Kvo View 1.0.53";
        QTest::newRow("top menu") << "&File" << true << "";
    }
    void helpTexts() {
        QFETCH(QString, caption);
        QFETCH(bool, on);
        QFETCH(QString, expected);
        open(true, "");
        ToolbarVisible = StatusBarVisible = ShowHidden = on;
        f_->StatusBar1->Panels(1).SetText("stale");
        f_->IM_MenuHighlighted(caption);
        QCOMPARE(f_->StatusBar1->Panels(1).Text(), expected);
    }

    // Exactly the file commands go off while the folder tree has the focus;
    // the menu's list and the toolbar's differ (Properties, Launch).
    void fileCommandsFollowTheFocus() {
        open(false, "a");
        f_->FolderTreeview1_GotFocus();
        QCOMPARE(disabled(),
                 QString("mnufilea 3|mnufilea 5|mnuedita 0|mnuedita 1|mnuedita 7|mnuviewa 11|"
                         "mnutoolsa 3|mnutoolsa 8|mnutoolsa 10|mnutoolsa 13|button 6|button 7|"
                         "button 8|button 11|button 12|button 19|button 22|button 23"));
        f_->ListView1_GotFocus();
        QCOMPARE(disabled(), QString());
    }

    // Separators keep their index among the buttons; every button has a picture.
    void toolbars_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("tips");  // "-" for a separator
        QTest::newRow("main") << "main"
                              << "Up One Level|Organize Favorites|-|Refresh|-|View Image|"
                                 "Slideshow|Web Pattern Viewer|Image Hound|-|Print|Set Wallpaper|"
                                 "-|Copy File(s) To...|Move File(s) To...|Delete File(s)|"
                                 "Recycle File(s)|-|Launch|Properties|-|Copy Filename|Copy Image|"
                                 "-|View|-|Settings";
        QTest::newRow("viewer") << "viewer"
                                << "Open|Browser|-|Print|-|Previous Image|Next Image|-|Reload|-|"
                                   "Zoom In|Zoom Out|Actual Size|-|Copy Filename|Copy Image|-|"
                                   "Set Wallpaper";
    }
    void toolbars() {
        QFETCH(QString, which);
        QFETCH(QString, tips);
        open(true, "");
        Toolbar* bar = which == "viewer" ? Forms::Get<frmScroll>()->Toolbar1 : f_->Toolbar1;
        QStringList shown;
        for (int i = 1; i <= bar->Count(); ++i) {
            const Toolbar::Button& b = bar->Buttons(i);
            shown << (b.separator ? "-" : b.toolTip);
            QVERIFY2(b.separator || !b.image.isNull(), qPrintable(b.toolTip));
        }
        QCOMPARE(shown.join('|'), tips);
    }

    // The menus' icons: the main window's keyed captions that have an item,
    // and in the viewer the items of the same captions.
    void menuIcons_data() {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QStringList>("captions");
        const QString main =
            "&Up One Level|&Create Hypertext File Listing|&Morvath Software on the Web|About|"
            "&Copy Disk|&Organize Favorites|&Refresh|&Open|Sli&deShow|&Print|Set Wallpa&per|"
            "&Copy to...|&Move to...|Proper&ties|Copy &Filename|Copy &Image|&Launch|"
            "&Delete File(s)|&Settings|&Web Pattern Viewer|&Recycle File(s)|Select &All Files|"
            "Screensa&ver|&Find File(s)|&Shutdown Windows|Ne&w Folder|&Hex Color Editor|"
            "Lar&ge Icons|S&mall Icons|&List|&Details|Image &Hound|Create CS&V File Listing";
        QTest::newRow("main") << "main" << main.split('|');
        QTest::newRow("viewer") << "viewer"
                                << QStringList{"&Open", "&Print", "Copy &Image",
                                               "&Morvath Software on the Web", "About"};
    }
    void menuIcons() {
        QFETCH(QString, which);
        QFETCH(QStringList, captions);
        open(true, "");
        QStringList shown;
        for (const QAction* top : window(which)->menuBar()->actions())
            iconCaptions(top->menu(), shown);
        shown.sort();
        captions.sort();
        QCOMPARE(shown, captions);
    }

    // The help line takes the first command with the caption: no caption
    // may stand for two commands of one window.
    void captionsNameOneCommand_data() {
        QTest::addColumn<QString>("which");
        QTest::newRow("main") << "main";
        QTest::newRow("viewer") << "viewer";
    }
    void captionsNameOneCommand() {
        QFETCH(QString, which);
        const CommandTable& t = which == "main" ? MainCommandTable() : ViewerCommandTable();
        QSet<QString> seen;
        for (const CommandDef& c : t.commands) {
            if (QString(c.caption) == "-") continue;
            QVERIFY2(!seen.contains(c.caption), c.caption);
            seen.insert(c.caption);
        }
    }
};

KVO_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
