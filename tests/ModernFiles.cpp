#include "ModernFiles.h"

#include <QtEndian>

#include <avif/avif.h>
#include <jxl/encode.h>
#include <libheif/heif.h>

namespace {
QImage rgba(const QImage& picture) {
    return picture.convertToFormat(QImage::Format_RGBA8888);
}
}  // namespace

QByteArray avifFile(const QImage& picture, int quantizer) {
    const QImage source = rgba(picture);
    avifImage* image =
        avifImageCreate(source.width(), source.height(), 8, AVIF_PIXEL_FORMAT_YUV444);
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image);
    rgb.format = AVIF_RGB_FORMAT_RGBA;
    rgb.depth = 8;
    rgb.pixels = const_cast<uint8_t*>(source.constBits());
    rgb.rowBytes = uint32_t(source.bytesPerLine());
    QByteArray file;
    if (avifImageRGBToYUV(image, &rgb) == AVIF_RESULT_OK) {
        avifEncoder* encoder = avifEncoderCreate();
        encoder->speed = AVIF_SPEED_FASTEST;
        encoder->maxThreads = 2;
        encoder->minQuantizer = encoder->maxQuantizer = quantizer;
        avifRWData output = AVIF_DATA_EMPTY;
        if (avifEncoderWrite(encoder, image, &output) == AVIF_RESULT_OK)
            file = QByteArray(reinterpret_cast<const char*>(output.data), qsizetype(output.size));
        avifRWDataFree(&output);
        avifEncoderDestroy(encoder);
    }
    avifImageDestroy(image);
    return file;
}

QByteArray heifFile(const QImage& picture) {
    const QImage source = picture.convertToFormat(QImage::Format_RGB888);
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    QByteArray file;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code ==
            heif_error_Ok &&
        heif_image_create(source.width(), source.height(), heif_colorspace_RGB,
                          heif_chroma_interleaved_RGB, &image)
                .code == heif_error_Ok &&
        heif_image_add_plane(image, heif_channel_interleaved, source.width(), source.height(), 8)
                .code == heif_error_Ok) {
        int stride = 0;
        uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < source.height(); ++y)
            memcpy(plane + y * stride, source.constScanLine(y), size_t(source.width()) * 3);
        heif_encoder_set_lossy_quality(encoder, 100);
        heif_writer writer{1, [](heif_context*, const void* data, size_t size, void* out) {
                               static_cast<QByteArray*>(out)->append(static_cast<const char*>(data),
                                                                     qsizetype(size));
                               return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
                           }};
        if (heif_context_encode_image(context, image, encoder, nullptr, nullptr).code ==
            heif_error_Ok)
            heif_context_write(context, &writer, &file);
    }
    if (image) heif_image_release(image);
    if (encoder) heif_encoder_release(encoder);
    heif_context_free(context);
    return file;
}

QByteArray jxlFile(const QImage& picture) {
    const QImage source = picture.convertToFormat(QImage::Format_RGB888);
    // Rows without padding, as the encoder takes them.
    QByteArray pixels;
    for (int y = 0; y < source.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(source.constScanLine(y)), source.width() * 3);
    JxlEncoder* encoder = JxlEncoderCreate(nullptr);
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = uint32_t(source.width());
    info.ysize = uint32_t(source.height());
    info.bits_per_sample = 8;
    info.num_color_channels = 3;
    info.uses_original_profile = JXL_TRUE;
    JxlColorEncoding colour;
    JxlColorEncodingSetToSRGB(&colour, JXL_FALSE);
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder, nullptr);
    const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    QByteArray file;
    if (JxlEncoderSetBasicInfo(encoder, &info) == JXL_ENC_SUCCESS &&
        JxlEncoderSetColorEncoding(encoder, &colour) == JXL_ENC_SUCCESS &&
        JxlEncoderSetFrameLossless(settings, JXL_TRUE) == JXL_ENC_SUCCESS &&
        JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, 1) ==
            JXL_ENC_SUCCESS &&
        JxlEncoderAddImageFrame(settings, &format, pixels.constData(), size_t(pixels.size())) ==
            JXL_ENC_SUCCESS) {
        JxlEncoderCloseInput(encoder);
        QByteArray out(4096, '\0');
        uint8_t* next = reinterpret_cast<uint8_t*>(out.data());
        size_t avail = size_t(out.size());
        JxlEncoderStatus status;
        while ((status = JxlEncoderProcessOutput(encoder, &next, &avail)) ==
               JXL_ENC_NEED_MORE_OUTPUT) {
            const qsizetype used = next - reinterpret_cast<uint8_t*>(out.data());
            out.resize(out.size() * 2);
            next = reinterpret_cast<uint8_t*>(out.data()) + used;
            avail = size_t(out.size() - used);
        }
        if (status == JXL_ENC_SUCCESS)
            file = out.left(next - reinterpret_cast<uint8_t*>(out.data()));
    }
    JxlEncoderDestroy(encoder);
    return file;
}

QByteArray withIsoSize(QByteArray file, quint32 width, quint32 height) {
    // "ispe": box size, type, version and flags, then width and height.
    for (qsizetype at = file.indexOf("ispe"); at >= 4 && at + 16 <= file.size();
         at = file.indexOf("ispe", at + 4)) {
        qToBigEndian(width, file.data() + at + 8);
        qToBigEndian(height, file.data() + at + 12);
    }
    // A picture made of tiles has its own size in its grid, kept in "idat":
    // version, flags, rows and columns less one, then 16-bit sides.
    const qsizetype data = file.indexOf("idat");
    if (file.contains("grid") && data >= 4 && data + 12 <= file.size() && file[data + 4] == 0 &&
        (file[data + 5] & 1) == 0) {
        qToBigEndian(quint16(qMin<quint32>(width, 65535)), file.data() + data + 8);
        qToBigEndian(quint16(qMin<quint32>(height, 65535)), file.data() + data + 10);
    }
    return file;
}
