// The main window's menu bar and command toolbar, built from the command
// tables, and the handlers each menu array dispatches to.
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPointer>
#include <QUrl>

#include "browser/CommandTables.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/MenuBuilder.h"
#include "browser/Openers.h"
#include "browser/PropertiesDialog.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Schema.h"
#include "kit/ScreenPictures.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

MenuArray& frmMain::Menu(const QString& array) {
    return menus_[array];
}

void frmMain::buildMenus() {
    BuildMenuBar(
        menuBar(), MainCommandTable(), menus_,
        [this](const QString& caption) { IM_MenuHighlighted(caption); },
        [this](const QString& array, int index) { dispatch(array, index); });
}

void frmMain::buildToolbar1() {
    BuildToolbar(Toolbar1, MainCommandTable());
}

void frmMain::dispatch(const QString& array, int index) {
    if (array == "mnufilea")
        mnufilea_Click(index);
    else if (array == "mnuedita")
        mnuedita_Click(index);
    else if (array == "mnuviewa")
        mnuviewa_Click(index);
    else if (array == "mnuprev")
        mnuPrev_Click(index);
    else if (array == "mnuviewaa")
        mnuviewaa_Click(index);
    else if (array == "mnuorgan")
        mnuorgan_Click(index);
    else if (array == "mnutoolsa")
        mnutoolsa_Click(index);
    else if (array == "mnuabouta")
        mnuabouta_Click(index);
    else if (array == "mnuwallpaper")
        mnuwallpaper_Click(index);
    else if (array == "mnulaunch")
        mnulaunch_Click(index);
    else if (array == "mnushell")
        mnushell_Click(index);
}

const ListItem* frmMain::NeedsAFile() const {
    const int row = ListView1->SelectedRow();
    if (row < 0) return nullptr;
    const ListItem& item = ListView1->Model()->Item(row);
    return item.Text() == ".." ? nullptr : &item;
}

void frmMain::mnufilea_Click(int Index) {
    Openers& o = Openers::Table();
    switch (Index) {
        case 0: {
            const Folder up = FolderTreeview1->SelectedFolder().Parent();
            if (!up.IsNull()) FolderTreeview1->SetSelectedFolder(up.Path());
            break;
        }
        case 2:
            Open(o.CreateAFolder);
            break;
        case 3:
            // The viewer takes the main window's place while it is open.
            if (NeedsAFile() && o.ShowViewer) {
                hide();
                o.ShowViewer();
            }
            break;
        case 5:
            if (const ListItem* item = NeedsAFile()) Open(o.PrintFile, item->Key());
            break;
        case 7:
            close();
            break;
        default:
            break;
    }
}

void frmMain::mnuedita_Click(int Index) {
    Openers& o = Openers::Table();
    switch (Index) {
        case 0:
            if (NeedsAFile()) CopyImage();
            break;
        case 1:
            if (NeedsAFile()) CopyFilename();
            break;
        case 3:
        case 4:
            Open(o.CopyThem, Index == 3);
            break;
        case 5:
        case 6:
            Open(o.DeleteSelected, Index == 6);
            break;
        case 7:
            if (NeedsAFile()) Open(o.RenameFile);
            break;
        case 9:
            SelAll();
            break;
        case 10:
            InvertSelAll();
            break;
        default:
            break;
    }
}

void frmMain::mnuviewa_Click(int Index) {
    switch (Index) {
        case 0:
            ToolbarVisible = !mnuviewa()(0)->isChecked();
            WriteSetting(Keys::ToolbarVisible, ToolbarVisible);
            SetUpSlitter();
            break;
        case 1:
            StatusBarVisible = !mnuviewa()(1)->isChecked();
            WriteSetting(Keys::StatusBarVisible, StatusBarVisible);
            SetUpSlitter();
            break;
        case 7:
            DoHiddenFiles(mnuviewa()(7)->isChecked());
            break;
        case 9:
            // The tree shows folders made or removed elsewhere as well.
            FolderTreeview1->Refresh(CurrentFolder);
            ListFiles();
            break;
        case 11:
            Properties();
            break;
        default:
            break;
    }
}

