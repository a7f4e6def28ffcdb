// Listing a folder in the main window's file list.
//
//   First screen: frmMain::ListFiles until the list is painted with the
//       sizes of the rows in view, for 20,000 and 200,000 entries. Target:
//       under 150 ms at both sizes.
//   Whole listing: the same until every size is in and painted, with the
//       longest time the window went without taking input meanwhile
//       (target <= 16 ms). Target: 200,000 entries at most 11 times the
//       time of 20,000.
//   Baseline for both, measured in the same run: the least any listing has
//       to do, readdir + stat of every entry, the pictures kept, and a
//       case-blind sort of their names.
//   Memory: resident size of a child process after showing the window, and
//       after listing all sizes of the folder; beside it, a child that only
//       keeps the baseline's names and sizes. Target: 200,000 entries cost
//       at most 60 MB more than the empty window.
//
// Every folder is generated in a temporary folder and removed afterwards; the
// settings go to a file in that folder. Run with --memory FOLDER (or
// --memory-baseline FOLDER) to measure one listing's memory (the program
// does so itself, in child processes).

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTreeView>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/Splitter.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

#include "BenchUtil.h"
#include "BenchWindow.h"

namespace {

constexpr int kRuns = 5;
constexpr int kSmall = 20000;
constexpr int kLarge = 200000;
const QSize kWindow(1200, 800);

const char* const kPictureExtensions[] = {"bmp", "gif", "jpg", "jpeg", "dib",
                                          "cur", "ico", "emf", "wmf"};
// "jpeg", "JPEG" or "Jpeg".
QString withCase(const char* extension, int variant) {
    const QString e = QString::fromLatin1(extension);
    if (variant == 1) return e.toUpper();
    if (variant == 2) return e.left(1).toUpper() + e.mid(1);
    return e;
}

// Fills dir with `count` entries named like a camera's and a scanner's files,
// every picture type in mixed letter case, about 5% other files, a few dotted
// (hidden) names and ten subfolders. Files are empty but sparse-sized, so the
// Size column shows bytes, KB and MB. Returns false when a file cannot be made.
bool makeFolder(const QString& dir, int count) {
    static const char* const prefixes[] = {"IMG_", "DSC", "photo ",      "Holiday 2023 - ",
                                           "scan", "P",   "Screenshot ", "img-"};
    static const char* const others[] = {"txt", "png", "PNG", "db", "xmp"};
    QRandomGenerator random(20000 + count);
    const QByteArray base = QFile::encodeName(dir) + '/';
    for (int i = 0; i < count; ++i) {
        // A permutation of 0..count-1, so the names do not come in order.
        const int number = int((qint64(i) * 7919) % count);
        QString name = QString::fromLatin1(prefixes[random.bounded(8)]) +
                       QStringLiteral("%1").arg(number, 6, 10, QChar('0'));
        if (i % 500 == 7) name.prepend('.');
        if (random.bounded(100) < 5)
            name += '.' + QString::fromLatin1(others[random.bounded(5)]);
        else
            name += '.' + withCase(kPictureExtensions[i % 9], int(random.bounded(3)));
        const QByteArray path = base + QFile::encodeName(name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) return false;
        const qint64 size = qint64(random.bounded(1 << 23)) >> random.bounded(16);
        const bool sized = ::ftruncate(fd, size) == 0;
        ::close(fd);
        if (!sized) return false;
    }
    for (int i = 1; i <= 10; ++i)
        if (::mkdir((base + "Album " + QByteArray::number(i)).constData(), 0755) != 0) return false;
    return true;
}

// Kilobytes of a line of /proc/self/status ("VmRSS", "VmHWM").
double statusMB(const char* field) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ')[0].toDouble() / 1024;
    return -1;
}

