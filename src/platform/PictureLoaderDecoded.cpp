// The picture loader's AVIF, HEIF and JPEG XL files: their libraries run in
// the kvoview-decode helper, never in this process.
#include <cmath>

#include "platform/PictureDecoder.h"
#include "platform/PictureLoader.h"

namespace {
template <class T>
std::optional<T> failed(PictureError* error, PictureError why) {
    if (error) *error = why;
    return std::nullopt;
}
}  // namespace

std::optional<PictureInfo> PictureLoader::decodedInfo(const QByteArray& data, PictureType type,
                                                      PictureError* error) const {
    if (data.size() > PictureDecoder::kMaxInputBytes)
        return failed<PictureInfo>(error, PictureError::TooLarge);
    PictureDecoder decoder(decodeHelper_, limits_.decodeTimeoutMs, limits_.decodeCpuMs);
    decoder.SetCancel(cancel_);
    const auto pixels = decoder.Measure(data, type);
    // The helper refuses what its library cannot read: a damaged file as
    // much as a missing helper.
    if (!pixels) return failed<PictureInfo>(error, PictureError::Damaged);
    if (!withinLimits(*pixels) ||
        qint64(pixels->width()) * pixels->height() > PictureDecoder::kMaxSourcePixels)
        return failed<PictureInfo>(error, PictureError::TooLarge);
    const QSizeF twips(pixels->width() * double(twipsPerPixelX_),
                       pixels->height() * double(twipsPerPixelY_));
    return PictureInfo{type, *pixels, twips};
}

std::optional<Picture> PictureLoader::loadDecoded(const QByteArray& data, PictureType type,
                                                  QSize maxSize, QSize part,
                                                  PictureError* error) const {
    const auto info = decodedInfo(data, type, error);
    if (!info) return {};
    const QSize full = info->pixels;
    // A part is cut from the whole picture; the helper hands back no more
    // than PictureDecoder::kMaxPixels, so a larger picture comes smaller and
    // the part is cut in proportion.
    QSize target = part.isValid() ? full : maxSize.isValid() ? FitWithin(full, maxSize) : full;
    const qint64 area = qint64(target.width()) * target.height();
    if (area > PictureDecoder::kMaxPixels) {
        const double scale = std::sqrt(double(PictureDecoder::kMaxPixels) / area);
        target =
            FitWithin(target, QSize(int(target.width() * scale), int(target.height() * scale)));
    }
    PictureDecoder decoder(decodeHelper_, limits_.decodeTimeoutMs, limits_.decodeCpuMs);
    decoder.SetCancel(cancel_);
    auto image = decoder.Decode(data, type, target);
    if (!image) return failed<Picture>(error, PictureError::Damaged);
    if (part.isValid()) {
        const QSize kept = part.boundedTo(full);
        const double sx = double(image->width()) / full.width();
        const double sy = double(image->height()) / full.height();
        *image = image->copy(0, 0, int(std::ceil(kept.width() * sx)),
                             int(std::ceil(kept.height() * sy)));
    }
    if (error) *error = PictureError::None;
    return Picture{*info, std::move(*image)};
}
