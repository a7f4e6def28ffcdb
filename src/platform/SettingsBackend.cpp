#include "platform/SettingsBackend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>

#include "platform/IniFormat.h"

// Writes go through QSaveFile: it writes an unnamed temporary file in the same
// folder, fdatasyncs it and renames it over the old file, so a kill at any
// moment leaves the old or the new file. The rename alone would be enough for
// that; the fdatasync is what makes a power cut leave the old or the new
// contents too rather than an empty file. QSaveFile has no switch for it, and
// we keep it on purpose: measured here (bench_platform_settings), a whole
// write including the lock takes 0.3-0.6 ms against 0.1 ms for a plain write
// and rename, inside our 1 ms. While other programs write heavily to the same
// disk the flush waits for their data too and a write can take 10 ms; settings
// are written on user actions, not in loops, so that is a price worth paying.

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

FileStamp StampOfOpenFile(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 ? StampOf(st) : FileStamp{};
}

struct Change {
    enum Kind { Set, DeleteSection } kind;
    QString section, key, value;

    bool sameSection(const Change& o) const { return IniDocument::sameName(section, o.section); }
    void applyTo(IniDocument& doc) const {
        if (kind == Set)
            doc.set(section, key, value);
        else
            doc.removeSection(section);
    }
};

// Moves an unparseable file to <name>.broken-YYYYMMDD-HHMMSS, adding -2, -3...
// rather than replacing an earlier copy. Empty when it cannot be moved.
QString KeepAside(const QString& path) {
    const QString base = path + QStringLiteral(".broken-") +
                         QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss");
    for (int n = 1; n <= 100; ++n) {
        const QString name = n == 1 ? base : base + u'-' + QString::number(n);
        if (QFile::rename(path, name)) return name;  // never replaces an existing file
        if (!QFile::exists(name)) break;
    }
    return {};
}

// An exclusive lock on <settings>.lock, held while the object lives. The
// kernel drops it when the holder exits or is killed, so a lock can never be
// left behind. The lock file itself stays: removing it would let two
// instances lock two different files.
class SettingsLock {
public:
    explicit SettingsLock(const QString& settingsPath) {
        const QByteArray name = QFile::encodeName(settingsPath + QStringLiteral(".lock"));
        fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        // Polling keeps the wait close to the time the other instance holds
        // the lock (about a millisecond), and bounded.
        const QDeadlineTimer deadline(kLockWaitMs);
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
    QFile file(path);
    QByteArray text;
    FileStamp now;
    QString error;
    if (file.open(QIODevice::ReadOnly)) {
        now = StampOfOpenFile(file.handle());
        text = file.readAll();
    } else if (file.exists()) {
        error = file.errorString();
    }
    if (error.isEmpty() && !brokenInPlace && text == diskText) {
        stamp = now;
        return true;
    }
    std::optional<IniDocument> parsed =
        error.isEmpty() ? IniDocument::parse(text, &error) : std::nullopt;
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
            if (u.kind == Change::Set && u.sameSection(c) && IniDocument::sameName(u.key, c.key)) {
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
    const QByteArray text = doc.toText();
    if (text != diskText) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
            return fail(file.errorString());
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
    const QString* value = d->doc.value(section, key);
    return value ? std::optional<QString>(*value) : std::nullopt;
}

bool IniSettingsBackend::SetValue(const QString& section, const QString& key,
                                  const QString& value) {
    return d->change({Change::Set, section, key, value});
}

std::vector<std::pair<QString, QString>> IniSettingsBackend::Section(const QString& section) {
    d->refresh();
    const IniDocument::Entries* entries = d->doc.section(section);
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
