#include "platform/SettingsBackend.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <cstring>

#include "platform/FileOperation.h"
#include "platform/IniFormat.h"

// A write goes to a temporary file beside the settings file, named
// <name>.writing-XXXXXX, which is fdatasynced and renamed over the old file, so
// a kill at any moment leaves the old or the new file. The rename alone would
// be enough for that; the fdatasync is what makes a power cut leave the old or
// the new contents too rather than an empty file. Measured here
// (bench_platform_settings), a whole write including the lock takes 0.3-0.6 ms
// against 0.1 ms for a plain write and rename, inside our 1 ms. While other
// programs write heavily to the same disk the flush waits for their data too
// and a write can take 10 ms; settings are written on user actions, not in
// loops, so that is a price worth paying.
//
// A kill between creating the temporary and renaming it leaves the temporary
// behind. Its name says whose it is, so the next start removes it, under the
// lock so that no live writer's file goes. QSaveFile would do the same job,
// but what it leaves behind (<name>.XXXXXX, six random letters) cannot be
// told from a copy a user made, say settings.ini.backup.

namespace {

// A write waits this long for another instance's lock, then keeps its change
// in memory and reports failure.
constexpr int kLockWaitMs = 5000;

// What stat tells about the file's contents: a replaced file has a new inode,
// an edited one a new size or modification time.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    time_t mtimeSec = 0;
    long mtimeNsec = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

// A missing file has the default stamp.
FileStamp StampOfPath(const QByteArray& path) {
    struct stat st;
    return ::stat(path.constData(), &st) == 0 ? StampOf(st) : FileStamp{};
}

struct Change {
    enum Kind { Set, DeleteSection } kind;
    QString section, key, value;

    bool sameSection(const Change& o) const { return IniDocument::SameName(section, o.section); }
    void applyTo(IniDocument& doc) const {
        if (kind == Set)
            doc.Set(section, key, value);
        else
            doc.RemoveSection(section);
    }
};

// Moves an unparseable file to <name>.broken-YYYYMMDD-HHMMSS, adding -2, -3...
// rather than replacing an earlier copy. Empty when it cannot be moved. Works
// on whatever is there, a FIFO or a folder too, without opening it.
QString KeepAside(const QString& path) {
    const QString base = path + QStringLiteral(".broken-") +
                         QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss");
    for (int n = 1; n <= 100; ++n) {
        const QString name = n == 1 ? base : base + u'-' + QString::number(n);
        if (RenameNoReplace(QFile::encodeName(path), QFile::encodeName(name))) return name;
        if (errno != EEXIST) break;
    }
    return {};
}

// An exclusive lock on <settings>.lock, held while the object lives. The
// kernel drops it when the holder exits or is killed, so a lock can never be
// left behind. The lock file itself stays: removing it would let two
// instances lock two different files.
class SettingsLock {
public:
    explicit SettingsLock(const QString& settingsPath, int waitMs = kLockWaitMs) {
        const QByteArray name = QFile::encodeName(settingsPath + QStringLiteral(".lock"));
        fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        // Polling keeps the wait close to the time the other instance holds
        // the lock (about a millisecond), and bounded.
        const QDeadlineTimer deadline(waitMs);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
            QThread::msleep(1);
        }
        locked_ = true;
    }
    ~SettingsLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;
    bool locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

// Our temporaries are <name>.writing- and six letters or digits.
constexpr char kTemporaryMark[] = ".writing-";
constexpr int kTemporaryTagLength = 6;

bool IsOurTemporary(QByteArrayView entry, QByteArrayView settingsName) {
    const qsizetype prefix = settingsName.size() + qsizetype(sizeof kTemporaryMark) - 1;
    if (entry.size() != prefix + kTemporaryTagLength || !entry.startsWith(settingsName) ||
        !entry.sliced(settingsName.size()).startsWith(kTemporaryMark))
        return false;
    for (char c : entry.sliced(prefix))
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

QByteArray TemporaryTag() {
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray tag(kTemporaryTagLength, '\0');
    for (char& c : tag) c = kChars[QRandomGenerator::global()->bounded(int(sizeof kChars) - 1)];
    return tag;
}

// The file a write replaces: a symbolic link is followed, so a settings file
// kept elsewhere through a link stays there and the link stays a link.
QByteArray WriteTarget(const QString& path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth) info.setFile(info.symLinkTarget());
    return QFile::encodeName(info.filePath());
}

// Writes text over target through a temporary beside it (see the top of this
// file). A replaced file keeps its permissions; one the user made read-only
// is not written over.
bool WriteAtomically(const QByteArray& target, const QByteArray& text, QString* error) {
    auto fail = [&](int e) {
        if (error) *error = QString::fromLocal8Bit(std::strerror(e));
        return false;
    };
    struct stat old;
    const bool replacing = ::stat(target.constData(), &old) == 0;
    if (replacing && ::access(target.constData(), W_OK) != 0) return fail(errno);
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + kTemporaryMark + TemporaryTag();
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    replacing ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) return fail(errno);
    }
    if (fd < 0) return fail(EEXIST);
    int e = 0;
    if (replacing && ::fchmod(fd, old.st_mode & 07777) != 0) e = errno;
    for (qsizetype done = 0; e == 0 && done < text.size();) {
        const ssize_t n = ::write(fd, text.constData() + done, size_t(text.size() - done));
        if (n > 0)
            done += n;
        else if (n == 0 || errno != EINTR)
            e = n == 0 ? EIO : errno;
    }
    if (e == 0 && ::fdatasync(fd) != 0) e = errno;
    if (::close(fd) != 0 && e == 0) e = errno;
    if (e == 0 && ::rename(temp.constData(), target.constData()) != 0) e = errno;
    if (e == 0) return true;
    ::unlink(temp.constData());
    return fail(e);
}

