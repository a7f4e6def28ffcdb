#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <atomic>
#include <optional>

#include "platform/PictureFormat.h"

class QImageReader;

// Why a picture cannot be loaded. Callers mostly only care that it cannot.
enum class PictureError {
    None,
    CannotOpen,      // missing, unreadable, not a regular file, or larger than maxFileBytes
    UnknownType,     // the content is none of the picture types, whatever the name says
    TooLarge,        // the header asks for more pixels than the limits allow
    Damaged,         // a bad header, truncated or undecodable data
    RendererFailed,  // the metafile helper is missing, failed, or ran out of time or memory
};

struct PictureInfo {
    PictureType type = PictureType::Unknown;
    QSize pixels;  // a metafile's: its natural size at this loader's twips per pixel
    QSizeF twips;  // natural size: pixels times twips per pixel; a metafile's from its header
    // How the stored pixels are turned to stand upright, as the file's
    // orientation tag says; pixels and twips are those of the picture turned.
    // None unless the loader was asked for upright pictures.
    QImageIOHandler::Transformations turned = QImageIOHandler::TransformationNone;
};

struct Picture {
    PictureInfo info;
    QImage image;  // the decoded picture, at most the size asked for
};

// Caps on what a file may make us allocate. A picture whose decode would hold
// more than maxPixels, or more than maxSide on a side, is refused; a scaled
// JPEG decode is judged by the size libjpeg really decodes at.
struct PictureLimits {
    int maxSide = 30000;
    qint64 maxPixels = 400'000'000;
    qint64 maxFileBytes = qint64(2) << 30;  // a larger file is not even read
    int metafileTimeoutMs = 10000;          // then the metafile helper is killed
    int metafileCpuMs = 5000;               // processor time the helper may use
    int decodeTimeoutMs = 10000;            // the same for the AVIF, HEIF and JPEG XL helper
    int decodeCpuMs = 5000;

    // For a preview, which the user clicks through file by file: the window
    // waits for the metafile helper no longer than real metafiles need. The
    // heaviest of two hundred public sample files takes 0.75 s of processor
    // time, helper start included; the processor budget is what stops a
    // hostile file on a normal desktop. The clock limit only catches a helper
    // starved or stuck: that same file took 3.3 s on a machine loaded four
    // times over.
    static PictureLimits Preview() {
        PictureLimits limits;
        limits.metafileTimeoutMs = 4000;
        limits.metafileCpuMs = 1500;
        limits.decodeTimeoutMs = 4000;
        limits.decodeCpuMs = 2000;
        return limits;
    }
};

// Opens BMP (also as .dib), GIF, JPEG, ICO, CUR, WMF and EMF files, and PNG,
// WebP, TIFF, SVG, TGA, AVIF, HEIF and JPEG XL ones, choosing the type by
// content (a TGA, which has none to go by, by its name). Bitmaps are decoded
// by Qt's image readers and their plugins, metafiles drawn by the
// kvoview-metafile helper (see MetafileRenderer), AVIF, HEIF and JPEG XL
// decoded by the kvoview-decode helper (see PictureDecoder). Nothing here
// throws; every failure is "cannot be loaded" with a reason.
class PictureLoader {
public:
    // Twips per pixel of the screen pictures are measured for (15 at 96 dpi).
    PictureLoader(float twipsPerPixelX, float twipsPerPixelY, PictureLimits limits = {});

    // Another helper program than the one MetafileRenderer::findHelper finds.
    void SetMetafileHelper(const QString& path) { helper_ = path; }
    // Another helper program than the one PictureDecoder::FindHelper finds.
    void SetDecodeHelper(const QString& path) { decodeHelper_ = path; }

