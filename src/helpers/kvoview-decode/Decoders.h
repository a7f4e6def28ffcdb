#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

// The AVIF, HEIF and JPEG XL libraries behind one face. Sizes are the
// picture's as shown (orientation applied where the library applies it).
// Nothing here limits the process: kvoview-decode does that before it calls
// any of these, and benchmarks call them in-process.
namespace Decoders {

enum class Format { Avif, Heif, Jxl };

// The size from the headers, without decoding the pixels.
std::optional<QSize> Measure(Format format, const QByteArray& data);

// The whole picture, premultiplied ARGB32; nothing when it is damaged or has
// more than maxPixels.
std::optional<QImage> Decode(Format format, const QByteArray& data, qint64 maxPixels);

// image scaled to exactly size: halved by averaging while that stays at or
// above the size, then smoothly the rest of the way.
QImage ScaleTo(QImage image, QSize size);

}  // namespace Decoders
