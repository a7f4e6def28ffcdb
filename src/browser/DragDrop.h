#pragma once

#include <QByteArray>
#include <QObject>
#include <QPersistentModelIndex>
#include <QTimer>
#include <functional>
#include <vector>

class FileListView;
class FolderTreeview;
class QDropEvent;
class QMimeData;
class QWidget;

// Files travel between programs as a text/uri-list of file addresses. Names
// are bytes: each address carries its name's bytes percent-encoded, so a name
// that is not UTF-8, or holds a '%', names its own file at the other end.
QByteArray FileUriList(const std::vector<QByteArray>& rawPaths);
// The local files a text/uri-list names, as raw paths in its order; other
// addresses (and comments) are left out.
std::vector<QByteArray> PathsOfUriList(const QByteArray& uriList);
// The local files a drag carries, as raw paths.
std::vector<QByteArray> DraggedFiles(const QMimeData* data);

// True when copying or moving source into folder (raw) would leave it where
// it is: it is in that folder already, or it is the folder or one above it.
bool StaysPut(const QByteArray& source, const QByteArray& folder);

// Dragging from the file list: the selected items, never the parent entry.
// The raw paths of the selected items, in list order.
std::vector<QByteArray> SelectedFiles(const FileListView* list);
// What a drag of these files carries.
QMimeData* FileDragData(const std::vector<QByteArray>& rawPaths);
// Lets the user drag the list's selected pictures out, while the switch is
// on: a press on a selected item and a move start the drag. moved runs after
// another program took the files by moving them.
void InstallListDrag(FileListView* list, std::function<void()> moved);

// Dropping files on the main window's folder tree: the folder under the
// pointer is marked while files are dragged over it, and a drop copies them
// there (Shift held: moves them) through the openers table, the way Copy to
// and Move to do. A folder held under the pointer for a moment opens.
class TreeDrop : public QObject {
    Q_OBJECT
public:
    explicit TreeDrop(FolderTreeview* tree);

    // The folder (raw) a drag at pos of the tree's viewport is over; empty
    // when none.
    QByteArray FolderAt(QPoint pos) const;
    // The folder marked as the drop's target; empty when none.
    QByteArray Marked() const;
    // The drop itself, on the tree's viewport. The files go at the next turn
    // of the event loop, once the program they come from has been answered.
    void Drop(QDropEvent* e);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Marks the folder under pos and says whether the drag may end there.
    bool hover(QDropEvent* e);
    void mark(const QModelIndex& index);
    bool copies(const QDropEvent* e) const;

    FolderTreeview* tree_;
    QWidget* mark_;
    QPersistentModelIndex marked_;
    std::vector<QByteArray> files_;  // what the drag over the tree carries
    QTimer open_;
};
