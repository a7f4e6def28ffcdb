// Decoding every frame of an animated GIF for the viewer, against Qt's own
// player stepping through the same frames, in the same run.
#include <QBuffer>
#include <QGuiApplication>
#include <QMovie>
#include <QTemporaryDir>
#include <cstdio>

#include "BenchUtil.h"
#include "PictureFiles.h"
#include "platform/GifFrames.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QSize size(480, 360);
    const int count = 40;
    QList<QImage> frames;
    for (int i = 0; i < count; ++i)
        frames << halves(size, QColor::fromHsv(i * 9, 200, 220),
                         QColor::fromHsv(359 - i * 9, 90, 120));
    const QByteArray gif = animatedGifFile(frames, 5);
    const QString path = dir.path() + "/anim.gif";
    if (!writeFile(path, gif)) return 1;

    std::vector<double> ours, theirs;
    int decoded = 0, stepped = 0;
    for (int run = 0; run < 5; ++run) {
        ours.push_back(timeMs([&] {
            const auto a = DecodeGifAnimation(QFile::encodeName(path), {});
            decoded = a ? int(a->frames.size()) : 0;
        }));
        theirs.push_back(timeMs([&] {
            QMovie movie(path);
            movie.setCacheMode(QMovie::CacheAll);
            stepped = 0;
            // It loops for ever: one round.
            while (stepped < count && movie.jumpToNextFrame()) ++stepped;
        }));
    }
    std::printf("%d frames of %dx%d (%lld KB file)\n", count, size.width(), size.height(),
                qint64(gif.size()) / 1024);
    std::printf("DecodeGifAnimation: %.1f ms median, %d frames\n", median(ours), decoded);
    std::printf("baseline QMovie stepping every frame: %.1f ms median, %d frames\n", median(theirs),
                stepped);
    return decoded == count ? 0 : 1;
}
