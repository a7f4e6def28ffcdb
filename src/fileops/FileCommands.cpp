#include "fileops/FileCommands.h"

#include <QFile>

#include "browser/DragDrop.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "fileops/frmFileOps.h"
#include "kit/DoEvents.h"
#include "kit/InputBox.h"
#include "kit/MsgBox.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/Version.h"
#include "platform/FileOperation.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

#include <sys/stat.h>

using namespace FileOp;

namespace {
// The settings are read again on every call, so a change in the settings
// dialog counts from the next operation.
bool off(const Schema::Key& key) {
    return !ToBool(ReadSetting(key)).value_or(true);
}

int call(int func, const QByteArray& sources, const QByteArray& destinations, quint16 flags) {
    SHFILEOPSTRUCT op;
    op.wFunc = func;
    op.pFrom = sources + '\0';
    if (func != FO_DELETE) op.pTo = destinations + '\0';
    op.fFlags = flags;
    return SHFileOperationA(op);
}

// The text that ends the list item's path: its folder, with the separator.
QByteArray folderPart(const QByteArray& path) {
    return path.left(path.lastIndexOf('/') + 1);
}
}  // namespace

quint16 CopyFlags() {
    quint16 f = FOF_MULTIDESTFILES;
    if (off(Keys::ConfirmFolderCreation)) f |= FOF_NOCONFIRMMKDIR;
    if (off(Keys::ShowProgress)) f |= FOF_SILENT;
    return f;
}

quint16 MoveFlags() {
    quint16 f = FOF_MULTIDESTFILES;
    if (off(Keys::ConfirmFolderCreation)) f |= FOF_NOCONFIRMMKDIR;
    if (off(Keys::ShowConfirmDialog)) f |= FOF_NOCONFIRMATION;
    if (off(Keys::ShowProgress)) f |= FOF_SILENT;
    return f;
}

quint16 DeleteFlags(bool recycle) {
    quint16 f = 0;
    if (off(Keys::ShowConfirmDialog)) f |= FOF_NOCONFIRMATION;
    if (off(Keys::ShowProgress)) f |= FOF_SILENT;
    if (recycle) f |= FOF_ALLOWUNDO;
    return f;
}

int ShellCopy(const QByteArray& sources, const QByteArray& destinations) {
    return call(FO_COPY, sources, destinations, CopyFlags());
}

int ShellMove(const QByteArray& sources, const QByteArray& destinations) {
    return call(FO_MOVE, sources, destinations, MoveFlags());
}

int ShellDelete(const QByteArray& sources, bool recycle) {
    return call(FO_DELETE, sources, {}, DeleteFlags(recycle));
}

void ShellCopyOrMove(const std::vector<QByteArray>& sources, const QByteArray& dest, bool copy) {
    const auto run = copy ? ShellCopy : ShellMove;
    if (sources.size() == 1) {
        const QByteArray& one = sources.front();
        run(one, dest + one.mid(one.lastIndexOf('/') + 1));
        return;
    }
    QByteArray list;
    for (const QByteArray& s : sources) list += s + '\0';
    run(list, dest + '\0');
}

void DropFiles(const std::vector<QByteArray>& sources, const QByteArray& folder, bool copy) {
    const QByteArray dest = folder.endsWith('/') ? folder : folder + '/';
    std::vector<QByteArray> going;
    for (const QByteArray& s : sources) {
        // An empty entry would end the engine's list; a file already there,
        // or a folder dropped on itself or into its own tree, stays put.
        if (s.isEmpty() || s.contains('\0') || StaysPut(s, dest)) continue;
        going.push_back(s);
    }
    if (going.empty()) return;
    ShellCopyOrMove(going, dest, copy);
    RefreshAfterCopy(PathText(dest));
}

void RefreshAfterCopy(const QString& dest) {
    frmMain* main = frmMain::Instance();
    main->FolderTreeview1->Refresh(main->CurrentFolder);
    if (dest != main->CurrentFolder) main->FolderTreeview1->Refresh(dest);
    main->ListFiles();
}

