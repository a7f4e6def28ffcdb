#include "tools/ShellLaunchers.h"

#include <QFile>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/MsgBox.h"
#include "platform/Launchers.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "tools/OpenWithDialog.h"
#include "tools/RunDialog.h"
#include "tools/ShutDownDialog.h"

namespace {
const QString kOpenAs = QStringLiteral("rundll32.exe shell32.dll,OpenAs_RunDLL");
const QString kDiskCopy = QStringLiteral("rundll32.exe diskcopy.dll,DiskCopyRunDll");

// The key of the list's selected item, the parent entry's empty one included.
QByteArray selectedKey() {
    FileListView* list = frmMain::Instance()->ListView1;
    const int row = list->SelectedRow();
    return row < 0 ? QByteArray() : list->Model()->Item(row).RawKey();
}

void notAvailable(const QString& what, const QString& title) {
    MsgBox(what + " is not available here: no disk utility is installed.", vbInformation, title);
}
}  // namespace

namespace ShellLaunchers {

void mnulaunch_Click(int Index) {
    frmMain* f = frmMain::Instance();
    switch (Index) {
        case 0:
            ShellExecute(f, QString(), selectedKey(), QString(), QString(), 3);
            break;
        case 1:
            // The path goes unquoted after one space, as the shell took it,
            // as a PathText: every byte of the name comes through.
            Shell(kOpenAs + " " + PathText(selectedKey()), 2);
            break;
        default:
            break;
    }
}

void mnushell_Click(int Index) {
    frmMain* f = frmMain::Instance();
    switch (Index) {
        case 2:
            RunFileDlg(f, 0, QString(), "Kvo View Run...",
                       "Type the name of a program, folder, document or Internet resource and "
                       "Kvo View will open it for you...",
                       0);
            break;
        case 3:
            ShellExecute(f, "find", PathBytes(f->CurrentFolder), QString(), QString(), 0);
            break;
        case 5:
            Shell(kDiskCopy, 1);
            break;
        case 6:
            SHFormatDrive(f, 0, 0, 1);
            break;
        case 8:
            ExitWindowsDlg(nullptr);
            break;
        default:
            break;
    }
}

void ShellExecute(QWidget*, const QString& verb, const QByteArray& file, const QString&,
                  const QString&, int) {
    Launchers& l = Platform::launchers();
    if (verb.isEmpty())
        l.OpenDefault(FileUrl(file));
    else if (verb == "find")
        l.FindFiles(file);
}

void Shell(const QString& commandLine, int) {
    Launchers& l = Platform::launchers();
    if (commandLine.startsWith(kOpenAs + " ")) {
        const QByteArray path = PathBytes(commandLine.mid(kOpenAs.size() + 1));
        if (!l.OpenWithPortal(path)) OpenWithDialog::Choose(path);
    } else if (commandLine == kDiskCopy) {
        if (!l.StartDiskUtility()) notAvailable("Copying disks", "Copy Disk");
    } else {
        l.RunCommand(commandLine);
    }
}

void SHFormatDrive(QWidget*, unsigned, unsigned, unsigned) {
    // Which drive and how is the disk utility's to ask.
    if (!Platform::launchers().StartDiskUtility()) notAvailable("Formatting disks", "Format Disk");
}

void RunFileDlg(QWidget* owner, int, const QString&, const QString& title, const QString& prompt,
                unsigned) {
    Forms::Get<RunDialog>()->Start(owner, title, prompt);
}

void ExitWindowsDlg(QWidget*) {
    Forms::Get<ShutDownDialog>()->Start();
}

}  // namespace ShellLaunchers
