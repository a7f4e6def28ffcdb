#include <QCryptographicHash>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include "TestEnv.h"
#include "platform/FileOperation.h"
#include "platform/FileSystem.h"
#include "platform/Trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <functional>

using namespace FileOp;

namespace {
// Answers the engine's questions from a script and records what it asked.
struct ScriptedDialogs : FileOpDialogs {
    QList<ReplaceAnswer> replies;  // taken in turn; No when used up
    bool deleteForGood = false;
    double cancelAt = 2.0;  // fraction of the bytes after which Cancel is pressed
    std::function<void(const QByteArray& current)> onFirstProgress;
    qint64 total = 0;
    int replaceAsked = 0, errors = 0, forGoodAsked = 0, progressCalls = 0;

    ReplaceAnswer AskReplace(const QByteArray&, bool, bool) override {
        ++replaceAsked;
        return replies.isEmpty() ? ReplaceAnswer::No : replies.takeFirst();
    }
    bool AskDelete(const std::vector<QByteArray>&, bool) override { return true; }
    bool AskCreateFolder(const QByteArray&) override { return true; }
    bool AskDeleteForGood(const QByteArray&) override {
        ++forGoodAsked;
        return deleteForGood;
    }
    void BeginProgress(int, qint64 bytes, qint64) override { total = bytes; }
    bool Progress(qint64 done, qint64, const QByteArray& current) override {
        if (progressCalls++ == 0 && onFirstProgress) onFirstProgress(current);
        return total == 0 || double(done) < cancelAt * double(total);
    }
    void EndProgress() override {}
    ErrorAnswer ShowError(const QString& text, bool) override {
        qInfo() << text;
        ++errors;
        return ErrorAnswer::Skip;
    }
};

// Raw paths throughout: a name that is not UTF-8 does not survive QFile.
void put(const QByteArray& path, const QByteArray& bytes) {
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    close(fd);
}

QByteArray get(const QByteArray& path) {
    QByteArray all;
    const int fd = open(path.constData(), O_RDONLY);
    char buf[65536];
    for (ssize_t n; fd >= 0 && (n = read(fd, buf, sizeof buf)) > 0;) all.append(buf, int(n));
    if (fd >= 0) close(fd);
    return all;
}

bool exists(const QByteArray& path) {
    struct stat st;
    return lstat(path.constData(), &st) == 0;
}

QByteArray content(int seed, int size) {
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i) b[i] = char((i * 131 + seed * 7) >> 3);
    return b;
}

// Every entry under root by relative path: "D", "L:<target>" or "F:<hash>".
using Snapshot = QMap<QByteArray, QByteArray>;
void snap(const QByteArray& root, const QByteArray& rel, Snapshot& out) {
    DIR* d = opendir((root + rel).constData());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        const QByteArray name = e->d_name;
        if (name == "." || name == "..") continue;
        const QByteArray r = rel + '/' + name, full = root + r;
        struct stat st;
        lstat(full.constData(), &st);
        if (S_ISDIR(st.st_mode)) {
            out[r] = "D";
            snap(root, r, out);
        } else if (S_ISLNK(st.st_mode)) {
            char buf[4096];
            const ssize_t n = readlink(full.constData(), buf, sizeof buf);
            out[r] = "L:" + QByteArray(buf, int(qMax<ssize_t>(n, 0)));
        } else {
            out[r] = "F:" + QCryptographicHash::hash(get(full), QCryptographicHash::Sha1).toHex();
        }
    }
    closedir(d);
}
Snapshot snapshot(const QByteArray& root) {
    Snapshot s;
    snap(root, {}, s);
    return s;
}

enum class Fault { None, DiskFull, SourceUnreadable, ReadOnlyDest, Cancel, SourceVanishes };

bool canMount = false;
}  // namespace

