#include "browser/FolderTreeview.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QItemSelectionModel>

namespace {
constexpr quint32 TVS_FULLROWSELECT = 0x1000;

QString cleanPath(const QString& path) {
    QString p = QDir::cleanPath(QDir::fromNativeSeparators(path));
    if (p.length() > 1 && p.endsWith('/')) p.chop(1);
    return p;
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
    if (i.isValid()) tree_->setExpanded(i, expanded);
}

FolderTreeview::FolderTreeview(QWidget* parent) : QTreeView(parent), model_(nullptr) {
    header()->hide();
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAnimated(false);
    setSortingEnabled(false);
    buildModel();
}

void FolderTreeview::buildModel() {
    // A fresh model for each show-hidden setting: the file system model
    // keeps showing folders once asked for by path, whatever its filter says.
    QFileSystemModel* old = model_;
    // setModel makes a new selection model and leaves the old one to us; the
    // header makes one of its own that the tree's replaces at once.
    QItemSelectionModel* oldSelection = selectionModel();
    model_ = new QFileSystemModel(this);
    model_->setRootPath("/");
    model_->setReadOnly(true);
    model_->setResolveSymlinks(false);
    QDir::Filters f = QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot;
    if (showHidden_) f |= QDir::Hidden;
    model_->setFilter(f);
    model_->sort(0, Qt::AscendingOrder);
    setModel(model_);
    delete oldSelection;
    for (QItemSelectionModel* m :
         header()->findChildren<QItemSelectionModel*>(Qt::FindDirectChildrenOnly))
        if (m != header()->selectionModel()) delete m;
    for (int c = 1; c < model_->columnCount(); ++c) hideColumn(c);
    // Folders arrive and get sorted in the background: keep a folder chosen
    // by the program in sight until the user takes over.
    auto keep = [this] {
        if (keepInSight_ && currentIndex().isValid())
            scrollTo(currentIndex(), QAbstractItemView::PositionAtCenter);
    };
    connect(model_, &QFileSystemModel::directoryLoaded, this, keep);
    connect(model_, &QFileSystemModel::layoutChanged, this, keep);
    // The root always shows its folders.
    expand(model_->index("/"));
    if (old) old->deleteLater();
}

QModelIndex FolderTreeview::IndexOf(const QString& path) const {
    if (path.isEmpty()) return {};
    return model_->index(cleanPath(path));
}

Folder FolderTreeview::SelectedFolder() const {
    const QModelIndex i = currentIndex();
    if (!i.isValid()) return {};
    return Folder(const_cast<FolderTreeview*>(this), cleanPath(model_->filePath(i)));
}

bool FolderTreeview::SetSelectedFolder(const QString& path) {
    if (path.trimmed().isEmpty()) return false;
    const QString p = cleanPath(path);
    if (!QFileInfo(p).isDir()) return false;
    // A folder the tree does not show cannot be chosen.
    if (!showHidden_ && p.contains("/.")) return false;
    const QModelIndex i = model_->index(p);
    if (!i.isValid()) return false;
    return selectIndex(i);
}

bool FolderTreeview::selectIndex(const QModelIndex& index) {
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) expand(up);
    if (currentIndex() != index) {
        bool cancel = false;
        emit SelectionChange(Folder(this, cleanPath(model_->filePath(index))), true, &cancel);
        if (cancel) return false;
        selecting_ = true;
        setCurrentIndex(index);
        selecting_ = false;
        emit SelectionChange(SelectedFolder(), false, &cancel);
    }
    keepInSight_ = true;
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    // A write reports the choice as a click would, also for the folder
    // already selected; listeners decide whether anything changed.
    emit FolderClick(SelectedFolder(), 0);
    return true;
}

void FolderTreeview::SetShowHidden(bool show) {
    if (show == showHidden_ && model_) return;
    showHidden_ = show;
    const QString selected = SelectedFolder().Path();
    buildModel();
    if (selected.isEmpty()) return;
    // Keep the selection where it was, or on the nearest folder still shown,
    // without reporting a new choice.
    QString p = selected;
    if (!show) {
        const QStringList parts = selected.split('/', Qt::SkipEmptyParts);
        p = "/";
        for (const QString& part : parts) {
            if (part.startsWith('.')) break;
            p = QDir(p).filePath(part);
        }
    }
    const QModelIndex i = model_->index(p);
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

void FolderTreeview::mousePressEvent(QMouseEvent* e) {
    keepInSight_ = false;
    QTreeView::mousePressEvent(e);
}

void FolderTreeview::wheelEvent(QWheelEvent* e) {
    keepInSight_ = false;
    QTreeView::wheelEvent(e);
}

void FolderTreeview::keyPressEvent(QKeyEvent* e) {
    keepInSight_ = false;
    QTreeView::keyPressEvent(e);
}

void FolderTreeview::focusInEvent(QFocusEvent* e) {
    QTreeView::focusInEvent(e);
    emit GotFocus();
}

void FolderTreeview::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    bool cancel = false;
    if (!selecting_ && previous.isValid()) {
        emit SelectionChange(Folder(this, cleanPath(model_->filePath(current))), true, &cancel);
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
