#include "platform/GifFrames.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include "platform/PictureFormat.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The file's bytes when it is a regular file no larger than maxBytes; opened
// by its bytes, and without waiting on a FIFO named like a picture.
std::optional<QByteArray> readRegularFile(const QByteArray& path, qint64 maxBytes) {
    if (path.isEmpty() || path.contains('\0')) return std::nullopt;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st;
    QFile file;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    return file.readAll();
}
}  // namespace

std::optional<GifAnimation> DecodeGifAnimation(const QByteArray& path, QSize size,
                                               const AnimationLimits& limits,
                                               const std::atomic<bool>* stop) {
    auto stopped = [stop] { return stop && stop->load(std::memory_order_relaxed); };
    std::optional<QByteArray> data = readRegularFile(path, limits.maxFileBytes);
    if (!data || PictureFormat::sniff(*data) != PictureType::Gif) return std::nullopt;
    // Every frame is the whole screen: a screen two frames of which do not
    // fit is refused before anything is decoded.
    const auto layout = PictureFormat::gifLayout(*data);
    if (!layout || layout->screen.isEmpty()) return std::nullopt;
    const QSize frameSize = size.isValid() && !size.isEmpty() ? size : layout->screen;
    const qint64 frameBytes = qMax(qint64(layout->screen.width()) * layout->screen.height(),
                                   qint64(frameSize.width()) * frameSize.height()) *
                              4;
    if (2 * frameBytes > limits.maxBytes) return std::nullopt;

    QBuffer buffer(&*data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    GifAnimation animation;
    qint64 held = 0;
    while (!stopped()) {
        QImage frame = reader.read();
        if (frame.isNull()) break;
        if (int(animation.frames.size()) >= limits.maxFrames) return std::nullopt;
        const int delay = reader.nextImageDelay();
        if (frame.size() != frameSize)
            frame = frame.scaled(frameSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        frame = std::move(frame).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        held += frame.sizeInBytes();
        if (held > limits.maxBytes) return std::nullopt;
        animation.frames.push_back(std::move(frame));
        animation.delaysMs.push_back(delay < kGifMinDelayMs ? kGifShortDelayMs : delay);
    }
    if (stopped() || animation.frames.size() < 2) return std::nullopt;
    animation.loopCount = reader.loopCount();
    return animation;
}