// Removes what writers killed half way left beside target. Only while no
// writer holds the lock, so a live writer's temporary stays; a start that
// finds the lock taken leaves the sweep to the next one rather than wait.
void RemoveStaleTemporaries(const QString& settingsPath, const QByteArray& target) {
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir = slash > 0 ? target.left(slash) : slash == 0 ? "/" : ".";
    const QByteArray name = target.mid(slash + 1);
    std::vector<QByteArray> found;
    if (DIR* d = ::opendir(dir.constData())) {
        while (const dirent* entry = ::readdir(d))
            if (IsOurTemporary(entry->d_name, name)) found.push_back(dir + '/' + entry->d_name);
        ::closedir(d);
    }
    if (found.empty()) return;
    SettingsLock lock(settingsPath, 0);
    if (!lock.locked()) return;
    for (const QByteArray& path : found) {
        struct stat st;
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid())
            ::unlink(path.constData());
    }
}

}  // namespace

struct IniSettingsBackend::Impl {
    QString path;
    QByteArray nativePath;
    IniDocument doc;              // the file's contents with the unsaved changes applied
    QByteArray diskText;          // the bytes doc was read from or last written as
    FileStamp stamp;              // of the file those bytes are in
    std::vector<Change> unsaved;  // not on disk yet, in the order made
    bool brokenInPlace = false;   // the file cannot be parsed nor moved aside
    QString brokenKeptAs;
    bool failing = false;  // the last write failed; warn once per run of failures
    int batchDepth = 0;
    int writes = 0;

    void refresh() {
        if (StampOfPath(nativePath) != stamp) load(false);
    }
    bool load(bool locked);
    void adopt(IniDocument fresh, QByteArray text, FileStamp st);
    void remember(const Change& c);
    bool change(const Change& c);
    bool save();
    bool fail(const QString& why);
};

// Reads the file unless it holds the bytes doc was built from. An unparseable
// file is moved aside under the lock. False when it could not be moved, so it
// must not be written over.
bool IniSettingsBackend::Impl::load(bool locked) {
    // Regular files only: opening a FIFO would wait for a writer forever. The
    // open itself does not wait, and what was opened is what gets checked.
    QByteArray text;
    FileStamp now;
    QString error;
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        QFile file;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            now = StampOf(st);
            text = file.readAll();
        } else {
            ::close(fd);
            error = QStringLiteral("not a regular file");
        }
    } else if (errno != ENOENT && errno != ENOTDIR) {
        error = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (error.isEmpty() && !brokenInPlace && text == diskText) {
        stamp = now;
        return true;
    }
    std::optional<IniDocument> parsed =
        error.isEmpty() ? IniDocument::Parse(text, &error) : std::nullopt;
    if (parsed) {
        adopt(std::move(*parsed), text, now);
        return true;
    }
    if (!locked) {
        SettingsLock lock(path);  // keeping the file matters more than the lock
        return load(true);
    }
    const QString kept = KeepAside(path);
    adopt(IniDocument(), {}, kept.isEmpty() ? now : FileStamp{});
    brokenInPlace = kept.isEmpty();
    if (brokenInPlace) {
        qWarning("Settings file %s cannot be read (%s) nor moved aside; not writing over it",
                 qUtf8Printable(path), qUtf8Printable(error));
        return false;
    }
    brokenKeptAs = kept;
    qWarning("Settings file %s cannot be read (%s); kept as %s, starting with defaults",
             qUtf8Printable(path), qUtf8Printable(error), qUtf8Printable(kept));
    return true;
}

