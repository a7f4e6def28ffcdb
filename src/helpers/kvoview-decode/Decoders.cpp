#include "Decoders.h"

#include <avif/avif.h>
#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>
#include <libheif/heif.h>

#include <limits>
#include <memory>
#include <vector>

namespace {

// The machines the program runs on often have few cores, shared with the
// program itself.
constexpr int kThreads = 2;

bool fits(qint64 width, qint64 height, qint64 maxPixels) {
    return width > 0 && height > 0 && width <= 65535 && height <= 65535 &&
           width * height <= maxPixels;
}

// --- AVIF

struct AvifDecoder {
    avifDecoder* d = avifDecoderCreate();
    ~AvifDecoder() {
        if (d) avifDecoderDestroy(d);
    }
};

bool parseAvif(AvifDecoder& decoder, const QByteArray& data) {
    if (!decoder.d) return false;
    decoder.d->maxThreads = kThreads;
    decoder.d->ignoreExif = AVIF_TRUE;
    decoder.d->ignoreXMP = AVIF_TRUE;
    return avifDecoderSetIOMemory(decoder.d, reinterpret_cast<const uint8_t*>(data.constData()),
                                  size_t(data.size())) == AVIF_RESULT_OK &&
           avifDecoderParse(decoder.d) == AVIF_RESULT_OK;
}

std::optional<QSize> measureAvif(const QByteArray& data) {
    AvifDecoder decoder;
    if (!parseAvif(decoder, data)) return {};
    return QSize(int(decoder.d->image->width), int(decoder.d->image->height));
}

std::optional<QImage> decodeAvif(const QByteArray& data, qint64 maxPixels) {
    AvifDecoder decoder;
    if (decoder.d)
        decoder.d->imageSizeLimit =
            uint32_t(qMin<qint64>(maxPixels, AVIF_DEFAULT_IMAGE_SIZE_LIMIT));
    if (!parseAvif(decoder, data)) return {};
    if (!fits(decoder.d->image->width, decoder.d->image->height, maxPixels) ||
        avifDecoderNextImage(decoder.d) != AVIF_RESULT_OK)
        return {};
    avifImage* yuv = decoder.d->image;
    QImage image(int(yuv->width), int(yuv->height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    // Straight into the image: BGRA bytes are ARGB32 words on this machine.
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, yuv);
    rgb.format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_ARGB;
    rgb.depth = 8;
    rgb.alphaPremultiplied = AVIF_TRUE;
    rgb.pixels = image.bits();
    rgb.rowBytes = uint32_t(image.bytesPerLine());
    if (avifImageYUVToRGB(yuv, &rgb) != AVIF_RESULT_OK) return {};
    return image;
}

// --- HEIF

struct HeifImage {
    heif_context* context = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    ~HeifImage() {
        if (image) heif_image_release(image);
        if (handle) heif_image_handle_release(handle);
        if (context) heif_context_free(context);
    }
};

bool openHeif(HeifImage& heif, const QByteArray& data) {
    if (!heif.context) return false;
    heif_context_set_maximum_image_size_limit(heif.context, 65535);
    heif_context_set_max_decoding_threads(heif.context, kThreads);
    return heif_context_read_from_memory_without_copy(heif.context, data.constData(),
                                                      size_t(data.size()), nullptr)
                   .code == heif_error_Ok &&
           heif_context_get_primary_image_handle(heif.context, &heif.handle).code == heif_error_Ok;
}

std::optional<QSize> measureHeif(const QByteArray& data) {
    HeifImage heif;
    if (!openHeif(heif, data)) return {};
    return QSize(heif_image_handle_get_width(heif.handle),
                 heif_image_handle_get_height(heif.handle));
}

std::optional<QImage> decodeHeif(const QByteArray& data, qint64 maxPixels) {
    HeifImage heif;
    if (!openHeif(heif, data) || !fits(heif_image_handle_get_width(heif.handle),
                                       heif_image_handle_get_height(heif.handle), maxPixels))
        return {};
    if (heif_decode_image(heif.handle, &heif.image, heif_colorspace_RGB,
                          heif_chroma_interleaved_RGBA, nullptr)
            .code != heif_error_Ok)
        return {};
    int stride = 0;
    const uint8_t* pixels =
        heif_image_get_plane_readonly(heif.image, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(heif.image, heif_channel_interleaved);
    const int height = heif_image_get_height(heif.image, heif_channel_interleaved);
    if (!pixels || !fits(width, height, maxPixels) || stride < width * 4) return {};
    const QImage view(pixels, width, height, stride, QImage::Format_RGBA8888);
    QImage image = view.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    return image;
}

// --- JPEG XL

struct JxlState {
    JxlDecoder* decoder = JxlDecoderCreate(nullptr);
    void* runner = JxlThreadParallelRunnerCreate(nullptr, kThreads);
    ~JxlState() {
        if (decoder) JxlDecoderDestroy(decoder);
        if (runner) JxlThreadParallelRunnerDestroy(runner);
    }
};

// Runs the decoder over the whole file; with `pixels`, to the full image.
std::optional<QImage> runJxl(const QByteArray& data, qint64 maxPixels, bool pixels, QSize* size) {
    JxlState jxl;
    if (!jxl.decoder || !jxl.runner ||
        JxlDecoderSetParallelRunner(jxl.decoder, JxlThreadParallelRunner, jxl.runner) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSubscribeEvents(jxl.decoder,
                                  JXL_DEC_BASIC_INFO | (pixels ? JXL_DEC_FULL_IMAGE : 0)) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(jxl.decoder, reinterpret_cast<const uint8_t*>(data.constData()),
                           size_t(data.size())) != JXL_DEC_SUCCESS)
        return {};
    JxlDecoderCloseInput(jxl.decoder);
    const JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    QImage rgba;
    for (;;) {
        switch (JxlDecoderProcessInput(jxl.decoder)) {
            case JXL_DEC_BASIC_INFO: {
                JxlBasicInfo info;
                if (JxlDecoderGetBasicInfo(jxl.decoder, &info) != JXL_DEC_SUCCESS) return {};
                // The sizes are before orientation; the decoder turns the pixels.
                const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
                *size = turned ? QSize(int(info.ysize), int(info.xsize))
                               : QSize(int(info.xsize), int(info.ysize));
                if (!fits(info.xsize, info.ysize, maxPixels)) return {};
                if (!pixels) return QImage();
                break;
            }
            case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
                rgba = QImage(*size, QImage::Format_RGBA8888);
                size_t bytes = 0;
                if (rgba.isNull() ||
                    JxlDecoderImageOutBufferSize(jxl.decoder, &format, &bytes) != JXL_DEC_SUCCESS ||
                    bytes != size_t(rgba.sizeInBytes()) ||
                    JxlDecoderSetImageOutBuffer(jxl.decoder, &format, rgba.bits(), bytes) !=
                        JXL_DEC_SUCCESS)
                    return {};
                break;
            }
            case JXL_DEC_FULL_IMAGE:
                return rgba.isNull() ? std::nullopt
                                     : std::optional(rgba.convertToFormat(
                                           QImage::Format_ARGB32_Premultiplied));
            default:  // an error, or the file ends early
                return {};
        }
    }
}

std::optional<QSize> measureJxl(const QByteArray& data) {
    QSize size;
    if (!runJxl(data, std::numeric_limits<qint64>::max(), false, &size)) return {};
    return size;
}

// Each halving averages four pixels into one.
QImage halved(const QImage& image) {
    const int w = image.width() / 2, h = image.height() / 2;
    QImage half(w, h, QImage::Format_ARGB32_Premultiplied);
    if (half.isNull()) return {};
    for (int y = 0; y < h; ++y) {
        const auto* a = reinterpret_cast<const quint32*>(image.constScanLine(2 * y));
        const auto* b = reinterpret_cast<const quint32*>(image.constScanLine(2 * y + 1));
        auto* out = reinterpret_cast<quint32*>(half.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const quint32 p[4] = {a[2 * x], a[2 * x + 1], b[2 * x], b[2 * x + 1]};
            // Two channels at a time, each in its own 16 bits.
            quint64 rb = 0, ag = 0;
            for (const quint32 v : p) {
                rb += (v & 0x00FF00FFu);
                ag += ((v >> 8) & 0x00FF00FFu);
            }
            rb = ((rb + 0x00020002u) >> 2) & 0x00FF00FFu;
            ag = ((ag + 0x00020002u) >> 2) & 0x00FF00FFu;
            out[x] = quint32(rb | (ag << 8));
        }
    }
    return half;
}

}  // namespace

namespace Decoders {

std::optional<QSize> Measure(Format format, const QByteArray& data) {
    switch (format) {
        case Format::Avif:
            return measureAvif(data);
        case Format::Heif:
            return measureHeif(data);
        case Format::Jxl:
            return measureJxl(data);
    }
    return {};
}

std::optional<QImage> Decode(Format format, const QByteArray& data, qint64 maxPixels) {
    switch (format) {
        case Format::Avif:
            return decodeAvif(data, maxPixels);
        case Format::Heif:
            return decodeHeif(data, maxPixels);
        case Format::Jxl: {
            QSize size;
            return runJxl(data, maxPixels, true, &size);
        }
    }
    return {};
}

QImage ScaleTo(QImage image, QSize size) {
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    while (image.width() / 2 >= size.width() && image.height() / 2 >= size.height() &&
           !image.isNull())
        image = halved(image);
    if (image.size() == size || image.isNull()) return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace Decoders
