// Drive and favourite buttons, the Favorites menu, and the folder tree's
// reports: every way of choosing a folder ends in the tree's selection.
#include <QMenu>

#include "browser/FolderTreeview.h"
#include "browser/Icons.h"
#include "browser/Openers.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Helpers.h"
#include "kit/MsgBox.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "kit/Version.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Volumes.h"

namespace {
// The drive roots, each followed by a NUL, the list ended by one more.
QString GetDriveList() {
    QString list;
    for (const QString& root : Platform::volumes().DriveRoots()) list += root + QChar(0);
    return list + QChar(0);
}

// "1" floppy ... "6" RAM disk; the texts of the other answers give no button.
QString GetDriveKind(const QString& root) {
    switch (Platform::volumes().DriveType(root)) {
        case DRIVE_UNKNOWN:
            return "The drive type cannot be determined.";
        case DRIVE_NO_ROOT_DIR:
            return "The root directory does not exist.";
        case DRIVE_REMOVABLE:
            return root.startsWith('a') || root.startsWith('b') ? "1" : "2";
        case DRIVE_FIXED:
            return "3";
        case DRIVE_REMOTE:
            return "4";
        case DRIVE_CDROM:
            return "5";
        case DRIVE_RAMDISK:
            return "6";
        default:
            return "";
    }
}

struct DriveLook {
    const char* text;
    int image;
};

const DriveLook* LookOf(const QString& code) {
    static const DriveLook looks[] = {{"Floppy Drive", 1}, {"Removable Drive", 2},
                                      {"Fixed Drive", 3},  {"Network Drive", 5},
                                      {"CDROM Drive", 4},  {"RAM Drive", 6}};
    const int n = code.size() == 1 ? code.at(0).digitValue() : -1;
    return n >= 1 && n <= 6 ? &looks[n - 1] : nullptr;
}
}  // namespace

void frmMain::GetDrives(Toolbar* tbarit) {
    tbarit->Clear();
    QString list = GetDriveList();
    // Bounded by the list itself: every round takes one item off.
    while (list.size() > 1) {
        const QString root = TakeNulItem(list);
        if (root.isEmpty()) break;
        if (const DriveLook* look = LookOf(GetDriveKind(root))) {
            // Linux paths are case-sensitive: the root is shown as it is.
            tbarit->AddButton(root, QString(look->text) + " (" + root + " )",
                              Icons::Drive(look->image));
        }
    }
}

void frmMain::GetToolbarFolders() {
    Toolbar2->AddSeparator();
    for (const auto& [name, path] : ReadSection(Schema::FavoriteFolders))
        Toolbar2->AddButton(path, name, Icons::Drive(7));
}

void frmMain::GetFolders() {
    MenuArray& arr = mnuorgan();
    int index = 2;
    for (const auto& [name, path] : ReadSection(Schema::FavoriteFolders)) {
        QAction* a = arr.menu->addAction(name);
        a->setData(index);
        const int i = index;
        connect(a, &QAction::triggered, this, [this, i] { mnuorgan_Click(i); });
        arr.Add(index++, a);
    }
}

void frmMain::SetMenus() {
    MenuArray& arr = mnuorgan();
    for (int i : arr.Indexes()) {
        if (i < 2) continue;
        QAction* a = arr(i);
        arr.Remove(i);
        arr.menu->removeAction(a);
        a->deleteLater();
    }
    GetFolders();
}

void frmMain::mnuorgan_Click(int Index) {
    if (Index == 0) Open(Openers::Table().ShowOrganize);
    if (Index < 2) return;
    QAction* a = mnuorgan()(Index);
    if (!a) return;
    const QString path = ReadSetting(Schema::FavoriteFolders, a->text(), QString());
    if (FolderTreeview1->SetSelectedFolder(path))
        FolderTreeview1->SelectedFolder().SetExpanded(true);
}

void frmMain::Toolbar2_ButtonClick(int Index) {
    if (Index < 1 || Index > Toolbar2->Count() || Toolbar2->Buttons(Index).separator) return;
    const QString p = Toolbar2->Buttons(Index).key;
    if (Platform::files().GetFileAttributes(p)) {
        if (FolderTreeview1->SetSelectedFolder(p))
            FolderTreeview1->SelectedFolder().SetExpanded(true);
    } else {
        MsgBox(
            "That folder does not appear to exist any longer.\r\n\r\nPlease verify the path and "
            "try again.",
            vbInformation, kAppName);
    }
}

void frmMain::Toolbar2_MouseUp(int Button, int, float, float) {
    if (Button == 2) mnuorgan().menu->popup(QCursor::pos());
}

void frmMain::FolderTreeview1_FolderClick(const Folder&, qint32) {
    const QString p = AddBackslash(FolderTreeview1->SelectedFolder().Path());
    if (p == CurrentFolder) return;
    CurrentFolder = p;
    StatusBar1->Panels(1).SetText(QString());
    ListFiles();
}

void frmMain::FolderTreeview1_GotFocus() {
    TreeHasFocus = true;
    Disable_LV_Controls();
}
