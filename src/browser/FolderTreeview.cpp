#include "browser/FolderTreeview.h"

#include <QHeaderView>
#include <QItemSelectionModel>

#include <sys/stat.h>

#include "browser/FolderModel.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

namespace {
constexpr quint32 TVS_FULLROWSELECT = 0x1000;

QByteArray cleanPath(const QString& path) {
    return CleanRawPath(PathBytes(path));
}

bool isFolder(const QByteArray& path) {
    struct stat st;
    return !path.isEmpty() && !path.contains('\0') && stat(path.constData(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}
}  // namespace

Folder Folder::Parent() const {
    if (path_.isEmpty() || path_ == "/") return {};
    const int slash = path_.lastIndexOf('/');
    return Folder(tree_, slash <= 0 ? QStringLiteral("/") : path_.left(slash));
}

bool Folder::Expanded() const {
    return tree_ && tree_->isExpanded(tree_->IndexOf(path_));
}

void Folder::SetExpanded(bool expanded) {
    if (!tree_) return;
    const QModelIndex i = tree_->IndexOf(path_);
    if (!i.isValid()) return;
    if (expanded) tree_->FileModel()->fetchMore(i);
    tree_->setExpanded(i, expanded);
}

FolderTreeview::FolderTreeview(QWidget* parent) : QTreeView(parent), model_(nullptr) {
    header()->hide();
    // Long names scroll sideways rather than end in "...".
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAnimated(false);
    setSortingEnabled(false);
    buildModel();
    // Opening a folder read before shows the folders made or removed since.
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& i) {
        if (!model_->canFetchMore(i)) model_->Refresh(i);
    });
}

void FolderTreeview::buildModel() {
    // A fresh model for each show-hidden setting.
    FolderModel* old = model_;
    // setModel makes a new selection model and leaves the old one to us; the
    // header makes one of its own that the tree's replaces at once.
    QItemSelectionModel* oldSelection = selectionModel();
    model_ = new FolderModel(showHidden_, this);
    setModel(model_);
    delete oldSelection;
    for (QItemSelectionModel* m :
         header()->findChildren<QItemSelectionModel*>(Qt::FindDirectChildrenOnly))
        if (m != header()->selectionModel()) delete m;
    // The root always shows its folders.
    const QModelIndex root = model_->index(0, 0);
    model_->fetchMore(root);
    expand(root);
    if (old) old->deleteLater();
}

QModelIndex FolderTreeview::IndexOf(const QString& path) const {
    const QByteArray p = cleanPath(path);
    if (p.isEmpty()) return {};
    return model_->IndexOf(p);
}

Folder FolderTreeview::SelectedFolder() const {
    const QModelIndex i = currentIndex();
    if (!i.isValid()) return {};
    return Folder(const_cast<FolderTreeview*>(this), PathText(model_->PathOf(i)));
}

bool FolderTreeview::SetSelectedFolder(const QString& path) {
    if (path.trimmed().isEmpty()) return false;
    const QByteArray p = cleanPath(path);
    if (!isFolder(p)) return false;
    // A folder the tree does not show cannot be chosen.
    if (!showHidden_ && p.contains("/.")) return false;
    const QModelIndex i = model_->IndexOf(p);
    if (!i.isValid()) return false;
    return selectIndex(i);
}

void FolderTreeview::Refresh(const QString& path) {
    const QModelIndex i = IndexOf(path);
    if (i.isValid()) model_->Refresh(i);
}

bool FolderTreeview::selectIndex(const QModelIndex& index) {
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) expand(up);
    if (currentIndex() != index) {
        bool cancel = false;
        emit SelectionChange(Folder(this, PathText(model_->PathOf(index))), true, &cancel);
        if (cancel) return false;
        selecting_ = true;
        setCurrentIndex(index);
        selecting_ = false;
        emit SelectionChange(SelectedFolder(), false, &cancel);
    }
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    // A write reports the choice as a click would, also for the folder
    // already selected; listeners decide whether anything changed.
    emit FolderClick(SelectedFolder(), 0);
    return true;
}

void FolderTreeview::SetShowHidden(bool show) {
    if (show == showHidden_ && model_) return;
    showHidden_ = show;
    const QByteArray selected = model_ ? model_->PathOf(currentIndex()) : QByteArray();
    buildModel();
    if (selected.isEmpty()) return;
    // Keep the selection where it was, or on the nearest folder still shown,
    // without reporting a new choice.
    QByteArray p = selected;
    if (!show) {
        const qsizetype hidden = p.indexOf("/.");
        if (hidden >= 0) p = hidden == 0 ? QByteArray("/") : p.left(hidden);
    }
    QModelIndex i = model_->IndexOf(p);
    // Gone meanwhile: the nearest folder above that is still there.
    for (int guard = 0; !i.isValid() && p != "/" && guard < 4096; ++guard) {
        p = RawParentPath(p);
        i = model_->IndexOf(p);
    }
    for (QModelIndex up = i.parent(); up.isValid(); up = up.parent()) expand(up);
    selecting_ = true;
    setCurrentIndex(i);
    selecting_ = false;
    scrollTo(i);
}

void FolderTreeview::SetStyle(quint32 style) {
    style_ = style;
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(style & TVS_FULLROWSELECT);
    viewport()->update();
}

void FolderTreeview::focusInEvent(QFocusEvent* e) {
    QTreeView::focusInEvent(e);
    emit GotFocus();
}

void FolderTreeview::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    bool cancel = false;
    if (!selecting_ && previous.isValid()) {
        emit SelectionChange(Folder(this, PathText(model_->PathOf(current))), true, &cancel);
        if (cancel) {
            // Put the old folder back without a second round of events.
            selecting_ = true;
            setCurrentIndex(previous);
            selecting_ = false;
            return;
        }
    }
    QTreeView::currentChanged(current, previous);
    if (selecting_ || !current.isValid()) return;
    emit SelectionChange(SelectedFolder(), false, &cancel);
    emit FolderClick(SelectedFolder(), 0);
}