void CopyThem(bool copymodeA) {
    frmMain* main = frmMain::Instance();
    if (!TreeHasFocus) {
        const int row = main->ListView1->SelectedRow();
        if (row < 0 || main->ListView1->Model()->Item(row).Text() == QLatin1String("..")) return;
    }
    CopyMode = copymodeA;
    frmFileOps dialog(main);
    dialog.Form_Load();
    dialog.exec();
}

void SayNameCannotBeWritten(const QString& answer) {
    MsgBox("\"" + answer +
               "\" cannot be used: it holds a character (\uFFFD) that stands for bytes the "
               "name cannot show. Type it without that character.",
           vbInformation, kAppName);
}

std::optional<QByteArray> BytesOfAnswer(const QByteArray& original, const QString& answer) {
    std::optional<QByteArray> bytes = MapEditedText(original, answer);
    if (!bytes) SayNameCannotBeWritten(answer);
    return bytes;
}

void CreateAFolder() {
    frmMain* main = frmMain::Instance();
    const QString answer = InputBox(
        QStringLiteral("Type in a name for the new folder you want to create in the \r\n") +
            ShownPath(main->CurrentFolder).toUpper() + QStringLiteral("\r\n folder."),
        QStringLiteral("Create Folder"));
    if (!answer.isEmpty()) {
        // The folder's own bytes stay as they are, whatever its name.
        if (const std::optional<QByteArray> name = BytesOfAnswer({}, answer)) {
            mkdir((PathBytes(main->CurrentFolder) + *name).constData(), 0777);  // failures ignored
            main->FolderTreeview1->Refresh(main->CurrentFolder);
        }
    }
    main->FolderTreeview1->setFocus();
}

void DeleteSelected(bool recycle) {
    frmMain* main = frmMain::Instance();
    if (TreeHasFocus) {
        DelFolder(PathBytes(main->FolderTreeview1->SelectedFolder().Path()) + '\0', recycle);
        return;
    }
    const FileListModel* model = main->ListView1->Model();
    QByteArray list;
    int count = 0;
    for (int row : main->ListView1->SelectedRows()) {
        list += model->Item(row).RawKey() + '\0';
        ++count;
    }
    DoEvents();
    const int selected = main->ListView1->SelectedRow();
    if (count == 1 && selected >= 0)
        ShellDelete(model->Item(selected).RawKey(), recycle);
    else
        ShellDelete(list, recycle);
    main->ListFiles();
}

void DelFolder(const QByteArray& strpath, bool trashmode) {
    frmMain* main = frmMain::Instance();
    const QString parent = main->FolderTreeview1->SelectedFolder().Parent().Path();
    ShellDelete(strpath, trashmode);
    main->ListFiles();
    main->FolderTreeview1->setFocus();
    main->FolderTreeview1->Refresh(parent);
    main->FolderTreeview1->SetSelectedFolder(parent);
}

void RenameFile() {
    frmMain* main = frmMain::Instance();
    const int row = main->ListView1->SelectedRow();
    if (row < 0) return;
    const ListItem item = main->ListView1->Model()->Item(row);
    if (item.Text() == QLatin1String("..")) return;
    const QByteArray rawName = RawFileName(item.RawKey());
    const QString name = ShownText(rawName);
    const QString answer = InputBox(
        QStringLiteral("Rename the file\r\n") + name + QStringLiteral("\r\nto a file named..."),
        QStringLiteral("Rename File"), name);
    if (answer.isEmpty() || answer == item.Key()) return;
    // What the user did not touch keeps its bytes, so a name that is not
    // UTF-8 is never rewritten with replacement characters.
    const std::optional<QByteArray> bytes = BytesOfAnswer(rawName, answer);
    if (!bytes) return;
    // Never over another file; a name with a separator would move it.
    if (!bytes->contains('/')) RenameNoReplace(item.RawKey(), folderPart(item.RawKey()) + *bytes);
    main->ListFiles();
}
