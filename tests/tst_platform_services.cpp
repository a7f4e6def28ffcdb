#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "TestEnv.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

namespace {
const QString kVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// "ro"/"rw" from the listing, then from the single-path query; the two must agree.
QString writability(const QString& dir, const QString& name) {
    std::vector<DirEntry> all;
    PosixFileSystem().ListDirectory(dir, &all);
    const auto listed =
        std::find_if(all.begin(), all.end(), [&](auto& e) { return e.name == name; });
    const auto single = PosixFileSystem().GetFileAttributes(dir + "/" + name);
    if (listed == all.end() || !single) return "missing";
    auto text = [](quint32 a) { return a & FileAttr::ReadOnly ? "ro" : "rw"; };
    return QString(text(listed->attributes)) + ' ' + text(*single);
}

long openKey(Registry& reg, HKEY root, const QString& path, HKEY* key) {
    return reg.RegOpenKeyEx(root, path, 0, KEY_ALL_ACCESS, key);
}

// A text value through the raw calls: size first, then the data.
QByteArray queryText(Registry& reg, HKEY key, const QString& name) {
    quint32 type = 0, size = 0;
    if (reg.RegQueryValueEx(key, name, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return "<failed>";
    QByteArray data(size, 'x');
    if (reg.RegQueryValueEx(key, name, &type, data.data(), &size) != ERROR_SUCCESS) return "<f>";
    return data;
}
}  // namespace

class TestPlatformServices : public QObject {
    Q_OBJECT

    QTemporaryDir folder_{QDir::homePath() + "/listingXXXXXX"};
    QString path(const QString& name) const { return folder_.filePath(name); }
    const QDateTime photoTime_ = QDateTime(QDate(2021, 6, 15), QTime(12, 34, 56, 789), Qt::UTC);

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        writeFile(path("photo.jpg"), QByteArray(12345, 'p'));
        QFile photo(path("photo.jpg"));
        QVERIFY(photo.open(QIODevice::ReadWrite));
        QVERIFY(photo.setFileTime(photoTime_, QFileDevice::FileModificationTime));
        writeFile(path(".hidden.gif"), "g");
        QVERIFY(QDir(folder_.path()).mkdir("sub"));
        QVERIFY(QDir(folder_.path()).mkdir(".config"));
        QCOMPARE(symlink("missing-target", QFile::encodeName(path("broken.jpg"))), 0);
        QCOMPARE(symlink("sub", QFile::encodeName(path("link-to-sub"))), 0);
    }

    void matchesPattern_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        // clang-format off
        QTest::newRow("non-ASCII case") << "ÄRGER.gif" << "ärger.GIF" << true;
        QTest::newRow("extension not last") << "dog.jpg.txt" << "*.jpg" << false;
        QTest::newRow("literal must cover name") << "photo.jpg" << "photo.jp" << false;
        QTest::newRow("star matches nothing") << ".jpg" << "*.jpg" << true;
        QTest::newRow("question not two") << "ab.jpg" << "?.jpg" << false;
        QTest::newRow("question takes emoji") << "x😀y" << "x?y" << true;
        QTest::newRow("star needs retry") << "abcabd" << "*abd" << true;
        QTest::newRow("all files without dot") << "readme" << "*.*" << true;
        QTest::newRow("prefix must still match") << "readme" << "read.*" << false;
        // A backtracking matcher takes exponential time here; ctest's timeout catches it.
        QTest::newRow("many stars, no b") << QString(20000, 'a') << "*a*a*a*a*a*a*a*a*b" << false;
        // clang-format on
    }
    void matchesPattern() {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(MatchesPattern(name, pattern), matches);
    }

