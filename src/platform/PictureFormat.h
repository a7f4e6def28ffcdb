#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QRect>
#include <QSize>
#include <QSizeF>

#include <optional>

// The picture types the program opens. DIB files are BMP files (same bytes)
// and are reported as Bmp; HEIC files are HEIF files.
enum class PictureType {
    Unknown,
    Bmp,
    Gif,
    Jpeg,
    Ico,
    Cur,
    Wmf,
    Emf,
    Png,
    Webp,
    Tiff,
    Svg,
    Tga,
    Avif,
    Heif,
    Jxl
};

// Facts read from a picture's own bytes, never from its name. Every reader
// here checks each offset against the data it is given: the bytes come from
// files nobody vouches for.
namespace PictureFormat {

// The type the first bytes announce, Unknown when none matches.
PictureType sniff(QByteArrayView head);
// The same, but a file named .tga whose header fits a TGA's is one: a TGA
// has no signature to look for, and its first bytes may look like a cursor's.
PictureType sniffNamed(QByteArrayView head, QByteArrayView fileName);

// A TGA as Qt's reader takes it: that reader reads only files that end in
// the footer of the format's second version, which many files lack.
QByteArray tgaWithFooter(QByteArrayView data);
// Whether an uncompressed TGA holds every pixel its header promises; Qt's
// reader decodes what there is of a truncated one. Compressed ones pass.
bool tgaComplete(QByteArrayView data);

// A short lower-case name ("bmp", "jpeg", "wmf", ...), also the format name
// Qt's image reader (and its plugins) knows for the bitmap types.
const char* name(PictureType type);

// The natural size of a WMF or EMF in twips (1/1440 inch) from its header, or
// nothing when the header is damaged or gives no size. A WMF without the
// placeable header is sized by its first window extent; one without that
// has only the extent of what it draws, which takes the metafile helper.
std::optional<QSizeF> metafileTwips(QByteArrayView data, PictureType type);

// What a WMF's headers and records say about its layout, read without
// drawing it. Nothing when the headers are not a WMF's.
struct WmfLayout {
    qint64 recordsAt = 0;  // the first record, after the header or headers
    bool placeable = false;
    QRect bounds;                    // placeable: the picture's box in logical units
    int unitsPerInch = 0;            // placeable: logical units to the inch
    std::optional<QSize> windowExt;  // the first window extent set, as magnitudes
    int mapMode = 0;                 // the first mapping mode set, 0 for none
    bool ended = false;              // the records reach an end record inside the data
};
std::optional<WmfLayout> wmfLayout(QByteArrayView data);

// A BMP's size from its header. Qt's reader reports none for a top-down BMP
// (negative height) or a very large one.
std::optional<QSize> bmpSize(QByteArrayView data);

// Whether the file holds every byte its header promises for the pixels.
// Qt's readers return a partly decoded picture from a truncated BMP or GIF
// without a word; these catch that.
bool bmpComplete(QByteArrayView header, qint64 fileSize);
// For a metafile, also that the record counts and sizes its header declares
// fit in the file; a WMF's records must run to their end record.
bool metafileComplete(QByteArrayView data, PictureType type);

// What a GIF's header and first image say, read without decoding. Qt's GIF
// reader fills its whole logical screen for the first image, whatever that
// image's own size and data, so the screen is what a decode costs.
struct GifLayout {
    QSize screen;      // the logical screen; a zero side taken from the first image's far edge
    QRect firstImage;  // as declared: it may reach past the screen, or lie outside it
    bool interlaced = false;
    qint64 imageDataBytes = 0;  // the first image's compressed data
    bool complete = false;      // that data ends inside the bytes given
};
// Nothing when the bytes hold no image descriptor.
std::optional<GifLayout> gifLayout(QByteArrayView data);
// The most pixels of the screen the first image can set: those of the screen
// it covers, and no more than its compressed data can stand for.
qint64 gifPaintablePixels(const GifLayout& layout);

struct JpegLayout {
    bool complete = false;           // an end-of-image marker follows the first scan
    bool buffersWholeImage = false;  // progressive or multi-scan: libjpeg keeps every
                                     // coefficient of the full picture, even when scaling
};
// Nothing when the markers before the first scan are damaged.
std::optional<JpegLayout> jpegLayout(QByteArrayView data);

// The colour depth an icon or cursor directory entry gives for its image
// (the bit count of the embedded BMP header, 32 for PNG), 0 when unknown.
int iconEntryDepth(QByteArrayView data, int index);

}  // namespace PictureFormat
