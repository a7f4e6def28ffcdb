// The viewer window, each figure beside a baseline measured in the same run:
//  (a) each zoom step on a 6000x4000 picture, until painted, against one
//      QPainter::drawImage of the same picture stretched to the same size
//      onto a surface the size of the viewport;
//  (b) scrolling one small step at three times against that rescale;
//  (c) Next through 100 1920x1080 JPEGs with the main window hidden (its
//      preview follows without a decode of its own) against decoding them
//      in a loop with QImageReader at the size shown (target 1.1); then
//      the time from Next to the picture painted when the neighbour was
//      read ahead (target: one frame), and the cache's peak while stepping
//      through 500 pictures (target: under its bound);
//  (d) opening the viewer from the list on a 6000x4000 JPEG against one
//      full decode of it.
// Target: ratio <= 1.2 for each.
#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/PictureService.h"
#include "viewer/ScrollBar.h"
#include "viewer/ZoomSurface.h"
#include "viewer/frmScroll.h"

#include "BenchPictures.h"
#include "BenchWindow.h"

namespace {
void report(const char* what, std::pair<double, double> t) {
    std::printf("%-34s ours %8.2f ms   baseline %8.2f ms   ratio %.2f\n", what, t.first, t.second,
                t.first / t.second);
}

// One stretched drawing of the picture at w x h, clipped to the viewport.
double rescale(const QImage& picture, QSize viewport, QSizeF size) {
    return timeMs([&] {
        QImage target(viewport, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&target);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(QPointF(0, 0), size), picture);
    });
}

// What the event loop paints next, as it would between two user actions.
void paint(QWidget*) {
    QCoreApplication::processEvents();
}

