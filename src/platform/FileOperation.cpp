#include "platform/FileOperation.h"

#include <QFile>
#include <QRandomGenerator>

#include "platform/FileOpDialogs.h"
#include "platform/FileSystem.h"
#include "platform/Trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

using namespace FileOp;

std::vector<QByteArray> SplitPathList(const QByteArray& list) {
    std::vector<QByteArray> out;
    qsizetype start = 0;
    while (start < list.size()) {
        qsizetype end = list.indexOf('\0', start);
        if (end < 0) end = list.size();
        if (end == start) break;  // an empty entry ends the list
        out.push_back(list.mid(start, end - start));
        start = end + 1;
    }
    return out;
}

QByteArray MakePathList(const std::vector<QByteArray>& paths) {
    QByteArray list;
    for (const QByteArray& p : paths) list += p + '\0';
    return list + '\0';
}

QString DisplayPath(const QByteArray& path) {
    return QFile::decodeName(path);
}

bool RenameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: a hard link cannot replace either.
    struct stat st;
    if (lstat(from.constData(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
        if (lstat(to.constData(), &st) == 0) {
            errno = EEXIST;
            return false;
        }
        return rename(from.constData(), to.constData()) == 0;
    }
    if (link(from.constData(), to.constData()) != 0) return false;
    unlink(from.constData());
    return true;
}

namespace {
QByteArray canonical(const QByteArray& p) {
    char buf[PATH_MAX];
    return realpath(p.constData(), buf) ? QByteArray(buf) : QByteArray();
}
// A hidden name beside the target that no file manager shows and that
// stays within the longest name a folder takes.
QByteArray tempNameFor(const QByteArray& target) {
    return JoinRawPath(RawParentPath(target),
                       "." + RawFileName(target).left(200) + ".kvo-" +
                           QByteArray::number(QRandomGenerator::global()->generate(), 16) +
                           ".part");
}

QString reason(int e) {
    return QString::fromLocal8Bit(strerror(e));
}

// Copies are committed in batches: the data of many files is flushed with one
// syncfs of the destination volume instead of one fsync each, then each is
// renamed into place.
constexpr int kBatchFiles = 512;
constexpr qint64 kBatchBytes = qint64(256) << 20;
constexpr qint64 kChunk = qint64(8) << 20;
constexpr int kMaxDepth = 1024;

class Engine {
public:
    Engine(SHFILEOPSTRUCT& op, FileOpDialogs& ui, const FileOpOptions& o)
        : op_(op), ui_(ui), opt_(o) {}
    int Run();

private:
    struct Pending {
        QByteArray temp, target, source;  // source set when a move deletes it
        bool replace;
    };

    int transferAll(bool move);
    int deleteAll();
    void transfer(const QByteArray& src, const QByteArray& target, const struct stat& st, bool move,
                  bool tryRename, bool freshFolder, int depth);
    bool copyFile(const QByteArray& src, const struct stat& st, const QByteArray& target,
                  QByteArray* temp);
    bool placeLink(const QByteArray& src, const QByteArray& target, QByteArray* temp);
    void queue(Pending p, qint64 bytes);
    void commit();
    void removeTree(const QByteArray& path, int depth);
    bool ensureFolder(const QByteArray& dir);
    ReplaceAnswer askReplace(const QByteArray& target, bool folder);
    void error(const QString& verb, const QByteArray& path, const QString& why);
    bool progress(const QByteArray& current);
    void scan(const QByteArray& path, int depth);
    QByteArray verb() const;

    SHFILEOPSTRUCT& op_;
    FileOpDialogs& ui_;
    FileOpOptions opt_;
    bool showProgress_ = false;
    bool cancelled_ = false;
    bool failed_ = false;
    bool yesToAll_ = false;
    bool moreToCome_ = false;
    qint64 doneBytes_ = 0, doneItems_ = 0, totalBytes_ = 0, totalItems_ = 0;
    std::vector<Pending> pending_;
    qint64 pendingBytes_ = 0;
};

QByteArray Engine::verb() const {
    return op_.wFunc == FO_COPY ? "copy" : op_.wFunc == FO_MOVE ? "move" : "delete";
}

void Engine::error(const QString& what, const QByteArray& path, const QString& why) {
    failed_ = true;
    const QString text = QStringLiteral("Cannot %1 %2: %3").arg(what, DisplayPath(path), why);
    if (ui_.ShowError(text, moreToCome_) == ErrorAnswer::Cancel) cancelled_ = true;
}

bool Engine::progress(const QByteArray& current) {
    if (showProgress_ && !cancelled_ && !ui_.Progress(doneBytes_, doneItems_, current))
        cancelled_ = true;
    return !cancelled_;
}

ReplaceAnswer Engine::askReplace(const QByteArray& target, bool folder) {
    if (yesToAll_ || (op_.fFlags & FOF_NOCONFIRMATION)) return ReplaceAnswer::Yes;
    const ReplaceAnswer a = ui_.AskReplace(target, folder, moreToCome_);
    if (a == ReplaceAnswer::YesToAll) yesToAll_ = true;
    if (a == ReplaceAnswer::Cancel) cancelled_ = true;
    return a;
}

void Engine::scan(const QByteArray& path, int depth) {
    struct stat st;
    if (lstat(path.constData(), &st) != 0) return;
    ++totalItems_;
    if (S_ISREG(st.st_mode)) totalBytes_ += st.st_size;
    if (!S_ISDIR(st.st_mode) || depth > kMaxDepth) return;
    DIR* d = opendir(path.constData());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        if (!strcmp(e->d_name, ".") || !strcmp(e->d_name, "..")) continue;
        scan(JoinRawPath(path, e->d_name), depth + 1);
    }
    closedir(d);
}

int Engine::Run() {
    showProgress_ = !(op_.fFlags & FOF_SILENT);
    int rc;
    switch (op_.wFunc) {
        case FO_COPY:
            rc = transferAll(false);
            break;
        case FO_MOVE:
            rc = transferAll(true);
            break;
        case FO_DELETE:
            rc = deleteAll();
            break;
        default:
            return BadArguments;
    }
    // Files already complete are placed even after a cancel: only the one
    // in flight was dropped.
    commit();
    if (showProgress_) ui_.EndProgress();
    op_.fAnyOperationsAborted = cancelled_;
    if (rc != Ok) return rc;
    return cancelled_ ? Cancelled : failed_ ? Failed : Ok;
}

bool Engine::ensureFolder(const QByteArray& dir) {
    struct stat st;
    if (stat(dir.constData(), &st) == 0) return S_ISDIR(st.st_mode);
    const bool ask = !(op_.fFlags & (FOF_NOCONFIRMMKDIR | FOF_NOCONFIRMATION));
    if (ask && !ui_.AskCreateFolder(dir)) {
        cancelled_ = true;
        return false;
    }
    // Creates the missing parents too.
    QByteArray made;
    for (const QByteArray& part : dir.split('/')) {
        made += part;
        if (!made.isEmpty() && mkdir(made.constData(), 0777) != 0 && errno != EEXIST) {
            error(QStringLiteral("create the folder"), dir, reason(errno));
            return false;
        }
        made += '/';
    }
    return true;
}

int Engine::transferAll(bool move) {
    const std::vector<QByteArray> sources = SplitPathList(op_.pFrom);
    const std::vector<QByteArray> dests = SplitPathList(op_.pTo);
    if (sources.empty() || dests.empty()) return BadArguments;

    // Pairs of source and full target path.
    std::vector<QByteArray> targets;
    const bool pairwise = (op_.fFlags & FOF_MULTIDESTFILES) && dests.size() == sources.size();
    struct stat st;
    const bool destIsFolder =
        !pairwise && (sources.size() > 1 || dests[0].endsWith('/') ||
                      (stat(dests[0].constData(), &st) == 0 && S_ISDIR(st.st_mode)));
    for (size_t i = 0; i < sources.size(); ++i) {
        if (pairwise)
            targets.push_back(StripRawSlashes(dests[i]));
        else if (destIsFolder)
            targets.push_back(JoinRawPath(StripRawSlashes(dests[0]), RawFileName(sources[i])));
        else
            targets.push_back(StripRawSlashes(dests[0]));
    }
    std::set<QByteArray> folders;
    for (const QByteArray& t : targets) folders.insert(RawParentPath(t));
    for (const QByteArray& f : folders)
        if (!ensureFolder(f)) return cancelled_ ? Cancelled : Failed;

    if (showProgress_) {
        // A move on one volume renames: it counts items. Anything copied
        // counts bytes.
        const QByteArray firstFolder = RawParentPath(targets.front());
        for (const QByteArray& s : sources) {
            struct stat from, to;
            const bool renames =
                move && !opt_.forceCrossVolume && lstat(s.constData(), &from) == 0 &&
                stat(firstFolder.constData(), &to) == 0 && from.st_dev == to.st_dev;
            if (renames)
                ++totalItems_;
            else
                scan(s, 0);
        }
        ui_.BeginProgress(op_.wFunc, totalBytes_, totalItems_);
    }
    for (size_t i = 0; i < sources.size() && !cancelled_; ++i) {
        moreToCome_ = i + 1 < sources.size();
        const QByteArray src = StripRawSlashes(sources[i]);
        if (lstat(src.constData(), &st) != 0) {
            error(verb(), src, reason(errno));
            continue;
        }
        // Never a folder into its own subtree (onto itself is caught where
        // the target is looked at).
        if (S_ISDIR(st.st_mode)) {
            const QByteArray from = canonical(src);
            const QByteArray into = canonical(RawParentPath(targets[i]));
            if (!from.isEmpty() && (into == from || into.startsWith(from + '/'))) {
                error(verb(), src,
                      QStringLiteral("The destination folder is inside the source folder."));
                continue;
            }
        }
        transfer(src, targets[i], st, move, move && !opt_.forceCrossVolume, false, 0);
        if (move) ++doneItems_;
        progress(src);
    }
    return Ok;
}

// freshFolder: the target's folder was just made, so nothing is there yet.
void Engine::transfer(const QByteArray& src, const QByteArray& target, const struct stat& st,
                      bool move, bool tryRename, bool freshFolder, int depth) {
    if (cancelled_) return;
    if (depth > kMaxDepth) {
        error(verb(), src, reason(ELOOP));
        return;
    }
    struct stat tst;
    bool exists = false;
    if (move && tryRename) {
        // A rename that never replaces settles most moves in one call.
        if (RenameNoReplace(src, target)) return;
        if (errno == EXDEV)
            tryRename = false;
        else if (errno != EEXIST) {
            error(verb(), src, reason(errno));
            return;
        }
        exists = errno == EEXIST && lstat(target.constData(), &tst) == 0;
    } else if (!freshFolder) {
        exists = lstat(target.constData(), &tst) == 0;
    }
    if (exists && tst.st_dev == st.st_dev && tst.st_ino == st.st_ino) {
        error(verb(), src, QStringLiteral("The source and destination are the same."));
        return;
    }
    const bool isDir = S_ISDIR(st.st_mode);
    if (exists) {
        if (isDir != S_ISDIR(tst.st_mode)) {
            error(verb(), src,
                  isDir ? QStringLiteral("A file with that name is already there.")
                        : QStringLiteral("A folder with that name is already there."));
            return;
        }
        const ReplaceAnswer answer = askReplace(target, isDir);
        if (answer != ReplaceAnswer::Yes && answer != ReplaceAnswer::YesToAll)
            return;  // No or Cancel: the source stays, the target too
        if (!isDir && move && tryRename) {
            // Same volume: one rename replaces the old file atomically.
            if (rename(src.constData(), target.constData()) == 0) return;
            if (errno != EXDEV) {
                error(verb(), src, reason(errno));
                return;
            }
            tryRename = false;
        }
    }
    if (isDir) {
        if (!exists && mkdir(target.constData(), 0700) != 0) {
            error(verb(), src, reason(errno));
            return;
        }
        DIR* d = opendir(src.constData());
        if (!d) {
            error(verb(), src, reason(errno));
            return;
        }
        std::vector<QByteArray> names;
        while (dirent* e = readdir(d))
            if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) names.emplace_back(e->d_name);
        closedir(d);
        for (const QByteArray& name : names) {
            if (cancelled_) break;
            const QByteArray child = JoinRawPath(src, name);
            struct stat cst;
            if (lstat(child.constData(), &cst) != 0) {
                error(verb(), child, reason(errno));
                continue;
            }
            transfer(child, JoinRawPath(target, name), cst, move, tryRename, !exists, depth + 1);
        }
        if (!exists) chmod(target.constData(), st.st_mode & 07777);
        if (!move) ++doneItems_;
        if (move && !cancelled_) {
            commit();
            rmdir(src.constData());  // stays when something in it was skipped
        }
        return;
    }
    QByteArray temp;
    bool made;
    if (S_ISLNK(st.st_mode))
        made = placeLink(src, target, &temp);
    else if (S_ISREG(st.st_mode))
        made = copyFile(src, st, target, &temp);
    else {
        error(verb(), src, QStringLiteral("Only files, folders and links can be copied."));
        return;
    }
    if (made) queue({temp, target, move ? src : QByteArray(), exists}, st.st_size);
}

