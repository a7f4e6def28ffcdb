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
#include "browser/TextOrder.h"
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
// Unsure entries (links, and entries of file systems that do not tell their
// kinds) up to this many are settled while listing; more are left to the
// list's fill, off this thread.
constexpr size_t kUnsureAtOnce = 256;
// The icon views show at most about this many names at once.
constexpr int kIconRowsInView = 512;

bool isAsciiByte(char c) {
    return uchar(c) < 0x80;
}

// The end of a name, packed so that it is compared with the end of a
// pattern at once: its last plain ASCII bytes, up to eight, folded to lower
// case, the last one lowest. The bytes above them stay 0 (no name holds a
// NUL), which tells how many there are.
quint64 nameEnd(QByteArrayView name) {
    quint64 packed = 0;
    int n = 0;
    for (qsizetype i = name.size() - 1; i >= 0 && n < 8 && isAsciiByte(name[i]); --i) {
        const char c = name[i] >= 'A' && name[i] <= 'Z' ? char(name[i] + ('a' - 'A')) : name[i];
        packed |= quint64(uchar(c)) << (8 * n++);
    }
    return packed;
}

// Picks the names a pattern matches, the way the wildcard match of their
// shown text does. "*.jpg" and the like compare the name's end directly,
// on the bytes when they are plain ASCII, which keeps a folder of many
// files fast.
class NameMatcher {
public:
    explicit NameMatcher(const QString& pattern)
        : pattern_(pattern),
          suffix_(pattern.startsWith(QLatin1String("*.")) && pattern.indexOf('*', 1) < 0 &&
                          pattern.indexOf('?') < 0
                      ? pattern.mid(1)
                      : QString()),
          asciiSuffix_(IsAscii(suffix_.toUtf8()) ? suffix_.toLatin1() : QByteArray()) {
        if (asciiSuffix_.isEmpty() || asciiSuffix_.size() > 8) return;
        packed_ = nameEnd(asciiSuffix_);
        mask_ =
            asciiSuffix_.size() == 8 ? ~quint64(0) : (quint64(1) << (8 * asciiSuffix_.size())) - 1;
    }
    // A name whose shown text the pattern matches; end is the name's.
    bool operator()(QByteArrayView name, quint64 end) const {
        const qsizetype n = asciiSuffix_.size();
        if (mask_ && (end >> (8 * (n - 1))) & 0xFF)
            return name.size() > n && (end & mask_) == packed_;
        return (*this)(name);
    }
    bool operator()(QByteArrayView name) const {
        if (!asciiSuffix_.isEmpty()) {
            // Plain ASCII bytes at the end are the text's last characters
            // as they are; anything else is decided on the text.
            const qsizetype n = asciiSuffix_.size();
            if (name.size() <= n) return false;
            const QByteArrayView tail = name.last(n);
            if (IsAscii(tail)) return qstrnicmp(tail.data(), asciiSuffix_.constData(), n) == 0;
        }
        const QString shown = ShownText(name.toByteArray());
        if (suffix_.isEmpty()) return MatchesPattern(shown, pattern_);
        return shown.size() > suffix_.size() && shown.endsWith(suffix_, Qt::CaseInsensitive);
    }

private:
    QString pattern_, suffix_;
    QByteArray asciiSuffix_;
    quint64 packed_ = 0, mask_ = 0;
};

// The rows the list shows at its top, where a listing leaves it.
std::pair<int, int> rowsInView(const FileListView& list) {
    if (list.View() != 3) return {0, kIconRowsInView - 1};
    const QTreeView* v = list.DetailsView();
    const int last = v->indexAt(QPoint(0, v->viewport()->height() - 1)).row();
    return {std::max(0, v->indexAt(QPoint(0, 0)).row()),
            last < 0 ? list.Model()->Count() - 1 : last};
}

