// Select All on the file list and reading the selection back, as the
// slideshow's playlist, the file operations, the listings and the converter
// read it, for two list sizes, each beside the row-by-row way measured in the
// same run: selecting one row at a time (each change walks every range made
// before it) and asking the selection row by row. Linear growth from 2,500
// to 10,000 files is 4; the row-by-row ways grow with the square.

#include <QApplication>
#include <QItemSelectionModel>
#include <cstdio>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"

#include "BenchUtil.h"

namespace {
constexpr int kRuns = 3;

struct Figures {
    double selectAll, selectRowByRow, read, readRowByRow;
};

Figures measure(int files) {
    QVector<ListItem> items{ListItem::Parent(0)};
    std::vector<int> everyFile;
    for (int i = 0; i < files; ++i) {
        const QString name = QStringLiteral("IMG_%1").arg(i, 5, 10, QChar('0'));
        const QString path = "/pictures/" + name + ".jpg";
        items << ListItem::AtPath(path.toUtf8(), 4, 1);
        everyFile.push_back(i + 1);
    }
    FileListView lv;
    lv.Model()->SetSort(false, 0, Qt::AscendingOrder);
    lv.Model()->AddItems(items);
    std::vector<double> all, allRowByRow, read, readRowByRow;
    std::size_t seen = 0;
    for (int run = 0; run < kRuns; ++run) {
        lv.Selection()->clearSelection();
        all.push_back(timeMs([&] { lv.SelectOnly(everyFile); }));
        lv.Selection()->clearSelection();
        // The parent left out, as Select All leaves it.
        allRowByRow.push_back(timeMs([&] {
            for (int row : everyFile) lv.SetSelected(row, true);
        }));
        // Read what the row-by-row selection left: one range per row.
        read.push_back(timeMs([&] { seen += lv.SelectedRows().size(); }));
        readRowByRow.push_back(timeMs([&] {
            for (int row = 0; row < lv.Model()->Count(); ++row) seen += lv.IsSelected(row);
        }));
    }
    if (seen != std::size_t(2 * kRuns * files)) qFatal("the two ways read different selections");
    return {median(all), median(allRowByRow), median(read), median(readRowByRow)};
}
}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("%-7s %15s %17s %12s %17s\n", "files", "Select All ms", "row by row ms", "read ms",
                "row by row ms");
    Figures small{}, large{};
    for (int files : {2500, 10000}) {
        const Figures f = measure(files);
        std::printf("%-7d %15.2f %17.0f %12.2f %17.0f\n", files, f.selectAll, f.selectRowByRow,
                    f.read, f.readRowByRow);
        (files == 2500 ? small : large) = f;
    }
    std::printf(
        "growth 2,500 -> 10,000 files (linear = 4): Select All %.1f (row by row %.1f), "
        "read %.1f (row by row %.1f)\n",
        large.selectAll / small.selectAll, large.selectRowByRow / small.selectRowByRow,
        large.read / small.read, large.readRowByRow / small.readRowByRow);
    return 0;
}