// Starts the peak (VmHWM) afresh from the current resident size.
bool resetPeak() {
    QFile f("/proc/self/clear_refs");
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

frmMain* showWindow() {
    frmMain* f = frmMain::Instance();
    f->resize(kWindow);
    f->show();
    settle();
    // A list wide enough for all four columns; the preview keeps the rest.
    f->Splitter2->SetSplitPosition(11400);
    settle();
    return f;
}

// The list on screen, as far as ListFiles has filled it.
void listAndPaint(frmMain* f, const QString& folder) {
    f->CurrentFolder = folder;
    f->ListFiles();
    QApplication::processEvents();
    f->ListView1->DetailsView()->viewport()->repaint();
}

// Waits, as a user would, until every size is in, and paints the list.
// Returns the longest time the window did not take input meanwhile.
double waitForSizes(frmMain* f) {
    LoopGaps gaps;
    gaps.Start();
    const FileListModel* model = f->ListView1->Model();
    if (!RunUntil([&] { return !model->Filling(); })) qFatal("the sizes never came in");
    gaps.Stop();
    f->ListView1->DetailsView()->viewport()->repaint();
    return gaps.WorstMs();
}

// The rows in view all show a size.
bool sizesInView(frmMain* f) {
    const QTreeView* v = f->ListView1->DetailsView();
    const FileListModel* model = f->ListView1->Model();
    const int last = v->indexAt(QPoint(0, v->viewport()->height() - 1)).row();
    for (int row = 1; row <= (last < 0 ? model->Count() - 1 : last); ++row)
        if (model->Item(row).SubItem(1).isEmpty()) return false;
    return true;
}

// --- The baseline: the least any listing has to do. ---

struct Entry {
    QString name;
    qint64 size;
};

bool isPicture(const QString& name) {
    for (const char* e : kPictureExtensions) {
        const QString dotted = '.' + QString::fromLatin1(e);
        if (name.size() > dotted.size() && name.endsWith(dotted, Qt::CaseInsensitive)) return true;
    }
    return false;
}

// readdir + stat of every entry, the pictures kept, sorted by name.
std::vector<Entry> baselineListing(const QString& folder) {
    std::vector<Entry> entries;
    DIR* d = opendir(QFile::encodeName(folder).constData());
    if (!d) return entries;
    const int fd = dirfd(d);
    while (const dirent* e = readdir(d)) {
        if (e->d_name[0] == '.' &&
            (e->d_name[1] == '\0' || (e->d_name[1] == '.' && e->d_name[2] == '\0')))
            continue;
        struct stat st;
        if (fstatat(fd, e->d_name, &st, 0) != 0 || S_ISDIR(st.st_mode)) continue;
        QString name = QFile::decodeName(e->d_name);
        if (isPicture(name)) entries.push_back({std::move(name), qint64(st.st_size)});
    }
    closedir(d);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    return entries;
}

// --- Memory, in processes of their own. ---

int measureMemory(const QString& folder) {
    frmMain* f = showWindow();
    // An empty listing first, so what any listing sets up once counts as the
    // window's.
    QTemporaryDir empty;
    listAndPaint(f, empty.path() + '/');
    settle();
    const double window = statusMB("VmRSS");
    const bool peakReset = resetPeak();
    listAndPaint(f, folder);
    waitForSizes(f);
    settle();
    const double listed = statusMB("VmRSS");
    const double peak = statusMB("VmHWM");
    std::printf("  memory   ours: window %.1f MB, all %d listed %.1f MB (+%.1f MB)", window,
                f->ListView1->Model()->Count() - 1, listed, listed - window);
    if (peakReset)
        std::printf(", peak +%.1f MB\n", peak - window);
    else
        std::printf(", peak since start %.1f MB\n", peak);
    return 0;
}

int measureBaselineMemory(const QString& folder) {
    const double before = statusMB("VmRSS");
    const std::vector<Entry> entries = baselineListing(folder);
    const double after = statusMB("VmRSS");
    std::printf("  memory   baseline: %zu names and sizes +%.1f MB\n", entries.size(),
                after - before);
    return 0;
}

// Runs this program with the option on folder and passes on what it prints.
QString childPrints(const QString& option, const QString& folder) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {option, folder});
    if (!child.waitForFinished(120000)) return "  memory: the measuring process did not finish\n";
    return QString::fromLocal8Bit(child.readAllStandardOutput());
}

