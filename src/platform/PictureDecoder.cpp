#include "platform/PictureDecoder.h"

#include <limits>

#include "platform/HelperProcess.h"

namespace {
// The request kinds of a type: measuring, decoding; 0 for a type not ours.
std::pair<quint32, quint32> kindsOf(PictureType type) {
    using namespace HelperProtocol;
    switch (type) {
        case PictureType::Avif:
            return {MeasureAvif, DecodeAvif};
        case PictureType::Heif:
            return {MeasureHeif, DecodeHeif};
        case PictureType::Jxl:
            return {MeasureJxl, DecodeJxl};
        default:
            return {0, 0};
    }
}
}  // namespace

QString PictureDecoder::FindHelper() {
    return HelperProcess::Find("kvoview-decode");
}

bool PictureDecoder::Handles(PictureType type) {
    return kindsOf(type).first != 0;
}

std::optional<QSize> PictureDecoder::Measure(const QByteArray& data, PictureType type) const {
    const quint32 kind = kindsOf(type).first;
    if (kind == 0) return {};
    quint32 size[2] = {0, 0};
    const auto received = run(kind, {}, data, reinterpret_cast<char*>(size), sizeof size);
    if (received != qint64(sizeof size) || size[0] < 1 || size[1] < 1 ||
        size[0] > quint32(std::numeric_limits<int>::max()) ||
        size[1] > quint32(std::numeric_limits<int>::max()))
        return {};
    return QSize(int(size[0]), int(size[1]));
}

std::optional<QImage> PictureDecoder::Decode(const QByteArray& data, PictureType type,
                                             QSize size) const {
    const quint32 kind = kindsOf(type).second;
    if (kind == 0 || size.isEmpty() || qint64(size.width()) * size.height() > kMaxPixels) return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    const auto received =
        run(kind, size, data, reinterpret_cast<char*>(image.bits()), image.sizeInBytes());
    if (received != image.sizeInBytes()) return {};
    return image;
}

std::optional<qint64> PictureDecoder::run(quint32 kind, QSize size, const QByteArray& data,
                                          char* out, qint64 capacity) const {
    if (data.size() > kMaxInputBytes) return {};
    HelperProtocol::Request request;
    request.kind = kind;
    request.width = quint32(qMax(0, size.width()));
    request.height = quint32(qMax(0, size.height()));
    request.cpuMs = quint32(qBound(1, cpuMs_, kMaxCpuMs));
    request.length = quint64(data.size());
    return HelperProcess::Run(helper_, request, data, out, capacity, timeoutMs_, cancel_);
}
