#include "platform/Volumes.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <optional>
#include <utility>
#include <vector>

// Everything here reads the mount table, /sys/block and links under /dev:
// nothing ever stats a mount point, so a dead network mount cannot block.

namespace {

constexpr int kMaxLines = 4096;
// A path of 4095 bytes with every byte escaped as \ooo, twice (root and
// mount point), plus the rest of the line.
constexpr qint64 kMaxLineBytes = 40 * 1024;
constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;
constexpr int kMaxDrives = 64;
constexpr int kMaxStackDepth = 4;  // device-mapper over md over a disk, say
constexpr int kMaxSlaves = 16;
constexpr int kMaxMapperDevices = 256;

struct Mount {
    QByteArray device;   // "major:minor"
    QString root;        // the folder of the mounted file system shown here
    QString mountPoint;  // no trailing '/', except "/" itself
    QString fsType;
    QString source;
    QString superOptions;
};

// Undoes the kernel's \ooo escapes (space, tab, newline and backslash).
QByteArray unescape(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' &&
            field[i + 3] <= '7') {
            out += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                        (field[i + 3] - '0'));
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

QString decodePath(const QByteArray& field) {
    return QFile::decodeName(unescape(field));
}

// "/mnt/x/" and "/mnt/x" name the same place; "" and relative paths none.
QString normalizePlace(const QString& path) {
    if (!path.startsWith('/')) return {};
    QString p = path;
    while (p.size() > 1 && p.endsWith('/')) p.chop(1);
    return p;
}

bool isNumber(const QByteArray& s) {
    if (s.isEmpty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// One line: "id parent major:minor root mountpoint options [optional...] -
// fstype source superoptions". Anything else is ignored.
std::optional<Mount> parseLine(const QByteArray& line) {
    QList<QByteArray> fields;
    for (const QByteArray& f : line.trimmed().split(' '))
        if (!f.isEmpty()) fields << f;
    if (fields.size() < 9) return std::nullopt;
    qsizetype sep = -1;
    for (qsizetype i = 6; i < fields.size(); ++i) {
        if (fields[i] == "-") {
            sep = i;
            break;
        }
    }
    if (sep < 0 || sep + 2 >= fields.size()) return std::nullopt;

    const QList<QByteArray> dev = fields[2].split(':');
    if (!isNumber(fields[0]) || !isNumber(fields[1]) || dev.size() != 2 || !isNumber(dev[0]) ||
        !isNumber(dev[1]))
        return std::nullopt;

    Mount m;
    m.device = fields[2];
    m.root = decodePath(fields[3]);
    m.mountPoint = normalizePlace(decodePath(fields[4]));
    m.fsType = QString::fromUtf8(unescape(fields[sep + 1]));
    m.source = QFile::decodeName(unescape(fields[sep + 2]));
    if (sep + 3 < fields.size()) m.superOptions = QString::fromUtf8(unescape(fields[sep + 3]));
    if (!m.root.startsWith('/') || m.mountPoint.isEmpty() || m.fsType.isEmpty())
        return std::nullopt;
    return m;
}

// The mounts in table order. A place mounted over holds the last mount there,
// in the position of the first. Nothing when the table cannot be read.
std::optional<std::vector<Mount>> readTable(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;

    std::vector<Mount> table;
    QHash<QString, size_t> at;
    qint64 bytes = 0;
    for (int lines = 0; lines < kMaxLines && bytes < kMaxFileBytes && !file.atEnd(); ++lines) {
        QByteArray line = file.readLine(kMaxLineBytes + 2);
        bytes += line.size();
        if (line.isEmpty()) break;
        if (line.size() > kMaxLineBytes && !line.endsWith('\n')) {
            // Too long to be a mount: skip to the end of this line.
            while (!file.atEnd() && bytes < kMaxFileBytes) {
                line = file.readLine(kMaxLineBytes + 2);
                bytes += line.size();
                if (line.isEmpty() || line.endsWith('\n')) break;
            }
            continue;
        }
        std::optional<Mount> m = parseLine(line);
        if (!m) continue;
        const auto found = at.constFind(m->mountPoint);
        if (found != at.constEnd()) {
            table[*found] = std::move(*m);
        } else {
            at.insert(m->mountPoint, table.size());
            table.push_back(std::move(*m));
        }
    }
    return table;
}

bool isUnder(const QString& path, QLatin1StringView place) {
    return path == place ||
           (path.startsWith(place) && path.size() > place.size() && path[place.size()] == '/');
}

bool isPseudoType(const QString& type) {
    static const QSet<QString> kinds = {
        "proc",           "sysfs",       "cgroup",      "cgroup2",    "devtmpfs",
        "devpts",         "mqueue",      "hugetlbfs",   "debugfs",    "tracefs",
        "securityfs",     "pstore",      "bpf",         "configfs",   "fusectl",
        "autofs",         "binfmt_misc", "rpc_pipefs",  "nsfs",       "overlay",
        "squashfs",       "efivarfs",    "selinuxfs",   "rootfs",     "nfsd",
        "devfs",          "usbfs",       "fuse.portal", "fuse.lxcfs", "fuse.snapfuse",
        "fuse.gvfsd-fuse"};
    // A running AppImage mounts itself as "fuse.<file name>.AppImage".
    return kinds.contains(type) ||
           (type.startsWith("fuse.") && type.endsWith(".appimage", Qt::CaseInsensitive));
}

bool isSystemPlace(const QString& place) {
    if (isUnder(place, QLatin1StringView("/run")))
        return !place.startsWith(QLatin1StringView("/run/media/"));
    static const QLatin1StringView kPlaces[] = {
        QLatin1StringView("/boot"),
        QLatin1StringView("/sys"),
        QLatin1StringView("/proc"),
        QLatin1StringView("/dev"),
        QLatin1StringView("/snap"),
        QLatin1StringView("/var/lib/docker"),
        QLatin1StringView("/var/lib/containers"),
        QLatin1StringView("/var/lib/kubelet"),
    };
    for (QLatin1StringView p : kPlaces)
        if (isUnder(place, p)) return true;
    return false;
}

bool isRamType(const QString& type) {
    return type == "tmpfs" || type == "ramfs";
}

QString optionValue(const QString& options, QLatin1StringView key) {
    for (const QString& o : options.split(','))
        if (o.startsWith(key) && o.size() > key.size() && o[key.size()] == '=')
            return o.mid(key.size() + 1);
    return {};
}

// Whether the mount shows a whole file system rather than a bound folder of
// one. A btrfs subvolume names itself as the root; that is a whole volume.
bool isWholeVolume(const Mount& m) {
    if (m.root == "/") return true;
    return m.fsType == "btrfs" &&
           normalizePlace(optionValue(m.superOptions, QLatin1StringView("subvol"))) == m.root;
}

bool isShown(const Mount& m) {
    if (isPseudoType(m.fsType) || isSystemPlace(m.mountPoint)) return false;
    // Scratch space of a session, even under /run/media.
    if (isRamType(m.fsType) && isUnder(m.mountPoint, QLatin1StringView("/run"))) return false;
    return isWholeVolume(m);
}

bool isNetwork(const QString& type, const QString& source) {
    static const QSet<QString> kernelKinds = {"nfs",   "nfs4", "cifs",   "smb3",      "smbfs",
                                              "9p",    "afs",  "ceph",   "glusterfs", "davfs",
                                              "ncpfs", "coda", "lustre", "orangefs",  "vboxsf"};
    static const QSet<QString> fuseKinds = {
        "sshfs",       "rclone",    "s3fs",      "glusterfs",
        "ceph-fuse",   "curlftpfs", "smbnetfs",  "gcsfuse",
        "goofys",      "juicefs",   "blobfuse",  "blobfuse2",
        "httpfs2",     "afpfs",     "onedriver", "google-drive-ocamlfuse",
        "vmhgfs-fuse", "gvfsd-fuse"};
    if (kernelKinds.contains(type)) return true;
    if (type == "fuse" || type.startsWith("fuse.")) {
        if (fuseKinds.contains(type.mid(5))) return true;
        // Other FUSE file systems are remote when their source names a
        // server: "//server/share", "scheme://...", "host:/path",
        // "user@host:path".
        if (source.startsWith("//") || source.contains("://")) return true;
        if (!source.startsWith('/') && source.contains(':')) return true;
    }
    return false;
}

QString readText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.read(256)).trimmed();
}

QByteArray linkTarget(const QString& path) {
    char buf[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buf, sizeof buf);
    return n > 0 ? QByteArray(buf, n) : QByteArray();
}

bool exists(const QString& path) {
    const QFileInfo fi(path);
    return fi.exists() || fi.isSymLink();
}

// The kernel name of a block device source ("sdb1" for /dev/sdb1), or "".
QString deviceName(const QString& source) {
    if (!source.startsWith("/dev/")) return {};
    QString rest = source.mid(5);
    if (rest.startsWith("mapper/")) return rest;
    if (rest.contains('/')) {
        // /dev/disk/by-*/..., /dev/<vg>/<lv>: links to the kernel's name.
        const QString real = QFileInfo(source).canonicalFilePath();
        if (!real.startsWith("/dev/")) return {};
        rest = real.mid(5);
        if (rest.contains('/')) return {};
    }
    return rest;
}

// The whole disk a device belongs to: sdb1 -> sdb, mmcblk0p1 -> mmcblk0,
// nvme0n1p2 -> nvme0n1. "" when /sys/block has neither.
QString diskOf(const QString& sysBlock, const QString& name) {
    if (exists(sysBlock + '/' + name)) return name;
    static const QRegularExpression numberedDisk("^(.*\\d)p\\d+$");
    static const QRegularExpression namedDisk("^(.*\\D)\\d+$");
    QRegularExpressionMatch m = numberedDisk.match(name);
    if (!m.hasMatch()) m = namedDisk.match(name);
    if (!m.hasMatch()) return {};
    const QString disk = m.captured(1);
    return exists(sysBlock + '/' + disk) ? disk : QString();
}

// dm-N for a /dev/mapper/<name>, found through /sys/block/dm-*/dm/name.
QString mapperDevice(const QString& sysBlock, const QString& mapperName) {
    const QStringList entries =
        QDir(sysBlock).entryList({"dm-*"}, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (qsizetype i = 0; i < entries.size() && i < kMaxMapperDevices; ++i)
        if (readText(sysBlock + '/' + entries[i] + "/dm/name") == mapperName) return entries[i];
    return {};
}

bool isRemovableDevice(const QString& sysBlock, QString name, int depth) {
    if (depth > kMaxStackDepth) return false;
    if (name.startsWith("mapper/")) {
        name = mapperDevice(sysBlock, name.mid(7));
        if (name.isEmpty()) return false;
    }
    // SD and MMC cards, even with no /sys/block entry to look at.
    static const QRegularExpression mmc("^mmcblk\\d+");
    if (mmc.match(name).hasMatch()) return true;

    const QString disk = diskOf(sysBlock, name);
    if (disk.isEmpty()) return false;
    const QString dir = sysBlock + '/' + disk;
    if (readText(dir + "/removable") == "1") return true;
    if (linkTarget(dir).contains("/usb")) return true;

    // An encrypted or mirrored volume is removable when all it sits on is.
    const QStringList slaves =
        QDir(dir + "/slaves")
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    if (slaves.isEmpty() || slaves.size() > kMaxSlaves) return false;
    for (const QString& s : slaves)
        if (!isRemovableDevice(sysBlock, s, depth + 1)) return false;
    return true;
}

int kindOf(const Mount& m, const QString& sysBlock) {
    if (isNetwork(m.fsType, m.source)) return DRIVE_REMOTE;
    const QString dev = deviceName(m.source);
    static const QRegularExpression cd("^(sr|scd)\\d+$");
    if (m.fsType == "iso9660" || m.fsType == "udf" || cd.match(dev).hasMatch()) return DRIVE_CDROM;
    static const QRegularExpression ram("^(zram|ram)\\d+$");
    if (isRamType(m.fsType) || ram.match(dev).hasMatch()) return DRIVE_RAMDISK;
    // A floppy is a removable drive here; callers that care tell floppies
    // apart by their root.
    static const QRegularExpression floppy("^fd\\d+$");
    if (floppy.match(dev).hasMatch()) return DRIVE_REMOVABLE;
    if (!dev.isEmpty() && isRemovableDevice(sysBlock, dev, 0)) return DRIVE_REMOVABLE;
    return DRIVE_FIXED;
}

QPair<QByteArray, QString> volumeKey(const Mount& m) {
    // Two btrfs subvolumes share a device number but are different volumes.
    return {m.device, m.root};
}

}  // namespace

LinuxVolumes::LinuxVolumes(const QString& mountInfoPath, const QString& sysBlockPath)
    : mountInfo_(mountInfoPath), sysBlock_(sysBlockPath) {}

QStringList LinuxVolumes::DriveRoots() const {
    QStringList roots{"/"};
    const std::optional<std::vector<Mount>> table = readTable(mountInfo_);
    if (!table) return roots;

    // "/" comes first whatever its kind (a container's root is an overlay).
    QSet<QPair<QByteArray, QString>> seen;
    for (const Mount& m : *table)
        if (m.mountPoint == "/") seen.insert(volumeKey(m));

    for (const Mount& m : *table) {
        if (roots.size() >= kMaxDrives) break;
        if (m.mountPoint == "/" || !isShown(m)) continue;
        const auto key = volumeKey(m);
        if (seen.contains(key)) continue;  // the same volume again elsewhere
        seen.insert(key);
        roots << m.mountPoint + '/';
    }
    return roots;
}

int LinuxVolumes::DriveType(const QString& root) const {
    const QString place = normalizePlace(root);
    if (place.isEmpty()) return DRIVE_NO_ROOT_DIR;
    // "/" is always listed, so it always has a kind.
    const int missing = place == "/" ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
    const std::optional<std::vector<Mount>> table = readTable(mountInfo_);
    if (!table) return missing;
    for (const Mount& m : *table)
        if (m.mountPoint == place) return kindOf(m, sysBlock_);
    return missing;
}
