#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The mounted volumes a user would call drives, and their kinds, with the
// codes of the old drive-type call.
inline constexpr int DRIVE_UNKNOWN = 0;
inline constexpr int DRIVE_NO_ROOT_DIR = 1;
inline constexpr int DRIVE_REMOVABLE = 2;
inline constexpr int DRIVE_FIXED = 3;
inline constexpr int DRIVE_REMOTE = 4;
inline constexpr int DRIVE_CDROM = 5;
inline constexpr int DRIVE_RAMDISK = 6;

class Volumes {
public:
    virtual ~Volumes() = default;
    // Mount points of the drives, each ending in '/', in mount order with
    // "/" first. Never blocks on a dead network mount.
    virtual QStringList DriveRoots() const = 0;
    // The kind of the volume mounted at root (ending in '/').
    virtual int DriveType(const QString& root) const = 0;
};

// Reads the mount table (/proc/self/mountinfo) and /sys/block; both places
// can be pointed elsewhere so tests can use fixture files.
class LinuxVolumes : public Volumes {
public:
    explicit LinuxVolumes(const QString& mountInfoPath = "/proc/self/mountinfo",
                          const QString& sysBlockPath = "/sys/block");
    QStringList DriveRoots() const override;
    int DriveType(const QString& root) const override;

private:
    QString mountInfo_, sysBlock_;
};

// Fixed answers, for tests of the windows that show drives.
class FakeVolumes : public Volumes {
public:
    QStringList roots;
    QHash<QString, int> types;
    QStringList DriveRoots() const override { return roots; }
    int DriveType(const QString& root) const override {
        return types.value(root, DRIVE_NO_ROOT_DIR);
    }
};
