#include "platform/PictureFormat.h"

#include <QtEndian>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>

namespace {

// Bounds-checked little- and big-endian reads. A read out of range gives 0,
// which every walk below treats as the end or as a failed check.
class Bytes {
public:
    explicit Bytes(QByteArrayView d) : d_(d) {}
    qsizetype size() const { return d_.size(); }
    bool has(qint64 pos, qint64 len) const {
        return pos >= 0 && len >= 0 && pos <= d_.size() && len <= d_.size() - pos;
    }
    quint8 u8(qint64 pos) const { return has(pos, 1) ? quint8(d_[pos]) : 0; }
    quint16 u16(qint64 pos) const { return has(pos, 2) ? qFromLittleEndian<quint16>(at(pos)) : 0; }
    qint16 s16(qint64 pos) const { return qint16(u16(pos)); }
    quint32 u32(qint64 pos) const { return has(pos, 4) ? qFromLittleEndian<quint32>(at(pos)) : 0; }
    qint32 s32(qint64 pos) const { return qint32(u32(pos)); }
    quint16 be16(qint64 pos) const { return has(pos, 2) ? qFromBigEndian<quint16>(at(pos)) : 0; }
    quint32 be32(qint64 pos) const { return has(pos, 4) ? qFromBigEndian<quint32>(at(pos)) : 0; }
    bool matches(qint64 pos, const char* text, qint64 len) const {
        return has(pos, len) && std::memcmp(d_.data() + pos, text, len) == 0;
    }
    qsizetype indexOf(QByteArrayView what, qint64 from) const { return d_.indexOf(what, from); }

private:
    const void* at(qint64 pos) const { return d_.data() + pos; }
    QByteArrayView d_;
};

constexpr double kTwipsPerInch = 1440.0;
constexpr double kHundredthsMmPerInch = 2540.0;
constexpr double kTwipsPerReferencePixel = 15.0;  // a 96 dpi screen

// WMF record functions read before the picture is drawn.
constexpr quint16 kWmfEof = 0x0000;
constexpr quint16 kWmfSetMapMode = 0x0103;
constexpr quint16 kWmfSetWindowExt = 0x020C;
constexpr qint64 kWmfPlaceableBytes = 22;
constexpr qint64 kWmfHeaderBytes = 18;

bool isPlaceableWmf(const Bytes& b) {
    return b.matches(0, "\xD7\xCD\xC6\x9A", 4);
}

bool isWmfHeader(const Bytes& b, qint64 pos) {
    const quint16 kind = b.u16(pos);
    return (kind == 1 || kind == 2) && b.u16(pos + 2) == 9;
}

// A metafile without the placeable header carries no physical size; its window
// extent is taken in pixels of a 96 dpi reference screen.
std::optional<QSizeF> wmfTwips(const PictureFormat::WmfLayout& layout) {
    if (layout.placeable) {
        if (layout.unitsPerInch == 0 || layout.bounds.isEmpty()) return {};
        return QSizeF(layout.bounds.width() * kTwipsPerInch / layout.unitsPerInch,
                      layout.bounds.height() * kTwipsPerInch / layout.unitsPerInch);
    }
    if (!layout.windowExt || layout.windowExt->isEmpty()) return {};
    return QSizeF(layout.windowExt->width() * kTwipsPerReferencePixel,
                  layout.windowExt->height() * kTwipsPerReferencePixel);
}

std::optional<QSizeF> emfTwips(const Bytes& b) {
    if (!b.has(0, 88) || b.u32(4) < 88) return {};
    // rclFrame: the picture's extent in 0.01 mm.
    const qint64 fw = qint64(b.s32(32)) - b.s32(24), fh = qint64(b.s32(36)) - b.s32(28);
    if (fw > 0 && fh > 0)
        return QSizeF(fw * kTwipsPerInch / kHundredthsMmPerInch,
                      fh * kTwipsPerInch / kHundredthsMmPerInch);
    // Else rclBounds (edges included) in pixels of the reference device, whose
    // size the header gives both in pixels (szlDevice) and in millimetres
    // (szlMillimeters).
    const qint64 bw = qint64(b.s32(16)) - b.s32(8) + 1, bh = qint64(b.s32(20)) - b.s32(12) + 1;
    const qint64 devW = b.s32(72), devH = b.s32(76), mmW = b.s32(80), mmH = b.s32(84);
    if (bw <= 0 || bh <= 0 || devW <= 0 || devH <= 0 || mmW <= 0 || mmH <= 0) return {};
    return QSizeF(double(bw) * mmW * kTwipsPerInch / (25.4 * devW),
                  double(bh) * mmH * kTwipsPerInch / (25.4 * devH));
}

// Skips a chain of GIF data sub-blocks starting at pos; the position after its
// zero-length terminator, or -1 when the chain runs past the end.
qint64 skipGifSubBlocks(const Bytes& b, qint64 pos) {
    while (b.has(pos, 1)) {
        const int len = b.u8(pos);
        pos += 1 + len;
        if (len == 0) return pos;
    }
    return -1;
}

struct BmpHeader {
    qint64 pixelsAt = 0, width = 0, height = 0, bitCount = 0;
    quint32 compression = 0;
    qint64 imageBytes = 0;
};

std::optional<BmpHeader> readBmpHeader(const Bytes& b) {
    BmpHeader h;
    h.pixelsAt = b.u32(10);
    const quint32 infoSize = b.u32(14);
    if (infoSize == 12) {  // OS/2 core header: 16-bit sizes, never compressed
        h.width = b.u16(18);
        h.height = b.u16(20);
        h.bitCount = b.u16(24);
    } else if (infoSize >= 16) {
        h.width = b.s32(18);
        h.height = std::abs(qint64(b.s32(22)));  // negative: rows stored top-down
        h.bitCount = b.u16(28);
        if (infoSize >= 20) h.compression = b.u32(30);
        if (infoSize >= 24) h.imageBytes = b.u32(34);
    } else {
        return {};
    }
    if (h.width <= 0 || h.height <= 0 || h.width > std::numeric_limits<int>::max() ||
        h.height > std::numeric_limits<int>::max() || !b.has(14, infoSize))
        return {};
    return h;
}

qint64 gifColorTableBytes(quint8 packed) {
    return (packed & 0x80) ? 3 * (2 << (packed & 7)) : 0;
}

bool isJpegFrameMarker(quint8 m) {
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

bool isJpegProgressive(quint8 m) {
    return m == 0xC2 || m == 0xC6 || m == 0xCA || m == 0xCE;
}

// An ISO media file (AVIF, HEIF) names its kinds in its first box, "ftyp":
// a major brand, a version, then compatible brands to the box's end.
PictureType isoMediaType(const Bytes& b) {
    if (!b.matches(4, "ftyp", 4)) return PictureType::Unknown;
    const qint64 boxBytes = qMin<qint64>(b.be32(0), qMin<qint64>(b.size(), 4096));
    if (boxBytes < 16) return PictureType::Unknown;
    auto brands = [&](std::initializer_list<const char*> wanted) {
        for (qint64 at = 8; at + 4 <= boxBytes; at += at == 8 ? 8 : 4)
            for (const char* brand : wanted)
                if (b.matches(at, brand, 4)) return true;
        return false;
    };
    // An AVIF also names the still-image brands of HEIF.
    if (brands({"avif", "avis"})) return PictureType::Avif;
    if (brands({"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"}))
        return PictureType::Heif;
    return PictureType::Unknown;
}

// An SVG is text: after an optional byte order mark, white space, an XML
// declaration, comments or a doctype, the document's root is "<svg".
bool isSvg(QByteArrayView head) {
    qsizetype at = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const qsizetype root = head.indexOf("<svg");
    if (root < 0) return false;
    for (; at < head.size(); ++at) {
        const char c = head[at];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        break;
    }
    if (at == root) return true;
    return head.sliced(at).startsWith("<?xml") || head.sliced(at).startsWith("<!--") ||
           head.sliced(at).startsWith("<!DOCTYPE svg");
}

// A TGA header whose fields all hold values the format knows.
bool isTgaHeader(const Bytes& b) {
    if (!b.has(0, 18)) return false;
    const quint8 colourMap = b.u8(1), kind = b.u8(2), depth = b.u8(16);
    const bool knownKind =
        kind == 1 || kind == 2 || kind == 3 || kind == 9 || kind == 10 || kind == 11;
    const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    return colourMap <= 1 && knownKind && knownDepth && b.u16(12) > 0 && b.u16(14) > 0;
}

}  // namespace

namespace PictureFormat {

PictureType sniff(QByteArrayView head) {
    const Bytes b(head);
    if (b.matches(0, "BM", 2)) return PictureType::Bmp;
    if (b.matches(0, "GIF8", 4)) return PictureType::Gif;
    if (b.matches(0, "\xFF\xD8\xFF", 3)) return PictureType::Jpeg;
    if (b.matches(0, "\0\0\1\0", 4)) return PictureType::Ico;
    if (b.matches(0, "\0\0\2\0", 4)) return PictureType::Cur;
    if (isPlaceableWmf(b)) return PictureType::Wmf;
    const quint16 wmfVersion = b.u16(4);
    if (isWmfHeader(b, 0) && (wmfVersion == 0x0100 || wmfVersion == 0x0300))
        return PictureType::Wmf;
    if (b.matches(0, "\1\0\0\0", 4) && b.matches(40, " EMF", 4)) return PictureType::Emf;
    if (b.matches(0, "\x89PNG\r\n\x1A\n", 8)) return PictureType::Png;
    if (b.matches(0, "RIFF", 4) && b.matches(8, "WEBP", 4)) return PictureType::Webp;
    if (b.matches(0, "II*\0", 4) || b.matches(0, "MM\0*", 4)) return PictureType::Tiff;
    if (b.matches(0, "\xFF\x0A", 2) || b.matches(0, "\0\0\0\x0CJXL \r\n\x87\n", 12))
        return PictureType::Jxl;
    if (const PictureType iso = isoMediaType(b); iso != PictureType::Unknown) return iso;
    if (isSvg(head)) return PictureType::Svg;
    return PictureType::Unknown;
}

PictureType sniffNamed(QByteArrayView head, QByteArrayView fileName) {
    // A true-colour TGA starts with the bytes of a cursor; the name decides.
    const QByteArrayView ending = fileName.size() >= 4 ? fileName.last(4) : QByteArrayView();
    if (ending.compare(".tga", Qt::CaseInsensitive) == 0 && isTgaHeader(Bytes(head)))
        return PictureType::Tga;
    return sniff(head);
}

QByteArray tgaWithFooter(QByteArrayView data) {
    static constexpr char kFooter[] = "TRUEVISION-XFILE.";  // and its terminating zero
    QByteArray file = data.toByteArray();
    if (!data.endsWith(QByteArrayView(kFooter, sizeof kFooter)))
        file.append(QByteArray(8, '\0')).append(kFooter, sizeof kFooter);
    return file;
}

bool tgaComplete(QByteArrayView data) {
    const Bytes b(data);
    if (!isTgaHeader(b)) return false;
    const quint8 kind = b.u8(2);
    if (kind > 3) return true;  // run-length coded
    const qint64 mapBytes = b.u8(1) ? qint64(b.u16(5)) * ((b.u8(7) + 7) / 8) : 0;
    const qint64 pixelBytes = qint64(b.u16(12)) * b.u16(14) * ((b.u8(16) + 7) / 8);
    return 18 + b.u8(0) + mapBytes + pixelBytes <= b.size();
}

const char* name(PictureType type) {
    switch (type) {
        case PictureType::Bmp:
            return "bmp";
        case PictureType::Gif:
            return "gif";
        case PictureType::Jpeg:
            return "jpeg";
        case PictureType::Ico:
            return "ico";
        case PictureType::Cur:
            return "cur";
        case PictureType::Wmf:
            return "wmf";
        case PictureType::Emf:
            return "emf";
        case PictureType::Png:
            return "png";
        case PictureType::Webp:
            return "webp";
        case PictureType::Tiff:
            return "tiff";
        case PictureType::Svg:
            return "svg";
        case PictureType::Tga:
            return "tga";
        case PictureType::Avif:
            return "avif";
        case PictureType::Heif:
            return "heif";
        case PictureType::Jxl:
            return "jxl";
        case PictureType::Unknown:
            break;
    }
    return "";
}

std::optional<QSizeF> metafileTwips(QByteArrayView data, PictureType type) {
    const Bytes b(data);
    if (type == PictureType::Emf) return emfTwips(b);
    if (type != PictureType::Wmf) return {};
    const auto layout = wmfLayout(data);
    return layout ? wmfTwips(*layout) : std::nullopt;
}

std::optional<WmfLayout> wmfLayout(QByteArrayView data) {
    const Bytes b(data);
    WmfLayout layout;
    layout.placeable = isPlaceableWmf(b);
    const qint64 headerAt = layout.placeable ? kWmfPlaceableBytes : 0;
    if (!isWmfHeader(b, headerAt)) return {};
    if (layout.placeable) {
        const int left = b.s16(6), top = b.s16(8), right = b.s16(10), bottom = b.s16(12);
        layout.bounds = QRect(std::min(left, right), std::min(top, bottom), std::abs(right - left),
                              std::abs(bottom - top));
        layout.unitsPerInch = b.u16(14);
    }
    layout.recordsAt = headerAt + kWmfHeaderBytes;
    // Every step moves forward by at least six bytes, so the walk ends.
    for (qint64 pos = layout.recordsAt; b.has(pos, 6);) {
        const qint64 words = b.u32(pos);
        const quint16 function = b.u16(pos + 4);
        if (words < 3 || !b.has(pos, words * 2)) break;
        if (function == kWmfEof) {
            layout.ended = true;
            break;
        }
        if (function == kWmfSetWindowExt && words >= 5 && !layout.windowExt)
            layout.windowExt = QSize(std::abs(int(b.s16(pos + 8))), std::abs(int(b.s16(pos + 6))));
        else if (function == kWmfSetMapMode && words >= 4 && layout.mapMode == 0)
            layout.mapMode = b.u16(pos + 6);
        pos += words * 2;
    }
    return layout;
}

std::optional<QSize> bmpSize(QByteArrayView data) {
    const auto header = readBmpHeader(Bytes(data));
    if (!header) return {};
    return QSize(int(header->width), int(header->height));
}

bool bmpComplete(QByteArrayView headerBytes, qint64 fileSize) {
    const auto header = readBmpHeader(Bytes(headerBytes));
    if (!header) return false;
    constexpr int kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    qint64 needed = header->imageBytes;  // compressed data: the header's own byte count
    const quint32 compression = header->compression;
    if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
        const qint64 rowBytes = (header->width * header->bitCount + 31) / 32 * 4;
        if (rowBytes <= 0 || header->height > std::numeric_limits<qint64>::max() / rowBytes)
            return false;
        needed = rowBytes * header->height;
    }
    return header->pixelsAt >= 14 && header->pixelsAt <= fileSize &&
           needed <= fileSize - header->pixelsAt;
}

std::optional<GifLayout> gifLayout(QByteArrayView data) {
    const Bytes b(data);
    qint64 pos = 13 + gifColorTableBytes(b.u8(10));
    // Every step moves forward by at least a byte, so the walk ends.
    while (b.has(pos, 1)) {
        switch (b.u8(pos)) {
            case 0x21:  // extension: label, then sub-blocks
                pos = skipGifSubBlocks(b, pos + 2);
                if (pos < 0) return {};
                break;
            case 0x2C: {  // the first image: descriptor, local colours, code size, data
                if (!b.has(pos, 10)) return {};
                GifLayout layout;
                layout.firstImage =
                    QRect(b.u16(pos + 1), b.u16(pos + 3), b.u16(pos + 5), b.u16(pos + 7));
                layout.interlaced = b.u8(pos + 9) & 0x40;
                const QRect& image = layout.firstImage;
                layout.screen = QSize(b.u16(6) ? b.u16(6) : image.x() + image.width(),
                                      b.u16(8) ? b.u16(8) : image.y() + image.height());
                const qint64 dataAt = pos + 10 + gifColorTableBytes(b.u8(pos + 9)) + 1;
                for (qint64 at = dataAt; b.has(at, 1);) {
                    const int length = b.u8(at);
                    if (length == 0) {
                        layout.complete = true;
                        break;
                    }
                    layout.imageDataBytes += qMin<qint64>(length, b.size() - at - 1);
                    at += 1 + length;
                }
                return layout;
            }
            default:  // trailer before any image, or garbage
                return {};
        }
    }
    return {};
}

qint64 gifPaintablePixels(const GifLayout& layout) {
    const QRect covered = layout.firstImage & QRect(QPoint(0, 0), layout.screen);
    // A code of at most 12 bits stands for at most 4097 pixels, the longest
    // string a table of 4096 entries can hold. Interlaced, Qt's reader
    // repeats each row of the first pass over up to 7 rows below it.
    const qint64 coded = layout.imageDataBytes * 8 * 4097 / 12 * (layout.interlaced ? 8 : 1);
    return qMin(qint64(covered.width()) * covered.height(), coded);
}

bool metafileComplete(QByteArrayView data, PictureType type) {
    const Bytes b(data);
    if (type == PictureType::Emf) {
        const qint64 headerBytes = b.u32(4), fileBytes = b.u32(48), records = b.u32(52);
        return headerBytes >= 88 && fileBytes >= headerBytes && fileBytes <= b.size() &&
               records >= 2 && records <= fileBytes / 8;
    }
    if (type != PictureType::Wmf) return false;
    // The header's own count of words in the file is often wrong and never
    // used; its largest record sizes the player's buffer, so it must fit.
    const auto layout = wmfLayout(data);
    if (!layout || !layout->ended) return false;
    const qint64 headerAt = layout->recordsAt - kWmfHeaderBytes;
    const qint64 largestRecord = b.u32(headerAt + 12);
    return largestRecord >= 3 && largestRecord * 2 <= b.size() - layout->recordsAt;
}

std::optional<JpegLayout> jpegLayout(QByteArrayView data) {
    const Bytes b(data);
    qint64 pos = 2;
    int frameComponents = 0;
    bool progressive = false;
    while (b.has(pos, 2)) {
        if (b.u8(pos) != 0xFF) return {};
        while (b.u8(pos + 1) == 0xFF && b.has(pos + 2, 1)) ++pos;  // fill bytes
        const quint8 marker = b.u8(pos + 1);
        pos += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
        if (marker == 0xD9) return {};                                       // ends before any scan
        const qint64 length = b.be16(pos);
        if (length < 2 || !b.has(pos, length)) return {};
        if (isJpegFrameMarker(marker)) {
            progressive = isJpegProgressive(marker);
            frameComponents = b.u8(pos + 7);
        } else if (marker == 0xDA) {
            if (frameComponents == 0) return {};
            JpegLayout layout;
            // Entropy-coded data never holds FF D9: a literal FF is followed by 00.
            layout.complete = b.indexOf("\xFF\xD9", pos + length) >= 0;
            layout.buffersWholeImage = progressive || b.u8(pos + 2) < frameComponents;
            return layout;
        }
        pos += length;
    }
    return {};
}

int iconEntryDepth(QByteArrayView data, int index) {
    const Bytes b(data);
    const qint64 entry = 6 + 16 * qint64(index);
    if (!b.has(entry, 16)) return 0;
    const qint64 imageAt = b.u32(entry + 12);
    if (b.matches(imageAt, "\x89PNG", 4)) return 32;
    return b.u16(imageAt + 14);
}

}  // namespace PictureFormat
