#include "app/Options.h"

#include "app/Schema.h"
#include "app/Settings.h"
#include "app/Switches.h"
#include "app/frmMain.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"
#include "platform/SystemInfo.h"

namespace {
const QString& kSection = Schema::BrowserOptions;

// Reads a boolean key with default true; empty when the text is no boolean.
std::optional<bool> readBool(const char* key) {
    return ToBool(ReadSetting(kSection, key, true));
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

// The program's drive root, where the browser starts by default.
QString programRoot() {
    const SystemInfo& sys = Platform::system();
    return sys.VolumeRoot(sys.ProgramFolder());
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

void GetOptions(frmMain& form) {
    const ScreenMetrics& screen = Platform::screen();
    if (readBool("Window Position").value_or(false)) {
        const auto left = ToSingle(ReadSetting(kSection, "Left", 200));
        const auto top = ToSingle(ReadSetting(kSection, "Top", 200));
        if (left) form.SetLeft(*left);
        if (top) form.SetTop(*top);
    }
    if (readBool("Window Size").value_or(false)) {
        if (auto w = ToSingle(ReadSetting(kSection, "Width", double(screen.ScreenWidth()) - 400)))
            form.SetWidth(*w);
    }
    if (readBool("Window Size").value_or(false)) {
        if (auto h = ToSingle(ReadSetting(kSection, "Height", double(screen.ScreenHeight()) - 400)))
            form.SetHeight(*h);
    }
    if (readBool("Window State").value_or(false)) {
        if (auto s = ToInt16(ReadSetting(kSection, "WindowState", 0))) form.SetWindowState(*s);
    }
    // Writing the tree's folder lists it before this returns.
    const QString root = programRoot();
    if (UsePreviousFolder) {
        // A folder removed (or hidden) since the last run starts the browser
        // at the drive root rather than at nothing.
        if (!form.FolderTreeview1->SetSelectedFolder(
                ReadSetting(kSection, "Previous Folder", root)))
            form.FolderTreeview1->SetSelectedFolder(root);
    } else {
        form.FolderTreeview1->SetSelectedFolder(root);
    }
}

void SaveOptions(frmMain& form) {
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
