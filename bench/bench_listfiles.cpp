// Listing a folder in the main window's file list, until the list is painted.
//
//   20,000 entries: frmMain::ListFiles + paint, against a baseline measured in
//       the same run: opendir/readdir + stat of every entry, a case-blind
//       sort, and a QStandardItemModel (name, size text, two empty columns)
//       shown in a plain QTreeView of the list's size, painted the same way.
//       Target: ratio <= 2.
//   200,000 entries: our time against our 20,000-entry time. Target <= 12.
//   Memory: resident size of a child process after showing the window, and
//       after listing 20,000 entries. Target: < 100 MB more.
//
// Every folder is generated in a temporary folder and removed afterwards; the
// settings go to a file in that folder. Run with --memory FOLDER to measure
// the memory of one listing (the program does so itself, in a child process).

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardItemModel>
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
#include <random>
#include <vector>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Splitter.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"
#include "platform/SettingsBackend.h"

#include "BenchUtil.h"
#include "BenchWindow.h"

namespace {

constexpr int kRuns = 5;
constexpr int kLargeRuns = 5;
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

// What the user waits for: the listing, then the list on screen.
void listAndPaint(frmMain* f, const QString& folder) {
    f->CurrentFolder = folder;
    f->ListFiles();
    QApplication::processEvents();
    f->ListView1->DetailsView()->viewport()->repaint();
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

std::vector<Entry> readFolder(const QString& folder) {
    std::vector<Entry> entries;
    DIR* d = opendir(QFile::encodeName(folder).constData());
    if (!d) return entries;
    const int fd = dirfd(d);
    while (const dirent* e = readdir(d)) {
        if (e->d_name[0] == '.' &&
            (e->d_name[1] == '\0' || (e->d_name[1] == '.' && e->d_name[2] == '\0')))
            continue;
        struct stat st;
        if (fstatat(fd, e->d_name, &st, 0) != 0) continue;
        entries.push_back({QFile::decodeName(e->d_name), qint64(st.st_size)});
    }
    closedir(d);
    return entries;
}

struct BaselineTimes {
    double read = 0, sort = 0, show = 0;
    double total() const { return read + sort + show; }
};

// Reads, keeps the pictures, sorts, and shows them in view, painted.
BaselineTimes baselineListing(QTreeView* view, const QString& folder, const QList<int>& widths) {
    // The previous listing goes first, outside the timing, as ours clears
    // its list before the timed listing too.
    QAbstractItemModel* oldModel = view->model();
    QItemSelectionModel* oldSelection = view->selectionModel();
    view->setModel(nullptr);
    delete oldSelection;
    delete oldModel;
    settle();

    BaselineTimes t;
    QElapsedTimer timer;
    timer.start();
    std::vector<Entry> entries = readFolder(folder);
    std::erase_if(entries, [](const Entry& e) { return !isPicture(e.name); });
    t.read = timer.nsecsElapsed() / 1e6;

    timer.restart();
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    t.sort = timer.nsecsElapsed() / 1e6;

    timer.restart();
    const QLocale locale = QLocale::c();
    auto* model = new QStandardItemModel(int(entries.size()), 4);
    for (int row = 0; row < int(entries.size()); ++row) {
        model->setItem(row, 0, new QStandardItem(entries[row].name));
        model->setItem(row, 1, new QStandardItem(locale.formattedDataSize(entries[row].size)));
    }
    view->setModel(model);
    for (int c = 0; c < 4; ++c) view->setColumnWidth(c, widths[c]);
    view->setCurrentIndex(model->index(0, 0));
    QApplication::processEvents();
    view->viewport()->repaint();
    t.show = timer.nsecsElapsed() / 1e6;
    return t;
}

// Reading the folder, and the list taking the items (where they are sorted),
// each timed on its own; the list is given the items ours listed, scrambled.
void printBreakdown(frmMain* f, const QString& folder) {
    std::vector<double> read, add;
    QVector<ListItem> items;
    const FileListModel* listed = f->ListView1->Model();
    for (int row = 1; row < listed->Count(); ++row) items.push_back(listed->Item(row));
    std::shuffle(items.begin(), items.end(), std::mt19937(7));
    for (int i = 0; i < kLargeRuns; ++i) {
        std::vector<DirEntry> entries;
        read.push_back(timeMs([&] { Platform::files().ListDirectory(folder, &entries); }));
        FileListModel model;
        QVector<ListItem> copy = items;
        copy.detach();  // the list then takes the items over without copying them
        add.push_back(timeMs([&] { model.AddItems(std::move(copy)); }));
    }
    std::printf("  of which  FileSystem::ListDirectory %.1f ms, FileListModel::AddItems %.1f ms\n",
                median(read), median(add));
}

// --- Memory, in a process of its own. ---

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
    settle();
    const double listed = statusMB("VmRSS");
    const double peak = statusMB("VmHWM");
    std::printf("memory: window shown %.1f MB; after listing %d items %.1f MB (+%.1f MB)", window,
                f->ListView1->Model()->Count() - 1, listed, listed - window);
    if (peakReset)
        std::printf("; peak while listing %.1f MB (+%.1f MB)\n", peak, peak - window);
    else
        std::printf("; peak since start %.1f MB (no peak reset)\n", peak);
    return 0;
}

// Runs this program with --memory on folder and passes on what it prints.
QString memoryOf(const QString& folder) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--memory", folder});
    if (!child.waitForFinished(120000)) return "memory: the measuring process did not finish\n";
    return QString::fromLocal8Bit(child.readAllStandardOutput());
}

}  // namespace

