#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>

#include "TestEnv.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

namespace {
void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

std::optional<DirEntry> entryNamed(const QString& dir, const QString& name) {
    std::vector<DirEntry> entries;
    if (!PosixFileSystem().ListDirectory(dir, &entries)) return std::nullopt;
    for (const DirEntry& e : entries)
        if (e.name == name) return e;
    return std::nullopt;
}

bool listedReadOnly(const QString& dir, const QString& name) {
    const auto e = entryNamed(dir, name);
    return e && (e->attributes & FileAttr::ReadOnly);
}

// Runs the rest of a scope as another user (root only); restores root after.
class EffectiveUser {
public:
    explicit EffectiveUser(uid_t id) : ok_(setegid(id) == 0 && seteuid(id) == 0) {}
    ~EffectiveUser() {
        if (seteuid(0) != 0 || setegid(0) != 0) qFatal("cannot return to root");
    }
    bool ok() const { return ok_; }

private:
    bool ok_;
};

// The first value of a local-machine version key, through the raw calls.
QByteArray queryText(Registry& reg, HKEY key, const QString& name, long* status) {
    quint32 type = 0, size = 0;
    *status = reg.RegQueryValueEx(key, name, &type, nullptr, &size);
    if (*status != ERROR_SUCCESS || type != REG_SZ) return {};
    QByteArray data(size, 'x');
    *status = reg.RegQueryValueEx(key, name, &type, data.data(), &size);
    return data;
}
}  // namespace

class TestPlatformServices : public QObject {
    Q_OBJECT

