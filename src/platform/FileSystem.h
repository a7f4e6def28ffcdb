#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

// File attribute bits as the program tests them.
namespace FileAttr {
inline constexpr quint32 Normal = 0;
inline constexpr quint32 ReadOnly = 1;  // the user cannot write it
inline constexpr quint32 Hidden = 2;    // the name begins with '.'
inline constexpr quint32 System = 4;    // never set here
inline constexpr quint32 Volume = 8;    // never set here
inline constexpr quint32 Directory = 16;
inline constexpr quint32 Archive = 32;  // every regular file
}  // namespace FileAttr

struct DirEntry {
    // The name as text. A name that is not valid UTF-8 (say Latin-1 from an
    // old archive) shows replacement characters here, and two such names can
    // read the same: only rawName tells them apart and reaches the file.
    QString name;
    quint32 attributes = 0;
    qint64 size = 0;
    qint64 mtimeMs = 0;    // last modification, milliseconds since the epoch (UTC)
    QByteArray rawName{};  // the name's bytes exactly as the folder holds them
};

// A folder's entries as one read of the folder tells them, before any
// status call: every name's bytes back to back in one block, each followed
// by a NUL, and per entry where its name starts and what the folder says it
// is. Unsure entries (symbolic links, and every entry of a file system that
// does not say) need a status call to tell a folder from a file.
struct FolderNames {
    enum Kind : quint8 { File, Folder, Unsure };
    struct Entry {
        quint32 offset = 0;
        quint16 length = 0;
        Kind kind = File;
    };
    QByteArray bytes;
    std::vector<Entry> entries;

    QByteArrayView Name(const Entry& e) const {
        return QByteArrayView(bytes).sliced(e.offset, e.length);
    }
    void Add(QByteArrayView name, Kind kind);
};

// What a listing asks of one entry: folder or not, and its length, symbolic
// links followed (a link to nowhere is a file of the link's own length).
struct EntryFacts {
    bool isFolder = false;
    qint64 size = 0;
};

// Asks the entries of one folder by name, the folder looked up once. May
// be used from any thread.
class FolderProbe {
public:
    virtual ~FolderProbe() = default;
    // name ends with a NUL. Empty when the entry does not exist (any more).
    virtual std::optional<EntryFacts> Status(const char* name) const = 0;
};

// What a properties sheet shows of one file or folder (symbolic links followed).
struct FileStatus {
    bool isDirectory = false;
    qint64 size = 0;
    quint32 mode = 0;  // the permission bits, as st_mode & 07777
    QString owner, group;
    QDateTime modified, accessed, changed;  // local time
};

// Paths come in two forms. A QByteArray path is the file's bytes as the
// system knows them. A QString path is a PathText (see PathText.h): UTF-8
// text, with any byte outside UTF-8 kept as an escape. Both reach any file.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // All entries of a folder except "." and "..", in the order the system
    // gives them, read in one pass. False when the folder cannot be read.
    virtual bool ListDirectory(const QByteArray& dir, std::vector<DirEntry>* out) const = 0;
    // Empty when the path does not exist ("invalid attributes").
    virtual std::optional<quint32> GetFileAttributes(const QByteArray& path) const = 0;
    virtual std::optional<qint64> FileLen(const QByteArray& path) const = 0;
    // Last modification in local time.
    virtual std::optional<QDateTime> FileDateTime(const QByteArray& path) const = 0;
    virtual std::optional<FileStatus> Status(const QByteArray& path) const = 0;
    // The names of a folder's entries except "." and "..", in the order the
    // system gives them, without a status call for entries whose kind the
    // folder tells. False when the folder cannot be read.
    virtual bool ReadNames(const QByteArray& dir, FolderNames* out) const;
    // Empty when the entry does not exist (any more). May be called from
    // any thread.
    virtual std::optional<EntryFacts> EntryStatus(const QByteArray& path) const;
    // A probe of dir's entries; the stand-in asks EntryStatus by path.
    virtual std::unique_ptr<FolderProbe> OpenProbe(const QByteArray& dir) const;

    bool ListDirectory(const QString& dir, std::vector<DirEntry>* out) const;
    std::optional<quint32> GetFileAttributes(const QString& path) const;
    std::optional<qint64> FileLen(const QString& path) const;
    std::optional<QDateTime> FileDateTime(const QString& path) const;
};

// opendir/readdir/fstatat; symbolic links are followed for the attributes.
class PosixFileSystem : public FileSystem {
public:
    using FileSystem::FileDateTime;
    using FileSystem::FileLen;
    using FileSystem::GetFileAttributes;
    using FileSystem::ListDirectory;
    bool ListDirectory(const QByteArray& dir, std::vector<DirEntry>* out) const override;
    std::optional<quint32> GetFileAttributes(const QByteArray& path) const override;
    std::optional<qint64> FileLen(const QByteArray& path) const override;
    std::optional<QDateTime> FileDateTime(const QByteArray& path) const override;
    std::optional<FileStatus> Status(const QByteArray& path) const override;
    bool ReadNames(const QByteArray& dir, FolderNames* out) const override;
    std::optional<EntryFacts> EntryStatus(const QByteArray& path) const override;
    std::unique_ptr<FolderProbe> OpenProbe(const QByteArray& dir) const override;
};

// "rwxr-x---" for the permission bits.
QString PermissionText(quint32 mode);

// True when the bytes read as text and back give the same bytes (valid UTF-8).
bool IsTextPath(const QByteArray& path);

// dir's bytes and name's joined by one '/' (none added after a trailing one,
// nor to an empty dir).
QByteArray JoinRawPath(const QByteArray& dir, const QByteArray& name);
// The path without trailing separators ("/" stays "/").
QByteArray StripRawSlashes(QByteArray path);
// The last part of a path, and the folder above it ("/" for a top-level
// entry, "." for a bare name).
QByteArray RawFileName(const QByteArray& path);
QByteArray RawParentPath(const QByteArray& path);
// An absolute path without empty, "." and ".." parts and without a trailing
// separator ("/" stays "/"); a relative path comes back empty.
QByteArray CleanRawPath(const QByteArray& path);

// Wildcard match with '*' and '?', without regard to letter case, as the
// old system matched: "dog.JPEG" matches "*.jpeg".
bool MatchesPattern(const QString& name, const QString& pattern);

// The directory-listing attribute rule: normal files always pass; an entry
// that is hidden, system, a volume label or a directory passes only when the
// mask holds each of those bits it has. Read-only and archive never exclude.
bool PassesAttributeMask(quint32 attributes, quint32 mask);

// The entries of dir matching pattern and passing mask, in listing order.
std::vector<DirEntry> FindEntries(const std::vector<DirEntry>& entries, const QString& pattern,
                                  quint32 mask);
