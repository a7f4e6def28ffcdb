#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "TestEnv.h"
#include "platform/Volumes.h"

namespace {
// One mount table line; each mount gets a device number of its own unless one is given.
QByteArray m(const QByteArray& point, const QByteArray& type, const QByteArray& source,
             const QByteArray& dev = {}, const QByteArray& root = "/") {
    static int minor = 100;
    return "30 21 " + (dev.isEmpty() ? "0:" + QByteArray::number(++minor) : dev) + ' ' + root +
           ' ' + point + " rw - " + type + ' ' + source + " rw\n";
}

QByteArray withRoot(const QByteArray& lines) {
    return m("/", "ext4", "/dev/sda2", "8:2") + lines;
}

// System mounts, removable media, network shares, RAM drives, a snap, a bind mount,
// the root and a disk mounted twice, and a folder mounted over.
QByteArray desktop() {
    return withRoot(
        m("/proc", "proc", "proc") + m("/boot/efi", "vfat", "/dev/sda1") +
        m("/home", "ext4", "/dev/nvme0n1p2", "259:2") + m("/srv/www", "ext4", "/dev/sda4") +
        m("/tmp", "tmpfs", "tmpfs") + m("/run/user/1000", "tmpfs", "tmpfs") +
        m("/snap/core22/864", "squashfs", "/dev/loop0") +
        m("/run/media/alice/USB\\040STICK", "vfat", "/dev/sdb1") +
        m("/media/cdrom", "iso9660", "/dev/sr0") + m("/mnt/nas", "nfs4", "nas:/export/photos") +
        m("/home/alice/remote", "fuse.sshfs", "alice@server:/srv") +
        m("/srv/x", "ext4", "/dev/nvme0n1p2", "259:2", "/alice/x") +
        m("/mnt/rootagain", "ext4", "/dev/sda2", "8:2") +
        m("/mnt/data", "ext4", "/dev/sdc1", "8:33") +
        m("/media/data", "ext4", "/dev/sdc1", "8:33") + m("/srv/www", "tmpfs", "tmpfs"));
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

    QString table(const QByteArray& text) {
        const QString path = tmp_.path() + QString("/mountinfo%1").arg(++tables_);
        writeFile(path, text);
        return path;
    }

    // sysfs/block/<disk>: a link to the device's folder, whose path tells the bus.
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
        // clang-format off
        QTest::newRow("desktop") << desktop() << QStringList{
            "/", "/home/", "/srv/www/", "/tmp/", "/run/media/alice/USB STICK/", "/media/cdrom/",
            "/mnt/nas/", "/home/alice/remote/", "/mnt/data/"};
        // clang-format on
        QTest::newRow("empty") << QByteArray() << QStringList{"/"};
        QTest::newRow("slash listed later")
            << m("/mnt/ram", "tmpfs", "tmpfs") + m("/mnt/early", "ext4", "/dev/sda2", "8:2") +
                   m("/", "ext4", "/dev/sda2", "8:2")
            << QStringList{"/", "/mnt/ram/"};
        QTest::newRow("optional fields")
            << withRoot(
                   "22 21 8:17 / /mnt/none rw - ext4 /dev/sdb1 rw\n"
                   "23 21 8:18 / /mnt/three rw shared:1 master:2 propagate_from:3 - ext4 "
                   "/dev/sdb2 rw\n"
                   "24 21 8:19 / /mnt/nosuper rw - ext4 /dev/sdb3\n")
            << QStringList{"/", "/mnt/none/", "/mnt/three/", "/mnt/nosuper/"};
        QTest::newRow("escapes") << withRoot(m("/mnt/back\\134slash", "ext4", "/dev/sdb3") +
                                             m("/mnt/o\\477\\099", "ext4", "/dev/sdb4") +
                                             m("/mnt/caf\\303\\251", "ext4", "/dev/sdb5"))
                                 << QStringList{"/", "/mnt/back\\slash/", "/mnt/o\\477\\099/",
                                                QStringLiteral(u"/mnt/caf\u00e9/")};
        QTest::newRow("btrfs subvolumes")
            << QByteArray(
                   "30 1 0:31 /@ / rw - btrfs /dev/sda3 rw,subvolid=256,subvol=/@\n"
                   "31 30 0:31 /@home /home rw - btrfs /dev/sda3 rw,subvol=/@home\n"
                   "32 30 0:31 /@home/alice/x /srv/x rw - btrfs /dev/sda3 rw,subvol=/@home\n"
                   "33 30 0:31 /@home /mnt/home2 rw - btrfs /dev/sda3 rw,subvol=/@home\n")
            << QStringList{"/", "/home/"};
        QTest::newRow("garbage lines")
            << withRoot(
                   "hello world\n"
                   "30 21 8:5 / /mnt/nosep rw ext4 /dev/sda5 rw\n"
                   "32 21 8:7 / /mnt/nosource rw shared:1 - ext4\n"
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
        QTest::newRow("not listed, still known") << "/boot/efi/" << DRIVE_FIXED;
        QTest::newRow("decoded name") << "/run/media/alice/USB STICK/" << DRIVE_REMOVABLE;
        QTest::newRow("mounted over") << "/srv/www/" << DRIVE_RAMDISK;
    }
    void desktopKinds() {
        QFETCH(QString, root);
        QFETCH(int, expected);
        QCOMPARE(LinuxVolumes(table(desktop()), sysBlock_).DriveType(root), expected);
    }

    // One mount at /mnt/x of the given file system type and source.
    void kinds_data() {
        QTest::addColumn<QByteArray>("fsType");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("expected");
        const auto row = [](const char* name, const char* type, const char* source, int kind) {
            QTest::newRow(name) << QByteArray(type) << QByteArray(source) << kind;
        };
        row("nfs4", "nfs4", "server:/", DRIVE_REMOTE);
        row("plain fuse to a host", "fuse", "sshfs#alice@server:/srv", DRIVE_REMOTE);
        row("pooled local fuse", "fuse.mergerfs", "/mnt/a:/mnt/b", DRIVE_FIXED);
        row("iso9660", "iso9660", "/dev/sr0", DRIVE_CDROM);
        row("zram", "ext4", "/dev/zram1", DRIVE_RAMDISK);
        row("usb disk", "ext4", "/dev/sdc1", DRIVE_REMOVABLE);
        row("sd card", "vfat", "/dev/mmcblk0p1", DRIVE_REMOVABLE);
        row("encrypted stick", "ext4", "/dev/mapper/luks-1234", DRIVE_REMOVABLE);
        row("sata partition", "ext4", "/dev/sda3", DRIVE_FIXED);
        row("logical volume", "xfs", "/dev/mapper/vg-root", DRIVE_FIXED);
    }
    void kinds() {
        QFETCH(QByteArray, fsType);
        QFETCH(QByteArray, source);
        QFETCH(int, expected);
        const LinuxVolumes v(table(withRoot(m("/mnt/x", fsType, source))), sysBlock_);
        QCOMPARE(v.DriveType("/mnt/x/"), expected);
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
        QTest::addColumn<QStringList>("expected");  // first and last root, and the count
        QByteArray many, drives;
        for (int i = 0; i < 5000; ++i) many += m("/proc/p", "proc", "proc");
        QTest::newRow("lines") << withRoot(many + m("/mnt/late", "ext4", "/dev/sdb1"))
                               << QStringList{"/", "/", "1"};
        for (int i = 0; i < 200; ++i) drives += m("/mnt/ram" + QByteArray::number(i), "tmpfs", "x");
        QTest::newRow("drives") << withRoot(drives) << QStringList{"/", "/mnt/ram62/", "64"};
        const QByteArray good = m("/mnt/good", "ext4", "/dev/sdb2");
        QTest::newRow("long line, dropped whole")  // even the mount at its end
            << withRoot(QByteArray(1 << 20, ' ') + m("/mnt/tail", "ext4", "x") + good)
            << QStringList{"/", "/mnt/good/", "2"};
    }
    void boundedTable() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, expected);
        const QStringList roots = LinuxVolumes(table(text), sysBlock_).DriveRoots();
        QCOMPARE((QStringList{roots.first(), roots.last(), QString::number(roots.size())}),
                 expected);
    }
};

KVO_TEST_MAIN_CORE(VolumesTest)
#include "tst_platform_volumes.moc"