class TestFileOps : public QObject {
    Q_OBJECT
    QTemporaryDir base_{QStringLiteral("/tmp/kvo-fileops-XXXXXX")};
    QByteArray dir(const QByteArray& name) {
        const QByteArray d = QFile::encodeName(base_.path()) + '/' + name;
        mkdir(d.constData(), 0777);
        chmod(d.constData(), 0777);
        return d;
    }
    // A photo folder: big files, small ones, a folder, a link, and two names
    // that are not UTF-8 and read the same as text.
    QByteArray photos(const QByteArray& name) {
        const QByteArray d = dir(name) + "/photos";
        mkdir(d.constData(), 0777);
        for (int i = 0; i < 6; ++i)
            put(d + "/big" + QByteArray::number(i) + ".jpg", content(i, 3 << 20));
        mkdir((d + "/sub").constData(), 0777);
        for (int i = 0; i < 5; ++i)
            put(d + "/sub/s" + QByteArray::number(i) + ".gif", content(i, 999));
        put(d + "/caf\xe9.bmp", "latin-1 e acute");
        put(d + "/caf\xe8.bmp", "latin-1 e grave");
        symlink("big0.jpg", (d + "/link.jpg").constData());
        chmod(base_.path().toLocal8Bit().constData(), 0777);
        return d;
    }

private slots:
    void cleanupTestCase() {
        // QTemporaryDir cannot remove names that are not UTF-8; the engine can.
        ScriptedDialogs ui;
        SHFILEOPSTRUCT op{0,
                          FO_DELETE,
                          MakePathList({QFile::encodeName(base_.path())}),
                          {},
                          FOF_NOCONFIRMATION | FOF_SILENT};
        QCOMPARE(RunFileOperation(op, ui), Ok);
    }

    void initTestCase() {
        signal(SIGXFSZ, SIG_IGN);
        // A private mount namespace lets root mount small volumes for the
        // disk-full and cross-volume cases without touching the machine.
        canMount = geteuid() == 0 && unshare(CLONE_NEWNS) == 0 &&
                   mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }

    void pathLists_data() {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArrayList>("paths");
        QTest::newRow("two") << QByteArray("/a\0/b\0\0", 7) << QByteArrayList{"/a", "/b"};
        QTest::newRow("unclosed") << QByteArray("/a") << QByteArrayList{"/a"};
        QTest::newRow("empty entry ends it")
            << QByteArray("/a\0\0/b\0\0", 8) << QByteArrayList{"/a"};
        QTest::newRow("parent entry first") << QByteArray("\0/b\0\0", 5) << QByteArrayList{};
    }
    void pathLists() {
        QFETCH(QByteArray, list);
        QFETCH(QByteArrayList, paths);
        const std::vector<QByteArray> got = SplitPathList(list);
        QCOMPARE(QByteArrayList(got.begin(), got.end()), paths);
        QCOMPARE(MakePathList({"/a", "/b"}), QByteArray("/a\0/b\0\0", 7));
    }

