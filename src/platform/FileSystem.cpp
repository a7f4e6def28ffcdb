#include "platform/FileSystem.h"

#include <QFile>

#include "platform/PathText.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>

namespace {
qint64 mtimeMs(const struct stat& st) {
    return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

quint32 attributesOf(const struct stat& st, bool hidden, bool readOnly) {
    // Linux has no archive bit: every file that is not a folder counts as one.
    quint32 attributes = S_ISDIR(st.st_mode) ? FileAttr::Directory : FileAttr::Archive;
    if (hidden) attributes |= FileAttr::Hidden;
    if (readOnly) attributes |= FileAttr::ReadOnly;
    return attributes;
}

// Status through symbolic links. A link whose target is missing is described
// by the link itself and is then a plain file that nobody is stopped from
// writing (writing creates the target).
enum class Found { No, Yes, DanglingLink };

Found statAt(int dirFd, const char* name, struct stat* st) {
    if (fstatat(dirFd, name, st, 0) == 0) return Found::Yes;
    if (fstatat(dirFd, name, st, AT_SYMLINK_NOFOLLOW) == 0) return Found::DanglingLink;
    return Found::No;
}

bool canWriteAt(int dirFd, const char* name) {
    return faccessat(dirFd, name, W_OK, AT_EACCESS) == 0;
}

// What a listing needs to know about its folder to settle most entries'
// write permission without a second lookup per entry.
struct FolderFacts {
    uid_t user;
    dev_t device;
    bool volumeWritable;
};

bool readOnlyEntry(int dirFd, const dirent* e, const struct stat& st, const FolderFacts& folder) {
    // For an entry of the folder's own volume that is not a link, the mode
    // bits settle the usual cases: our own writable files, and files of
    // others that nobody but their owner may write (access lists cannot
    // grant more than the group bits show). The rest (root, who may write
    // almost anything; links; mount points) asks the kernel.
    const bool plain = (e->d_type == DT_REG || e->d_type == DT_DIR) && st.st_dev == folder.device;
    if (plain && !folder.volumeWritable) return true;
    if (plain && st.st_uid == folder.user && (st.st_mode & S_IWUSR)) return false;
    if (plain && folder.user != 0 && st.st_uid != folder.user &&
        !(st.st_mode & (S_IWGRP | S_IWOTH)))
        return true;
    return !canWriteAt(dirFd, e->d_name);
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The last component of a path, ignoring trailing separators.
QByteArray lastComponent(const QByteArray& path) {
    qsizetype end = path.size();
    while (end > 0 && path.at(end - 1) == '/') --end;
    const qsizetype start = end > 0 ? path.lastIndexOf('/', end - 1) + 1 : 0;
    return path.mid(start, end - start);
}

// A path with a NUL inside would reach the system as a shorter path: none
// such exists.
bool hasNul(const QByteArray& path) {
    return path.contains('\0');
}

std::optional<struct stat> statPath(const QByteArray& path, Found* found = nullptr) {
    if (hasNul(path)) return std::nullopt;
    struct stat st;
    const Found f = statAt(AT_FDCWD, path.constData(), &st);
    if (found) *found = f;
    if (f == Found::No) return std::nullopt;
    return st;
}
}  // namespace

bool FileSystem::ListDirectory(const QString& dir, std::vector<DirEntry>* out) const {
    return ListDirectory(PathBytes(dir), out);
}
std::optional<quint32> FileSystem::GetFileAttributes(const QString& path) const {
    return GetFileAttributes(PathBytes(path));
}
std::optional<qint64> FileSystem::FileLen(const QString& path) const {
    return FileLen(PathBytes(path));
}
std::optional<QDateTime> FileSystem::FileDateTime(const QString& path) const {
    return FileDateTime(PathBytes(path));
}

void FolderNames::Add(QByteArrayView name, Kind kind) {
    entries.push_back({quint32(bytes.size()), quint16(name.size()), kind});
    bytes.append(name);
    bytes.append('\0');
}

// A stand-in built on ListDirectory, for file systems that only give that.
bool FileSystem::ReadNames(const QByteArray& dir, FolderNames* out) const {
    *out = {};
    std::vector<DirEntry> entries;
    const bool read = ListDirectory(dir, &entries);
    for (const DirEntry& e : entries)
        out->Add(e.rawName,
                 e.attributes & FileAttr::Directory ? FolderNames::Folder : FolderNames::File);
    return read;
}

std::optional<EntryFacts> FileSystem::EntryStatus(const QByteArray& path) const {
    const std::optional<quint32> attributes = GetFileAttributes(path);
    if (!attributes) return std::nullopt;
    return EntryFacts{bool(*attributes & FileAttr::Directory), FileLen(path).value_or(0)};
}

namespace {
class PathProbe : public FolderProbe {
public:
    PathProbe(const FileSystem* files, QByteArray dir) : files_(files), dir_(std::move(dir)) {}
    std::optional<EntryFacts> Status(const char* name) const override {
        return files_->EntryStatus(JoinRawPath(dir_, QByteArray(name)));
    }

private:
    const FileSystem* files_;
    QByteArray dir_;
};
}  // namespace

std::unique_ptr<FolderProbe> FileSystem::OpenProbe(const QByteArray& dir) const {
    return std::make_unique<PathProbe>(this, dir);
}

bool IsTextPath(const QByteArray& path) {
    return QFile::encodeName(QFile::decodeName(path)) == path;
}

QByteArray JoinRawPath(const QByteArray& dir, const QByteArray& name) {
    return dir.isEmpty() || dir.endsWith('/') ? dir + name : dir + '/' + name;
}

QByteArray StripRawSlashes(QByteArray path) {
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    return path;
}

QByteArray RawFileName(const QByteArray& path) {
    const QByteArray s = StripRawSlashes(path);
    return s.mid(s.lastIndexOf('/') + 1);
}

QByteArray RawParentPath(const QByteArray& path) {
    const QByteArray s = StripRawSlashes(path);
    const int slash = s.lastIndexOf('/');
    if (slash < 0) return ".";
    return slash == 0 ? QByteArray("/") : s.left(slash);
}

QByteArray CleanRawPath(const QByteArray& path) {
    if (!path.startsWith('/')) return {};
    QList<QByteArray> parts;
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty() || part == ".") continue;
        if (part == "..") {
            if (!parts.isEmpty()) parts.removeLast();
            continue;
        }
        parts << part;
    }
    return '/' + parts.join('/');
}

