// Drives, favourites and the folder listing of the main window.
#include <QStorageInfo>

#include "app/Helpers.h"
#include "app/Settings.h"
#include "app/StatusBar.h"
#include "app/Switches.h"
#include "app/Toolbar.h"
#include "app/frmMain.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Icons.h"

void frmMain::GetDrives() {
    Toolbar2->Clear();
    const QString root = QStorageInfo::root().rootPath();
    Toolbar2->AddButton(AddBackslash(root), "Fixed Drive (" + AddBackslash(root) + " )",
                        Icons::Drive(3));
}

void frmMain::GetToolbarFolders() {
    // The drive buttons stay; separator and favourites are rebuilt.
    const auto favourites = ReadSection("Favorite Folders");
    Toolbar2->AddSeparator();
    for (const auto& [name, path] : favourites) Toolbar2->AddButton(path, name, Icons::Drive(7));
}

void frmMain::GetFolders() {
    MenuArray& arr = mnuorgan();
    for (int i : arr.Indexes()) {
        if (i < 2) continue;
        arr.menu->removeAction(arr(i));
        delete arr(i);
        arr.Remove(i);
    }
    int index = 2;
    for (const auto& [name, path] : ReadSection("Favorite Folders")) {
        QAction* a = arr.menu->addAction(name);
        a->setData(index);
        const int i = index;
        connect(a, &QAction::triggered, this, [this, i] { mnuorgan_Click(i); });
        arr.Add(index++, a);
    }
}

void frmMain::mnuorgan_Click(int Index) {
    if (Index < 2) return;
    QAction* a = mnuorgan()(Index);
    if (!a) return;
    const QString path = ReadSetting("Favorite Folders", a->text(), QString());
    FolderTreeview1->SetSelectedFolder(path);
}

void frmMain::Toolbar2_ButtonClick(int Index) {
    if (Index < 1 || Index > Toolbar2->Count()) return;
    const QString key = Toolbar2->Buttons(Index).key;
    if (!key.isEmpty()) FolderTreeview1->SetSelectedFolder(key);
}

void frmMain::FolderTreeview1_FolderClick(const Folder& folder, qint32) {
    const QString p = AddBackslash(folder.Path());
    if (p == CurrentFolder) return;
    CurrentFolder = p;
    StatusBar1->Panels(1).SetText(QString());
    ListFiles();
}

void frmMain::FolderTreeview1_GotFocus() {
    TreeHasFocus = true;
}

void frmMain::ListFiles() {
    FileListModel* m = ListView1->Model();
    m->Clear();
    ListItem parent;
    parent.Text = "..";
    parent.Image = 9;
    m->AddItems({parent});
    for (int i = 3; i <= 5; ++i) StatusBar1->Panels(i).SetVisible(false);
    StatusBar1->Panels(2).SetText("Total " + QString::number(m->Count() - 1) + " Item(s)");
    Titleit();
}

void frmMain::SetView(int lv) {
    if (lv < 0 || lv > 3) return;
    ListView1->SetView(lv);
    for (int i = 0; i <= 3; ++i) mnuviewaa()(i)->setChecked(i == lv);
}

void frmMain::DoHiddenFiles(bool currstate) {
    ShowHidden = !currstate;
    mnuviewa()(7)->setChecked(ShowHidden);
    WriteSetting("Browser Options", "Show Hidden Files", ShowHidden);
    FolderTreeview1->SetShowHidden(ShowHidden);
    ListFiles();
}
