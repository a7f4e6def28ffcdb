#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "TestEnv.h"
#include "platform/Volumes.h"

namespace {
// A desktop with system mounts, a second disk, removable media, network
// shares, RAM drives, a snap, a bind mount, a disk mounted twice and a
// folder mounted over.
const QByteArray kDesktop =
    "21 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "22 21 0:20 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
    "23 21 0:21 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw\n"
    "24 21 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=8000000k,mode=755\n"
    "25 24 0:22 / /dev/pts rw,nosuid,noexec,relatime shared:9 - devpts devpts rw,gid=5\n"
    "26 21 0:23 / /run rw,nosuid,nodev,noexec,relatime shared:5 - tmpfs tmpfs rw,mode=755\n"
    "27 24 0:24 / /dev/shm rw,nosuid,nodev shared:10 - tmpfs tmpfs rw\n"
    "28 23 0:26 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:4 - cgroup2 cgroup2 rw\n"
    "29 23 0:27 / /sys/fs/pstore rw,nosuid,nodev,noexec,relatime shared:6 - pstore pstore rw\n"
    "30 23 0:28 / /sys/firmware/efi/efivars rw,relatime shared:7 - efivarfs efivarfs rw\n"
    "31 23 0:29 / /sys/fs/bpf rw,nosuid,nodev,noexec,relatime shared:11 - bpf bpf rw,mode=700\n"
    "32 22 0:30 / /proc/sys/fs/binfmt_misc rw,relatime shared:13 - autofs systemd-1 rw,fd=30\n"
    "33 24 0:19 / /dev/mqueue rw,nosuid,nodev,noexec,relatime shared:14 - mqueue mqueue rw\n"
    "34 24 0:31 / /dev/hugepages rw,relatime shared:15 - hugetlbfs hugetlbfs rw,pagesize=2M\n"
    "35 23 0:7 / /sys/kernel/debug rw,nosuid,nodev,noexec,relatime shared:16 - debugfs debugfs rw\n"
    "36 23 0:12 / /sys/kernel/tracing rw,relatime shared:17 - tracefs tracefs rw\n"
    "37 23 0:32 / /sys/fs/fuse/connections rw,relatime shared:18 - fusectl fusectl rw\n"
    "38 23 0:33 / /sys/kernel/config rw,relatime shared:19 - configfs configfs rw\n"
    "39 21 8:1 / /boot/efi rw,relatime shared:20 - vfat /dev/sda1 rw,fmask=0077,dmask=0077\n"
    "40 21 259:2 / /home rw,relatime shared:21 - ext4 /dev/nvme0n1p2 rw\n"
    "41 21 8:4 / /srv/www rw,relatime shared:22 - ext4 /dev/sda4 rw\n"
    "42 21 0:35 / /tmp rw,nosuid,nodev shared:23 - tmpfs tmpfs rw,size=8000000k\n"
    "43 26 0:36 / /run/user/1000 rw,nosuid,nodev,relatime shared:24 - tmpfs tmpfs rw,uid=1000\n"
    "44 21 7:0 / /snap/core22/864 ro,nodev,relatime shared:25 - squashfs /dev/loop0 ro\n"
    "45 26 8:17 / /run/media/alice/USB\\040STICK rw,nosuid,nodev,relatime shared:26 - vfat "
    "/dev/sdb1 rw,uid=1000\n"
    "46 21 11:0 / /media/cdrom ro,nosuid,nodev,relatime shared:27 - iso9660 /dev/sr0 ro\n"
    "47 21 0:40 / /mnt/nas rw,relatime shared:28 - nfs4 nas.local:/export/photos rw,vers=4.2\n"
    "48 40 0:41 / /home/alice/remote rw,nosuid,nodev,relatime shared:29 - fuse.sshfs "
    "alice@server:/srv rw,user_id=1000\n"
    "49 21 259:2 /alice/x /srv/x rw,relatime shared:21 - ext4 /dev/nvme0n1p2 rw\n"
    "50 21 8:33 / /mnt/data rw,relatime shared:30 - ext4 /dev/sdc1 rw\n"
    "51 21 8:33 / /media/data rw,relatime shared:30 - ext4 /dev/sdc1 rw\n"
    "52 43 0:42 / /run/user/1000/gvfs rw,nosuid,nodev,relatime shared:31 - fuse.gvfsd-fuse "
    "gvfsd-fuse rw\n"
    "53 41 0:43 / /srv/www rw,relatime shared:32 - tmpfs tmpfs rw\n";

QByteArray withRoot(const QByteArray& lines) {
    return "21 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n" + lines;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}
}  // namespace

class VolumesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir tmp_;
    QString sysBlock_;
    int tables_ = 0;

    // A new mount table file holding text.
    QString table(const QByteArray& text) {
        const QString path = tmp_.path() + QString("/mountinfo%1").arg(++tables_);
        writeFile(path, text);
        return path;
    }

    // sysfs/block/<disk> as the kernel has it: a link to the device's folder,
    // whose path tells the bus.
    void addDisk(const QString& disk, const QString& devicePath, const QByteArray& removable) {
        const QString target = "../devices/" + devicePath + "/block/" + disk;
        writeFile(sysBlock_ + "/" + target + "/removable", removable + "\n");
        QVERIFY(QFile::link(target, sysBlock_ + "/" + disk));
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        sysBlock_ = tmp_.path() + "/sys/block";
        QVERIFY(QDir().mkpath(sysBlock_));
        addDisk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", "0");
        addDisk("sdb", "platform/cardreader/host6/target6:0:0/6:0:0:0", "1");
        addDisk("sdc", "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host7/target7:0:0/7:0:0:0", "0");
        addDisk("nvme0n1", "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0", "0");
        addDisk("sr0", "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0", "1");
        // An encrypted volume on the card, and a logical volume on the SSD.
        addDisk("dm-0", "virtual", "0");
        writeFile(sysBlock_ + "/dm-0/dm/name", "luks-1234\n");
        QVERIFY(QDir().mkpath(sysBlock_ + "/dm-0/slaves/sdb1"));
        addDisk("dm-1", "virtual", "0");
        writeFile(sysBlock_ + "/dm-1/dm/name", "vg-root\n");
        QVERIFY(QDir().mkpath(sysBlock_ + "/dm-1/slaves/nvme0n1p3"));
    }

    void roots_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("desktop") << kDesktop
                                 << QStringList{"/",
                                                "/home/",
                                                "/srv/www/",
                                                "/tmp/",
                                                "/run/media/alice/USB STICK/",
                                                "/media/cdrom/",
                                                "/mnt/nas/",
                                                "/home/alice/remote/",
                                                "/mnt/data/"};
        QTest::newRow("slash listed later") << QByteArray(
                                                   "22 21 0:40 / /mnt/ram rw - tmpfs tmpfs rw\n"
                                                   "20 1 8:2 / /mnt/early rw - ext4 /dev/sda2 rw\n"
                                                   "23 21 8:3 / /home rw - ext4 /dev/sda3 rw\n"
                                                   "21 1 8:2 / / rw - ext4 /dev/sda2 rw\n")
                                            << QStringList{"/", "/mnt/ram/", "/home/"};
        QTest::newRow("no root line") << QByteArray("22 21 8:17 / /mnt/a rw - ext4 /dev/sdb1 rw\n")
                                      << QStringList{"/", "/mnt/a/"};
        QTest::newRow("empty") << QByteArray() << QStringList{"/"};
        QTest::newRow("optional fields")
            << withRoot(
                   "22 21 8:17 / /mnt/none rw - ext4 /dev/sdb1 rw\n"
                   "23 21 8:18 / /mnt/three rw shared:1 master:2 propagate_from:3 - ext4 /dev/sdb2 "
                   "rw\n"
                   "24 21 8:19 / /mnt/nosuper rw - ext4 /dev/sdb3\n")
            << QStringList{"/", "/mnt/none/", "/mnt/three/", "/mnt/nosuper/"};
        QTest::newRow("escapes")
            << withRoot(
                   "22 21 8:17 / /run/media/alice/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
                   "23 21 8:18 / /mnt/tab\\011here rw - ext4 /dev/sdb2 rw\n"
                   "24 21 8:19 / /mnt/back\\134slash rw - ext4 /dev/sdb3 rw\n"
                   "25 21 8:20 / /mnt/odd\\9 rw - ext4 /dev/sdb4 rw\n"
                   "26 21 8:21 / /mnt/caf\\303\\251 rw - ext4 /dev/sdb5 rw\n")
            << QStringList{"/",
                           "/run/media/alice/USB STICK/",
                           "/mnt/tab\there/",
                           "/mnt/back\\slash/",
                           "/mnt/odd\\9/",
                           QStringLiteral(u"/mnt/caf\u00e9/")};
        QTest::newRow("system places")
            << withRoot(
                   "22 21 8:3 / /boot rw - ext4 /dev/sda3 rw\n"
                   "23 22 8:1 / /boot/efi rw - vfat /dev/sda1 rw\n"
                   "24 21 8:4 / /bootstrap rw - ext4 /dev/sda4 rw\n"
                   "25 21 0:30 / /run rw - tmpfs tmpfs rw\n"
                   "26 25 8:17 / /run/media/bob/Disk rw - ext4 /dev/sdb1 rw\n"
                   "27 25 8:18 / /run/mount/x rw - ext4 /dev/sdb2 rw\n"
                   "28 21 8:19 / /running rw - ext4 /dev/sdb3 rw\n"
                   "29 25 0:31 / /run/media/bob/Ram rw - tmpfs tmpfs rw\n"
                   "30 21 7:1 / /snap/core/1 ro - ext4 /dev/loop1 ro\n"
                   "31 21 8:20 / /snapshots rw - ext4 /dev/sdb4 rw\n"
                   "32 21 8:21 / /dev/disk1 rw - ext4 /dev/sdb5 rw\n"
                   "33 21 8:22 / /devel rw - ext4 /dev/sdb6 rw\n"
                   "34 21 8:23 / /proc/x rw - ext4 /dev/sdb7 rw\n"
                   "35 21 8:24 / /sys/y rw - ext4 /dev/sdb8 rw\n"
                   "36 21 0:32 / /mnt/ram rw - tmpfs tmpfs rw\n"
                   "37 21 0:33 / /srv/ramfs rw - ramfs ramfs rw\n")
            << QStringList{"/",         "/bootstrap/", "/run/media/bob/Disk/",
                           "/running/", "/snapshots/", "/devel/",
                           "/mnt/ram/", "/srv/ramfs/"};
        QTest::newRow("pseudo kinds anywhere")
            << withRoot(
                   "22 21 0:40 / /var/tmp/merged rw - overlay overlay rw,lowerdir=/a\n"
                   "23 21 7:2 / /media/squash ro - squashfs /dev/loop2 ro\n"
                   "24 21 0:41 / /net rw - autofs /etc/auto.net rw\n"
                   "25 21 0:42 / /cgroup rw - cgroup2 cgroup2 rw\n"
                   "26 21 0:43 / /chroot/proc rw - proc proc rw\n"
                   "27 21 0:44 / /tmp/ns rw - nsfs nsfs rw\n"
                   "28 21 0:45 / /tmp/.mount_Obsid rw - fuse.Obsidian-1.4.AppImage "
                   "Obsidian.AppImage "
                   "ro\n"
                   "29 21 8:17 / /mnt/real rw - ext4 /dev/sdb1 rw\n")
            << QStringList{"/", "/mnt/real/"};
        QTest::newRow("binds and doubles")
            << withRoot(
                   "22 21 8:3 / /home rw - ext4 /dev/sda3 rw\n"
                   "23 21 8:3 /alice/x /srv/x rw - ext4 /dev/sda3 rw\n"
                   "24 21 8:2 / /mnt/rootagain rw - ext4 /dev/sda2 rw\n"
                   "25 21 8:4 / /mnt/a rw - ext4 /dev/sda4 rw\n"
                   "26 21 8:4 / /mnt/b rw - ext4 /dev/sda4 rw\n")
            << QStringList{"/", "/home/", "/mnt/a/"};
        QTest::newRow("mounted over by a hidden kind")
            << withRoot(
                   "22 21 8:17 / /mnt/a rw - ext4 /dev/sdb1 rw\n"
                   "23 21 8:18 / /mnt/b rw - ext4 /dev/sdb2 rw\n"
                   "24 22 7:3 / /mnt/a ro - squashfs /dev/loop3 ro\n")
            << QStringList{"/", "/mnt/b/"};
        QTest::newRow("btrfs subvolumes")
            << QByteArray(
                   "30 1 0:31 /@ / rw - btrfs /dev/nvme0n1p3 rw,ssd,subvolid=256,subvol=/@\n"
                   "31 30 0:31 /@home /home rw - btrfs /dev/nvme0n1p3 rw,subvolid=257,"
                   "subvol=/@home\n"
                   "32 30 0:31 /@home/alice/x /srv/x rw - btrfs /dev/nvme0n1p3 rw,subvolid=257,"
                   "subvol=/@home\n"
                   "33 30 0:31 /@home /mnt/home2 rw - btrfs /dev/nvme0n1p3 rw,subvolid=257,"
                   "subvol=/@home\n")
            << QStringList{"/", "/home/"};
        QTest::newRow("container")
            << QByteArray(
                   "500 400 0:50 / / rw - overlay overlay rw,lowerdir=/l,upperdir=/u\n"
                   "501 500 0:51 / /proc rw - proc proc rw\n"
                   "502 500 0:52 / /dev rw - tmpfs tmpfs rw\n"
                   "503 500 254:0 /var/lib/docker/containers/abc/hosts /etc/hosts rw - ext4 "
                   "/dev/vda rw\n"
                   "504 500 0:53 / /data rw - nfs nas:/data rw\n")
            << QStringList{"/", "/data/"};
        QTest::newRow("garbage lines")
            << withRoot(
                   "\n"
                   "hello world\n"
                   "1 2 3\n"
                   "30 21 8:5 / /mnt/nosep rw ext4 /dev/sda5 rw\n"
                   "31 21 8:6 / /mnt/notype rw -\n"
                   "32 21 8:7 / /mnt/nosource rw - ext4\n"
                   "33 21 x:y / /mnt/baddev rw - ext4 /dev/sda7 rw\n"
                   "34 21 8:8 / relative rw - ext4 /dev/sda8 rw\n"
                   "abc 21 8:9 / /mnt/badid rw - ext4 /dev/sda9 rw\n"
                   "35 21 8:10 relative /mnt/badroot rw - ext4 /dev/sda10 rw\n"
                   "\x01\xff\xfe binary \t junk\n"
                   "36 21 8:11 / /mnt/good rw - ext4 /dev/sda11 rw\n")
            << QStringList{"/", "/mnt/good/"};
    }

    void roots() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, expected);
        QCOMPARE(LinuxVolumes(table(text), sysBlock_).DriveRoots(), expected);
    }

    void desktopKinds_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<int>("expected");

        QTest::newRow("root") << "/" << DRIVE_FIXED;
        QTest::newRow("efi partition") << "/boot/efi/" << DRIVE_FIXED;
        QTest::newRow("nvme home") << "/home/" << DRIVE_FIXED;
        QTest::newRow("no trailing slash") << "/home" << DRIVE_FIXED;
        QTest::newRow("tmp") << "/tmp/" << DRIVE_RAMDISK;
        QTest::newRow("hidden run tmpfs") << "/run/user/1000/" << DRIVE_RAMDISK;
        QTest::newRow("usb stick") << "/run/media/alice/USB STICK/" << DRIVE_REMOVABLE;
        QTest::newRow("usb stick no slash") << "/run/media/alice/USB STICK" << DRIVE_REMOVABLE;
        QTest::newRow("escaped name") << "/run/media/alice/USB\\040STICK/" << DRIVE_NO_ROOT_DIR;
        QTest::newRow("cd") << "/media/cdrom/" << DRIVE_CDROM;
        QTest::newRow("nfs") << "/mnt/nas/" << DRIVE_REMOTE;
        QTest::newRow("sshfs") << "/home/alice/remote/" << DRIVE_REMOTE;
        QTest::newRow("usb disk") << "/mnt/data/" << DRIVE_REMOVABLE;
        QTest::newRow("usb disk again") << "/media/data/" << DRIVE_REMOVABLE;
        QTest::newRow("mounted over") << "/srv/www/" << DRIVE_RAMDISK;
        QTest::newRow("bind mount") << "/srv/x/" << DRIVE_FIXED;
        QTest::newRow("folder inside a drive") << "/home/alice/" << DRIVE_NO_ROOT_DIR;
        QTest::newRow("unknown") << "/nowhere/" << DRIVE_NO_ROOT_DIR;
        QTest::newRow("relative") << "home/" << DRIVE_NO_ROOT_DIR;
        QTest::newRow("empty") << "" << DRIVE_NO_ROOT_DIR;
    }

    void desktopKinds() {
        QFETCH(QString, root);
        QFETCH(int, expected);
        QCOMPARE(LinuxVolumes(table(kDesktop), sysBlock_).DriveType(root), expected);
    }

    // One mount at /mnt/x of the given file system type and source.
    void kinds_data() {
        QTest::addColumn<QByteArray>("fsType");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("expected");

        const auto row = [](const char* name, const char* type, const char* source, int kind) {
            QTest::newRow(name) << QByteArray(type) << QByteArray(source) << kind;
        };
        row("nfs", "nfs", "server:/export", DRIVE_REMOTE);
        row("nfs4", "nfs4", "server:/", DRIVE_REMOTE);
        row("cifs", "cifs", "//server/share", DRIVE_REMOTE);
        row("smb3", "smb3", "//server/share", DRIVE_REMOTE);
        row("smbfs", "smbfs", "//server/share", DRIVE_REMOTE);
        row("9p", "9p", "hostshare", DRIVE_REMOTE);
        row("afs", "afs", "#example.com:root.cell.", DRIVE_REMOTE);
        row("ceph", "ceph", "10.0.0.1:6789:/", DRIVE_REMOTE);
        row("glusterfs", "glusterfs", "gluster1:/vol", DRIVE_REMOTE);
        row("davfs", "davfs", "https://dav.example.com/", DRIVE_REMOTE);
        row("sshfs", "fuse.sshfs", "alice@server:/srv", DRIVE_REMOTE);
        row("rclone", "fuse.rclone", "gdrive:", DRIVE_REMOTE);
        row("s3fs", "fuse.s3fs", "s3fs", DRIVE_REMOTE);
        row("plain fuse to a host", "fuse", "sshfs#alice@server:/srv", DRIVE_REMOTE);
        row("other fuse with url", "fuse.webfs", "https://example.com/files", DRIVE_REMOTE);
        row("local fuse", "fuse.gocryptfs", "/home/alice/.cipher", DRIVE_FIXED);
        row("pooled fuse", "fuse.mergerfs", "/mnt/a:/mnt/b", DRIVE_FIXED);
        row("ntfs on stick", "fuseblk", "/dev/sdb1", DRIVE_REMOVABLE);
        row("ntfs on disk", "fuseblk", "/dev/sda5", DRIVE_FIXED);
        row("iso9660", "iso9660", "/dev/sr0", DRIVE_CDROM);
        row("udf", "udf", "/dev/sr0", DRIVE_CDROM);
        row("any kind on sr", "ext2", "/dev/sr1", DRIVE_CDROM);
        row("tmpfs", "tmpfs", "tmpfs", DRIVE_RAMDISK);
        row("ramfs", "ramfs", "ramfs", DRIVE_RAMDISK);
        row("zram", "ext4", "/dev/zram1", DRIVE_RAMDISK);
        row("floppy", "vfat", "/dev/fd0", DRIVE_REMOVABLE);
        row("removable flag", "vfat", "/dev/sdb1", DRIVE_REMOVABLE);
        row("unpartitioned stick", "vfat", "/dev/sdb", DRIVE_REMOVABLE);
        row("usb disk", "ext4", "/dev/sdc1", DRIVE_REMOVABLE);
        row("sd card", "vfat", "/dev/mmcblk0p1", DRIVE_REMOVABLE);
        row("whole sd card", "ext4", "/dev/mmcblk1", DRIVE_REMOVABLE);
        row("encrypted stick", "ext4", "/dev/mapper/luks-1234", DRIVE_REMOVABLE);
        row("sata partition", "ext4", "/dev/sda3", DRIVE_FIXED);
        row("nvme partition", "ext4", "/dev/nvme0n1p2", DRIVE_FIXED);
        row("logical volume", "xfs", "/dev/mapper/vg-root", DRIVE_FIXED);
        row("unknown mapper", "ext4", "/dev/mapper/nothing", DRIVE_FIXED);
        row("disk without sys entry", "btrfs", "/dev/vda2", DRIVE_FIXED);
        row("loop", "ext4", "/dev/loop5", DRIVE_FIXED);
        row("zfs dataset", "zfs", "tank/data", DRIVE_FIXED);
    }

    void kinds() {
        QFETCH(QByteArray, fsType);
        QFETCH(QByteArray, source);
        QFETCH(int, expected);
        const LinuxVolumes v(
            table(withRoot("22 21 0:60 / /mnt/x rw - " + fsType + " " + source + " rw\n")),
            sysBlock_);
        QCOMPARE(v.DriveType("/mnt/x/"), expected);
        QCOMPARE(v.DriveType("/mnt/x"), expected);
    }

    void unreadableTable_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << tmp_.path() + "/no-such-file";
        QTest::newRow("folder") << tmp_.path();
    }

    void unreadableTable() {
        QFETCH(QString, path);
        const LinuxVolumes v(path, sysBlock_);
        QCOMPARE(v.DriveRoots(), QStringList{"/"});
        QCOMPARE(v.DriveType("/"), DRIVE_FIXED);
        QCOMPARE(v.DriveType("/home/"), DRIVE_NO_ROOT_DIR);
    }

    void boundedTable_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("unseen");

        QByteArray many;
        for (int i = 0; i < 5000; ++i)
            many += QString("%1 21 0:%1 / /proc/p%1 rw - proc proc rw\n").arg(100 + i).toUtf8();
        many += "9000 21 8:17 / /mnt/late rw - ext4 /dev/sdb1 rw\n";
        QTest::newRow("lines") << withRoot(many) << 1 << "/"
                               << "/mnt/late/";

        QByteArray drives;
        for (int i = 0; i < 200; ++i)
            drives += QString("%1 21 0:%1 / /mnt/ram%2 rw - tmpfs tmpfs rw\n")
                          .arg(100 + i)
                          .arg(i)
                          .toUtf8();
        QTest::newRow("drives") << withRoot(drives) << 64 << "/mnt/ram62/"
                                << "/mnt/ram63/";

        const QByteArray huge = "22 21 8:17 / /mnt/" + QByteArray(1 << 20, 'a') +
                                " rw - ext4 /dev/sdb1 rw\n"
                                "23 21 8:18 / /mnt/good rw - ext4 /dev/sdb2 rw\n";
        QTest::newRow("long line") << withRoot(huge) << 2 << "/mnt/good/"
                                   << "";
        QTest::newRow("long unended line")
            << withRoot("23 21 8:18 / /mnt/good rw - ext4 /dev/sdb2 rw\n" +
                        QByteArray(1 << 20, 'b'))
            << 2 << "/mnt/good/"
            << "";
    }

    void boundedTable() {
        QFETCH(QByteArray, text);
        QFETCH(int, count);
        QFETCH(QString, last);
        QFETCH(QString, unseen);
        const QStringList roots = LinuxVolumes(table(text), sysBlock_).DriveRoots();
        QCOMPARE(roots.size(), count);
        QCOMPARE(roots.first(), "/");
        QCOMPARE(roots.last(), last);
        if (!unseen.isEmpty()) QVERIFY(!roots.contains(unseen));
    }

    // The machine's own table: only what holds everywhere.
    void realSystem() {
        const LinuxVolumes v;
        const QStringList roots = v.DriveRoots();
        QVERIFY(!roots.isEmpty());
        QCOMPARE(roots.first(), "/");
        QCOMPARE(QSet<QString>(roots.begin(), roots.end()).size(), roots.size());
        for (const QString& r : roots) QVERIFY2(r.endsWith('/'), qPrintable(r));
        const int kind = v.DriveType("/");
        QVERIFY2(kind >= DRIVE_REMOVABLE && kind <= DRIVE_RAMDISK,
                 qPrintable(QString::number(kind)));
    }
};

KVO_TEST_MAIN_CORE(VolumesTest)
#include "tst_platform_volumes.moc"