    void findEntries_data() {
        QTest::addColumn<quint32>("mask");
        QTest::addColumn<QStringList>("names");
        using namespace FileAttr;
        // clang-format off
        QTest::newRow("files") << 33u << QStringList{"r.jpg", "b.JPG"};
        QTest::newRow("and hidden") << 35u << QStringList{"r.jpg", "b.JPG", ".h.jpg"};
        QTest::newRow("and folders") << (Directory | 33u) << QStringList{"r.jpg", "b.JPG", "d.jpg"};
        QTest::newRow("everything") << (Directory | Hidden | System)
                                    << QStringList{"r.jpg", "b.JPG", ".h.jpg", "d.jpg", ".d.jpg",
                                                   "s.jpg"};
        // clang-format on
    }
    // Read-only never excludes; hidden, system and folder only when the mask has them all.
    void findEntries() {
        QFETCH(quint32, mask);
        QFETCH(QStringList, names);
        using namespace FileAttr;
        const std::vector<DirEntry> entries = {
            {"r.jpg", ReadOnly | Archive}, {"b.JPG", Archive},
            {".h.jpg", Hidden | Archive},  {"x.gif", Archive},
            {"d.jpg", Directory},          {".d.jpg", Directory | Hidden},
            {"s.jpg", System | Archive}};
        QStringList found;
        for (const DirEntry& e : FindEntries(entries, "*.jpg", mask)) found << e.name;
        QCOMPARE(found, names);
    }

    // Every entry once, without "." and ".."; the single-path query agrees with the listing.
    void listingAndAttributes() {
        const PosixFileSystem fs;
        std::vector<DirEntry> entries;
        QVERIFY(fs.ListDirectory(folder_.path(), &entries));
        QStringList listed;
        for (const DirEntry& e : entries) {
            listed << e.name + ' ' + QString::number(e.attributes);
            if (e.name == "photo.jpg") {
                QCOMPARE(e.size, qint64(12345));
                QCOMPARE(e.mtimeMs, photoTime_.toMSecsSinceEpoch());
            }
            QCOMPARE(fs.GetFileAttributes(path(e.name)).value_or(~0u), e.attributes);
            if (e.attributes & FileAttr::Directory)  // "sub/" names the folder too
                QCOMPARE(fs.GetFileAttributes(path(e.name) + "/").value_or(~0u), e.attributes);
        }
        listed.sort();
        // Archive 32, Directory 16, Hidden 2; a dangling link is a plain file.
        QCOMPARE(listed, QStringList({".config 18", ".hidden.gif 34", "broken.jpg 32",
                                      "link-to-sub 16", "photo.jpg 32", "sub 16"}));
    }

    // Read-only means the running user cannot write it: root may write anything.
    void readOnlyFollowsWhoMayWrite() {
        QTemporaryDir dir;  // under /tmp, which every user may enter
        const QString d = dir.path();
        QCOMPARE(chmod(QFile::encodeName(d), 0755), 0);
        for (const auto& [name, mode] :
             {std::pair("locked.jpg", 0444), {"mine.jpg", 0644}, {"shared.jpg", 0666}}) {
            writeFile(d + "/" + name, "x");
            QCOMPARE(chmod(QFile::encodeName(d + "/" + name), mode), 0);
        }
        const bool root = geteuid() == 0;
        QCOMPARE(writability(d, "locked.jpg"), root ? "rw rw" : "ro ro");
        QCOMPARE(writability(d, "mine.jpg"), "rw rw");
        if (!root) return;

        const auto backToRoot = qScopeGuard([] {
            if (seteuid(0) != 0 || setegid(0) != 0) qFatal("cannot return to root");
        });
        if (setegid(65534) != 0 || seteuid(65534) != 0) QSKIP("cannot act as another user here");
        QCOMPARE(writability(d, "locked.jpg"), "ro ro");
        QCOMPARE(writability(d, "mine.jpg"), "ro ro");
        QCOMPARE(writability(d, "shared.jpg"), "rw rw");
    }

