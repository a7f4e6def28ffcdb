#include "platform/MetafileRenderer.h"

#include <QList>

#include <cmath>

#include "platform/HelperProcess.h"

QString MetafileRenderer::FindHelper() {
    return HelperProcess::Find("kvoview-metafile");
}

std::optional<QImage> MetafileRenderer::Render(const QByteArray& data, PictureType type,
                                               QSize size) const {
    if (size.isEmpty() || qint64(size.width()) * size.height() > kMaxPixels ||
        (type != PictureType::Wmf && type != PictureType::Emf))
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    // The helper answers with the raw pixels of exactly this image.
    const auto kind = type == PictureType::Emf ? HelperProtocol::DrawEmf : HelperProtocol::DrawWmf;
    const auto received =
        run(kind, size, data, reinterpret_cast<char*>(image.bits()), image.sizeInBytes());
    if (received != image.sizeInBytes()) return {};
    return image;
}

std::optional<QSizeF> MetafileRenderer::MeasureWmf(const QByteArray& data) const {
    // The helper answers with one line: width and height in twips.
    char answer[64];
    const auto received = run(HelperProtocol::MeasureWmf, {}, data, answer, sizeof answer - 1);
    if (!received) return {};
    answer[*received] = '\0';
    const QList<QByteArray> fields = QByteArray(answer).trimmed().split(' ');
    if (fields.size() != 2) return {};
    bool okW = false, okH = false;
    const double w = fields[0].toDouble(&okW), h = fields[1].toDouble(&okH);
    if (!okW || !okH || !(w > 0 && h > 0) || !std::isfinite(w) || !std::isfinite(h)) return {};
    return QSizeF(w, h);
}

int MetafileRenderer::HelpersStarted() {
    return HelperProcess::Started();
}

QList<qint64> MetafileRenderer::IdleHelpers() {
    return HelperProcess::Idle();
}

void MetafileRenderer::StopIdleHelpers() {
    HelperProcess::StopIdle();
}

std::optional<qint64> MetafileRenderer::run(quint32 kind, QSize size, const QByteArray& data,
                                            char* out, qint64 capacity) const {
    if (data.size() > kMaxInputBytes) return {};
    HelperProtocol::Request request;
    request.kind = kind;
    request.width = quint32(size.width());
    request.height = quint32(size.height());
    request.cpuMs = quint32(qBound(1, cpuMs_, kMaxCpuMs));
    request.length = quint64(data.size());
    return HelperProcess::Run(helper_, request, data, out, capacity, timeoutMs_, cancel_);
}