struct Figures {
    double first = 0, whole = 0, stall = 0, baseline = 0, read = 0;
};

// Medians of kRuns listings of folder, each from an empty list.
Figures measure(frmMain* f, const QString& folder, const QString& empty) {
    std::vector<double> first, whole, stall, baseline, read;
    for (int i = 0; i < kRuns; ++i) {
        listAndPaint(f, empty);
        settle();
        QElapsedTimer clock;
        clock.start();
        listAndPaint(f, folder);
        first.push_back(clock.nsecsElapsed() / 1e6);
        if (!sizesInView(f)) qFatal("a row in view has no size on the first screen");
        stall.push_back(waitForSizes(f));
        whole.push_back(clock.nsecsElapsed() / 1e6);
        baseline.push_back(timeMs([&] { baselineListing(folder); }));

        // The parts: the folder's one read, and the list taking the items.
        FolderNames names;
        read.push_back(
            timeMs([&] { Platform::files().ReadNames(QFile::encodeName(folder), &names); }));
    }
    return {median(first), median(whole), median(stall), median(baseline), median(read)};
}

void print(int entries, int listed, const Figures& t) {
    std::printf("%d entries, %d listed (median of %d)\n", entries, listed, kRuns);
    std::printf(
        "  first screen  ours %8.1f ms   baseline %8.1f ms   ratio %5.2f   target < 150 ms\n",
        t.first, t.baseline, t.first / t.baseline);
    std::printf(
        "  whole listing ours %8.1f ms   baseline %8.1f ms   ratio %5.2f   longest stall %.1f ms "
        "(target <= 16)\n",
        t.whole, t.baseline, t.whole / t.baseline, t.stall);
    std::printf("  of which the folder's one read (names, kinds) %.1f ms\n", t.read);
}

}  // namespace

int main(int argc, char** argv) {
    BenchWindowApp bench(argc, argv);
    const QString tmp = bench.folder();
    if (tmp.isEmpty()) return 1;

    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == "--memory") return measureMemory(args[2]);
    if (args.size() == 3 && args[1] == "--memory-baseline") return measureBaselineMemory(args[2]);

    const QString empty = tmp + "/empty/";
    const QString small = tmp + "/small/";
    const QString large = tmp + "/large/";
    for (const QString& d : {empty, small, large}) ::mkdir(QFile::encodeName(d).constData(), 0755);

    double made = timeMs([&] {
        if (!makeFolder(small, kSmall)) qFatal("cannot create the %d files", kSmall);
    });
    std::printf("created %d entries in %.0f ms\n", kSmall, made);
    made = timeMs([&] {
        if (!makeFolder(large, kLarge)) qFatal("cannot create the %d files", kLarge);
    });
    std::printf("created %d entries in %.0f ms\n", kLarge, made);

    // Before anything else grows this process.
    const QString smallMemory =
        childPrints("--memory", small) + childPrints("--memory-baseline", small);
    const QString largeMemory =
        childPrints("--memory", large) + childPrints("--memory-baseline", large);

    frmMain* f = showWindow();
    std::printf("list %dx%d px in a %dx%d window\n", f->ListView1->DetailsView()->width(),
                f->ListView1->DetailsView()->height(), f->width(), f->height());
    listAndPaint(f, small);  // warms what a first listing sets up
    waitForSizes(f);

    const Figures s = measure(f, small, empty);
    print(kSmall, f->ListView1->Model()->Count() - 1, s);
    std::fputs(qPrintable(smallMemory), stdout);
    const Figures l = measure(f, large, empty);
    print(kLarge, f->ListView1->Model()->Count() - 1, l);
    std::fputs(qPrintable(largeMemory), stdout);
    std::printf("200,000 against 20,000: whole listing %.2f (target <= 11), baseline %.2f\n",
                l.whole / s.whole, l.baseline / s.baseline);

    // Empty the list before the folders go.
    listAndPaint(f, empty);
    delete f;
    return 0;
}
