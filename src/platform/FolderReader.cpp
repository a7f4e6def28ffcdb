#include "platform/FolderReader.h"

#include <QFile>
#include <QList>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
bool isDotOrDotDot(const char* n) {
    return n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'));
}

// "\040" and friends back to their bytes.
QByteArray unescapeMountPath(const QByteArray& s) {
    QByteArray out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            bool ok = false;
            const int v = s.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(s[i]);
    }
    return out;
}

bool isSlowType(const QByteArray& type) {
    static const char* const slow[] = {"nfs", "nfs4", "cifs",      "smb3",  "smbfs", "9p",
                                       "afs", "ceph", "glusterfs", "davfs", "ncpfs", "coda"};
    for (const char* t : slow)
        if (type == t) return true;
    // sshfs, gvfs, rclone and the like; fusectl is the kernel's own.
    return type.startsWith("fuse") && type != "fusectl";
}

bool underMount(const QByteArray& dir, const QByteArray& mount) {
    if (mount == "/") return true;
    return dir.startsWith(mount) && (dir.size() == mount.size() || dir[mount.size()] == '/');
}

// What a helper thread hands back; shared so a thread given up on can still
// finish (or hang) without touching freed memory.
struct GuardedResult {
    std::mutex m;
    std::condition_variable done;
    bool finished = false;
    bool ok = false;
    std::vector<FolderItem> items;
    FolderId id;
};
}  // namespace

FolderReader::FolderReader(int timeoutMs) : timeoutMs_(timeoutMs) {
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    // /proc files report no size: read until the end, bounded.
    if (mounts.open(QIODevice::ReadOnly)) slowMounts_ = SlowMounts(mounts.read(4 << 20));
}

FolderReader::~FolderReader() = default;

std::vector<QByteArray> FolderReader::SlowMounts(const QByteArray& mountsTable) {
    std::vector<QByteArray> out;
    for (const QByteArray& line : mountsTable.split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 3) continue;
        if (isSlowType(f[2])) out.push_back(unescapeMountPath(f[1]));
    }
    return out;
}

QByteArray FolderReader::SlowMountOf(const QByteArray& dir) const {
    QByteArray best;
    for (const QByteArray& m : slowMounts_)
        if (underMount(dir, m) && m.size() > best.size()) best = m;
    return best;
}

bool FolderReader::ReadLocal(const QByteArray& dir, std::vector<FolderItem>* out, FolderId* id) {
    out->clear();
    if (dir.isEmpty() || dir.contains('\0')) return false;
    DIR* d = opendir(dir.constData());
    if (!d) return false;
    const int fd = dirfd(d);
    struct stat st;
    if (fstat(fd, &st) != 0) {
        closedir(d);
        return false;
    }
    *id = {quint64(st.st_dev), quint64(st.st_ino)};
    while (const dirent* e = readdir(d)) {
        if (isDotOrDotDot(e->d_name)) continue;
        FolderItem item{QByteArray(e->d_name), e->d_type == DT_DIR};
        // Links and file systems that do not type their entries need a look.
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat es;
            item.isFolder = fstatat(fd, e->d_name, &es, 0) == 0 && S_ISDIR(es.st_mode);
        }
        out->push_back(std::move(item));
    }
    closedir(d);
    return true;
}

bool FolderReader::Read(const QByteArray& dir, std::vector<FolderItem>* out, FolderId* id) {
    const QByteArray mount = SlowMountOf(dir);
    if (mount.isEmpty()) return ReadLocal(dir, out, id);
    return readGuarded(dir, mount, out, id);
}

bool FolderReader::readGuarded(const QByteArray& dir, const QByteArray& mount,
                               std::vector<FolderItem>* out, FolderId* id) {
    out->clear();
    if (deadMounts_.contains(mount)) return false;
    auto result = std::make_shared<GuardedResult>();
    std::thread([result, dir, read = slowRead_] {
        std::vector<FolderItem> items;
        FolderId fid;
        const bool ok = read(dir, &items, &fid);
        std::lock_guard<std::mutex> lock(result->m);
        result->ok = ok;
        result->items = std::move(items);
        result->id = fid;
        result->finished = true;
        result->done.notify_one();
    }).detach();
    std::unique_lock<std::mutex> lock(result->m);
    if (!result->done.wait_for(lock, std::chrono::milliseconds(timeoutMs_),
                               [&] { return result->finished; })) {
        deadMounts_.insert(mount, true);
        return false;
    }
    *out = std::move(result->items);
    *id = result->id;
    return result->ok;
}
