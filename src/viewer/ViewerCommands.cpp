// The viewer's menus and toolbar, stepping through the main window's list,
// and the commands.
#include <QClipboard>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QListView>
#include <QMenuBar>
#include <QTreeView>

#include "browser/CommandTables.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/MenuBuilder.h"
#include "browser/Openers.h"
#include "browser/frmMain.h"
#include "kit/Helpers.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "viewer/ViewerTables.h"
#include "viewer/ZoomSurface.h"
#include "viewer/frmScroll.h"

namespace {
FileListView* list() {
    return frmMain::Instance()->ListView1;
}

// The list's selected item, or null when there is none.
const ListItem* selectedItem() {
    const int row = list()->SelectedRow();
    return row < 0 ? nullptr : &list()->Model()->Item(row);
}

// True when ".." is the first item (ascending order), false when last.
bool parentFirst() {
    const FileListModel* m = list()->Model();
    return m->Count() > 0 && m->Item(0).Text() == "..";
}
}  // namespace

void frmScroll::buildMenus() {
    BuildMenuBar(
        menuBar(), ViewerCommandTable(), menus_,
        [this](const QString& caption) { IconMenu1_MenuHighlighted(caption); },
        [this](const QString& array, int index) { dispatch(array, index); });
}

void frmScroll::buildToolbar() {
    BuildToolbar(Toolbar1, ViewerCommandTable());
}

void frmScroll::dispatch(const QString& array, int index) {
    if (array == "mnufilea")
        mnufilea_Click(index);
    else if (array == "mnuedita")
        mnuedita_Click(index);
    else if (array == "mnuwall")
        mnuwall_Click(index);
    else if (array == "mnuviewa")
        mnuviewa_Click(index);
    else if (array == "mnuabouta")
        mnuabouta_Click(index);
}

void frmScroll::setPrevious(bool on) {
    Toolbar1->SetButtonEnabled(6, on);
    mnuviewa()(0)->setEnabled(on);
}

void frmScroll::setNext(bool on) {
    Toolbar1->SetButtonEnabled(7, on);
    mnuviewa()(1)->setEnabled(on);
}

void frmScroll::DoEnable() {
    const int i = list()->SelectedRow() + 1, count = list()->Model()->Count();
    const int first = parentFirst() ? 2 : 1, last = parentFirst() ? count : count - 1;
    if (i == first) {
        setPrevious(false);
    } else if (i == last) {
        setNext(false);
    } else {
        setPrevious(true);
        setNext(true);
    }
}

void frmScroll::stepTo(int i, int next) {
    FileListView* l = list();
    FileListModel* m = l->Model();
    if (next < 1 || next > m->Count()) return;
    const QModelIndex at = m->index(next - 1, 0);
    l->Selection()->setCurrentIndex(at, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    l->SetSelected(i - 1, false);
    if (l->View() == 3)
        l->DetailsView()->scrollTo(at);
    else
        l->IconsView()->scrollTo(at);
    const ListItem& item = m->Item(next - 1);
    Loadimage(item.Key(), item.RawKey());
    sizeit();
    preloadBeyond(i, next);
}

void frmScroll::preloadBeyond(int i, int next) {
    const int beyond = next + (next - i);
    FileListModel* m = list()->Model();
    if (beyond < 1 || beyond > m->Count()) return;
    const ListItem& item = m->Item(beyond - 1);
    if (item.Text() != "..") pictures_->Preload(item.RawKey(), PictureSizing::HeldWhole());
}

void frmScroll::ShowNext() {
    const int i = list()->SelectedRow() + 1, count = list()->Model()->Count();
    setPrevious(true);
    if (parentFirst()) {
        if (i == count) return;
        stepTo(i, i + 1);
        if (i == count - 1) setNext(false);
    } else {
        if (i == count - 2) setNext(false);
        if (i == count - 1) return;
        stepTo(i, i + 1);
    }
}

void frmScroll::ShowPrevious() {
    // No stop at the first file: only the disabled Previous keeps it off "..".
    const int i = list()->SelectedRow() + 1;
    setNext(true);
    if (i == (parentFirst() ? 3 : 2)) setPrevious(false);
    stepTo(i, i - 1);
}

void frmScroll::ShowFirst() {
    showEnd(true);
}

void frmScroll::ShowLast() {
    showEnd(false);
}

void frmScroll::showEnd(bool first) {
    // The first or last picture, never "..", and Previous and Next set as
    // stepping there one at a time would leave them.
    const int i = list()->SelectedRow() + 1, count = list()->Model()->Count();
    const int target = first ? (parentFirst() ? 2 : 1) : (parentFirst() ? count : count - 1);
    if (i < 1 || target < 1 || target == i) return;
    stepTo(i, target);
    setPrevious(!first);
    setNext(first);
}

void frmScroll::GetImageFile() {
    const QString filter = OpenDialogFilter(PatternListOfSwitches());
    // The dialog opens on the folder the browser lists.
    const QString start = frmMain::Exists()
                              ? QFile::decodeName(PathBytes(frmMain::Instance()->CurrentFolder))
                              : QString();
    const QString chosen = chooseFile
                               ? chooseFile(this, filter)
                               : QFileDialog::getOpenFileName(this, QString(), start, filter);
    if (chosen.isEmpty()) return;
    // Only the viewer shows it: the list and its selection stay as they are.
    Loadimage(StripNul(chosen));
    sizeit();
}

void frmScroll::IconMenu1_MenuHighlighted(const QString& MenuCaption) {
    StatusBar1->Panels(1).SetText(HelpText(ViewerCommandTable(), MenuCaption));
}

void frmScroll::closeViewer() {
    close();
}

void frmScroll::mnufilea_Click(int Index) {
    switch (Index) {
        case 0:
            GetImageFile();
            break;
        case 1:
        case 5:
            closeViewer();
            break;
        case 3:
            if (const ListItem* item = selectedItem())
                Open(Openers::Table().PrintFile, item->Key());
            break;
        default:
            break;
    }
}

void frmScroll::mnuedita_Click(int Index) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    switch (Index) {
        case 0:
            clipboard->clear();
            if (Picture1.HasPicture()) clipboard->setImage(Picture1.image);
            break;
        case 1:
            clipboard->clear();
            if (const ListItem* item = selectedItem()) clipboard->setText(item->Key());
            break;
        default:
            break;
    }
}

