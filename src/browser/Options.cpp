#include "browser/Options.h"

#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/PictureTypes.h"
#include "kit/Schema.h"
#include "kit/Settings.h"

namespace {
// Empty when the stored text is no boolean.
std::optional<bool> readBool(const Schema::Key& key) {
    return ToBool(ReadSetting(key));
}

void loadFlag(bool& flag, const Schema::Key& key) {
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
    for (const PictureTypes::Row& type : PictureTypes::kRows)
        loadFlag(PictureTypes::Shown(type), PictureTypes::SettingKey(type));
}

void DoGeneral() {
    loadFlag(ToolbarVisible, Keys::ToolbarVisible);
    loadFlag(StatusBarVisible, Keys::StatusBarVisible);
    loadFlag(UsePreviousFolder, Keys::UsePreviousFolder);
    loadFlag(PathInTitlebar, Keys::PathInTitlebar);
}

void SetFullRowSelect(FileListView* list, bool on) {
    setExtendedBit(list, LVS_EX_FULLROWSELECT, on);
}
void SetGridLines(FileListView* list, bool on) {
    setExtendedBit(list, LVS_EX_GRIDLINES, on);
}

void DoListview(frmMain& form) {
    if (auto v = readBool(Keys::FullRowSelect)) SetFullRowSelect(form.ListView1, *v);
    if (auto v = readBool(Keys::GridLines)) SetGridLines(form.ListView1, *v);
}

void GetOptions(frmMain& form, const QString& startFolder) {
    if (readBool(Keys::SaveWindowPosition).value_or(false)) {
        const auto left = ToSingle(ReadSetting(Keys::Left));
        const auto top = ToSingle(ReadSetting(Keys::Top));
        if (left) form.SetLeft(*left);
        if (top) form.SetTop(*top);
    }
    if (readBool(Keys::SaveWindowSize).value_or(false)) {
        if (auto w = ToSingle(ReadSetting(Keys::Width))) form.SetWidth(*w);
    }
    if (readBool(Keys::SaveWindowSize).value_or(false)) {
        if (auto h = ToSingle(ReadSetting(Keys::Height))) form.SetHeight(*h);
    }
    if (readBool(Keys::SaveWindowState).value_or(false)) {
        if (auto s = ToInt16(ReadSetting(Keys::WindowState))) form.SetWindowState(*s);
    }
    // Writing the tree's folder lists it before this returns, so a folder
    // asked for is tried first: the saved one is not listed in vain.
    if (!startFolder.isEmpty() && form.FolderTreeview1->SetSelectedFolder(startFolder)) return;
    const QString root = Schema::Default(Keys::PreviousFolder).toString();
    if (UsePreviousFolder) {
        // A folder removed (or hidden) since the last run starts the browser
        // at the drive root rather than at nothing.
        if (!form.FolderTreeview1->SetSelectedFolder(ReadSetting(Keys::PreviousFolder)))
            form.FolderTreeview1->SetSelectedFolder(root);
    } else {
        form.FolderTreeview1->SetSelectedFolder(root);
    }
}

void SaveOptions(frmMain& form) {
    SettingsBatch batch;
    WriteSetting(Keys::PreviousFolder, form.CurrentFolder);
    const int state = form.WindowState();
    if (state == 0) {
        WriteSetting(Keys::Left, form.Left());
        WriteSetting(Keys::Top, form.Top());
        WriteSetting(Keys::Width, form.Width());
        WriteSetting(Keys::Height, form.Height());
    }
    WriteSetting(Keys::WindowState, state);
    WriteSetting(Keys::ListviewView, form.ListView1->View());
}