bool Engine::placeLink(const QByteArray& src, const QByteArray& target, QByteArray* temp) {
    char buf[PATH_MAX];
    const ssize_t n = readlink(src.constData(), buf, sizeof buf);
    if (n < 0) {
        error(verb(), src, reason(errno));
        return false;
    }
    *temp = tempNameFor(target);
    if (symlink(QByteArray(buf, int(n)).constData(), temp->constData()) != 0) {
        error(verb(), src, reason(errno));
        return false;
    }
    return true;
}

bool Engine::copyFile(const QByteArray& src, const struct stat& st, const QByteArray& target,
                      QByteArray* temp) {
    const int in = open(src.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) {
        error(verb(), src, reason(errno));
        return false;
    }
    int out = -1;
    for (int attempt = 0; attempt < 16 && out < 0; ++attempt) {
        *temp = tempNameFor(target);
        out = open(temp->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                   (st.st_mode & 0777) | S_IWUSR);
        if (out < 0 && errno != EEXIST) break;
    }
    if (out < 0) {
        const int e = errno;
        close(in);
        error(verb(), src, reason(e));
        return false;
    }
    int failure = 0;
    qint64 copied = 0;
    bool kernelCopy = true;
    static thread_local char buffer[1 << 20];
    for (;;) {
        ssize_t n = -1;
        if (kernelCopy) {
            n = copy_file_range(in, nullptr, out, nullptr, size_t(kChunk), 0);
            if (n < 0 &&
                (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                kernelCopy = false;
                continue;
            }
        } else {
            n = read(in, buffer, sizeof buffer);
            for (ssize_t off = 0; n > 0 && off < n;) {
                const ssize_t w = write(out, buffer + off, size_t(n - off));
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) {
                    n = -1;
                    break;
                }
                off += w;
            }
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            failure = errno ? errno : EIO;
            break;
        }
        if (n == 0) break;
        // Large files start going to the disk while the rest is copied, so
        // the flush before the rename has little left to wait for.
        if (opt_.flush && copied >= kChunk)
            sync_file_range(out, copied - kChunk, kChunk, SYNC_FILE_RANGE_WRITE);
        copied += n;
        doneBytes_ += n;
        if (!progress(src)) break;
    }
    if (!failure && !cancelled_) {
        // The copy keeps the picture's date; its mode is the source's, less
        // the umask, as a new file's.
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        futimens(out, times);
    }
    if (close(out) != 0 && !failure) failure = errno;
    close(in);
    if (failure || cancelled_) {
        unlink(temp->constData());
        if (failure) error(verb(), src, reason(failure));
        return false;
    }
    return true;
}

