#pragma once

#include <QByteArray>
#include <QHash>
#include <functional>
#include <memory>
#include <vector>

// One entry of a folder as a tree walk needs it: the name's bytes and
// whether it is a folder (symbolic links followed).
struct FolderItem {
    QByteArray name;
    bool isFolder = false;
};

// A folder's identity on this machine, so a walk that follows links can
// visit each folder once.
struct FolderId {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FolderId& o) const { return device == o.device && inode == o.inode; }
};
inline size_t qHash(const FolderId& id, size_t seed = 0) {
    return qHashMulti(seed, id.device, id.inode);
}

// Reads folders for tree walks: one pass of readdir, the entry types taken
// from the folder where it knows them, so most entries cost no status call.
// A folder on a network or user-space file system is read on a helper
// thread and given up after timeoutMs, and that whole mount is passed over
// from then on: a dead server never holds the window.
class FolderReader {
public:
    explicit FolderReader(int timeoutMs = 5000);
    virtual ~FolderReader();

    // All entries but "." and ".." in the order the folder gives them, and
    // the folder's identity. False when it cannot be read.
    virtual bool Read(const QByteArray& dir, std::vector<FolderItem>* out, FolderId* id);

    // Reads a folder on the calling thread; what Read uses for local folders.
    static bool ReadLocal(const QByteArray& dir, std::vector<FolderItem>* out, FolderId* id);
    // The mount point holding dir among the slow (network, user-space) mounts
    // of this machine; empty when dir lies on a local one.
    QByteArray SlowMountOf(const QByteArray& dir) const;
    // Mount points of slow file systems from a mounts table (fstab form,
    // octal escapes in the paths).
    static std::vector<QByteArray> SlowMounts(const QByteArray& mountsTable);

    using ReadFn = std::function<bool(const QByteArray&, std::vector<FolderItem>*, FolderId*)>;
    // For tests: the mounts counted as slow, and what reads one of their
    // folders on the helper thread.
    void SetSlowMounts(std::vector<QByteArray> mounts) { slowMounts_ = std::move(mounts); }
    void SetSlowRead(ReadFn fn) { slowRead_ = std::move(fn); }

private:
    bool readGuarded(const QByteArray& dir, const QByteArray& mount, std::vector<FolderItem>* out,
                     FolderId* id);

    int timeoutMs_;
    std::vector<QByteArray> slowMounts_;
    ReadFn slowRead_ = ReadLocal;
    QHash<QByteArray, bool> deadMounts_;
};
