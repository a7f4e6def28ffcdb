// The HTML and CSV listings of 20,000 selected files, against a baseline
// measured in the same run: one stat() of each of those files. Target: each
// listing under 10x the baseline, and linear (5,000 files take about a
// quarter of the time of 20,000).
//
// The files are empty but sparse-sized, in a temporary folder removed
// afterwards; the listings go to the (offscreen) clipboard as they would.

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "kit/Helpers.h"
#include "platform/Platform.h"
#include "platform/SettingsBackend.h"
#include "tools/CsvListing.h"
#include "tools/frmprogress.h"

#include "BenchUtil.h"
#include "BenchWindow.h"

namespace {
constexpr int kRuns = 5;

// count files "Holiday 2023 - 000123.jpg" in dir, listed and all selected.
bool fill(const QString& dir, int count, FileListView& lv, std::vector<QByteArray>& paths) {
    QVector<ListItem> items{ListItem::Parent(0)};
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Holiday 2023 - %1").arg(i, 6, 10, QChar('0'));
        const QString path = dir + '/' + name + ".jpg";
        const QByteArray raw = QFile::encodeName(path);
        const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) return false;
        const qint64 size = (qint64(i) * 7919) % (1 << 22);
        const bool ok = ::ftruncate(fd, size) == 0;
        ::close(fd);
        if (!ok) return false;
        ListItem item = ListItem::AtPath(raw, 4, 1);
        item.SetSize(size);
        item.SetSubItem(2, "1920 x 1080");
        items << item;
        paths.push_back(raw);
    }
    lv.Model()->SetSort(false, 0, Qt::AscendingOrder);
    lv.Model()->AddItems(items);
    // One range per row, as Select All and ctrl-clicks leave it.
    QItemSelection rows;
    for (int r = 1; r <= count; ++r)
        rows.append(QItemSelectionRange(lv.Model()->index(r, 0), lv.Model()->index(r, 3)));
    lv.Selection()->select(rows, QItemSelectionModel::Select);
    return true;
}

struct Figures {
    double stat, html, csv;
};

Figures measure(const QString& dir, int count) {
    FileListView lv;
    std::vector<QByteArray> paths;
    if (!fill(dir, count, lv, paths)) {
        std::fprintf(stderr, "cannot make the files\n");
        std::exit(1);
    }
    std::vector<double> s, h, c;
    for (int run = 0; run < kRuns; ++run) {
        s.push_back(timeMs([&] {
            struct stat st;
            for (const QByteArray& p : paths) ::stat(p.constData(), &st);
        }));
        frmprogress progress;
        progress.show();
        h.push_back(timeMs([&] { progress.createHTML(&lv, dir); }));
        c.push_back(timeMs([&] { QGuiApplication::clipboard()->setText(CsvListing(lv)); }));
    }
    return {median(s), median(h), median(c)};
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    InstallBenchSettings(tmp.path());
    std::printf("%-8s %12s %12s %8s %12s %8s\n", "files", "stat ms", "HTML ms", "ratio", "CSV ms",
                "ratio");
    Figures small{}, large{};
    for (int count : {5000, 20000}) {
        QTemporaryDir dir(tmp.path() + "/files-XXXXXX");
        const Figures f = measure(dir.path(), count);
        std::printf("%-8d %12.1f %12.1f %8.2f %12.1f %8.2f\n", count, f.stat, f.html,
                    f.html / f.stat, f.csv, f.csv / f.stat);
        (count == 5000 ? small : large) = f;
    }
    std::printf("growth 5,000 -> 20,000 files (linear = 4): HTML %.2f, CSV %.2f, stat %.2f\n",
                large.html / small.html, large.csv / small.csv, large.stat / small.stat);
    return 0;
}