QString totalText(const FileListModel& model) {
    return "Total " + QString::number(model.Count() - 1) + " Item(s)";
}
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
    pending_ = {ListItem::Parent(Icons::ParentImage)};

    // One read of the folder serves every type: the names, and what the
    // folder tells of their kinds, with no status call per entry. The items
    // share the folder and the block of names.
    const QByteArray folderBytes = PathBytes(CurrentFolder);
    Platform::files().ReadNames(folderBytes, &names_);
    auto folder = std::make_shared<ListedFolder>();
    folder->raw = folderBytes;
    folder->shown = ShownPath(CurrentFolder);
    folder->names = std::move(names_.bytes);
    listed_ = std::move(folder);
    pending_.reserve(qsizetype(names_.entries.size()) + 1);
    for (const PictureTypes::Row* t : PictureTypes::InListOrder())
        if (PictureTypes::Shown(*t))
            AddFiles(PictureTypes::Pattern(*t), t->listImage, int(t->extension.size()) + 1);
    // The list sorts once, for all types together; the sizes follow.
    model->SetListing(std::move(pending_), &Platform::files(), std::move(listed_));
    pending_ = {};
    names_ = {};
    nameEnds_ = {};
    listed_.reset();

    unsetCursor();
    ListView1->SetSelectedRow(0);
    ListView1->DetailsView()->scrollToTop();
    // The rows in view are settled at once; settling may drop some, and
    // others move up into view.
    while (model->Filling()) {
        const auto [first, last] = rowsInView(*ListView1);
        if (model->CompleteRows(first, last)) break;
    }
    StatusBar1->Panels(2).SetText(totalText(*model));
    ShowImage();
    Titleit();
}

void frmMain::AddFiles(const QString& sFileType, int picindex, int flen) {
    StatusBar1->Panels(2).SetText("Scanning folder for files...  ");
    const quint32 m = ShowHidden ? 35 : 33;
    const NameMatcher matches(sFileType);
    const size_t unsure =
        std::count_if(names_.entries.begin(), names_.entries.end(),
                      [](const auto& e) { return e.kind == FolderNames::Unsure; });
    const QByteArrayView names(listed_->names);
    std::unique_ptr<FolderProbe> probe;
    // The ends of the names, once for every type.
    if (nameEnds_.size() != names_.entries.size()) {
        nameEnds_.clear();
        nameEnds_.reserve(names_.entries.size());
        for (const FolderNames::Entry& e : names_.entries)
            nameEnds_.push_back(nameEnd(names.sliced(e.offset, e.length)));
    }
    for (size_t i = 0; i < names_.entries.size(); ++i) {
        const FolderNames::Entry& e = names_.entries[i];
        const QByteArrayView name = names.sliced(e.offset, e.length);
        // The attributes as the folder's read tells them: an unsure entry
        // counts as a file until its status says otherwise.
        quint32 attributes =
            e.kind == FolderNames::Folder ? FileAttr::Directory : FileAttr::Archive;
        if (name.startsWith('.')) attributes |= FileAttr::Hidden;
        if (!PassesAttributeMask(attributes, m) || !matches(name, nameEnds_[i])) continue;
        // A file with none of the read-only, archive and (shown) hidden bits
        // is left out.
        if (!(attributes & m)) continue;
        ListItem item(listed_, e.offset, e.length, flen, picindex);
        if (e.kind == FolderNames::Unsure && unsure <= kUnsureAtOnce) {
            if (!probe) probe = Platform::files().OpenProbe(listed_->raw);
            const std::optional<EntryFacts> facts = probe->Status(names.data() + e.offset);
            if (!facts || facts->isFolder) continue;
            item.SetSize(facts->size);
        } else {
            item.MarkPending();
        }
        pending_.push_back(std::move(item));
    }
}

void frmMain::connectListFill() {
    FileListModel* model = ListView1->Model();
    // A dropped row that was the current one leaves the preview showing a
    // file the list no longer has.
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                const int row = ListView1->SelectedRow();
                if (row >= first && row <= last) currentDropped_ = true;
            });
    connect(model, &FileListModel::Dropped, this, [this] {
        StatusBar1->Panels(2).SetText(totalText(*ListView1->Model()));
        if (currentDropped_) {
            currentDropped_ = false;
            ShowImage();
        }
    });
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
        if (model->Item(row).Text() != "..") rows.push_back(row);
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
        if (was != (model->Item(row).Text() != "..")) rows.push_back(row);
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
    // Sorting moves rows; the current item and selection follow them. The
    // sizes still being asked are waited for: the order needs them all.
    if (model->Filling()) {
        setCursor(Qt::WaitCursor);
        model->Complete();
        unsetCursor();
    }
    model->SetSort(true, key, order);
    const int row = ListView1->SelectedRow();
    if (row >= 0) ListView1->DetailsView()->scrollTo(model->index(row, 0));
}

void frmMain::ListView1_DblClick() {
    const int row = ListView1->SelectedRow();
    if (row < 0) return;
    const ListItem& item = ListView1->Model()->Item(row);
    if (item.Text() == "..") {
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
    Platform::shell().OpenDefault(FileUrl(item.RawKey()));
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
