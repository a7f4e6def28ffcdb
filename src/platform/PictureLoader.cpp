#include "platform/PictureLoader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <limits>

#include "platform/MetafileRenderer.h"
#include "platform/PathText.h"
#include "platform/PictureDecoder.h"

namespace {

// Enough for every header we read ourselves: the icon directory, the
// metafile headers and the first records of a plain WMF.
constexpr qint64 kHeadBytes = 64 * 1024;
constexpr int kMaxIconEntries = 64;

// Qt's GIF reader decodes no screen of 16384 x 16384 pixels or more.
constexpr qint64 kGifReaderMaxPixels = qint64(16384) * 16384 - 1;
// Qt's GIF reader fills the whole screen before it draws the first image,
// a cost that needs no data at all: a 35-byte file can ask for 16000 x 16000
// pixels and hold the window for seconds. Up to this many pixels (about
// 60 ms of filling) any screen goes; a larger one must be one the first
// image's data can paint.
constexpr qint64 kGifFreeFillPixels = 2048 * 2048;

template <class T>
std::optional<T> fail(PictureError* error, PictureError why) {
    if (error) *error = why;
    return std::nullopt;
}

bool isMetafile(PictureType type) {
    return type == PictureType::Wmf || type == PictureType::Emf;
}

// Regular files only: a FIFO or device named like a picture would block or
// never end. The open itself does not wait (a FIFO without a writer would),
// and what was opened is what gets checked. Opened by its bytes, so a name
// that is not valid UTF-8 works too.
bool openRegularFile(const QByteArray& path, QFile& file) {
    if (path.isEmpty() || path.contains('\0')) return false;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

// The largest entry of an icon or cursor, the deepest colours among equals.
// Leaves the reader on that entry.
bool selectBestIcon(QImageReader& reader, QByteArrayView head) {
    const int count = qMin(reader.imageCount(), kMaxIconEntries);
    int best = -1, bestDepth = -1;
    qint64 bestArea = -1;
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i)) continue;
        const QSize size = reader.size();
        if (size.isEmpty()) continue;
        const qint64 area = qint64(size.width()) * size.height();
        const int depth = PictureFormat::iconEntryDepth(head, i);
        if (area > bestArea || (area == bestArea && depth > bestDepth)) {
            best = i;
            bestArea = area;
            bestDepth = depth;
        }
    }
    return best >= 0 && reader.jumpToImage(best);
}

// libjpeg decodes at 1/1, 1/2, 1/4 or 1/8, the smallest of these that still
// covers the size asked for; Qt then scales the rest of the way.
// Qt's own cap on one image allocation (128 MB by default) would refuse a full
// decode of a large photo; our limits are checked before any decode, so the
// cap only needs to let through what the default limits allow. It is one
// setting for the whole process, set once: loads run on several threads.
void allowLargeAllocations() {
    static const bool set = [] {
        const qint64 megabytes = PictureLimits().maxPixels * 4 / (1024 * 1024) + 1;
        QImageReader::setAllocationLimit(
            int(qMin<qint64>(megabytes, std::numeric_limits<int>::max())));
        return true;
    }();
    (void)set;
}

}  // namespace

PictureLoader::PictureLoader(float twipsPerPixelX, float twipsPerPixelY, PictureLimits limits)
    : twipsPerPixelX_(twipsPerPixelX),
      twipsPerPixelY_(twipsPerPixelY),
      limits_(limits),
      helper_(MetafileRenderer::FindHelper()),
      decodeHelper_(PictureDecoder::FindHelper()) {}

std::optional<PictureLoader::Stamp> PictureLoader::StampOf(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return {};
    return Stamp{qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                 qint64(st.st_size)};
}

QSize PictureLoader::JpegDecodeSize(QSize full, QSize target) {
    int denominator = 8;
    while (denominator > 1 && (full.width() / denominator < target.width() ||
                               full.height() / denominator < target.height()))
        denominator /= 2;
    return QSize((full.width() + denominator - 1) / denominator,
                 (full.height() + denominator - 1) / denominator);
}

QSize PictureLoader::FitWithin(QSize size, QSize box) {
    if (size.isEmpty() || box.isEmpty()) return size;
    if (size.width() <= box.width() && size.height() <= box.height()) return size;
    const double scale =
        qMin(double(box.width()) / size.width(), double(box.height()) / size.height());
    return QSize(qBound(1, int(std::lround(size.width() * scale)), box.width()),
                 qBound(1, int(std::lround(size.height() * scale)), box.height()));
}