    QTemporaryDir folder_{QDir::homePath() + "/listingXXXXXX"};
    QString path(const QString& name) const { return folder_.filePath(name); }
    // Noon in June 2021, UTC, with milliseconds the listing must keep.
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
        QTest::newRow("case ignored") << "dog.JPEG" << "*.jpeg" << true;
        QTest::newRow("non-ASCII case") << "ÄRGER.gif" << "ärger.GIF" << true;
        QTest::newRow("longer extension") << "dog.jpeg" << "*.jpg" << false;
        QTest::newRow("extension not last") << "dog.jpg.txt" << "*.jpg" << false;
        QTest::newRow("literal must cover name") << "photo.jpg" << "photo.jp" << false;
        QTest::newRow("star matches nothing") << ".jpg" << "*.jpg" << true;
        QTest::newRow("question one char") << "a.jpg" << "?.jpg" << true;
        QTest::newRow("question not two") << "ab.jpg" << "?.jpg" << false;
        QTest::newRow("question takes dot") << "a.b" << "a?b" << true;
        QTest::newRow("question takes emoji") << "x😀y" << "x?y" << true;
        QTest::newRow("star needs retry") << "abcabd" << "*abd" << true;
        QTest::newRow("two stars") << "mississippi" << "m*iss*ppi" << true;
        QTest::newRow("all files") << "read.me" << "*.*" << true;
        QTest::newRow("all files without dot") << "readme" << "*.*" << true;
        QTest::newRow("any extension or none") << "readme" << "readme.*" << true;
        QTest::newRow("prefix must still match") << "readme" << "read.*" << false;
        QTest::newRow("empty name") << "" << "*" << true;
        QTest::newRow("many stars, no b") << QString(20000, 'a') << "*a*a*a*a*a*a*a*a*b" << false;
        QTest::newRow("many stars, b at end") << QString(5000, 'a') + "b" << "*a*a*a*a*b" << true;
        QTest::newRow("many questions") << QString(3000, 'a') << "*" + QString(40, '?') + "b"
                                        << false;
        // clang-format on
    }

    // Inputs that take exponential time in a backtracking matcher run here
    // too: the ctest timeout is what catches a regression.
    void matchesPattern() {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(MatchesPattern(name, pattern), matches);
    }

    void attributeMask_data() {
        using namespace FileAttr;
        QTest::addColumn<quint32>("attributes");
        QTest::addColumn<quint32>("mask");
        QTest::addColumn<bool>("passes");
        // clang-format off
        QTest::newRow("file, files mask") << Archive << 33u << true;
        QTest::newRow("plain, no mask") << Normal << 0u << true;
        QTest::newRow("read-only never excludes") << (ReadOnly | Archive) << 0u << true;
        QTest::newRow("hidden, files mask") << (Hidden | Archive) << 33u << false;
        QTest::newRow("hidden, hidden mask") << (Hidden | Archive) << 35u << true;
        QTest::newRow("folder, files mask") << Directory << 33u << false;
        QTest::newRow("folder, folder mask") << Directory << (Directory | 33u) << true;
        QTest::newRow("hidden folder, folder mask") << (Directory | Hidden) << Directory << false;
        QTest::newRow("hidden folder, all") << (Directory | Hidden) << (Directory | Hidden) << true;
        QTest::newRow("system file") << (System | Archive) << 35u << false;
        // clang-format on
    }

    void attributeMask() {
        QFETCH(quint32, attributes);
        QFETCH(quint32, mask);
        QFETCH(bool, passes);
        QCOMPARE(PassesAttributeMask(attributes, mask), passes);
    }

    void findEntriesKeepsListingOrder() {
        const std::vector<DirEntry> entries = {{"b.JPG", FileAttr::Archive},
                                               {"x.gif", FileAttr::Archive},
                                               {".a.jpg", FileAttr::Archive | FileAttr::Hidden},
                                               {"a.jpg", FileAttr::Archive},
                                               {"dir.jpg", FileAttr::Directory}};
        QStringList names;
        for (const DirEntry& e : FindEntries(entries, "*.jpg", 33)) names << e.name;
        QCOMPARE(names, QStringList({"b.JPG", "a.jpg"}));
    }

    void listsEveryEntryOnce() {
        std::vector<DirEntry> entries;
        QVERIFY(PosixFileSystem().ListDirectory(folder_.path(), &entries));
        QStringList names;
        for (const DirEntry& e : entries) names << e.name;
        names.sort();
        QCOMPARE(names, QStringList({".config", ".hidden.gif", "broken.jpg", "link-to-sub",
                                     "photo.jpg", "sub"}));
    }

    void attributes_data() {
        using namespace FileAttr;
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint32>("attributes");
        // clang-format off
        QTest::newRow("file") << "photo.jpg" << Archive;
        QTest::newRow("hidden file") << ".hidden.gif" << (Archive | Hidden);
        QTest::newRow("folder") << "sub" << Directory;
        QTest::newRow("hidden folder") << ".config" << (Directory | Hidden);
        QTest::newRow("link to folder") << "link-to-sub" << Directory;
        QTest::newRow("dangling link") << "broken.jpg" << Archive;
        // clang-format on
    }

    // The listing and the single-path query must agree.
    void attributes() {
        QFETCH(QString, name);
        QFETCH(quint32, attributes);
        const auto listed = entryNamed(folder_.path(), name);
        QVERIFY(listed);
        QCOMPARE(listed->attributes, attributes);
        QCOMPARE(PosixFileSystem().GetFileAttributes(path(name)).value_or(~0u), attributes);
        if (attributes & FileAttr::Directory)  // "sub/" names the folder; "photo.jpg/" nothing
            QCOMPARE(PosixFileSystem().GetFileAttributes(path(name) + "/").value_or(~0u),
                     attributes);
    }

    void sizeAndDate() {
        const PosixFileSystem fs;
        const auto listed = entryNamed(folder_.path(), "photo.jpg");
        QVERIFY(listed);
        QCOMPARE(listed->size, qint64(12345));
        QCOMPARE(listed->mtimeMs, photoTime_.toMSecsSinceEpoch());
        QCOMPARE(fs.FileLen(path("photo.jpg")).value_or(-1), qint64(12345));
        const auto when = fs.FileDateTime(path("photo.jpg"));
        QVERIFY(when);
        QCOMPARE(when->timeSpec(), Qt::LocalTime);
        QCOMPARE(*when, photoTime_);
    }

    void missingPaths() {
        const PosixFileSystem fs;
        const QString missing = path("no-such-file.jpg");
        QVERIFY(!fs.GetFileAttributes(missing));
        QVERIFY(!fs.FileLen(missing));
        QVERIFY(!fs.FileDateTime(missing));
        std::vector<DirEntry> entries{{"stale"}};
        QVERIFY(!fs.ListDirectory(path("no-such-folder"), &entries));
        QVERIFY(entries.empty());
    }

    // A name that is not valid UTF-8 is still listed, from its raw bytes.
    void undecodableName() {
        QTemporaryDir dir(QDir::homePath() + "/bytesXXXXXX");
        const QByteArray raw = QFile::encodeName(dir.path()) + "/bad\xff\xfe.jpg";
        const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        // QDir cannot remove a name it cannot encode back.
        const auto removeRaw = qScopeGuard([&] { ::unlink(raw.constData()); });
        QCOMPARE(::write(fd, "abc", 3), 3);
        ::close(fd);
        std::vector<DirEntry> entries;
        QVERIFY(PosixFileSystem().ListDirectory(dir.path(), &entries));
        QCOMPARE(entries.size(), size_t(1));
        QVERIFY(entries[0].name.startsWith("bad"));
        QVERIFY(entries[0].name.endsWith(".jpg"));
        QCOMPARE(entries[0].size, qint64(3));
    }

    // Read-only means the user running the program cannot write the file.
    // Root may write anything on a writable volume, so root sees no
    // read-only files there; any other user sees files it has no write
    // permission for as read-only.
    void readOnlyFollowsWhoMayWrite() {
        QTemporaryDir dir;  // under /tmp, which every user may enter
        QVERIFY(QFile::setPermissions(
            dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                            QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
        const QString d = dir.path();
        writeFile(d + "/locked.jpg", "x");
        writeFile(d + "/mine.jpg", "x");
        writeFile(d + "/shared.jpg", "x");
        QCOMPARE(chmod(QFile::encodeName(d + "/locked.jpg"), 0444), 0);
        QCOMPARE(chmod(QFile::encodeName(d + "/mine.jpg"), 0644), 0);
        QCOMPARE(chmod(QFile::encodeName(d + "/shared.jpg"), 0666), 0);
        const PosixFileSystem fs;
        auto singleReadOnly = [&](const char* name) {
            return bool(*fs.GetFileAttributes(d + "/" + name) & FileAttr::ReadOnly);
        };

        const bool root = geteuid() == 0;
        QCOMPARE(listedReadOnly(d, "locked.jpg"), !root);
        QCOMPARE(singleReadOnly("locked.jpg"), !root);
        QCOMPARE(listedReadOnly(d, "mine.jpg"), false);
        if (!root) return;

        const uid_t nobody = 65534;
        EffectiveUser other(nobody);
        if (!other.ok()) QSKIP("cannot act as another user here");
        QCOMPARE(listedReadOnly(d, "locked.jpg"), true);
        QCOMPARE(listedReadOnly(d, "mine.jpg"), true);
        QCOMPARE(singleReadOnly("mine.jpg"), true);
        QCOMPARE(listedReadOnly(d, "shared.jpg"), false);
        QCOMPARE(singleReadOnly("shared.jpg"), false);
    }

    void registryAnswersOwnerAndOrganization_data() {
        QTest::addColumn<QString>("keyPath");
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QString>("expected");
        const QString key = "Software\\Microsoft\\Windows\\CurrentVersion";
        // clang-format off
        QTest::newRow("owner") << key << "RegisteredOwner" << "Zoë Ångström";
        QTest::newRow("organization") << key << "RegisteredOrganization" << "Acme";
        QTest::newRow("any letter case") << "SOFTWARE\\microsoft\\Windows\\currentVERSION"
                                         << "registeredowner" << "Zoë Ångström";
        QTest::newRow("doubled separators") << "Software\\\\Microsoft\\Windows\\CurrentVersion\\"
                                            << "RegisteredOwner" << "Zoë Ångström";
        // clang-format on
    }

    void registryAnswersOwnerAndOrganization() {
        QFETCH(QString, keyPath);
        QFETCH(QString, valueName);
        QFETCH(QString, expected);
        FakeSystemInfo system;
        system.owner = "Zoë Ångström";
        system.organization = "Acme";
        MemoryRegistry reg(&system);
        HKEY key = 0;
        QCOMPARE(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_ALL_ACCESS, &key),
                 ERROR_SUCCESS);

        quint32 type = 0, size = 0;
        QCOMPARE(reg.RegQueryValueEx(key, valueName, &type, nullptr, &size), ERROR_SUCCESS);
        QCOMPARE(type, REG_SZ);
        QCOMPARE(size, quint32(expected.toUtf8().size() + 1));

        long status = 0;
        QCOMPARE(queryText(reg, key, valueName, &status), expected.toUtf8() + '\0');
        QCOMPARE(status, ERROR_SUCCESS);
        QCOMPARE(reg.RegCloseKey(key), ERROR_SUCCESS);
    }

    // Without its own SystemInfo the registry asks the installed one when
    // read, so a service installed later still counts.
    void registryReadsInstalledSystemLate() {
        MemoryRegistry reg;
        auto system = std::make_unique<FakeSystemInfo>();
        system->owner = "Late Owner";
        Platform::setSystem(std::move(system));
        HKEY key = 0;
        QCOMPARE(
            reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                             KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
        long status = 0;
        QCOMPARE(queryText(reg, key, "RegisteredOwner", &status), QByteArray("Late Owner\0", 11));
        Platform::setSystem(std::make_unique<LinuxSystemInfo>());
    }

    void registryFailures() {
        FakeSystemInfo system;
        system.owner = "Owner";
        MemoryRegistry reg(&system);
        HKEY key = 0;
        QCOMPARE(reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Nobody", 0, KEY_ALL_ACCESS, &key),
                 ERROR_FILE_NOT_FOUND);
        QCOMPARE(
            reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Microsoft", 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
        quint32 type = 0, size = 0;
        QCOMPARE(reg.RegQueryValueEx(key, "RegisteredOwner", &type, nullptr, &size),
                 ERROR_FILE_NOT_FOUND);  // lives one key deeper
        reg.RegCloseKey(key);

        QCOMPARE(
            reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                             KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
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
        QCOMPARE(reg.RegOpenKeyEx(12345, "Anything", 0, KEY_ALL_ACCESS, &key),
                 ERROR_INVALID_HANDLE);
    }

    void registryKeepsUserValues() {
        MemoryRegistry reg;
        HKEY key = 0;
        QCOMPARE(
            reg.RegOpenKeyEx(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
        QVERIFY(reg.keys.isEmpty());  // opening creates nothing
        QCOMPARE(reg.RegSetValueEx(key, "TileWallpaper", 0, REG_SZ, "1", 2), ERROR_SUCCESS);
        reg.RegCloseKey(key);
        QCOMPARE(reg.keys.value("hkcu\\control panel\\desktop").value("tilewallpaper").data,
                 QByteArray("1\0", 2));

        QCOMPARE(
            reg.RegOpenKeyEx(HKEY_CURRENT_USER, "CONTROL PANEL\\desktop", 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
        long status = 0;
        QCOMPARE(queryText(reg, key, "tileWallpaper", &status), QByteArray("1\0", 2));
    }

    void steadyClock() {
        const SteadyClock clock;
        const quint32 first = clock.timeGetTime();
        const quint32 second = clock.timeGetTime();
        QVERIFY(qint32(second - first) >= 0);
        qint32 minimum = 0, maximum = 0;
        QVERIFY(clock.timeGetDevCaps(&minimum, &maximum));
        QVERIFY(minimum >= 1);
        QVERIFY(minimum <= maximum);
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
        QVERIFY(AddSlash(folder_.path()).startsWith(root));
        // A path that does not exist yet belongs to its nearest folder's volume.
        QCOMPARE(system.VolumeRoot(path("not/yet/there.jpg")), root);
    }

private:
    static QString AddSlash(const QString& p) { return p.endsWith('/') ? p : p + '/'; }
};

KVO_TEST_MAIN_CORE(TestPlatformServices)
#include "tst_platform_services.moc"