bool PosixFileSystem::ListDirectory(const QByteArray& dir, std::vector<DirEntry>* out) const {
    out->clear();
    if (hasNul(dir)) return false;
    DIR* d = opendir(dir.constData());
    if (!d) return false;
    const int fd = dirfd(d);

    FolderFacts folder{geteuid(), 0, true};
    struct stat dirStat;
    struct statvfs volume;
    if (fstat(fd, &dirStat) == 0) folder.device = dirStat.st_dev;
    if (fstatvfs(fd, &volume) == 0) folder.volumeWritable = !(volume.f_flag & ST_RDONLY);

    for (;;) {
        errno = 0;  // readdir tells the end of the folder from an error only by errno
        const dirent* e = readdir(d);
        if (!e) break;
        if (isDotOrDotDot(e->d_name)) continue;
        struct stat st;
        const Found found = statAt(fd, e->d_name, &st);
        if (found == Found::No) continue;  // removed while we were listing
        const bool readOnly = found == Found::DanglingLink ? !folder.volumeWritable
                                                           : readOnlyEntry(fd, e, st, folder);
        DirEntry entry;
        entry.rawName = QByteArray(e->d_name);
        entry.name = ShownText(entry.rawName);
        entry.attributes = attributesOf(st, e->d_name[0] == '.', readOnly);
        entry.size = st.st_size;
        entry.mtimeMs = mtimeMs(st);
        out->push_back(std::move(entry));
    }
    const bool complete = errno == 0;
    closedir(d);
    return complete;
}

bool PosixFileSystem::ReadNames(const QByteArray& dir, FolderNames* out) const {
    *out = {};
    if (hasNul(dir)) return false;
    DIR* d = opendir(dir.constData());
    if (!d) return false;
    for (;;) {
        errno = 0;
        const dirent* e = readdir(d);
        if (!e) break;
        if (isDotOrDotDot(e->d_name)) continue;
        // Devices, pipes and sockets are files to a listing, as their status
        // would say.
        const FolderNames::Kind kind = e->d_type == DT_DIR ? FolderNames::Folder
                                       : e->d_type == DT_LNK || e->d_type == DT_UNKNOWN
                                           ? FolderNames::Unsure
                                           : FolderNames::File;
        out->Add(QByteArrayView(e->d_name), kind);
    }
    const bool complete = errno == 0;
    closedir(d);
    return complete;
}

std::optional<EntryFacts> PosixFileSystem::EntryStatus(const QByteArray& path) const {
    const auto st = statPath(path);
    if (!st) return std::nullopt;
    return EntryFacts{S_ISDIR(st->st_mode), qint64(st->st_size)};
}

