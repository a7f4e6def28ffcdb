#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <atomic>
#include <optional>

// The desktop's shared thumbnail cache: small PNG copies of pictures under
// $XDG_CACHE_HOME/thumbnails (~/.cache/thumbnails when unset), one file per
// picture named by the MD5 of its file URI, which every file manager and
// picture program of the desktop reads and writes. A thumbnail holds the
// URI and the modification time of the picture it was made from and counts
// only while both still match. Pictures that cannot be made into one are
// remembered under fail/ so they are not tried again until they change.
//
// Everything here runs on any thread: it reads and writes files only.
namespace Thumbnails {

enum class Size { Normal, Large };  // at most 128 and 256 pixels a side
int Pixels(Size size);
// "normal" or "large".
QString FolderName(Size size);
// The smallest size whose thumbnails cover side device pixels.
Size SizeFor(int side);

// $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails when it is unset or blank.
QString CacheRoot();
// The folder this program's failures go to: fail/kvoview-<version>.
QString FailFolder();

// "file://" and the absolute path's bytes, each byte outside the letters,
// digits, "-_.!~*'()" and the path's "/:@&=+$," written as %XX: as the
// desktop's file managers write it, so both find the same thumbnail.
QByteArray FileUri(const QByteArray& absolutePath);
// The cache file's name for a URI: its MD5 in lower-case hex and ".png".
QString FileName(const QByteArray& uri);

// What a thumbnail must match: the picture's URI and modification time in
// whole seconds, with its size in bytes as an extra.
struct Source {
    QByteArray path;
    QByteArray uri;
    qint64 mtime = 0;
    qint64 size = 0;
};
// Empty when the file cannot be read.
std::optional<Source> SourceOf(const QByteArray& path);
// Whether path is inside the cache: such files never get thumbnails.
bool InCache(const QByteArray& path);

// The thumbnail of source in the size's folder, when there is one that
// matches it; a picture file of another program counts as well.
std::optional<QImage> Find(const Source& source, Size size);
// Writes image as source's thumbnail: a PNG with the URI and times, made
// under another name in the same folder and renamed over the old one, so a
// reader never sees half a file. Folders are made private (0700), the file
// readable by the user only (0600).
bool Store(const Source& source, Size size, const QImage& image);
// Whether this program failed on this version of the file before.
bool FailedBefore(const Source& source);
void StoreFailure(const Source& source);

// What Make gives.
struct Made {
    QImage image;          // null when the picture could not be made into one
    bool decoded = false;  // made now, not found in the cache
    bool failed = false;   // the picture cannot be read (now or before)
};
// The thumbnail of path at size: the cached one when it still matches,
// otherwise decoded at that size (a JPEG at its scaled step), stored, and
// given; a picture that cannot be read leaves a failure entry. cancel, when
// set from another thread, stops a metafile being drawn.
Made Make(const QByteArray& path, Size size, float twipsPerPixelX, float twipsPerPixelY,
          const std::atomic<bool>* cancel = nullptr);

}  // namespace Thumbnails