frmScroll* openViewer(frmMain* f, const QString& folder, int row) {
    if (Forms::Loaded<frmScroll>()) Forms::Close<frmScroll>();
    QCoreApplication::processEvents();
    f->CurrentFolder = folder;
    if (f->ListView1->Model()->Count() < 2 ||
        !f->ListView1->Model()->Item(1).Key().startsWith(folder))
        f->ListFiles();
    f->ListView1->SetSelectedRow(row);
    auto* v = Forms::Get<frmScroll>();
    v->Form_Load();
    const QByteArray wanted = f->ListView1->Model()->Item(row).RawKey();
    if (!RunUntil([&] { return v->Picture1.path == wanted; })) qFatal("the viewer shows nothing");
    for (int i = 0; i < 50 && !(v->windowHandle() && v->windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    paint(v);
    return v;
}

// Next in the viewer, until the viewer and the hidden main window hold the picture.
void stepNext(frmMain* f, frmScroll* v) {
    v->mnuviewa_Click(1);
    const QByteArray wanted = f->ListView1->Model()->Item(f->ListView1->SelectedRow()).RawKey();
    if (!RunUntil([&] { return v->Picture1.path == wanted && f->picsrc.path == wanted; }))
        qFatal("Next shows nothing");
    paint(v);
}

double peakResidentMb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    BenchWindowApp bench(argc, argv);
    const QString tmp = bench.folder();
    if (tmp.isEmpty()) return 1;

    const QString big = tmp + "/big/", many = tmp + "/many/";
    QDir().mkpath(big);
    QDir().mkpath(many);
    if (!photo(QSize(6000, 4000)).save(big + "photo.jpg", "JPEG", 90)) qFatal("cannot write");
    const QImage hd = photo(QSize(1920, 1080));
    QStringList files;
    for (int i = 0; i < 100; ++i) {
        QImage im = hd;
        QPainter(&im).fillRect(i * 10, 0, 40, 40, Qt::white);
        files << many + QString("p%1.jpg").arg(i, 3, 10, QChar('0'));
        if (!im.save(files.last(), "JPEG", 90)) qFatal("cannot write");
    }

    frmMain* f = frmMain::Instance();
    f->Form_Load();
    f->resize(1280, 860);

    // (d) Opening from the list.
    report("open 6000x4000 JPEG", compare([] { PictureService::Instance().Cache().Clear(); },
                                          [&] { openViewer(f, big, 1); },
                                          [&] { QImageReader(big + "photo.jpg").read(); }, 5));

    // (a) Zoom steps, each from the step next to it.
    frmScroll* v = openViewer(f, big, 1);
    const QImage& picture = v->Picture1.image;
    for (int level : {4, 5, 6, 3, 2, 1, 0}) {
        const bool in = level >= 4;
        const int from = in ? level - 1 : level + 1;
        const auto t = compare(
            [&] {
                ZoomLevel = qint16(from);
                v->ZoomIn(from);
                paint(v);
            },
            [&] {
                v->DoZoom(in);
                paint(v);
            },
            [&] {
                rescale(picture, v->OuterPict->size(), QSizeF(picture.size()) * ZoomFactor(level));
            });
        char label[64];
        std::snprintf(label, sizeof label, "zoom %s to %.2fx", in ? "in" : "out",
                      ZoomFactor(level));
        report(label, t);
    }

    // (b) One small step of the bar at three times.
    ZoomLevel = 6;
    v->ZoomIn(6);
    paint(v);
    qint64 scaled = 0;
    const auto scroll = compare(
        [&] {
            v->HBar->SetValue(0);
            paint(v);
        },
        [&] {
            const qint64 before = v->InnerPict->ScaledPixels();
            v->HBar->SetValue(qint16(-v->HBar->SmallChange()));
            paint(v);
            scaled = v->InnerPict->ScaledPixels() - before;
        },
        [&] { rescale(picture, v->OuterPict->size(), QSizeF(picture.size()) * 3); });
    report("scroll one step at 3x", scroll);
    std::printf("%-34s %lld of %d pixels in view scaled again\n", "", scaled,
                v->OuterPict->width() * v->OuterPict->height());

    // (c) Next through the 100 pictures, the browser hidden behind the viewer.
    PictureService& service = PictureService::Instance();
    int decodes = 0;
    const auto next = compare(
        [&] {
            v = openViewer(f, many, 1);
            f->hide();
            service.Cache().Clear();
            decodes = service.Decodes();
        },
        [&] {
            for (int i = 1; i < 100; ++i) stepNext(f, v);
        },
        [&] {
            for (int i = 1; i < 100; ++i) QImageReader(files[i]).read();
        },
        3);
    report("Next x99, 1920x1080 JPEGs", next);
    std::printf("%-34s %.2f decodes a step (the hidden browser decodes none)\n", "",
                double(service.Decodes() - decodes) / 99);

    // A Next pressed once the neighbour is read ahead: from the key to the
    // picture painted.
    v = openViewer(f, many, 1);
    f->hide();
    std::vector<double> keyToPaint;
    for (int i = 1; i < 60; ++i) {
        if (!RunUntil([&] { return service.Idle(); })) qFatal("the preload never ends");
        keyToPaint.push_back(timeMs([&] { stepNext(f, v); }));
    }
    std::sort(keyToPaint.begin(), keyToPaint.end());
    std::printf("%-34s median %.2f ms, worst %.2f ms (one frame: 16.7 ms)\n",
                "Next, neighbour read ahead", keyToPaint[keyToPaint.size() / 2], keyToPaint.back());

    // The cache's bound while stepping through 500 pictures.
    const QString five = tmp + "/five/";
    QDir().mkpath(five);
    for (int i = 0; i < 500; ++i)
        QFile::copy(files[i % 100], five + QString("q%1.jpg").arg(i, 3, 10, QChar('0')));
    v = openViewer(f, five, 1);
    f->hide();
    service.Cache().Clear();
    for (int i = 1; i < 500; ++i) stepNext(f, v);
    std::printf("%-34s peak %.1f MB of its %.0f MB bound; process peak %.0f MB\n",
                "cache stepping 500 pictures", service.Cache().PeakBytes() / 1048576.0,
                service.Cache().MaxBytes() / 1048576.0, peakResidentMb());
    return 0;
}
