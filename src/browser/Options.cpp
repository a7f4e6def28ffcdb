#include "browser/Options.h"

#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Schema.h"
#include "kit/Settings.h"

namespace {
const QString& kSection = Schema::BrowserOptions;

QString read(const char* key) {
    return Schema::Read(kSection, key);
}

// Empty when the stored text is no boolean.
std::optional<bool> readBool(const char* key) {
    return ToBool(read(key));
}

void loadFlag(bool& flag, const char* key) {
    if (auto v = readBool(key)) flag = *v;
}

void setExtendedBit(FileListView* list, quint32 bit, bool on) {
    if (!list) return;
    quint32 style = quint32(list->SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    style = on ? (style | bit) : (style & ~bit);
    list->SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, qintptr(style));
}
}  // namespace

void DoFileTypes() {
    loadFlag(ShowBMP, "Show BMP");
    loadFlag(ShowDIB, "Show DIB");
    loadFlag(ShowGIF, "Show GIF");
    loadFlag(ShowJPG, "Show JPG");
    loadFlag(ShowJPEG, "Show JPEG");
    loadFlag(ShowICO, "Show ICO");
    loadFlag(ShowCUR, "Show CUR");
    loadFlag(ShowWMF, "Show WMF");
    loadFlag(ShowEMF, "Show EMF");
}

void DoGeneral() {
    loadFlag(ToolbarVisible, "Toolbar Visible");
    loadFlag(StatusBarVisible, "StatusBar Visible");
    loadFlag(UsePreviousFolder, "Use Previous Folder");
    loadFlag(PathInTitlebar, "Path in Titlebar");
}

void SetFullRowSelect(FileListView* list, bool on) {
    setExtendedBit(list, LVS_EX_FULLROWSELECT, on);
}
void SetGridLines(FileListView* list, bool on) {
    setExtendedBit(list, LVS_EX_GRIDLINES, on);
}

void DoListview(frmMain& form) {
    if (auto v = readBool("Full Row Select")) SetFullRowSelect(form.ListView1, *v);
    if (auto v = readBool("Grid Lines")) SetGridLines(form.ListView1, *v);
}

void GetOptions(frmMain& form, const QString& startFolder) {
    if (readBool("Window Position").value_or(false)) {
        const auto left = ToSingle(read("Left"));
        const auto top = ToSingle(read("Top"));
        if (left) form.SetLeft(*left);
        if (top) form.SetTop(*top);
    }
    if (readBool("Window Size").value_or(false)) {
        if (auto w = ToSingle(read("Width"))) form.SetWidth(*w);
    }
    if (readBool("Window Size").value_or(false)) {
        if (auto h = ToSingle(read("Height"))) form.SetHeight(*h);
    }
    if (readBool("Window State").value_or(false)) {
        if (auto s = ToInt16(read("WindowState"))) form.SetWindowState(*s);
    }
    // Writing the tree's folder lists it before this returns, so a folder
    // asked for is tried first: the saved one is not listed in vain.
    if (!startFolder.isEmpty() && form.FolderTreeview1->SetSelectedFolder(startFolder)) return;
    const QString root = Schema::Default(kSection, "Previous Folder").toString();
    if (UsePreviousFolder) {
        // A folder removed (or hidden) since the last run starts the browser
        // at the drive root rather than at nothing.
        if (!form.FolderTreeview1->SetSelectedFolder(read("Previous Folder")))
            form.FolderTreeview1->SetSelectedFolder(root);
    } else {
        form.FolderTreeview1->SetSelectedFolder(root);
    }
}

void SaveOptions(frmMain& form) {
    SettingsBatch batch;
    WriteSetting(kSection, "Previous Folder", form.CurrentFolder);
    const int state = form.WindowState();
    if (state == 0) {
        WriteSetting(kSection, "Left", form.Left());
        WriteSetting(kSection, "Top", form.Top());
        WriteSetting(kSection, "Width", form.Width());
        WriteSetting(kSection, "Height", form.Height());
    }
    WriteSetting(kSection, "WindowState", state);
    WriteSetting(kSection, "Listview View", form.ListView1->View());
}