int main(int argc, char** argv) {
    BenchWindowApp bench(argc, argv);
    const QString tmp = bench.folder();
    if (tmp.isEmpty()) return 1;

    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == "--memory") return measureMemory(args[2]);

    const QString empty = tmp + "/empty/";
    const QString small = tmp + "/small/";
    const QString large = tmp + "/large/";
    for (const QString& d : {empty, small, large}) ::mkdir(QFile::encodeName(d).constData(), 0755);

    double made = timeMs([&] {
        if (!makeFolder(small, kSmall)) qFatal("cannot create the %d files", kSmall);
    });
    std::printf("created %d entries in %.0f ms\n", kSmall, made);

    // Before anything else grows this process.
    std::fputs(qPrintable(memoryOf(small)), stdout);

    frmMain* f = showWindow();
    QTreeView baseline;
    baseline.setUniformRowHeights(true);
    baseline.setRootIsDecorated(false);
    baseline.setSelectionBehavior(QAbstractItemView::SelectRows);
    baseline.resize(f->ListView1->DetailsView()->size());
    baseline.show();
    settle();
    QList<int> widths;
    for (int c = 0; c < 4; ++c) widths << f->ListView1->DetailsView()->columnWidth(c);
    std::printf("list %dx%d px in a %dx%d window\n", f->ListView1->DetailsView()->width(),
                f->ListView1->DetailsView()->height(), f->width(), f->height());

    // Ours starts from an empty list each time, as the baseline starts from
    // no model.
    auto ours = [&](const QString& folder) {
        listAndPaint(f, empty);
        settle();
        return timeMs([&] { listAndPaint(f, folder); });
    };

    ours(small);
    baselineListing(&baseline, small, widths);
    std::vector<double> a, b, read, sort, show;
    for (int i = 0; i < kRuns; ++i) {
        a.push_back(ours(small));
        const BaselineTimes t = baselineListing(&baseline, small, widths);
        b.push_back(t.total());
        read.push_back(t.read);
        sort.push_back(t.sort);
        show.push_back(t.show);
    }
    const int rows = f->ListView1->Model()->Count() - 1;
    const double smallOurs = median(a), smallBase = median(b);
    std::printf("%d entries, %d listed (median of %d)\n", kSmall, rows, kRuns);
    std::printf("  ours     %8.1f ms\n", smallOurs);
    printBreakdown(f, small);
    std::printf("  baseline %8.1f ms  (readdir+stat %.1f, sort %.1f, model+paint %.1f)\n",
                smallBase, median(read), median(sort), median(show));
    std::printf("  ratio    %8.2f    target <= 2\n", smallOurs / smallBase);

    made = timeMs([&] {
        if (!makeFolder(large, kLarge)) qFatal("cannot create the %d files", kLarge);
    });
    std::printf("created %d entries in %.0f ms\n", kLarge, made);

    std::vector<double> c, d;
    for (int i = 0; i < kLargeRuns; ++i) {
        c.push_back(ours(large));
        d.push_back(baselineListing(&baseline, large, widths).total());
    }
    const double largeOurs = median(c);
    std::printf("%d entries, %d listed (median of %d)\n", kLarge,
                f->ListView1->Model()->Count() - 1, kLargeRuns);
    std::printf("  ours     %8.1f ms\n", largeOurs);
    printBreakdown(f, large);
    std::printf("  vs ours at %d: %.2f    target <= 12\n", kSmall, largeOurs / smallOurs);
    std::printf("  (baseline %.1f ms, ratio %.2f, for reference)\n", median(d),
                largeOurs / median(d));

    // Empty the list before the folders go.
    listAndPaint(f, empty);
    std::fputs(qPrintable(memoryOf(large).replace("memory:", "memory (200,000, reference):")),
               stdout);
    delete f;
    return 0;
}