void Engine::queue(Pending p, qint64 bytes) {
    if (op_.wFunc == FO_COPY) ++doneItems_;
    pending_.push_back(std::move(p));
    pendingBytes_ += bytes;
    if (int(pending_.size()) >= kBatchFiles || pendingBytes_ >= kBatchBytes) commit();
}

void Engine::commit() {
    if (pending_.empty()) return;
    std::vector<Pending> batch;
    batch.swap(pending_);
    pendingBytes_ = 0;
    auto flushVolumes = [&] {
        if (!opt_.flush) return;
        std::set<dev_t> done;
        QByteArray lastFolder;
        for (const Pending& p : batch) {
            const QByteArray folder = RawParentPath(p.target);
            if (folder == lastFolder) continue;  // most of a batch shares one folder
            lastFolder = folder;
            const int fd = open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            struct stat st;
            if (fd >= 0 && fstat(fd, &st) == 0 && done.insert(st.st_dev).second) syncfs(fd);
            if (fd >= 0) close(fd);
        }
    };
    flushVolumes();
    bool deletes = false;
    for (Pending& p : batch) {
        const bool placed = p.replace ? rename(p.temp.constData(), p.target.constData()) == 0
                                      : RenameNoReplace(p.temp, p.target);
        if (!placed) {
            const int e = errno;
            unlink(p.temp.constData());
            p.source.clear();  // its copy is not there: the source stays
            error(verb(), p.target, reason(e));
        }
        deletes = deletes || !p.source.isEmpty();
    }
    if (!deletes) return;
    // The names are on the disk before any source goes.
    flushVolumes();
    for (const Pending& p : batch)
        if (!p.source.isEmpty() && unlink(p.source.constData()) != 0)
            error(QStringLiteral("delete"), p.source, reason(errno));
}

