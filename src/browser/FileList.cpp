// Listing the current folder in the file list, and the list's commands.
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTreeView>

#include "browser/CommandTables.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Icons.h"
#include "browser/Openers.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Extras.h"
#include "kit/Helpers.h"
#include "kit/ImageControl.h"
#include "kit/PictureTypes.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

namespace {
// Picks the names a pattern matches. "*.jpg" and the like compare the
// name's end directly, which is what the wildcard match comes to and keeps a
// folder of many files fast.
class NameMatcher {
public:
    explicit NameMatcher(const QString& pattern)
        : pattern_(pattern),
          suffix_(pattern.startsWith(QLatin1String("*.")) && pattern.indexOf('*', 1) < 0 &&
                          pattern.indexOf('?') < 0
                      ? pattern.mid(1)
                      : QString()) {}
    bool operator()(const QString& name) const {
        if (suffix_.isEmpty()) return MatchesPattern(name, pattern_);
        return name.size() > suffix_.size() && name.endsWith(suffix_, Qt::CaseInsensitive);
    }

private:
    QString pattern_, suffix_;
};
}  // namespace

void frmMain::ListFiles() {
    for (LineControl* l : Line1) l->hide();
    for (int i = 3; i <= 5; ++i) StatusBar1->Panels(i).SetVisible(false);
    setCursor(Qt::WaitCursor);
    Image1->hide();
    Image1->SetPicture(QImage());
    picsrc.Clear();

    FileListModel* model = ListView1->Model();
    model->Clear();
    ListItem parent;
    parent.Text = "..";
    parent.Image = Icons::ParentImage;
    model->AddItems({parent});

    // One read of the folder serves every type.
    listing_.clear();
    Platform::files().ListDirectory(CurrentFolder, &listing_);
    for (const PictureTypes::Row* t : PictureTypes::InListOrder())
        if (PictureTypes::Shown(*t))
            AddFiles(PictureTypes::Pattern(*t), t->listImage, int(t->extension.size()) + 1);
    // The list sorts once, for all types together.
    model->AddItems(std::move(pending_));
    pending_.clear();
    listing_.clear();
    listing_.shrink_to_fit();

    unsetCursor();
    StatusBar1->Panels(2).SetText("Total " + QString::number(model->Count() - 1) + " Item(s)");
    ListView1->SetSelectedRow(0);
    ListView1->DetailsView()->scrollToTop();
    ShowImage();
    Titleit();
}

void frmMain::AddFiles(const QString& sFileType, int picindex, int flen) {
    StatusBar1->Panels(2).SetText("Scanning folder for files...  ");
    const quint32 m = ShowHidden ? 35 : 33;
    const NameMatcher matches(sFileType);
    const QByteArray folderBytes = PathBytes(CurrentFolder);
    const QString folderShown = ShownPath(CurrentFolder);
    for (const DirEntry& e : listing_) {
        if (!matches(e.name) || !PassesAttributeMask(e.attributes, m)) continue;
        // A file with none of the read-only, archive and (shown) hidden bits
        // is left out.
        if (!(e.attributes & m)) continue;
        ListItem item;
        item.Key = folderShown + e.name;
        item.RawKey = JoinRawPath(folderBytes, e.rawName);
        item.Text = e.name.left(e.name.size() - flen);
        item.Image = picindex;
        item.SubItems[0] = FormatFileSize(e.size);
        pending_.push_back(std::move(item));
    }
}

void frmMain::SetView(int lv) {
    if (lv < 0 || lv > 3) return;
    ListView1->SetView(lv);
    for (int i = 0; i <= 3; ++i) mnuviewaa()(i)->setChecked(i == lv);
}

void frmMain::SelAll() {
    FileListModel* model = ListView1->Model();
    std::vector<int> rows;
    for (int row = 0; row < model->Count(); ++row)
        if (model->Item(row).Text != "..") rows.push_back(row);
    ListView1->SelectOnly(rows);
    ListView1->setFocus();
}