void frmScroll::mnuwall_Click(int Index) {
    if (Index >= 0 && Index <= 2) Open(Openers::Table().MakeWallpaper, Picture1, Index);
}

void frmScroll::mnuviewa_Click(int Index) {
    switch (Index) {
        case 0:
            ShowPrevious();
            frmMain::Instance()->ShowImage();
            break;
        case 1:
            ShowNext();
            frmMain::Instance()->ShowImage();
            break;
        case 3:
            DoZoom(true);
            break;
        case 4:
            DoZoom(false);
            break;
        case 5:
            ZoomIn(3);
            Toolbar1->SetButtonEnabled(11, true);
            Toolbar1->SetButtonEnabled(12, true);
            ZoomLevel = 3;
            mnuviewa()(3)->setEnabled(true);
            mnuviewa()(4)->setEnabled(true);
            break;
        case 7:
            if (const ListItem* item = selectedItem()) Loadimage(item->Key(), item->RawKey());
            sizeit();
            Toolbar1->SetButtonEnabled(11, true);
            Toolbar1->SetButtonEnabled(12, true);
            ZoomLevel = 3;
            break;
        case 8:
            if (fitOn_) FitInWindow();
            break;
        default:
            break;
    }
}

void frmScroll::mnuabouta_Click(int Index) {
    if (Index == 0) Platform::shell().OpenDefault(QUrl(kVendorWebSite));
    if (Index == 2) Open(Openers::Table().ShowAbout);
}

void frmScroll::Toolbar1_ButtonClick(int Index) {
    if (Index == 13) {
        // Unlike its menu item, the button leaves the menu's zoom items as they are.
        ZoomIn(3);
        Toolbar1->SetButtonEnabled(11, true);
        Toolbar1->SetButtonEnabled(12, true);
        ZoomLevel = 3;
        return;
    }
    // Any other button does what its command's menu item does; the button of
    // a submenu pops the submenu up at its left edge, a button's height down.
    const CommandDef* c = ButtonCommand(ViewerCommandTable(), Index);
    if (!c) return;
    if (!c->submenu) {
        dispatch(c->array, c->index);
        return;
    }
    const QRect r = Toolbar1->ButtonRect(Index);
    if (QMenu* m = Menu(c->submenu).menu)
        m->popup(Toolbar1->mapToGlobal(QPoint(r.left(), r.height())));
}

void frmScroll::InnerPict_MouseUp(int Button, int, float, float) {
    if (Button == 2 && mnuviewa().menu) mnuviewa().menu->popup(QCursor::pos());
}

void frmScroll::OuterPict_MouseUp(int Button, int Shift, float x, float y) {
    InnerPict_MouseUp(Button, Shift, x, y);
}