void Engine::removeTree(const QByteArray& path, int depth) {
    struct stat st;
    if (lstat(path.constData(), &st) != 0) {
        error(verb(), path, reason(errno));
        return;
    }
    if (S_ISDIR(st.st_mode) && depth <= kMaxDepth) {
        if (DIR* d = opendir(path.constData())) {
            std::vector<QByteArray> names;
            while (dirent* e = readdir(d))
                if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
                    names.emplace_back(e->d_name);
            closedir(d);
            for (const QByteArray& name : names) {
                if (cancelled_) return;
                removeTree(JoinRawPath(path, name), depth + 1);
            }
        }
        if (rmdir(path.constData()) != 0) error(verb(), path, reason(errno));
    } else if (unlink(path.constData()) != 0) {
        error(verb(), path, reason(errno));
    }
    ++doneItems_;
    progress(path);
}

int Engine::deleteAll() {
    std::vector<QByteArray> sources = SplitPathList(op_.pFrom);
    if (sources.empty()) return BadArguments;
    for (QByteArray& s : sources) s = StripRawSlashes(s);
    const bool toTrash = op_.fFlags & FOF_ALLOWUNDO;
    if (!(op_.fFlags & FOF_NOCONFIRMATION) && !ui_.AskDelete(sources, toTrash)) {
        cancelled_ = true;
        return Ok;
    }
    if (showProgress_) {
        if (toTrash)
            totalItems_ = qint64(sources.size());
        else
            for (const QByteArray& s : sources) scan(s, 0);
        ui_.BeginProgress(op_.wFunc, 0, totalItems_);
    }
    for (size_t i = 0; i < sources.size() && !cancelled_; ++i) {
        moreToCome_ = i + 1 < sources.size();
        const QByteArray& src = sources[i];
        struct stat st;
        if (src == "/" || lstat(src.constData(), &st) != 0) {
            error(verb(), src, reason(src == "/" ? EPERM : errno));
            continue;
        }
        if (!toTrash) {
            removeTree(src, 0);
            continue;
        }
        QString why;
        switch (MoveToTrash(src, &why)) {
            case TrashResult::Trashed:
                ++doneItems_;
                progress(src);
                break;
            case TrashResult::NoTrash:
                // Never deleted for good without asking, whatever the flags.
                if (ui_.AskDeleteForGood(src)) removeTree(src, 0);
                break;
            case TrashResult::Failed:
                error(verb(), src, why);
                break;
        }
    }
    return Ok;
}

std::function<int(SHFILEOPSTRUCT&)>& recorder() {
    static std::function<int(SHFILEOPSTRUCT&)> r;
    return r;
}

std::unique_ptr<FileOpDialogs>& installed() {
    static std::unique_ptr<FileOpDialogs> d;
    return d;
}
}  // namespace

int RunFileOperation(SHFILEOPSTRUCT& op, FileOpDialogs& ui, const FileOpOptions& options) {
    op.fAnyOperationsAborted = false;
    return Engine(op, ui, options).Run();
}

void SetFileOpDialogs(std::unique_ptr<FileOpDialogs> dialogs) {
    installed() = std::move(dialogs);
}

FileOpDialogs& CurrentFileOpDialogs() {
    if (!installed()) installed() = std::make_unique<RealFileOpDialogs>();
    return *installed();
}

void SetFileOperationRecorder(std::function<int(SHFILEOPSTRUCT& op)> r) {
    recorder() = std::move(r);
}

int SHFileOperationA(SHFILEOPSTRUCT& op) {
    if (recorder()) return recorder()(op);
    return RunFileOperation(op, CurrentFileOpDialogs());
}
