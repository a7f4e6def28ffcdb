#include "kit/Thumbnails.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryFile>

#include <cstdio>

#include "kit/Version.h"
#include "platform/PictureLoader.h"

namespace {
constexpr auto kUriKey = "Thumb::URI";
constexpr auto kMTimeKey = "Thumb::MTime";
constexpr auto kSizeKey = "Thumb::Size";
constexpr QFile::Permissions kPrivateFolder =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// Bytes a path keeps in a URI as they are: the unreserved marks and the
// ones a path may hold.
bool keptInUri(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    static const QByteArray marks = QByteArrayLiteral("-_.!~*'()/:@&=+$,");
    return marks.contains(char(c));
}

// Makes folder and its missing parents, each made here private to the user.
bool makePrivateFolder(const QString& folder) {
    if (QFileInfo(folder).isDir()) return true;
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent != folder && !makePrivateFolder(parent)) return false;
    return QDir().mkdir(folder, kPrivateFolder) || QFileInfo(folder).isDir();
}

// A PNG in the cache's way: written whole under a temporary name in the same
// folder, then renamed over the old file in one step.
bool writeAtomically(const QString& folder, const QString& name, QImage image,
                     const Thumbnails::Source& source) {
    if (!makePrivateFolder(folder)) return false;
    image.setText(kUriKey, QString::fromLatin1(source.uri));
    image.setText(kMTimeKey, QString::number(source.mtime));
    image.setText(kSizeKey, QString::number(source.size));
    image.setText("Software", kAppName);
    // Created readable and writable by the user only.
    QTemporaryFile file(folder + "/" + name + ".XXXXXX");
    if (!file.open()) return false;
    QImageWriter writer(&file, "png");
    // Quick to write: a thumbnail is small and read far more often.
    writer.setCompression(1);
    if (!writer.write(image) || !file.flush()) return false;
    file.close();
    // rename(2) replaces the old file in one step; a QFile rename would
    // refuse to overwrite it.
    const QByteArray from = QFile::encodeName(file.fileName());
    const QByteArray to = QFile::encodeName(folder + "/" + name);
    if (std::rename(from.constData(), to.constData()) != 0) return false;
    file.setAutoRemove(false);
    return true;
}

// mtime and URI of a cached PNG from its text chunks: those before the
// pixels come with the header, others only with the whole image.
bool matches(QImageReader& reader, QImage* image, const Thumbnails::Source& source) {
    auto check = [&](const QString& uri, const QString& mtime) {
        bool ok = false;
        const qint64 seconds = mtime.trimmed().toLongLong(&ok);
        return ok && seconds == source.mtime && uri.toLatin1() == source.uri;
    };
    if (!reader.text(kUriKey).isEmpty())
        return check(reader.text(kUriKey), reader.text(kMTimeKey)) && reader.read(image);
    return reader.read(image) && check(image->text(kUriKey), image->text(kMTimeKey));
}
}  // namespace

int Thumbnails::Pixels(Size size) {
    return size == Size::Normal ? 128 : 256;
}

QString Thumbnails::FolderName(Size size) {
    return size == Size::Normal ? QStringLiteral("normal") : QStringLiteral("large");
}

Thumbnails::Size Thumbnails::SizeFor(int side) {
    return side <= Pixels(Size::Normal) ? Size::Normal : Size::Large;
}

QString Thumbnails::CacheRoot() {
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME").trimmed();
    if (!cache.isEmpty() && QDir::isAbsolutePath(cache)) return cache + "/thumbnails";
    return QDir::homePath() + "/.cache/thumbnails";
}

QString Thumbnails::FailFolder() {
    return CacheRoot() + "/fail/kvoview-" + VersionText();
}

QByteArray Thumbnails::FileUri(const QByteArray& absolutePath) {
    static const char hex[] = "0123456789ABCDEF";
    QByteArray uri = QByteArrayLiteral("file://");
    uri.reserve(uri.size() + absolutePath.size() * 3);
    for (const char ch : absolutePath) {
        const auto c = static_cast<unsigned char>(ch);
        if (keptInUri(c)) {
            uri += ch;
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

QString Thumbnails::FileName(const QByteArray& uri) {
    return QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) +
           ".png";
}

std::optional<Thumbnails::Source> Thumbnails::SourceOf(const QByteArray& path) {
    const std::optional<PictureLoader::Stamp> stamp = PictureLoader::StampOf(path);
    if (!stamp) return std::nullopt;
    Source s;
    s.path = path;
    s.uri = FileUri(path);
    // Whole seconds, rounded down also before 1970.
    s.mtime = stamp->modifiedNs / 1'000'000'000 - (stamp->modifiedNs % 1'000'000'000 < 0);
    s.size = stamp->size;
    return s;
}

bool Thumbnails::InCache(const QByteArray& path) {
    const QByteArray root = QFile::encodeName(CacheRoot()) + "/";
    return path.startsWith(root);
}

std::optional<QImage> Thumbnails::Find(const Source& source, Size size) {
    QImageReader reader(CacheRoot() + "/" + FolderName(size) + "/" + FileName(source.uri), "png");
    QImage image;
    if (!matches(reader, &image, source) || image.isNull()) return std::nullopt;
    return image;
}

bool Thumbnails::Store(const Source& source, Size size, const QImage& image) {
    return writeAtomically(CacheRoot() + "/" + FolderName(size), FileName(source.uri), image,
                           source);
}

bool Thumbnails::FailedBefore(const Source& source) {
    QImageReader reader(FailFolder() + "/" + FileName(source.uri), "png");
    QImage image;
    return matches(reader, &image, source);
}

void Thumbnails::StoreFailure(const Source& source) {
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    writeAtomically(FailFolder(), FileName(source.uri), mark, source);
}

Thumbnails::Made Thumbnails::Make(const QByteArray& path, Size size, float twipsPerPixelX,
                                  float twipsPerPixelY, const std::atomic<bool>* cancel) {
    Made made;
    const std::optional<Source> source = SourceOf(path);
    if (!source || InCache(path)) {
        made.failed = true;
        return made;
    }
    const int side = Pixels(size);
    if (std::optional<QImage> found = Find(*source, size)) {
        made.image = std::move(*found);
        return made;
    }
    // A larger thumbnail does as well, made smaller.
    if (size == Size::Normal) {
        if (std::optional<QImage> found = Find(*source, Size::Large)) {
            made.image =
                found->size().boundedTo(QSize(side, side)) == found->size()
                    ? std::move(*found)
                    : found->scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            return made;
        }
    }
    if (FailedBefore(*source)) {
        made.failed = true;
        return made;
    }
    PictureLoader loader(twipsPerPixelX, twipsPerPixelY);
    loader.SetCancel(cancel);
    // Thumbnails in the shared cache stand upright, as other programs make
    // them and show them.
    loader.SetUpright(true);
    PictureError error = PictureError::None;
    std::optional<Picture> picture = loader.Load(path, QSize(side, side), &error);
    if (!picture) {
        made.failed = true;
        // Only what the file itself is to blame for is remembered; a helper
        // stopped or out of time may do better next time.
        if (error == PictureError::Damaged || error == PictureError::UnknownType ||
            error == PictureError::TooLarge)
            StoreFailure(*source);
        return made;
    }
    made.image = std::move(picture->image);
    made.decoded = true;
    Store(*source, size, made.image);
    return made;
}
