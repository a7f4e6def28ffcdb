// Files dropped on a folder of the main window's tree.
#include <QDropEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

#include "browser/DragDrop.h"
#include "browser/FolderModel.h"
#include "browser/FolderTreeview.h"
#include "browser/Openers.h"
#include "kit/Extras.h"
#include "platform/PathText.h"

namespace {
// How long a folder stays under a drag before it opens.
constexpr int kOpenAfterMs = 800;

// The frame around the folder a drop would go to, drawn over the tree; the
// pointer goes through it.
class DropMark : public QWidget {
public:
    explicit DropMark(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QColor c = palette().color(QPalette::Highlight);
        p.setPen(QPen(c, 2));
        c.setAlpha(48);
        p.setBrush(c);
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
};
}  // namespace

TreeDrop::TreeDrop(FolderTreeview* tree)
    : QObject(tree), tree_(tree), mark_(new DropMark(tree->viewport())) {
    tree_->setAcceptDrops(true);
    tree_->viewport()->setAcceptDrops(true);
    tree_->viewport()->installEventFilter(this);
    open_.setSingleShot(true);
    open_.setInterval(kOpenAfterMs);
    connect(&open_, &QTimer::timeout, this, [this] {
        if (!marked_.isValid()) return;
        Folder(tree_, PathText(tree_->FileModel()->PathOf(marked_))).SetExpanded(true);
    });
}

QByteArray TreeDrop::FolderAt(QPoint pos) const {
    const QModelIndex i = tree_->indexAt(pos);
    return i.isValid() ? tree_->FileModel()->PathOf(i) : QByteArray();
}

QByteArray TreeDrop::Marked() const {
    return marked_.isValid() ? tree_->FileModel()->PathOf(marked_) : QByteArray();
}

bool TreeDrop::copies(const QDropEvent* e) const {
    // Shift moves, when the files' program lets them be moved.
    return !(e->modifiers() & Qt::ShiftModifier) || !(e->possibleActions() & Qt::MoveAction);
}

void TreeDrop::mark(const QModelIndex& index) {
    if (index != QModelIndex(marked_)) open_.stop();
    marked_ = index;
    if (!index.isValid()) {
        mark_->hide();
        return;
    }
    const QRect row = tree_->visualRect(index);
    mark_->setGeometry(0, row.top(), tree_->viewport()->width(), row.height());
    mark_->show();
    mark_->raise();
    mark_->update();
    if (!open_.isActive() && !tree_->isExpanded(index)) open_.start();
}

bool TreeDrop::hover(QDropEvent* e) {
    const QPoint pos = e->position().toPoint();
    const QModelIndex i = tree_->indexAt(pos);
    const QByteArray folder = i.isValid() ? tree_->FileModel()->PathOf(i) : QByteArray();
    // A folder every file is in already takes nothing.
    const bool takes =
        !folder.isEmpty() && std::any_of(files_.begin(), files_.end(),
                                         [&](const QByteArray& f) { return !StaysPut(f, folder); });
    mark(takes ? i : QModelIndex());
    if (!takes) {
        e->ignore();
        return false;
    }
    e->setDropAction(copies(e) ? Qt::CopyAction : Qt::MoveAction);
    e->accept();
    return true;
}

void TreeDrop::Drop(QDropEvent* e) {
    if (files_.empty() && Extras::On(Keys::DragAndDrop)) files_ = DraggedFiles(e->mimeData());
    if (files_.empty()) {
        mark({});
        e->ignore();
        return;
    }
    const bool takes = hover(e);
    mark({});
    std::vector<QByteArray> files = std::move(files_);
    files_.clear();
    if (!takes) return;
    const QByteArray folder = FolderAt(e->position().toPoint());
    const bool copy = copies(e);
    // Answer the files' program first: the copy may ask questions and show
    // its progress, and the drag must not wait for them.
    QTimer::singleShot(0, this, [files = std::move(files), folder, copy] {
        Open(Openers::Table().DropFiles, files, folder, copy);
    });
}

bool TreeDrop::eventFilter(QObject*, QEvent* e) {
    switch (e->type()) {
        case QEvent::DragEnter: {
            auto* d = static_cast<QDragEnterEvent*>(e);
            files_ = Extras::On(Keys::DragAndDrop) ? DraggedFiles(d->mimeData())
                                                   : std::vector<QByteArray>();
            if (files_.empty()) {
                d->ignore();
                return true;
            }
            // Entering is allowed anywhere; each move says where it may end.
            hover(d);
            d->accept();
            return true;
        }
        case QEvent::DragMove:
            if (files_.empty())
                e->ignore();
            else
                hover(static_cast<QDragMoveEvent*>(e));
            return true;
        case QEvent::DragLeave:
            mark({});
            files_.clear();
            return true;
        case QEvent::Drop:
            Drop(static_cast<QDropEvent*>(e));
            return true;
        default:
            return false;
    }
}
