// Converting 200 JPEGs of 1920x1080 to BMP with frmconvert::convertfiles,
// against a baseline measured in the same run: Qt's JPEG decode and BMP
// save of the same files in a plain loop. Target: ratio <= 1.3.
//
// The JPEGs are generated (20 different pictures, each written 10 times) in
// a temporary folder removed afterwards; each run writes into a fresh
// folder, the previous run's output deleted first.

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QItemSelectionModel>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "platform/Platform.h"
#include "platform/SettingsBackend.h"
#include "tools/frmconvert.h"

#include "BenchUtil.h"
#include "BenchWindow.h"

namespace {
constexpr int kFiles = 200;
constexpr int kDistinct = 20;
constexpr int kRuns = 4;

// A photo-like picture: gradients and shapes, so the JPEG is not trivial.
QImage picture(int seed) {
    QImage image(1920, 1080, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x + seed * 13) % 256, (y * 3 + seed) % 256, ((x ^ y) + seed) % 256);
    }
    QPainter p(&image);
    for (int i = 0; i < 40; ++i) {
        p.setBrush(QColor::fromHsv((seed * 37 + i * 9) % 360, 200, 220));
        p.drawEllipse((i * 211 + seed * 17) % 1800, (i * 97 + seed * 29) % 1000, 120, 80);
    }
    return image;
}

void empty(const QString& dir) {
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    InstallBenchSettings(tmp.path());

    const QString src = tmp.path() + "/src/", out = tmp.path() + "/out",
                  base = tmp.path() + "/base";
    QDir().mkpath(src);
    std::vector<QByteArray> jpegs;
    for (int i = 0; i < kDistinct; ++i)
        jpegs.push_back([&] {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            picture(i).save(&buffer, "jpg", 85);
            return bytes;
        }());
    QVector<ListItem> items{ListItem::Parent(0)};
    QStringList paths;
    for (int i = 0; i < kFiles; ++i) {
        const QString name = QStringLiteral("IMG_%1").arg(i, 4, 10, QChar('0'));
        const QString path = src + name + ".jpg";
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(jpegs[i % kDistinct]) < 0) return 1;
        items << ListItem::AtPath(QFile::encodeName(path), 4, 1);
        paths << path;
    }
    FileListView lv;
    lv.Model()->SetSort(false, 0, Qt::AscendingOrder);
    lv.Model()->AddItems(items);
    // One range per row, as Select All and ctrl-clicks leave it.
    QItemSelection rows;
    for (int r = 1; r <= kFiles; ++r)
        rows.append(QItemSelectionRange(lv.Model()->index(r, 0), lv.Model()->index(r, 3)));
    lv.Selection()->select(rows, QItemSelectionModel::Select);

    std::vector<double> ours, baseline;
    auto runBaseline = [&] {
        empty(base);
        baseline.push_back(timeMs([&] {
            for (int i = 0; i < kFiles; ++i) {
                QImageReader reader(paths[i]);
                reader.read().save(base + QStringLiteral("/IMG_%1.bmp").arg(i, 4, 10, QChar('0')),
                                   "BMP");
            }
        }));
        QDir(base).removeRecursively();
    };
    auto runOurs = [&] {
        empty(out);
        frmconvert f;
        f.FolderTreeview1->SetSelectedFolder(out);
        f.addtfiles(&lv);
        f.show();
        ours.push_back(timeMs([&] { f.convertfiles(); }));
        const bool all = QDir(out).entryList(QDir::Files).size() == kFiles;
        QDir(out).removeRecursively();
        return all;
    };
    // Alternating which goes first, so neither always finds the disk's
    // cache warmer or fuller.
    for (int run = 0; run < kRuns; ++run) {
        if (run % 2) runBaseline();
        if (!runOurs()) {
            std::fprintf(stderr, "not every file was written\n");
            return 1;
        }
        if (run % 2 == 0) runBaseline();
    }
    const double o = median(ours), b = median(baseline);
    std::printf(
        "%d JPEGs 1920x1080 to BMP: ours %.0f ms, Qt decode + BMP save %.0f ms, ratio %.2f"
        " (target <= 1.3)\n",
        kFiles, o, b, o / b);
    return 0;
}
