// The image search: a depth-first walk of a folder tree that sorts image
// files into the result lists, one a tab, by the ending of their names.
#include <QApplication>
#include <QFile>
#include <QFileDialog>

#include "browser/frmMain.h"
#include "hound/ResultListModel.h"
#include "hound/frmFind.h"
#include "kit/DoEvents.h"
#include "kit/Helpers.h"
#include "kit/PictureTypes.h"
#include "kit/StatusBar.h"
#include "kit/TabStrip.h"
#include "platform/PathText.h"

namespace {
// The status text and the lists are shown at most this often during a walk.
constexpr qint64 kPaintMs = 16;
}  // namespace

int ImageListOf(QByteArrayView name) {
    return PictureTypes::HoundTabOf(name);
}

bool ImageListSwitch(int list) {
    const auto& tabs = PictureTypes::HoundTabs();
    if (list < 0 || list >= int(tabs.size())) return false;
    if (tabs[list].owner->classic) return PictureTypes::Shown(*tabs[list].owner);
    // "Other": on while any of its types is.
    for (const PictureTypes::Row& r : PictureTypes::kRows)
        if (r.houndTab == list && PictureTypes::Shown(r)) return true;
    return false;
}

QString frmFind::BrowseForFolder(const QString& DialogTitle) {
    if (chooseFolder) return chooseFolder(this, DialogTitle);
    // The chooser is taken down (its folder model, watcher and threads) only
    // once the search has shown its result, not between the folder chosen
    // and the search starting.
    if (!chooser_) {
        chooser_ = new QFileDialog(this, DialogTitle);
        chooser_->setFileMode(QFileDialog::Directory);
        chooser_->setOption(QFileDialog::ShowDirsOnly);
    }
    chooser_->setWindowTitle(DialogTitle);
    // It opens on the folder the browser lists, not wherever the program
    // was started from.
    if (frmMain::Exists())
        chooser_->setDirectory(QFile::decodeName(PathBytes(frmMain::Instance()->CurrentFolder)));
    if (chooser_->exec() != QDialog::Accepted) return QString();
    return chooser_->selectedFiles().value(0);
}

void frmFind::SetSimpleText(const QString& text) {
    simpleText_ = text;
    emit SimpleTextChanged(text);
    if (depth_ == 0) StatusBar1->Panels(1).SetText(text);
}

void frmFind::flushResults(bool now) {
    if (!now && painted_.isValid() && painted_.elapsed() < kPaintMs) return;
    painted_.start();
    // During the walk only the list in view is brought up to date; the
    // others catch up when their tab is chosen or the search ends.
    const int inView = TabStrip1->currentIndex();
    for (int i = 0; i < int(models_.size()); ++i)
        if (now || i == inView) models_[i]->Flush();
    StatusBar1->Panels(1).SetText(simpleText_);
}

void frmFind::yield() {
    flushResults(false);
    DoEvents();
}

void frmFind::findfiles(const QString& startFolder) {
    if (startFolder.isEmpty()) return;
    const int mine = ++generation_;
    ++depth_;
    SearchPattern = "*.*";
    FoundCount = 0;
    setCursor(Qt::BusyCursor);
    Searching = true;
    for (int i = 0; i < int(models_.size()); ++i) {
        models_[i]->Clear();
        TabStrip1->setTabText(i, PictureTypes::HoundTabs()[i].caption);  // no count
    }
    // Each search has its own reader and visited set; a search started inside
    // this one's yield leaves these alone.
    std::unique_ptr<FolderReader> reader =
        makeReader ? makeReader() : std::make_unique<FolderReader>();
    QSet<FolderId> visited;
    FolderReader* const outerReader = reader_;
    QSet<FolderId>* const outerVisited = visited_;
    reader_ = reader.get();
    visited_ = &visited;
    painted_.invalidate();
    SearchFolder(PathBytes(AddBackslash(startFolder)));
    reader_ = outerReader;
    visited_ = outerVisited;
    --depth_;

    // A newer search started inside a yield of this one has already shown
    // its own results: they stay.
    if (mine == generation_) {
        Searching = false;
        unsetCursor();
        flushResults(true);
        for (int i = 0; i < int(models_.size()); ++i)
            TabStrip1->setTabText(i, PictureTypes::HoundTabs()[i].caption +
                                         QString(" (%1)").arg(models_[i]->ListCount()));
        SetSimpleText(QString::number(FoundCount) +
                      " images were found for your query under the folder " + startFolder + ".");
        setWindowTitle("Image Hound");
    }
    if (depth_ == 0 && deleteWhenDone_) deleteLater();
}

void frmFind::SearchFolder(const QByteArray& folder) {
    yield();
    SetSimpleText("Searching " + ShownText(folder));
    yield();
    if (!Searching || !reader_) return;

    std::vector<FolderItem> entries;
    FolderId id;
    if (!reader_->Read(folder, &entries, &id)) return;
    // A link back up the tree, or a second way into a folder already seen.
    if (visited_->contains(id)) return;
    visited_->insert(id);

    std::vector<QByteArray> subfolders;
    for (const FolderItem& e : entries)
        if (e.isFolder && !e.name.startsWith('.')) subfolders.push_back(e.name);
    matchEntries(folder, entries);
    entries = {};
    // After a stop each pending visit still announces itself, then returns.
    for (const QByteArray& name : subfolders) SearchFolder(folder + name + '/');
}

void frmFind::MatchImageFiles(const QByteArray& folder) {
    std::vector<FolderItem> entries;
    FolderId id;
    if (FolderReader::ReadLocal(folder, &entries, &id)) matchEntries(folder, entries);
}

void frmFind::matchEntries(const QByteArray& folder, const std::vector<FolderItem>& entries) {
    for (const FolderItem& e : entries) {
        if (!Searching) break;
        const PictureTypes::Row* type = PictureTypes::HoundSwitchOf(e.name);
        if (!type || !PictureTypes::Shown(*type)) continue;
        const int list = type->houndTab;
        models_[list]->Append(folder, e.name);
        ++FoundCount;
    }
}
