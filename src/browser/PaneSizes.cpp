#include "browser/PaneSizes.h"

#include "browser/frmMain.h"
#include "kit/Extras.h"
#include "kit/Settings.h"
#include "kit/Splitter.h"

namespace {
const QString& listKey(const Splitter* s) {
    return s->Orientation() ? Extras::FileListHeight : Extras::FileListWidth;
}
}  // namespace

void RestorePaneSizes(frmMain& form) {
    if (!Extras::On(Extras::RememberPaneSizes)) return;
    // The splitters keep these through the window's later sizing (the
    // stored size, a maximised state, the window manager's frame).
    if (auto w = Extras::PaneSize(Extras::FolderTreeWidth)) form.Splitter1->SetSplitPosition(*w);
    if (auto s = Extras::PaneSize(listKey(form.Splitter2))) form.Splitter2->SetSplitPosition(*s);
}

void SavePaneSizes(frmMain& form) {
    if (!Extras::On(Extras::RememberPaneSizes)) return;
    SettingsBatch batch;
    WriteSetting(Extras::Section, Extras::FolderTreeWidth, form.Splitter1->SplitPosition());
    WriteSetting(Extras::Section, listKey(form.Splitter2), form.Splitter2->SplitPosition());
}