void IniSettingsBackend::Impl::adopt(IniDocument fresh, QByteArray text, FileStamp st) {
    doc = std::move(fresh);
    for (const Change& c : unsaved) c.applyTo(doc);
    diskText = std::move(text);
    stamp = st;
    brokenInPlace = false;
}

// Keeps the list as short as the changes it stands for, so a store that can
// never write does not grow with every call.
void IniSettingsBackend::Impl::remember(const Change& c) {
    if (c.kind == Change::DeleteSection) {
        std::erase_if(unsaved, [&](const Change& u) { return u.sameSection(c); });
    } else {
        for (Change& u : unsaved) {
            if (u.kind == Change::Set && u.sameSection(c) && IniDocument::SameName(u.key, c.key)) {
                u.value = c.value;
                return;
            }
        }
    }
    unsaved.push_back(c);
}

// Under the lock: re-reads the file if another instance changed it, applies
// our unsaved changes to it and writes the result.
bool IniSettingsBackend::Impl::save() {
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir)) return fail(QStringLiteral("cannot create the folder %1").arg(dir));
    SettingsLock lock(path);
    if (!lock.locked()) return fail(QStringLiteral("cannot take the lock %1.lock").arg(path));
    if (!load(true)) return fail(QStringLiteral("the file on disk is unreadable"));
    const QByteArray text = doc.ToText();
    if (text != diskText) {
        QString why;
        if (!WriteAtomically(WriteTarget(path), text, &why)) return fail(why);
        diskText = text;
        stamp = StampOfPath(nativePath);
        ++writes;
    }
    unsaved.clear();
    failing = false;
    return true;
}

bool IniSettingsBackend::Impl::change(const Change& c) {
    remember(c);
    c.applyTo(doc);
    return batchDepth > 0 || save();
}

bool IniSettingsBackend::Impl::fail(const QString& why) {
    if (!failing)
        qWarning("Cannot save settings to %s: %s; changes are kept until the program ends",
                 qUtf8Printable(path), qUtf8Printable(why));
    failing = true;
    return false;
}

IniSettingsBackend::IniSettingsBackend(const QString& filePath) : d(new Impl) {
    d->path = filePath;
    d->nativePath = QFile::encodeName(filePath);
    RemoveStaleTemporaries(filePath, WriteTarget(filePath));
    d->load(false);
}

// A change that could not be saved gets one more try.
IniSettingsBackend::~IniSettingsBackend() {
    if (!d->unsaved.empty()) d->save();
    delete d;
}

QString IniSettingsBackend::DefaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Kvo View/settings.ini");
}

QString IniSettingsBackend::FilePath() const {
    return d->path;
}

QString IniSettingsBackend::BrokenFileKeptAs() const {
    return d->brokenKeptAs;
}

std::optional<QString> IniSettingsBackend::Value(const QString& section, const QString& key) {
    d->refresh();
    const QString* value = d->doc.Value(section, key);
    return value ? std::optional<QString>(*value) : std::nullopt;
}

bool IniSettingsBackend::SetValue(const QString& section, const QString& key,
                                  const QString& value) {
    return d->change({Change::Set, section, key, value});
}

std::vector<std::pair<QString, QString>> IniSettingsBackend::Section(const QString& section) {
    d->refresh();
    const IniDocument::Entries* entries = d->doc.Section(section);
    return entries ? *entries : IniDocument::Entries();
}

bool IniSettingsBackend::DeleteSection(const QString& section) {
    return d->change({Change::DeleteSection, section, {}, {}});
}

void IniSettingsBackend::BeginBatch() {
    ++d->batchDepth;
}

bool IniSettingsBackend::EndBatch() {
    if (d->batchDepth > 0 && --d->batchDepth > 0) return true;
    return d->unsaved.empty() || d->save();
}

int IniSettingsBackend::WriteCount() const {
    return d->writes;
}