bool PictureLoader::withinLimits(QSize size) const {
    return size.width() > 0 && size.height() > 0 && size.width() <= limits_.maxSide &&
           size.height() <= limits_.maxSide &&
           qint64(size.width()) * size.height() <= limits_.maxPixels;
}

std::optional<PictureInfo> PictureLoader::Probe(const QString& path, PictureError* error) const {
    return Probe(PathBytes(path), error);
}

std::optional<Picture> PictureLoader::Load(const QString& path, QSize maxSize,
                                           PictureError* error) const {
    return Load(PathBytes(path), maxSize, error);
}

std::optional<PictureInfo> PictureLoader::Probe(const QByteArray& path, PictureError* error) const {
    QFile file;
    if (!openRegularFile(path, file)) return fail<PictureInfo>(error, PictureError::CannotOpen);
    const QByteArray head = file.peek(kHeadBytes);
    const PictureType type = PictureFormat::sniffNamed(head, path);
    if (type == PictureType::Unknown) return fail<PictureInfo>(error, PictureError::UnknownType);
    std::optional<PictureInfo> info;
    if (PictureDecoder::Handles(type)) {
        // Their containers may keep the facts after the pixels.
        if (file.size() > limits_.maxFileBytes)
            return fail<PictureInfo>(error, PictureError::CannotOpen);
        info = decodedInfo(file.readAll(), type, error);
    } else if (isMetafile(type)) {
        // A plain WMF that sets no window is as large as what it draws, which
        // takes the whole file to find out.
        QByteArray data = head;
        if (type == PictureType::Wmf && !PictureFormat::metafileTwips(head, type) &&
            file.size() > head.size()) {
            if (file.size() > limits_.maxFileBytes)
                return fail<PictureInfo>(error, PictureError::CannotOpen);
            data = file.readAll();
        }
        info = metafileInfo(data, type, error);
    } else {
        // A GIF with a zero side takes it from its first image, whose
        // descriptor a long run of extensions can push past the head.
        QByteArray data = head;
        if (type == PictureType::Gif && !PictureFormat::gifLayout(head) &&
            file.size() > head.size()) {
            if (file.size() > limits_.maxFileBytes)
                return fail<PictureInfo>(error, PictureError::CannotOpen);
            data = file.readAll();
        }
        QBuffer tga;
        if (type == PictureType::Tga) {
            tga.setData(PictureFormat::tgaWithFooter(head));
            tga.open(QIODevice::ReadOnly);
        }
        QImageReader reader(type == PictureType::Tga ? static_cast<QIODevice*>(&tga) : &file,
                            PictureFormat::name(type));
        info = bitmapInfo(reader, type, data, error);
    }
    if (info && error) *error = PictureError::None;
    return info;
}

std::optional<Picture> PictureLoader::Load(const QByteArray& path, QSize maxSize,
                                           PictureError* error, const PictureInfo* probed) const {
    return loadPart(path, maxSize, QSize(), error, probed);
}

std::optional<Picture> PictureLoader::LoadTopLeft(const QByteArray& path, QSize part,
                                                  PictureError* error) const {
    if (part.isEmpty()) return fail<Picture>(error, PictureError::TooLarge);
    return loadPart(path, QSize(), part, error, nullptr);
}

