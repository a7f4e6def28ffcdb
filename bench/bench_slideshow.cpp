// One slide of a 6000x4000 JPEG in the slideshow, from setting the index to
// the painted window, against Qt's reader decoding the same file straight
// to the size the slide is shown at (the window's scale), in the same run.
// Target: ratio <= 1.2. Screen fixed at 1920x1080, 15 twips per pixel.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstdio>

#include "kit/ImageControl.h"
#include "kit/PictureService.h"
#include "slideshow/frmshow.h"

#include "BenchPictures.h"
#include "BenchWindow.h"

int main(int argc, char** argv) {
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid()) return 1;
    InstallBenchPlatform(tmp.path());

    // Two copies, so every slide is a new file to decode.
    const QString a = tmp.path() + "/a.jpg", b = tmp.path() + "/b.jpg";
    {
        QImageWriter writer(a, "jpeg");
        writer.setQuality(90);
        if (!writer.write(photo(QSize(6000, 4000))) || !QFile::copy(a, b))
            qFatal("cannot write the JPEG");
    }

    frmshow show;
    show.setGeometry(0, 0, 1920, 1080);
    show.show();
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    for (const QString& p : {a, b}) {
        show.List1.entries.append(p);
        show.List1.raw.append(QFile::encodeName(p));
    }
    int next = 0;
    auto ours = [&] {
        show.SetListIndex(next);
        const QByteArray wanted = show.List1.raw[next];
        if (!RunUntil([&] { return show.Picture1.path == wanted; })) qFatal("no slide");
        show.repaint();
    };
    PictureService& service = PictureService::Instance();
    // Cold: nothing read ahead, nothing in the cache.
    auto cold = [&] {
        next = 1 - next;
        RunUntil([&] { return service.Idle(); });
        service.Cache().Clear();
    };
    const QSize fitted = QSize(6000, 4000).scaled(show.size(), Qt::KeepAspectRatio);
    auto baseline = [&] {
        QImageReader reader(a);
        reader.setScaledSize(fitted);
        if (reader.read().isNull()) qFatal("Qt cannot read the JPEG");
    };
    const auto [mine, theirs] = compare(cold, ours, baseline);
    std::printf(
        "slide of a 6000x4000 JPEG: ours %.1f ms, Qt decode to %dx%d %.1f ms, ratio %.2f "
        "(target <= 1.2)\n",
        mine, fitted.width(), fitted.height(), theirs, mine / theirs);
    // Warm: the slide was read ahead while the one before it showed.
    const auto [ahead, decode] = compare(
        [&] {
            next = 1 - next;
            RunUntil([&] { return service.Idle(); });
        },
        ours, baseline);
    std::printf("the same slide read ahead while the one before showed: %.1f ms (decode %.1f ms)\n",
                ahead, decode);
    std::printf("held %dx%d, shown %dx%d\n", show.Picture1.image.width(),
                show.Picture1.image.height(), show.Image1->width(), show.Image1->height());
    return 0;
}