    // While *cancel is true a metafile's or a decoder's helper is killed and the load fails:
    // set from another thread when the picture is no longer wanted.
    void SetCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }

    // Pictures whose file tags an orientation (a phone photo's EXIF tag) come
    // turned upright, and are measured so. Off by default: pixels as stored.
    void SetUpright(bool upright) { upright_ = upright; }
    bool Upright() const { return upright_; }

    // What tells one version of a file from another without reading it:
    // its modification time and size. Empty when the file cannot be read.
    struct Stamp {
        qint64 modifiedNs = 0;
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };
    static std::optional<Stamp> StampOf(const QByteArray& path);

    // Paths are the file's bytes, or their PathText; see FileSystem.h.

    // Type and natural size from the header only. A picture that probes
    // fine can still fail to load: damage past the header, or a size over
    // the limits.
    std::optional<PictureInfo> Probe(const QByteArray& path, PictureError* error = nullptr) const;
    std::optional<PictureInfo> Probe(const QString& path, PictureError* error = nullptr) const;

    // The picture decoded to fit within maxSize (aspect kept, never
    // enlarged), or at full size when maxSize is not valid. A metafile is
    // drawn no larger than MetafileRenderer::kMaxPixels. `probed`, this
    // file's probe, spares measuring a metafile that has no size in its
    // headers a second time.
    std::optional<Picture> Load(const QByteArray& path, QSize maxSize = {},
                                PictureError* error = nullptr,
                                const PictureInfo* probed = nullptr) const;
    std::optional<Picture> Load(const QString& path, QSize maxSize = {},
                                PictureError* error = nullptr) const;
    // Only the picture's top left part, at most part pixels of its own size
    // and never scaled: what a window or a page that shows the picture at
    // its natural size from the top left can show of it. A JPEG decoder cuts
    // while it decodes; the other bitmap decoders decode whole and cut. A
    // metafile is drawn at its natural size (smaller when that is over
    // MetafileRenderer::kMaxPixels, and then cut in proportion).
    std::optional<Picture> LoadTopLeft(const QByteArray& path, QSize part,
                                       PictureError* error = nullptr) const;

    // size scaled down to fit within box, aspect kept, at least 1x1.
    static QSize FitWithin(QSize size, QSize box);
    // The size libjpeg decodes a JPEG of size full at when asked for target:
    // the smallest of 1/8, 1/4, 1/2 and 1/1 that still covers it.
    static QSize JpegDecodeSize(QSize full, QSize target);

private:
    // load and loadTopLeft: part, when valid, is the top left part to keep.
    std::optional<Picture> loadPart(const QByteArray& path, QSize maxSize, QSize part,
                                    PictureError* error, const PictureInfo* probed) const;
    // data: the whole file when a plain WMF's records give no size.
    std::optional<PictureInfo> metafileInfo(const QByteArray& data, PictureType type,
                                            PictureError* error) const;
    std::optional<PictureInfo> bitmapInfo(QImageReader& reader, PictureType type,
                                          QByteArrayView head, PictureError* error) const;
    // data: the whole file, or for a BMP its first bytes.
    std::optional<QImage> decodeBitmap(QImageReader& reader, const PictureInfo& info,
                                       QByteArrayView data, qint64 fileSize, QSize maxSize,
                                       QSize part, PictureError* error) const;
    std::optional<QImage> renderMetafile(const QByteArray& data, const PictureInfo& info,
                                         QSize maxSize, PictureError* error) const;
    bool withinLimits(QSize size) const;
    // AVIF, HEIF and JPEG XL, through the decoding helper. data: the whole file.
    std::optional<PictureInfo> decodedInfo(const QByteArray& data, PictureType type,
                                           PictureError* error) const;
    std::optional<Picture> loadDecoded(const QByteArray& data, PictureType type, QSize maxSize,
                                       QSize part, PictureError* error) const;

    float twipsPerPixelX_;
    float twipsPerPixelY_;
    PictureLimits limits_;
    QString helper_;
    QString decodeHelper_;
    const std::atomic<bool>* cancel_ = nullptr;
    bool upright_ = false;
};