    // Whatever goes wrong, no file is lost and no name holds part of a file.
    void faults_data() {
        QTest::addColumn<int>("func");
        QTest::addColumn<int>("fault");
        QTest::addColumn<double>("at");
        QTest::addColumn<bool>("crossVolume");
        const int C = FO_COPY, M = FO_MOVE;
        auto row = [](const char* n, int f, Fault x, double at = 0, bool cross = false) {
            QTest::newRow(n) << f << int(x) << at << cross;
        };
        row("copy", C, Fault::None);
        row("move", M, Fault::None);
        row("move across volumes", M, Fault::None, 0, true);
        row("copy, disk full", C, Fault::DiskFull);
        row("move across, disk full", M, Fault::DiskFull, 0, true);
        row("copy, unreadable source", C, Fault::SourceUnreadable);
        row("copy, read-only destination", C, Fault::ReadOnlyDest);
        row("move, read-only destination", M, Fault::ReadOnlyDest);
        row("copy, cancel at 10%", C, Fault::Cancel, 0.1);
        row("copy, cancel at 50%", C, Fault::Cancel, 0.5);
        row("copy, cancel at 90%", C, Fault::Cancel, 0.9);
        row("move across, cancel at 50%", M, Fault::Cancel, 0.5, true);
        row("copy, source vanishes", C, Fault::SourceVanishes);
        row("move across, source vanishes", M, Fault::SourceVanishes, 0, true);
    }
    void faults() {
        QFETCH(int, func);
        QFETCH(int, fault);
        QFETCH(double, at);
        QFETCH(bool, crossVolume);
        static int rowNo = 0;
        const QByteArray n = QByteArray::number(++rowNo);
        const QByteArray src = photos("src" + n);
        const QByteArray dst = dir("dst" + n);
        const Fault f = Fault(fault);
        const bool realVolume = canMount && (crossVolume || f == Fault::DiskFull);
        if (realVolume) {
            const QByteArray size = f == Fault::DiskFull ? "size=8m" : "size=64m";
            QVERIFY(mount("tmpfs", dst.constData(), "tmpfs", 0, size.constData()) == 0);
        }
        rlimit oldLimit;
        getrlimit(RLIMIT_FSIZE, &oldLimit);
        if (f == Fault::DiskFull && !realVolume) {
            const rlimit small{2 << 20, oldLimit.rlim_max};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        if (f == Fault::SourceUnreadable) chmod((src + "/big3.jpg").constData(), 0);
        if (f == Fault::ReadOnlyDest) chmod(dst.constData(), 0555);
        const Snapshot before = snapshot(src);

        ScriptedDialogs ui;
        if (f == Fault::Cancel) ui.cancelAt = at;
        QByteArray gone;  // a file not yet copied, deleted when the first one is done
        if (f == Fault::SourceVanishes)
            ui.onFirstProgress = [&](const QByteArray& current) {
                gone = current.endsWith("/big5.jpg") ? "/big4.jpg" : "/big5.jpg";
                unlink((src + gone).constData());
            };
        SHFILEOPSTRUCT op;
        op.wFunc = func;
        op.pFrom = MakePathList({src});
        op.pTo = MakePathList({dst + "/photos"});
        op.fFlags = FOF_MULTIDESTFILES;
        FileOpOptions options;
        options.forceCrossVolume = crossVolume && !realVolume;
        // Root reads and writes past permissions: run those cases as nobody.
        const bool asNobody =
            geteuid() == 0 && (f == Fault::SourceUnreadable || f == Fault::ReadOnlyDest);
        if (asNobody) QVERIFY(seteuid(65534) == 0);
        const int rc = RunFileOperation(op, ui, options);
        if (asNobody) QVERIFY(seteuid(0) == 0);
        setrlimit(RLIMIT_FSIZE, &oldLimit);

        const Snapshot after = snapshot(src), landed = snapshot(dst + "/photos");
        for (auto it = landed.begin(); it != landed.end(); ++it) {
            QVERIFY2(!it.key().contains(".kvo-"), it.key());  // no temporary left
            QVERIFY2(before.value(it.key()) == it.value(), "partial or wrong content: " + it.key());
        }
        for (auto it = before.begin(); it != before.end(); ++it) {
            if (it.key() == gone) continue;
            const bool kept = after.value(it.key()) == it.value();
            const bool arrived = landed.value(it.key()) == it.value();
            QVERIFY2(kept || arrived, "lost: " + it.key());
            if (func == FO_COPY) QVERIFY2(kept, "source changed: " + it.key());
        }
        if (f == Fault::None) {
            QCOMPARE(rc, Ok);
            QCOMPARE(landed, before);
            if (func == FO_MOVE) QVERIFY(after.isEmpty());
        } else {
            QVERIFY(rc != Ok);
            QVERIFY(landed != before);
        }
        if (f == Fault::Cancel) QVERIFY(op.fAnyOperationsAborted);
        chmod(dst.constData(), 0777);
        if (realVolume) umount(dst.constData());
    }

    void conflicts_data() {
        QTest::addColumn<QList<ReplaceAnswer>>("replies");
        QTest::addColumn<QByteArray>("expectA");
        QTest::addColumn<QByteArray>("expectB");
        QTest::addColumn<int>("asked");
        using R = ReplaceAnswer;
        QTest::newRow("yes, no") << QList<R>{R::Yes, R::No} << QByteArray("new a")
                                 << QByteArray("old b") << 2;
        QTest::newRow("yes to all")
            << QList<R>{R::YesToAll} << QByteArray("new a") << QByteArray("new b") << 1;
        QTest::newRow("no, yes") << QList<R>{R::No, R::Yes} << QByteArray("old a")
                                 << QByteArray("new b") << 2;
        QTest::newRow("cancel") << QList<R>{R::Cancel} << QByteArray("old a") << QByteArray("old b")
                                << 1;
    }
    void conflicts() {
        QFETCH(QList<ReplaceAnswer>, replies);
        QFETCH(QByteArray, expectA);
        QFETCH(QByteArray, expectB);
        QFETCH(int, asked);
        for (int func : {FO_COPY, FO_MOVE}) {
            const QByteArray s = dir("cs"), d = dir("cd");
            put(s + "/a", "new a");
            put(s + "/b", "new b");
            put(d + "/a", "old a");
            put(d + "/b", "old b");
            ScriptedDialogs ui;
            ui.replies = replies;
            SHFILEOPSTRUCT op{0, func, MakePathList({s + "/a", s + "/b"}), MakePathList({d}), 0};
            RunFileOperation(op, ui);
            QCOMPARE(ui.replaceAsked, asked);
            for (auto [name, expect] : {std::pair{"/a", expectA}, {"/b", expectB}}) {
                QCOMPARE(get(d + name), expect);
                // A move takes the source away only when it replaced the target.
                QCOMPARE(exists(s + name), func == FO_COPY || expect.startsWith("old"));
            }
            QDir(QFile::decodeName(s)).removeRecursively();
            QDir(QFile::decodeName(d)).removeRecursively();
        }
    }

    // Refused: onto itself, into its own subtree; links are copied as links;
    // raw names reach their own files.
    void shapes() {
        const QByteArray src = photos("shape");
        const Snapshot before = snapshot(src);
        ScriptedDialogs ui;
        SHFILEOPSTRUCT self{0, FO_COPY, MakePathList({src}), MakePathList({src}),
                            FOF_MULTIDESTFILES};
        QCOMPARE(RunFileOperation(self, ui), Failed);
        SHFILEOPSTRUCT inside{0, FO_MOVE, MakePathList({src}), MakePathList({src + "/sub"}), 0};
        QCOMPARE(RunFileOperation(inside, ui), Failed);
        QCOMPARE(snapshot(src), before);
        QCOMPARE(ui.errors, 2);

        const QByteArray out = dir("shape-out");
        SHFILEOPSTRUCT two{0, FO_COPY, MakePathList({src + "/caf\xe9.bmp", src + "/link.jpg"}),
                           MakePathList({out}), FOF_MULTIDESTFILES};
        QCOMPARE(RunFileOperation(two, ui), Ok);
        const Snapshot got = snapshot(out);
        QCOMPARE(got.size(), 2);
        QCOMPARE(got.value("/caf\xe9.bmp"), before.value("/caf\xe9.bmp"));
        QCOMPARE(got.value("/link.jpg"), QByteArray("L:big0.jpg"));
    }

    void trash() {
        const QByteArray d = dir("trash");
        put(d + "/caf\xe9 one.jpg", "1");
        put(d + "/again.jpg", "2");
        ScriptedDialogs ui;
        SHFILEOPSTRUCT op{0, FO_DELETE, MakePathList({d + "/caf\xe9 one.jpg"}), {}, FOF_ALLOWUNDO};
        QCOMPARE(RunFileOperation(op, ui), Ok);
        QVERIFY(!exists(d + "/caf\xe9 one.jpg"));
        const QByteArray home = HomeTrashDir();
        const QByteArray text = get(home + "/info/caf\xe9 one.jpg.trashinfo");
        QVERIFY2(text.startsWith("[Trash Info]\nPath=" + QByteArray(d).toPercentEncoding("/") +
                                 "/caf%E9%20one.jpg\nDeletionDate=20"),
                 text);
        QCOMPARE(get(home + "/files/caf\xe9 one.jpg"), QByteArray("1"));
        // The same name again gets a name of its own.
        put(d + "/caf\xe9 one.jpg", "3");
        QCOMPARE(RunFileOperation(op, ui), Ok);
        QCOMPARE(get(home + "/files/caf\xe9 one.2.jpg"), QByteArray("3"));
        for (const char* item :
             {"/files/caf\xe9 one.jpg", "/files/caf\xe9 one.2.jpg",
              "/info/caf\xe9 one.jpg.trashinfo", "/info/caf\xe9 one.2.jpg.trashinfo"})
            unlink((home + item).constData());  // not UTF-8: would outlive the temporary home

        if (!canMount) QSKIP("no private mounts here: the other-volume trash is not tried");
        const QByteArray vol = dir("volume");
        QVERIFY(mount("tmpfs", vol.constData(), "tmpfs", 0, "size=1m") == 0);
        put(vol + "/x.jpg", "x");
        SHFILEOPSTRUCT there{0, FO_DELETE, MakePathList({vol + "/x.jpg"}), {}, FOF_ALLOWUNDO};
        QCOMPARE(RunFileOperation(there, ui), Ok);
        const QByteArray own = vol + "/.Trash-" + QByteArray::number(uint(getuid()));
        QVERIFY(get(own + "/info/x.jpg.trashinfo")
                    .contains("\nPath=x.jpg\n"));  // relative to the volume's top
        // A volume that cannot take a trash asks before deleting for good.
        put(vol + "/y.jpg", "y");
        QVERIFY(mount(nullptr, vol.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0);
        SHFILEOPSTRUCT ro{
            0, FO_DELETE, MakePathList({vol + "/y.jpg"}), {}, FOF_ALLOWUNDO | FOF_NOCONFIRMATION};
        RunFileOperation(ro, ui);
        QCOMPARE(ui.forGoodAsked, 1);
        QVERIFY(exists(vol + "/y.jpg"));
        umount(vol.constData());
    }

    // A name too long for "<name>.trashinfo" is trashed under a shorter one
    // that keeps its extension and its characters whole; the info file keeps
    // the full path, which is what a file manager restores to.
    void trashLongNames_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("extension");  // what the trash names end in; empty: any
        QTest::newRow("245 bytes, just fits")
            << QByteArray(241, 'x') + ".jpg" << QByteArray(".jpg");
        QTest::newRow("246 bytes") << QByteArray(242, 'x') + ".jpg" << QByteArray(".jpg");
        QByteArray accents;
        for (int i = 0; i < 125; ++i) accents += "\xc3\xa9";
        QTest::newRow("255 bytes of two-byte characters")
            << accents + ".jpeg" << QByteArray(".jpeg");
        QTest::newRow("255 bytes, not UTF-8")
            << QByteArray(251, '\xe9') + ".bmp" << QByteArray(".bmp");
        QTest::newRow("extension too long to keep") << "a." + QByteArray(253, 'x') << QByteArray();
        QTest::newRow("dot file") << "." + QByteArray(254, 'x') << QByteArray();
    }

    void trashLongNames() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, extension);
        const QByteArray d = dir("long"), path = d + '/' + name;
        const QByteArray info = HomeTrashDir() + "/info/", files = HomeTrashDir() + "/files/";
        auto names = [](const QByteArray& folder) {
            QSet<QByteArray> out;
            if (DIR* dd = opendir(folder.constData())) {
                while (dirent* e = readdir(dd))
                    if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
                        out.insert(e->d_name);
                closedir(dd);
            }
            return out;
        };
        // Twice: the second one needs a name of its own too.
        for (const QByteArray& body : {QByteArray("first"), QByteArray("second")}) {
            put(path, body);
            const QSet<QByteArray> before = names(info);
            QString why;
            QCOMPARE(MoveToTrash(path, &why), TrashResult::Trashed);
            QVERIFY(!exists(path));
            const QSet<QByteArray> added = names(info) - before;
            QCOMPARE(added.size(), 1);
            const QByteArray infoName = *added.begin();
            QVERIFY2(infoName.endsWith(".trashinfo") && infoName.size() <= 255, infoName);
            const QByteArray trashed = infoName.chopped(10);
            QCOMPARE(get(files + trashed), body);
            QVERIFY(get(info + infoName).contains("\nPath=" + path.toPercentEncoding("/") + "\n"));
            if (body == "first" && name.size() <= 245) QCOMPARE(trashed, name);
            if (!extension.isEmpty()) QVERIFY2(trashed.endsWith(extension), trashed);
            if (IsTextPath(name)) QVERIFY2(IsTextPath(trashed), trashed);
            // Names that are not UTF-8 would outlive the temporary home.
            unlink((files + trashed).constData());
            unlink((info + infoName).constData());
        }
    }
};

KVO_TEST_MAIN_CORE(TestFileOps)
#include "tst_platform_fileops.moc"