void frmMain::InvertSelAll() {
    FileListModel* model = ListView1->Model();
    const std::vector<int> selected = ListView1->SelectedRows();
    std::vector<int> rows;
    auto next = selected.begin();
    for (int row = 0; row < model->Count(); ++row) {
        const bool was = next != selected.end() && *next == row;
        if (was) ++next;
        // The parent keeps its state; every file flips.
        if (was != (model->Item(row).Text != "..")) rows.push_back(row);
    }
    ListView1->SelectOnly(rows);
}

void frmMain::DoHiddenFiles(bool currstate) {
    ShowHidden = !currstate;
    WriteSetting(Keys::ShowHiddenFiles, ShowHidden);
    mnuviewa()(7)->setChecked(ShowHidden);
    FolderTreeview1->SetShowHidden(ShowHidden);
    ListFiles();
}

namespace {
// The commands that work on the list's files, as their rows mark them.
void setListControls(frmMain& f, bool on) {
    for (const CommandDef& c : MainCommandTable().commands) {
        if (c.file & FileItem) f.Menu(c.array)(c.index)->setEnabled(on);
        if (c.file & FileButton) f.Toolbar1->SetButtonEnabled(c.button.index, on);
    }
}
}  // namespace

void frmMain::Disable_LV_Controls() {
    setListControls(*this, false);
}
void frmMain::Enable_LV_Controls() {
    setListControls(*this, true);
}

void frmMain::ListView1_ColumnClick(int ColumnHeader) {
    FileListModel* model = ListView1->Model();
    int key = model->SortKey();
    if (ColumnHeader >= 1 && ColumnHeader <= 4) key = ColumnHeader - 1;
    const Qt::SortOrder order =
        model->SortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    // Sorting moves rows; the current item and selection follow them.
    model->SetSort(true, key, order);
    const int row = ListView1->SelectedRow();
    if (row >= 0) ListView1->DetailsView()->scrollTo(model->index(row, 0));
}

void frmMain::ListView1_DblClick() {
    const int row = ListView1->SelectedRow();
    if (row < 0) return;
    const ListItem& item = ListView1->Model()->Item(row);
    if (item.Text == "..") {
        const Folder up = FolderTreeview1->SelectedFolder().Parent();
        if (!up.IsNull()) FolderTreeview1->SetSelectedFolder(up.Path());
        return;
    }
    if (ToBool(ReadSetting(Keys::DoubleClick)).value_or(false)) {
        // The viewer takes the selected item from the list and stands in
        // for this window until it closes.
        hide();
        Open(Openers::Table().ShowViewer);
        return;
    }
    Platform::shell().OpenDefault(FileUrl(item.RawKey));
}

void frmMain::ListView1_GotFocus() {
    TreeHasFocus = false;
    Enable_LV_Controls();
}

void frmMain::ListView1_KeyUp(int KeyCode, int Shift) {
    // The arrow keys, by their old key codes.
    if (KeyCode == Qt::Key_Left || KeyCode == Qt::Key_Up || KeyCode == Qt::Key_Right ||
        KeyCode == Qt::Key_Down) {
        ShowImage();
        return;
    }
    // The other keys that move through the list, and a name typed without
    // Ctrl or Alt (the list jumps to it), show where they land too.
    const bool moves = KeyCode == Qt::Key_Home || KeyCode == Qt::Key_End ||
                       KeyCode == Qt::Key_PageUp || KeyCode == Qt::Key_PageDown;
    const bool typed = (Shift & ~1) == 0 && ((KeyCode >= Qt::Key_0 && KeyCode <= Qt::Key_9) ||
                                             (KeyCode >= Qt::Key_A && KeyCode <= Qt::Key_Z));
    if ((moves || typed) && Extras::On(Keys::ListKeysPreview)) ShowImage();
}

void frmMain::ListView1_MouseUp(int Button, int, float, float) {
    ShowImage();
    if (Button == 2) mnuedita().menu->popup(QCursor::pos());
}
