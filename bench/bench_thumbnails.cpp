// Thumbnails of the icon views, each figure beside a baseline measured in
// the same run:
//  (a) making thumbnails of N 6000x4000 JPEGs on an empty cache, through the
//      background queue, against decoding them in a loop on as many threads
//      (one, the background pool's) with QImageReader at the same size
//      (libjpeg's scaled decoding); target ratio <= 1.2;
//  (b) the same files again with the cache full and nothing held in memory:
//      per thumbnail, target <= 2 ms, beside one plain read of a cached PNG;
//  (c) Large Icons scrolled page by page through 20,000 small pictures,
//      every page's thumbnails waited for: the process's peak memory,
//      target under 300 MB, beside the peak with the same list in details.
// N is 200 unless given as the first argument: each picture is a copy of
// one camera-sized JPEG of several megabytes.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QListView>
#include <QScrollBar>
#include <QTreeView>
#include <cstdio>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/PictureService.h"
#include "kit/Thumbnailer.h"
#include "kit/Thumbnails.h"

#include "BenchPictures.h"
#include "BenchWindow.h"

namespace {
// The process's resident memory now and at its peak, in MB.
std::pair<double, double> residentMb() {
    QFile status("/proc/self/status");
    double now = 0, peak = 0;
    if (!status.open(QIODevice::ReadOnly)) return {0, 0};
    for (const QByteArray& line : status.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() < 2) continue;
        if (f[0] == "VmRSS:") now = f[1].toDouble() / 1024;
        if (f[0] == "VmHWM:") peak = f[1].toDouble() / 1024;
    }
    return {now, peak};
}

// Forgets the peak so far, so the next peak is the next step's own.
void resetPeak() {
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

double makeAll(const std::vector<QByteArray>& paths, Thumbnails::Size size) {
    Thumbnailer queue;
    queue.SetSize(size);
    return timeMs([&] {
        queue.Want(paths);
        RunUntil([&] { return queue.Idle(); });
    });
}

double decodeAll(const QStringList& files, int side) {
    return timeMs([&] {
        for (const QString& f : files) {
            QImageReader reader(f);
            reader.setScaledSize(reader.size().scaled(side, side, Qt::KeepAspectRatio));
            if (reader.read().isNull()) qFatal("cannot decode %s", qPrintable(f));
        }
    });
}
}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as it comes
    BenchWindowApp bench(argc, argv);
    const QString tmp = bench.folder();
    if (tmp.isEmpty()) return 1;
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(tmp + "/cache"));

    const QString big = tmp + "/big/", many = tmp + "/many/";
    QDir().mkpath(big);
    QDir().mkpath(many);
    if (!photo(QSize(6000, 4000)).save(big + "photo.jpg", "JPEG", 90)) qFatal("cannot write");
    QStringList files;
    std::vector<QByteArray> paths;
    for (int i = 0; i < n; ++i) {
        files << big + QString("p%1.jpg").arg(i, 4, 10, QChar('0'));
        if (!QFile::copy(big + "photo.jpg", files.last())) qFatal("cannot copy");
        paths.push_back(QFile::encodeName(files.last()));
    }
    QFile::remove(big + "photo.jpg");
    std::printf("%d JPEGs of 6000x4000, %.1f MB each\n", n,
                QFileInfo(files.first()).size() / 1048576.0);

    // (a) and (b), for each size the cache keeps.
    for (const Thumbnails::Size size : {Thumbnails::Size::Normal, Thumbnails::Size::Large}) {
        const int side = Thumbnails::Pixels(size);
        std::vector<double> ours, base, warm, plain;
        for (int run = 0; run < 3; ++run) {
            QDir(Thumbnails::CacheRoot()).removeRecursively();
            ours.push_back(makeAll(paths, size));
            base.push_back(decodeAll(files, side));
            warm.push_back(makeAll(paths, size) / n);
            plain.push_back(timeMs([&] {
                                for (const QByteArray& p : paths) {
                                    const auto s = Thumbnails::SourceOf(p);
                                    QImage(Thumbnails::CacheRoot() + "/" +
                                           Thumbnails::FolderName(size) + "/" +
                                           Thumbnails::FileName(s->uri));
                                }
                            }) /
                            n);
        }
        std::printf("empty cache, %3d px: ours %9.1f ms   baseline %9.1f ms   ratio %.2f\n", side,
                    median(ours), median(base), median(ours) / median(base));
        std::printf("full cache,  %3d px: ours %9.3f ms a thumbnail   plain PNG read %.3f ms\n",
                    side, median(warm), median(plain));
    }

    // (c) Scrolling 20,000 thumbnails.
    const QImage small = photo(QSize(160, 120));
    for (int i = 0; i < 20000; ++i) {
        QImage im = small;
        QPainter(&im).fillRect(i % 140, 0, 20, 20, Qt::white);
        if (!im.save(many + QString("s%1.jpg").arg(i, 5, 10, QChar('0')), "JPEG", 80))
            qFatal("cannot write");
    }
    frmMain* f = frmMain::Instance();
    f->Form_Load();
    f->resize(1280, 860);
    f->show();
    f->CurrentFolder = many;
    f->ListFiles();
    FileListView* list = f->ListView1;
    std::printf("listed %d items\n", list->Model()->Count() - 1);

    auto scrollThrough = [&](QAbstractScrollArea* view, bool waitForThumbs) {
        QScrollBar* bar = view->verticalScrollBar();
        int pages = 0;
        for (int value = 0;; value += bar->pageStep(), ++pages) {
            bar->setValue(value);
            QCoreApplication::processEvents();
            if (waitForThumbs) {
                // The queue starts once the view rests.
                bool rested = false;
                QTimer::singleShot(40, [&] { rested = true; });
                RunUntil([&] { return rested && list->Thumbs()->Idle(); });
            }
            view->viewport()->repaint();
            if (value >= bar->maximum()) break;
        }
        return pages;
    };

    f->SetView(3);
    QCoreApplication::processEvents();
    resetPeak();
    scrollThrough(list->DetailsView(), false);
    const double detailsPeak = residentMb().second;

    f->SetView(0);
    QCoreApplication::processEvents();
    resetPeak();
    const int pages = scrollThrough(list->IconsView(), true);
    const auto [now, peak] = residentMb();
    std::printf(
        "scrolling 20,000 in Large Icons (%d pages): peak %.0f MB (now %.0f MB, %d held, %.1f MB "
        "of thumbnails)   baseline details view peak %.0f MB\n",
        pages, peak, now, list->Thumbs()->HeldCount(), list->Thumbs()->HeldBytes() / 1048576.0,
        detailsPeak);
    PictureService::Instance().Stop();
    return 0;
}