std::optional<Picture> PictureLoader::loadPart(const QByteArray& path, QSize maxSize, QSize part,
                                               PictureError* error,
                                               const PictureInfo* probed) const {
    QFile file;
    if (!openRegularFile(path, file) || file.size() > limits_.maxFileBytes)
        return fail<Picture>(error, PictureError::CannotOpen);
    const qint64 fileSize = file.size();
    const QByteArray head = file.peek(kHeadBytes);
    const PictureType type = PictureFormat::sniffNamed(head, path);
    if (type == PictureType::Unknown) return fail<Picture>(error, PictureError::UnknownType);

    // The file is read whole, so the checks and the decoder see the same
    // bytes even if it changes meanwhile. Not a BMP: copying its uncompressed
    // pixels would cost a third of the decode, so it is decoded from the file
    // and refused if the file's size changed under the decoder.
    const bool fromFile = type == PictureType::Bmp;
    const QByteArray data = fromFile ? head : file.readAll();
    const qint64 dataSize = fromFile ? fileSize : data.size();
    if (dataSize > limits_.maxFileBytes) return fail<Picture>(error, PictureError::CannotOpen);
    if (PictureDecoder::Handles(type)) return loadDecoded(data, type, maxSize, part, error);

    Picture picture;
    std::optional<QImage> image;
    if (isMetafile(type)) {
        if (!PictureFormat::metafileComplete(data, type))
            return fail<Picture>(error, PictureError::Damaged);
        const auto info = probed && probed->type == type ? std::optional(*probed)
                                                         : metafileInfo(data, type, error);
        if (!info) return {};
        picture.info = *info;
        image = renderMetafile(data, *info, maxSize, error);
        if (image && part.isValid()) {
            // Drawn smaller than its natural size when that is too large.
            const QSize kept = part.boundedTo(info->pixels);
            const double sx = double(image->width()) / info->pixels.width();
            const double sy = double(image->height()) / info->pixels.height();
            *image = image->copy(0, 0, int(std::ceil(kept.width() * sx)),
                                 int(std::ceil(kept.height() * sy)));
        }
    } else {
        QBuffer buffer;
        buffer.setData(type == PictureType::Tga ? PictureFormat::tgaWithFooter(data) : data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(fromFile ? static_cast<QIODevice*>(&file) : &buffer,
                            PictureFormat::name(type));
        const auto info = bitmapInfo(reader, type, data, error);
        if (!info) return {};
        picture.info = *info;
        image = decodeBitmap(reader, *info, data, dataSize, maxSize, part, error);
        if (image && fromFile && file.size() != fileSize)
            return fail<Picture>(error, PictureError::Damaged);
    }
    if (!image) return {};
    picture.image = std::move(*image);
    if (error) *error = PictureError::None;
    return picture;
}

std::optional<PictureInfo> PictureLoader::metafileInfo(const QByteArray& data, PictureType type,
                                                       PictureError* error) const {
    auto twips = PictureFormat::metafileTwips(data, type);
    if (!twips && type == PictureType::Wmf) {
        const auto layout = PictureFormat::wmfLayout(data);
        if (!layout || layout->placeable) return fail<PictureInfo>(error, PictureError::Damaged);
        MetafileRenderer renderer(helper_, limits_.metafileTimeoutMs, limits_.metafileCpuMs);
        renderer.SetCancel(cancel_);
        twips = renderer.MeasureWmf(data);
        if (!twips) return fail<PictureInfo>(error, PictureError::RendererFailed);
    }
    if (!twips) return fail<PictureInfo>(error, PictureError::Damaged);
    const double w = std::round(twips->width() / twipsPerPixelX_);
    const double h = std::round(twips->height() / twipsPerPixelY_);
    // Checked as doubles: a hostile header's size would overflow an int.
    if (w > limits_.maxSide || h > limits_.maxSide)
        return fail<PictureInfo>(error, PictureError::TooLarge);
    const QSize pixels(qMax(1, int(w)), qMax(1, int(h)));
    if (!withinLimits(pixels)) return fail<PictureInfo>(error, PictureError::TooLarge);
    return PictureInfo{type, pixels, *twips};
}

std::optional<PictureInfo> PictureLoader::bitmapInfo(QImageReader& reader, PictureType type,
                                                     QByteArrayView head,
                                                     PictureError* error) const {
    reader.setAutoTransform(false);  // pixels as stored, as the header counts them
    const bool isIcon = type == PictureType::Ico || type == PictureType::Cur;
    if (isIcon && !selectBestIcon(reader, head))
        return fail<PictureInfo>(error, PictureError::Damaged);
    // A BMP's and a GIF's size from their headers: Qt's reader reports none for
    // some BMPs, and for a GIF whose screen is much larger than its first
    // image it reports the image's extent, while its decoder fills the screen.
    QSize pixels;
    if (type == PictureType::Bmp) {
        pixels = PictureFormat::bmpSize(head).value_or(QSize());
    } else if (type == PictureType::Gif) {
        const auto layout = PictureFormat::gifLayout(head);
        pixels = layout ? layout->screen : QSize();
    } else {
        pixels = reader.size();
    }
    if (pixels.isEmpty()) return fail<PictureInfo>(error, PictureError::Damaged);
    QImageIOHandler::Transformations turned = QImageIOHandler::TransformationNone;
    if (upright_ && !isIcon) {
        turned = reader.transformation();
        if (turned & QImageIOHandler::TransformationRotate90) pixels.transpose();
    }
    const QSizeF twips(pixels.width() * double(twipsPerPixelX_),
                       pixels.height() * double(twipsPerPixelY_));
    return PictureInfo{type, pixels, twips, turned};
}

std::optional<QImage> PictureLoader::decodeBitmap(QImageReader& reader, const PictureInfo& info,
                                                  QByteArrayView data, qint64 fileSize,
                                                  QSize maxSize, QSize part,
                                                  PictureError* error) const {
    const QSize full = info.pixels;
    const QSize target = part.isValid()      ? part.boundedTo(full)
                         : maxSize.isValid() ? FitWithin(full, maxSize)
                                             : full;
    // The decoder works in the stored orientation and turns the picture
    // upright at the end; a top left part of the turned picture is another
    // corner of the stored one, so a turned picture is decoded whole and cut.
    const bool turned = info.turned != QImageIOHandler::TransformationNone;
    const auto stored = [&](QSize s) {
        return info.turned & QImageIOHandler::TransformationRotate90 ? s.transposed() : s;
    };
    const bool cutWhileDecoding = part.isValid() && !turned;
    const QSize decoded = part.isValid() ? (turned ? full : target) : target;

    // Judge the size the decoder really holds, not the size it hands back.
    QSize working = stored(full);
    bool complete = true, tooLarge = false;
    switch (info.type) {
        case PictureType::Jpeg: {
            const auto layout = PictureFormat::jpegLayout(data);
            if (!layout) return fail<QImage>(error, PictureError::Damaged);
            // Cut while decoding, the rows below the part are never read.
            if (!layout->buffersWholeImage)
                working = cutWhileDecoding
                              ? target
                              : PictureLoader::JpegDecodeSize(stored(full), stored(decoded));
            complete = layout->complete;
            break;
        }
        case PictureType::Bmp:
            complete = PictureFormat::bmpComplete(data, fileSize);
            break;
        case PictureType::Gif: {
            const auto layout = PictureFormat::gifLayout(data);
            if (!layout) return fail<QImage>(error, PictureError::Damaged);
            complete = layout->complete;
            const qint64 screen = qint64(full.width()) * full.height();
            tooLarge = screen > kGifReaderMaxPixels ||
                       (screen > kGifFreeFillPixels &&
                        PictureFormat::gifPaintablePixels(*layout) < screen);
            break;
        }
        case PictureType::Svg:
            working = target;  // drawn at the size asked
            break;
        case PictureType::Tga:
            complete = PictureFormat::tgaComplete(data);
            break;
        default:
            break;  // Qt's icon reader refuses a truncated entry itself
    }
    if (tooLarge || !withinLimits(working)) return fail<QImage>(error, PictureError::TooLarge);
    if (!complete) return fail<QImage>(error, PictureError::Damaged);

    allowLargeAllocations();
    reader.setAutoTransform(turned);
    if (cutWhileDecoding) {
        if (target != full) reader.setClipRect(QRect(QPoint(0, 0), target));
    } else if (decoded != full) {
        reader.setScaledSize(stored(decoded));
    }
    QImage image = reader.read();
    if (image.isNull() || image.size() != decoded)
        return fail<QImage>(error, PictureError::Damaged);
    if (decoded != target) image = image.copy(QRect(QPoint(0, 0), target));
    return image;
}

std::optional<QImage> PictureLoader::renderMetafile(const QByteArray& data, const PictureInfo& info,
                                                    QSize maxSize, PictureError* error) const {
    QSize target = maxSize.isValid() ? FitWithin(info.pixels, maxSize) : info.pixels;
    const qint64 area = qint64(target.width()) * target.height();
    if (area > MetafileRenderer::kMaxPixels) {
        const double scale = std::sqrt(double(MetafileRenderer::kMaxPixels) / area);
        target =
            FitWithin(target, QSize(int(target.width() * scale), int(target.height() * scale)));
    }
    if (data.size() > MetafileRenderer::kMaxInputBytes)
        return fail<QImage>(error, PictureError::TooLarge);
    MetafileRenderer renderer(helper_, limits_.metafileTimeoutMs, limits_.metafileCpuMs);
    renderer.SetCancel(cancel_);
    auto image = renderer.Render(data, info.type, target);
    if (!image) return fail<QImage>(error, PictureError::RendererFailed);
    return image;
}
