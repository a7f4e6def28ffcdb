#pragma once

#include <QByteArray>
#include <QString>

// The freedesktop trash: the home trash ($XDG_DATA_HOME/Trash) for items on
// its own volume, and $topdir/.Trash/$uid or $topdir/.Trash-$uid on other
// volumes, each item with a .trashinfo file a file manager restores from.
enum class TrashResult {
    Trashed,
    NoTrash,  // the item's volume has no trash that can take it
    Failed,   // the item could not be moved (error says why)
};

TrashResult MoveToTrash(const QByteArray& path, QString* error = nullptr);

// The home trash folder (not created).
QByteArray HomeTrashDir();

// The trash folder an item on the volume of path goes to; empty when there
// is none. Creates the folders it needs.
QByteArray TrashDirFor(const QByteArray& path, QByteArray* topdir = nullptr);
