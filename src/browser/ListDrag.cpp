// Files as text/uri-lists, and dragging the file list's pictures out.
#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QIcon>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeView>
#include <optional>

#include "browser/DragDrop.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "kit/Extras.h"
#include "platform/Shell.h"

namespace {
const QString kUriList = QStringLiteral("text/uri-list");

// Watches both views of the list for a press on a selected item and the move
// that makes it a drag.
class ListDragFilter : public QObject {
public:
    ListDragFilter(FileListView* list, std::function<void()> moved)
        : QObject(list), list_(list), moved_(std::move(moved)) {
        for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(list->DetailsView()),
                                     static_cast<QAbstractItemView*>(list->IconsView())})
            v->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        auto* viewport = static_cast<QWidget*>(watched);
        auto* view = qobject_cast<QAbstractItemView*>(viewport->parentWidget());
        if (!view) return false;
        switch (e->type()) {
            case QEvent::MouseButtonPress: {
                const auto* m = static_cast<QMouseEvent*>(e);
                pressed_.reset();
                // Only a plain press keeps the selection as it is: with Shift
                // or Ctrl the press changes it, and it is a selection.
                if (m->button() != Qt::LeftButton || m->modifiers() != Qt::NoModifier) break;
                const QModelIndex i = view->indexAt(m->position().toPoint());
                if (i.isValid() && list_->IsSelected(i.row()) &&
                    !list_->Model()->Item(i.row()).IsParent() && Extras::On(Keys::DragAndDrop))
                    pressed_ = m->position().toPoint();
                break;
            }
            case QEvent::MouseMove: {
                if (!pressed_) break;
                const auto* m = static_cast<QMouseEvent*>(e);
                if (!(m->buttons() & Qt::LeftButton)) {
                    pressed_.reset();
                    break;
                }
                // Until it is a drag the view sees no move, which would
                // select the rows swept over instead.
                if ((m->position().toPoint() - *pressed_).manhattanLength() >=
                    QApplication::startDragDistance()) {
                    pressed_.reset();
                    drag(viewport);
                }
                return true;
            }
            case QEvent::MouseButtonRelease:
                pressed_.reset();
                break;
            default:
                break;
        }
        return false;
    }

private:
    void drag(QWidget* from) {
        const std::vector<QByteArray> files = SelectedFiles(list_);
        if (files.empty()) return;
        auto* drag = new QDrag(from);
        drag->setMimeData(FileDragData(files));
        drag->setPixmap(pixmapOf(files.size()));
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        // A drop on our own tree reads the list again itself.
        if (done == Qt::MoveAction && !drag->target() && moved_) moved_();
    }

    // The first selected item's image, with the number of files when more go.
    QPixmap pixmapOf(std::size_t count) const {
        const std::vector<int> rows = list_->SelectedRows();
        int first = -1;
        for (int row : rows)
            if (!list_->Model()->Item(row).IsParent()) {
                first = row;
                break;
            }
        const QIcon icon = list_->Model()
                               ->data(list_->Model()->index(first, 0), Qt::DecorationRole)
                               .value<QIcon>();
        const qreal dpr = list_->devicePixelRatioF();
        QPixmap pixmap(QSize(48, 40) * dpr);
        pixmap.setDevicePixelRatio(dpr);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        icon.paint(&p, QRect(0, 0, 32, 32));
        if (count > 1) {
            const QRect badge(26, 22, 22, 18);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(list_->palette().color(QPalette::Highlight));
            p.drawRoundedRect(badge, 6, 6);
            p.setPen(list_->palette().color(QPalette::HighlightedText));
            p.drawText(badge, Qt::AlignCenter, count > 99 ? "99+" : QString::number(count));
        }
        return pixmap;
    }

    FileListView* list_;
    std::function<void()> moved_;
    std::optional<QPoint> pressed_;
};

// The raw path of a file: address, or nothing for any other address.
std::optional<QByteArray> pathOfUri(QByteArray uri) {
    if (!uri.startsWith("file:")) return std::nullopt;
    uri = uri.mid(5);
    if (uri.startsWith("//")) {
        // An authority: none, or this machine.
        const qsizetype slash = uri.indexOf('/', 2);
        if (slash < 0) return std::nullopt;
        const QByteArray host = uri.mid(2, slash - 2);
        if (!host.isEmpty() && host != "localhost") return std::nullopt;
        uri = uri.mid(slash);
    }
    if (!uri.startsWith('/')) return std::nullopt;
    const qsizetype end = uri.indexOf('#');
    if (end >= 0) uri.truncate(end);
    const QByteArray path = QByteArray::fromPercentEncoding(uri);
    if (path.contains('\0')) return std::nullopt;
    return path;
}
}  // namespace

QByteArray FileUriList(const std::vector<QByteArray>& rawPaths) {
    QByteArray list;
    for (const QByteArray& path : rawPaths) list += FileUrl(path).toEncoded() + "\r\n";
    return list;
}

std::vector<QByteArray> PathsOfUriList(const QByteArray& uriList) {
    std::vector<QByteArray> paths;
    for (const QByteArray& line : uriList.split('\n')) {
        const QByteArray uri = line.trimmed();
        if (uri.isEmpty() || uri.startsWith('#')) continue;
        if (std::optional<QByteArray> path = pathOfUri(uri)) paths.push_back(*path);
    }
    return paths;
}

std::vector<QByteArray> DraggedFiles(const QMimeData* data) {
    if (!data || !data->hasFormat(kUriList)) return {};
    return PathsOfUriList(data->data(kUriList));
}

bool StaysPut(const QByteArray& source, const QByteArray& folder) {
    const QByteArray dest = folder.endsWith('/') ? folder : folder + '/';
    return source.left(source.lastIndexOf('/') + 1) == dest || dest.startsWith(source + '/');
}

std::vector<QByteArray> SelectedFiles(const FileListView* list) {
    std::vector<QByteArray> files;
    for (int row : list->SelectedRows()) {
        const ListItem& item = list->Model()->Item(row);
        if (!item.IsParent()) files.push_back(item.RawKey());
    }
    return files;
}

QMimeData* FileDragData(const std::vector<QByteArray>& rawPaths) {
    auto* data = new QMimeData;
    data->setData(kUriList, FileUriList(rawPaths));
    return data;
}

void InstallListDrag(FileListView* list, std::function<void()> moved) {
    new ListDragFilter(list, std::move(moved));
}