void frmMain::mnuviewaa_Click(int Index) {
    if (Index >= 0 && Index <= 3) SetView(Index);
}

void frmMain::mnutoolsa_Click(int Index) {
    Openers& o = Openers::Table();
    const int count = ListView1->Model()->rowCount();
    switch (Index) {
        case 0:
            Open(o.ShowSettings);
            break;
        case 3:
            if (NeedsAFile()) Open(o.StartSlideshow);
            break;
        case 5:
            if (count >= 2) Open(o.CreateHtmlListing);
            break;
        case 6:
            if (count >= 2) Open(o.CreateCsvListing);
            break;
        case 8:
            if (NeedsAFile()) Open(o.ShowConvert);
            break;
        case 10:
            if (NeedsAFile()) Open(o.ShowWebView);
            break;
        case 11:
            Open(o.ShowColors);
            break;
        case 17:
            Open(o.ShowImageHound);
            break;
        case 19:
            Platform::shell().StartScreenSaver();
            break;
        default:
            break;
    }
}

void frmMain::mnuwallpaper_Click(int Index) {
    if (NeedsAFile() && Index >= 0 && Index <= 2)
        Open(Openers::Table().MakeWallpaper, picsrc, Index);
}
void frmMain::mnulaunch_Click(int Index) {
    Open(Openers::Table().mnulaunch_Click, Index);
}
void frmMain::mnushell_Click(int Index) {
    Open(Openers::Table().mnushell_Click, Index);
}

void frmMain::mnuabouta_Click(int Index) {
    switch (Index) {
        case 0:
            Platform::shell().OpenDefault(QUrl(kVendorWebSite));
            break;
        case 2:
            Open(Openers::Table().ShowAbout);
            break;
        default:
            break;
    }
}

void frmMain::Toolbar1_ButtonClick(int Index) {
    // A button does what its command's menu item does; the button of a
    // submenu pops the submenu up below itself.
    const CommandDef* c = ButtonCommand(MainCommandTable(), Index);
    if (!c) return;
    if (!c->submenu)
        dispatch(c->array, c->index);
    else if (!(c->file & FileButton) || NeedsAFile())
        PopupUnderButton(Index, Menu(c->submenu).menu);
}

void frmMain::PopupUnderButton(int index, QMenu* menu) {
    if (!menu || index < 1 || index > Toolbar1->Count()) return;
    const QRect r = Toolbar1->ButtonRect(index);
    menu->popup(Toolbar1->mapToGlobal(r.bottomLeft()));
}

void frmMain::Properties() {
    QByteArray path;
    if (TreeHasFocus) {
        path = PathBytes(FolderTreeview1->SelectedFolder().Path());
    } else {
        const int row = ListView1->SelectedRow();
        if (row < 0) return;
        path = ListView1->Model()->Item(row).RawKey();
    }
    ShowProperties(path, this);
}

void frmMain::ShowProperties(const QByteArray& path, QWidget* owner) {
    if (path.isEmpty()) return;
    QPointer<QWidget> guard(owner);
    Platform::shell().ShowProperties(path, [path, guard] {
        auto* sheet = new PropertiesDialog(path, guard);
        sheet->show();
    });
}

void frmMain::CopyImage() {
    // The whole picture, not the preview's copy decoded for its box; that
    // copy serves when the file can no longer be read.
    QImage image;
    if (std::optional<Picture> p = LoadHeldWhole(picsrc.path)) image = p->image;
    if (image.isNull()) image = picsrc.image;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    if (!image.isNull()) clipboard->setImage(image);
}

void frmMain::CopyFilename() {
    const ListItem* item = NeedsAFile();
    if (!item) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(item->Key());
}

void frmMain::IM_MenuHighlighted(const QString& MenuCaption) {
    StatusBar1->Panels(1).SetText(HelpText(MainCommandTable(), MenuCaption));
}
