#include "platform/Trash.h"

#include "platform/FileOperation.h"
#include "platform/FileSystem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace {
QByteArray dataHome() {
    QByteArray d = qgetenv("XDG_DATA_HOME");
    if (d.isEmpty() || !d.startsWith('/')) d = qgetenv("HOME") + "/.local/share";
    return d;
}

// Creates path and its missing parents with mode; true when it is a folder.
bool makeDirs(const QByteArray& path, mode_t mode) {
    struct stat st;
    if (lstat(path.constData(), &st) == 0) return S_ISDIR(st.st_mode);
    const int slash = path.lastIndexOf('/');
    if (slash > 0 && !makeDirs(path.left(slash), 0700)) return false;
    return mkdir(path.constData(), mode) == 0 || errno == EEXIST;
}

bool usableTrash(const QByteArray& dir) {
    if (!makeDirs(dir + "/files", 0700) || !makeDirs(dir + "/info", 0700)) return false;
    struct stat st;
    return lstat(dir.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
           access(dir.constData(), W_OK) == 0;
}

QByteArray absolute(const QByteArray& path) {
    if (path.startsWith('/')) return path;
    return QFile::encodeName(QDir::currentPath()) + '/' + path;
}

constexpr char kInfoSuffix[] = ".trashinfo";
// A longer "extension" is more likely a dot in the middle of a name.
constexpr qsizetype kMaxKeptExtension = 16;

// The name an item takes in the trash's files/ and, with ".trashinfo", info/:
// its own name when that fits the folder's limit on names, else the name
// shortened, keeping its extension and whole UTF-8 characters. The info file
// holds the full original path, so nothing is lost on restore. A second item
// of the same name (n > 1) gets ".n" before the extension.
QByteArray trashName(const QByteArray& name, int n, qsizetype maxName) {
    const QByteArray number = n > 1 ? '.' + QByteArray::number(n) : QByteArray();
    qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0 || name.size() - dot > kMaxKeptExtension) dot = name.size();
    QByteArray stem = name.left(dot);
    const QByteArray extension = name.mid(dot);
    const qsizetype room =
        maxName - qsizetype(sizeof kInfoSuffix - 1) - number.size() - extension.size();
    if (stem.size() > room) {
        qsizetype cut = qMax<qsizetype>(room, 1);
        if (IsTextPath(stem))
            while (cut > 1 && (quint8(stem[cut]) & 0xC0) == 0x80) --cut;  // inside a character
        stem.truncate(cut);
    }
    return stem + number + extension;
}

// The top folder of the mount that holds path: the highest parent still on
// the same device.
QByteArray mountTop(const QByteArray& path, dev_t device) {
    QByteArray top = RawParentPath(path);
    for (int guard = 0; guard < 4096 && top != "/"; ++guard) {
        const QByteArray up = RawParentPath(top);
        struct stat st;
        if (stat(up.constData(), &st) != 0 || st.st_dev != device) break;
        top = up;
    }
    return top;
}

}  // namespace

QByteArray HomeTrashDir() {
    return dataHome() + "/Trash";
}

QByteArray TrashDirFor(const QByteArray& rawPath, QByteArray* topdirOut) {
    const QByteArray path = StripRawSlashes(absolute(rawPath));
    struct stat item;
    if (lstat(path.constData(), &item) != 0) return {};
    // The home trash takes items of its own volume. Its volume is that of
    // the data folder, which is created first so the answer is real.
    const QByteArray home = HomeTrashDir();
    if (makeDirs(dataHome(), 0700)) {
        struct stat st;
        if (stat(dataHome().constData(), &st) == 0 && st.st_dev == item.st_dev &&
            usableTrash(home)) {
            if (topdirOut) topdirOut->clear();
            return home;
        }
    }
    const QByteArray top = mountTop(path, item.st_dev);
    const QByteArray uid = QByteArray::number(uint(getuid()));
    const QByteArray base = top == "/" ? QByteArray() : top;
    // An administrator's shared .Trash counts only when it is a real folder
    // with the sticky bit; otherwise each user has .Trash-$uid.
    struct stat shared;
    const QByteArray sharedDir = base + "/.Trash";
    if (lstat(sharedDir.constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX) && usableTrash(sharedDir + '/' + uid)) {
        if (topdirOut) *topdirOut = top;
        return sharedDir + '/' + uid;
    }
    const QByteArray own = base + "/.Trash-" + uid;
    struct stat st;
    if (lstat(own.constData(), &st) == 0 && (!S_ISDIR(st.st_mode) || st.st_uid != getuid()))
        return {};
    if (!usableTrash(own)) return {};
    struct stat check;
    if (stat(own.constData(), &check) != 0 || check.st_dev != item.st_dev) return {};
    if (topdirOut) *topdirOut = top;
    return own;
}

TrashResult MoveToTrash(const QByteArray& rawPath, QString* error) {
    const QByteArray path = StripRawSlashes(absolute(rawPath));
    auto fail = [&](int e) {
        if (error) *error = QString::fromLocal8Bit(strerror(e));
        return TrashResult::Failed;
    };
    struct stat item;
    if (lstat(path.constData(), &item) != 0) return fail(errno);
    QByteArray topdir;
    const QByteArray trash = TrashDirFor(path, &topdir);
    if (trash.isEmpty()) return TrashResult::NoTrash;

    // Paths in the home trash are absolute, in a volume's trash relative to
    // its top; both percent-encoded from the raw bytes.
    QByteArray recorded = path;
    if (!topdir.isEmpty() && topdir != "/")
        recorded = path.mid(topdir.size() + 1);
    else if (!topdir.isEmpty())
        recorded = path.mid(1);
    const QByteArray info =
        "[Trash Info]\nPath=" + recorded.toPercentEncoding("/") +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toLatin1() +
        "\n";

    // The info file is made first with O_EXCL: it reserves the name.
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    const long limit = pathconf((trash + "/info").constData(), _PC_NAME_MAX);
    const qsizetype maxName = limit > 0 ? qsizetype(limit) : NAME_MAX;
    for (int n = 1; n < 10000; ++n) {
        const QByteArray candidate = trashName(name, n, maxName);
        const QByteArray infoPath = trash + "/info/" + candidate + kInfoSuffix;
        const int fd = open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return fail(errno);
        }
        const bool written =
            write(fd, info.constData(), size_t(info.size())) == info.size() && fsync(fd) == 0;
        close(fd);
        if (!written) {
            unlink(infoPath.constData());
            return fail(EIO);
        }
        // An item left in files/ without its info file keeps its place too.
        const QByteArray target = trash + "/files/" + candidate;
        if (!RenameNoReplace(path, target)) {
            const int e = errno;
            unlink(infoPath.constData());
            if (e == EEXIST) continue;
            if (e == EXDEV) return TrashResult::NoTrash;
            return fail(e);
        }
        return TrashResult::Trashed;
    }
    return fail(EEXIST);
}
