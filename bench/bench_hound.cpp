// Image Hound over a generated tree, from Find to the summary text, against
// find(1) over the same tree in the same run:
//
//   find TREE -type f \( -iname '*.bmp' -o ... \)   (the nine types, output
//   to /dev/null), and our window shown at 900 x 600, Find pressed, until the
//   summary is set. Warm cache: both run once before timing, then take turns.
//   Target: ratio <= 1.0.
//
// The tree: about 6,000 folders four levels deep, 100,000 files (pass a
// smaller count as the first argument), nine picture endings in mixed case
// and about a quarter other files. Files are empty. The tree is made in a
// temporary folder and removed afterwards, unless a second argument names
// where to keep it: bench_hound [files [tree [--make-only]]].

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "browser/Switches.h"
#include "hound/ResultListModel.h"
#include "hound/frmFind.h"
#include "kit/Forms.h"
#include "platform/FolderReader.h"
#include "platform/Platform.h"
#include "platform/SettingsBackend.h"

#include "BenchUtil.h"
#include "BenchWindow.h"

namespace {
constexpr int kRuns = 5;
const int kBranches[] = {9, 8, 8, 9};  // 1 + 9 + 72 + 576 + 5184 = 5842 folders

// Makes the folders under root; returns them all, root first.
std::vector<QByteArray> makeFolders(const QByteArray& root) {
    std::vector<QByteArray> all{root};
    std::vector<QByteArray> level{root};
    for (int branches : kBranches) {
        std::vector<QByteArray> next;
        for (const QByteArray& parent : level)
            for (int b = 0; b < branches; ++b) {
                const QByteArray dir = parent + "/dir" + QByteArray::number(b);
                if (::mkdir(dir.constData(), 0755) != 0) return {};
                next.push_back(dir);
            }
        all.insert(all.end(), next.begin(), next.end());
        level = std::move(next);
    }
    return all;
}

bool makeTree(const QByteArray& root, int files, int* folders) {
    static const char* const endings[] = {".bmp", ".JPG", ".jpg", ".jpeg", ".Gif", ".gif",
                                          ".ico", ".cur", ".wmf", ".EMF",  ".dib", ".txt",
                                          ".png", ".xmp", ".db",  ".JPEG"};
    const std::vector<QByteArray> dirs = makeFolders(root);
    if (dirs.empty()) return false;
    *folders = int(dirs.size());
    QRandomGenerator random(100000);
    for (int i = 0; i < files; ++i) {
        const QByteArray& dir = dirs[random.bounded(int(dirs.size()))];
        const char* ending = endings[random.bounded(16)];
        const QByteArray path = dir + "/IMG_" + QByteArray::number(i) + ending;
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0) return false;
        ::close(fd);
    }
    return true;
}

double timeFind(const QString& tree) {
    QStringList args{tree, "-type", "f", "("};
    const char* const types[] = {"bmp", "dib", "gif", "jpg", "jpeg", "ico", "cur", "wmf", "emf"};
    for (const char* t : types) {
        if (args.last() != "(") args << "-o";
        args << "-iname" << QString("*.%1").arg(t);
    }
    args << ")";
    return timeMs([&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start("find", args);
        p.waitForFinished(-1);
    });
}

// Where the time goes: the same walk without the window, and the yields alone.
int rawWalk(const QByteArray& dir) {
    std::vector<FolderItem> items;
    FolderId id;
    if (!FolderReader::ReadLocal(dir, &items, &id)) return 0;
    int n = 0;
    for (const FolderItem& e : items) {
        if (e.isFolder)
            n += rawWalk(dir + e.name + '/');
        else if (ImageListOf(e.name) >= 0)
            ++n;
    }
    return n;
}

double timeHound(const QString& tree, qint64* found, bool shown = true) {
    frmFind* w = Forms::Get<frmFind>();
    w->resize(900, 600);
    w->Form_Load();
    if (shown) w->show();
    QCoreApplication::processEvents();
    frmFind::chooseFolder = [tree](QWidget*, const QString&) { return tree; };
    const double ms = timeMs([&] { w->Toolbar1_ButtonClick(1); });
    *found = w->FoundCount;
    w->close();
    QCoreApplication::processEvents();
    return ms;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    InstallBenchSettings(tmp.path());
    ShowBMP = ShowCUR = ShowDIB = ShowEMF = ShowGIF = ShowICO = ShowJPG = ShowWMF = true;

    const int files = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    // A second argument names a tree made by an earlier run, kept there.
    const bool keep = argc > 2;
    const QString tree = keep ? QString::fromLocal8Bit(argv[2]) : tmp.path() + "/tree";
    int folders = 0;
    QElapsedTimer made;
    made.start();
    if (keep && QDir(tree).exists()) {
        for (int b = 1, level = 1; level <= 4; ++level) folders += (b *= kBranches[level - 1]);
        ++folders;
    } else if (!QDir().mkpath(tree) || !makeTree(QFile::encodeName(tree), files, &folders)) {
        std::fprintf(stderr, "cannot make the tree\n");
        return 1;
    }
    std::printf("tree: %d files in %d folders, made in %.1f s\n", files, folders,
                made.elapsed() / 1000.0);
    // A third argument only makes the tree, for timing the real program on it.
    if (argc > 3 && QByteArray(argv[3]) == "--make-only") return 0;

    qint64 found = 0;
    timeFind(tree);  // warm the cache
    timeHound(tree, &found);
    std::vector<double> ours, theirs;
    for (int i = 0; i < kRuns; ++i) {
        theirs.push_back(timeFind(tree));
        ours.push_back(timeHound(tree, &found));
    }
    const double a = median(ours), b = median(theirs);
    std::vector<double> raw, yields;
    for (int i = 0; i < kRuns; ++i) {
        raw.push_back(timeMs([&] { rawWalk(QFile::encodeName(tree) + '/'); }));
        yields.push_back(timeMs([&] {
            for (int k = 0; k < 2 * folders; ++k) QCoreApplication::processEvents();
        }));
    }
    std::vector<double> hidden;
    for (int i = 0; i < kRuns; ++i) hidden.push_back(timeHound(tree, &found, false));
    std::printf("window hidden: %.1f ms\n", median(hidden));
    std::printf("of which: bare walk %.1f ms, %d yields alone %.1f ms\n", median(raw), 2 * folders,
                median(yields));
    std::printf("Image Hound, Find to summary: %.1f ms (%lld images)\n", a, found);
    std::printf("find -type f -iname x9:       %.1f ms\n", b);
    std::printf("ratio %.2f (target <= 1.0)\n", a / b);
    return 0;
}