namespace {
// Status calls relative to the folder's descriptor: the kernel looks up one
// name each time, not the whole path.
class PosixProbe : public FolderProbe {
public:
    explicit PosixProbe(const QByteArray& dir)
        : fd_(hasNul(dir) ? -1 : ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~PosixProbe() override {
        if (fd_ >= 0) ::close(fd_);
    }
    std::optional<EntryFacts> Status(const char* name) const override {
        struct stat st;
        if (fd_ < 0 || statAt(fd_, name, &st) == Found::No) return std::nullopt;
        return EntryFacts{S_ISDIR(st.st_mode), qint64(st.st_size)};
    }

private:
    int fd_;
};
}  // namespace

std::unique_ptr<FolderProbe> PosixFileSystem::OpenProbe(const QByteArray& dir) const {
    return std::make_unique<PosixProbe>(dir);
}

std::optional<quint32> PosixFileSystem::GetFileAttributes(const QByteArray& path) const {
    Found found;
    const auto st = statPath(path, &found);
    if (!st) return std::nullopt;
    const QByteArray name = lastComponent(path);
    const bool hidden = name.startsWith('.') && name != "." && name != "..";
    const bool readOnly = found == Found::Yes && !canWriteAt(AT_FDCWD, path.constData());
    return attributesOf(*st, hidden, readOnly);
}

std::optional<qint64> PosixFileSystem::FileLen(const QByteArray& path) const {
    const auto st = statPath(path);
    if (!st) return std::nullopt;
    return qint64(st->st_size);
}

std::optional<QDateTime> PosixFileSystem::FileDateTime(const QByteArray& path) const {
    const auto st = statPath(path);
    if (!st) return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(mtimeMs(*st), Qt::LocalTime);
}

namespace {
QDateTime localTime(const struct timespec& t) {
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000,
                                          Qt::LocalTime);
}

// A user or group by name, else by number.
QString ownerName(uid_t uid) {
    char buf[4096];
    struct passwd pw, *found = nullptr;
    if (getpwuid_r(uid, &pw, buf, sizeof buf, &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}
QString groupName(gid_t gid) {
    char buf[4096];
    struct group gr, *found = nullptr;
    if (getgrgid_r(gid, &gr, buf, sizeof buf, &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(gid);
}
}  // namespace

std::optional<FileStatus> PosixFileSystem::Status(const QByteArray& path) const {
    const auto st = statPath(path);
    if (!st) return std::nullopt;
    FileStatus s;
    s.isDirectory = S_ISDIR(st->st_mode);
    s.size = st->st_size;
    s.mode = st->st_mode & 07777;
    s.owner = ownerName(st->st_uid);
    s.group = groupName(st->st_gid);
    s.modified = localTime(st->st_mtim);
    s.accessed = localTime(st->st_atim);
    s.changed = localTime(st->st_ctim);
    return s;
}

QString PermissionText(quint32 mode) {
    QString text;
    for (int shift : {6, 3, 0}) {
        const quint32 bits = (mode >> shift) & 7;
        text += bits & 4 ? 'r' : '-';
        text += bits & 2 ? 'w' : '-';
        text += bits & 1 ? 'x' : '-';
    }
    return text;
}

namespace {
bool sameLetter(QChar a, QChar b) {
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Code units of the character at i, so that '?' takes a whole surrogate pair.
qsizetype charLength(QStringView s, qsizetype i) {
    return s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate() ? 2 : 1;
}

// Greedy matching that only ever returns to the most recent '*': a later
// star can always absorb what an earlier one would have, so no other
// backtracking is needed and the work stays within name × pattern steps.
bool wildcardMatch(QStringView name, QStringView pattern) {
    qsizetype n = 0, p = 0;
    qsizetype starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            n += charLength(name, n);
            ++p;
        } else if (p < pattern.size() && sameLetter(pattern[p], name[n])) {
            ++n;
            ++p;
        } else if (starP >= 0) {
            starN += charLength(name, starN);
            n = starN;
            p = starP;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}
}  // namespace

bool MatchesPattern(const QString& name, const QString& pattern) {
    if (wildcardMatch(name, pattern)) return true;
    // A trailing ".*" also accepts a name without any extension, so "*.*"
    // lists every file and "readme.*" finds "readme".
    return pattern.endsWith(QLatin1String(".*")) && !name.contains('.') &&
           wildcardMatch(name, QStringView(pattern).chopped(2));
}

bool PassesAttributeMask(quint32 attributes, quint32 mask) {
    constexpr quint32 exclusive =
        FileAttr::Hidden | FileAttr::System | FileAttr::Volume | FileAttr::Directory;
    return (attributes & exclusive & ~mask) == 0;
}

std::vector<DirEntry> FindEntries(const std::vector<DirEntry>& entries, const QString& pattern,
                                  quint32 mask) {
    std::vector<DirEntry> found;
    for (const DirEntry& e : entries)
        if (PassesAttributeMask(e.attributes, mask) && MatchesPattern(e.name, pattern))
            found.push_back(e);
    return found;
}