    void registryAnswersOwnerAndOrganization_data() {
        QTest::addColumn<QString>("keyPath");
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<bool>("installedLater");  // no SystemInfo of its own
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("owner") << kVersionKey << "RegisteredOwner" << false << "Zoë Ångström";
        QTest::newRow("organization") << kVersionKey << "RegisteredOrganization" << false << "Acme";
        QTest::newRow("case, doubled separators")
            << "SOFTWARE\\\\microsoft\\Windows\\currentVERSION\\" << "registeredowner" << false
            << "Zoë Ångström";
        QTest::newRow("system installed later") << kVersionKey << "RegisteredOwner" << true
                                                << "Zoë Ångström";
        // clang-format on
    }
    void registryAnswersOwnerAndOrganization() {
        QFETCH(QString, keyPath);
        QFETCH(QString, valueName);
        QFETCH(bool, installedLater);
        QFETCH(QString, expected);
        auto system = std::make_unique<FakeSystemInfo>();
        system->owner = "Zoë Ångström";
        system->organization = "Acme";
        MemoryRegistry reg(installedLater ? nullptr : system.get());
        if (installedLater) Platform::SetSystem(std::move(system));
        const auto restore =
            qScopeGuard([] { Platform::SetSystem(std::make_unique<LinuxSystemInfo>()); });
        HKEY key = 0;
        QCOMPARE(openKey(reg, HKEY_LOCAL_MACHINE, keyPath, &key), ERROR_SUCCESS);
        QCOMPARE(queryText(reg, key, valueName), expected.toUtf8() + '\0');
        QCOMPARE(reg.RegCloseKey(key), ERROR_SUCCESS);
    }

    void registryFailures() {
        FakeSystemInfo system;
        system.owner = "Owner";
        MemoryRegistry reg(&system);
        HKEY key = 0;
        quint32 type = 0, size = 0;
        QCOMPARE(openKey(reg, HKEY_LOCAL_MACHINE, "Software\\Nobody", &key), ERROR_FILE_NOT_FOUND);
        QCOMPARE(openKey(reg, HKEY_LOCAL_MACHINE, "Software\\Microsoft", &key), ERROR_SUCCESS);
        QCOMPARE(reg.RegQueryValueEx(key, "RegisteredOwner", &type, nullptr, &size),
                 ERROR_FILE_NOT_FOUND);  // lives one key deeper
        QCOMPARE(openKey(reg, HKEY_LOCAL_MACHINE, kVersionKey, &key), ERROR_SUCCESS);
        char small[3] = {};
        size = sizeof small;
        QCOMPARE(reg.RegQueryValueEx(key, "RegisteredOwner", &type, small, &size), ERROR_MORE_DATA);
        QCOMPARE(size, 6u);  // what the caller must offer
        QCOMPARE(reg.RegQueryValueEx(key, "NoSuchValue", &type, nullptr, &size),
                 ERROR_FILE_NOT_FOUND);
        QCOMPARE(reg.RegCloseKey(key), ERROR_SUCCESS);
        QCOMPARE(reg.RegQueryValueEx(key, "RegisteredOwner", &type, nullptr, &size),
                 ERROR_INVALID_HANDLE);
        QCOMPARE(reg.RegSetValueEx(key, "x", 0, REG_SZ, "a", 2), ERROR_INVALID_HANDLE);
        QCOMPARE(reg.RegCloseKey(key), ERROR_INVALID_HANDLE);
        QCOMPARE(openKey(reg, 12345, "Anything", &key), ERROR_INVALID_HANDLE);
    }

    void systemInfo() {
        const LinuxSystemInfo system;
        const QString expected = qEnvironmentVariable("XDG_DATA_HOME") + "/Kvo View/";
        QDir(expected).removeRecursively();
        QCOMPARE(system.WindowsDirectory(), expected);
        QVERIFY(QFileInfo(expected).isDir());

        qputenv("ORGANIZATION", "Acme Pictures");
        QCOMPARE(system.RegisteredOrganization(), QString("Acme Pictures"));
        qunsetenv("ORGANIZATION");
        QVERIFY(system.RegisteredOrganization().isEmpty());
        QVERIFY(!system.RegisteredOwner().isEmpty());

        const QString root = system.VolumeRoot(folder_.path());
        QVERIFY(root.endsWith('/'));
        QVERIFY((folder_.path() + '/').startsWith(root));
        // A path that does not exist yet belongs to its nearest folder's volume.
        QCOMPARE(system.VolumeRoot(path("not/yet/there.jpg")), root);
    }
};

KVO_TEST_MAIN_CORE(TestPlatformServices)
#include "tst_platform_services.moc"
