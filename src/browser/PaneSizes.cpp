#include "browser/PaneSizes.h"

#include "browser/frmMain.h"
#include "kit/Extras.h"
#include "kit/Settings.h"
#include "kit/Splitter.h"

namespace {
const Schema::Key& listKey(const Splitter* s) {
    return s->Orientation() ? Keys::FileListHeight : Keys::FileListWidth;
}
}  // namespace

void RestorePaneSizes(frmMain& form) {
    if (!Extras::On(Keys::RememberPaneSizes)) return;
    // The splitters keep these through the window's later sizing (the
    // stored size, a maximised state, the window manager's frame).
    if (auto w = Extras::PaneSize(Keys::FolderTreeWidth)) form.Splitter1->SetSplitPosition(*w);
    if (auto s = Extras::PaneSize(listKey(form.Splitter2))) form.Splitter2->SetSplitPosition(*s);
}

void SavePaneSizes(frmMain& form) {
    if (!Extras::On(Keys::RememberPaneSizes)) return;
    SettingsBatch batch;
    WriteSetting(Keys::FolderTreeWidth, form.Splitter1->SplitPosition());
    WriteSetting(listKey(form.Splitter2), form.Splitter2->SplitPosition());
}
