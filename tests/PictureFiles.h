#pragma once
// Picture files for tests: bitmaps through Qt's writers or byte by byte, metafiles by record.

#include <QBuffer>
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QtEndian>
#include <unordered_map>

// Little-endian bytes, as every picture format here stores its numbers.
class Bytes {
public:
    Bytes& u8(quint32 v) {
        d_.append(char(v & 0xFF));
        return *this;
    }
    Bytes& u16(quint32 v) { return u8(v).u8(v >> 8); }
    Bytes& u32(quint32 v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& raw(QByteArrayView bytes) {
        d_.append(bytes);
        return *this;
    }
    QByteArray data() const { return d_; }

private:
    QByteArray d_;
};

// The modification time every written picture file gets, so listings show
// the same date on every run.
inline const QDateTime kModified(QDate(2001, 2, 3), QTime(4, 5, 6));

// Writes the bytes to path, dated kModified; the path back.
inline QString writeDated(const QString& path, const QByteArray& bytes) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush() ||
        !out.setFileTime(kModified, QFileDevice::FileModificationTime))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

inline const QColor kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 255, 0);

// Red left half, blue right half: shows whether a decode kept the picture the right way round.
inline QImage halves(QSize size, QColor left = kRed, QColor right = kBlue) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(right);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), left);
    return image;
}

// Black and white squares of one pixel: any smoothing of it shows as grey.
inline QImage checkerboard(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return image;
}

inline QByteArray encoded(const QImage& image, const char* format, bool progressive = false) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return data;
}

// Four quadrants of red (top left), green (top right), blue (bottom left)
// and white: where each corner lands tells how a picture was turned.
inline QImage quadrants(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width() / 2, h = size.height() / 2;
    image.fill(Qt::white);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (x < w || y < h)
                image.setPixel(x, y, (y < h ? (x < w ? kRed : kGreen) : kBlue).rgb());
    return image;
}

// A JPEG with an EXIF orientation tag (1 to 8) right after its start marker.
inline QByteArray withOrientation(const QByteArray& jpeg, int orientation) {
    Bytes tiff;
    tiff.raw("II").u16(42).u32(8).u16(1);                           // header, one entry
    tiff.u16(0x0112).u16(3).u32(1).u16(orientation).u16(0).u32(0);  // SHORT, no next IFD
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff.data();
    const int length = payload.size() + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char(length >> 8)).append(char(length & 0xFF)).append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

// How a GIF's picture is coded. Plain: LZW with a clear code before every
// 254 literals, which keeps every code 9 bits wide and compresses nothing.
// Compressed: LZW the usual way, codes growing to 12 bits and the table
// starting afresh when full, so a decoder works as hard as on a real file.
enum class GifCodes { Plain, Compressed };

// A GIF image's coded pixels (an 8-bit indexed image): the code size, the
// LZW codes in sub-blocks, and the closing empty block.
inline QByteArray gifImageCodes(const QImage& image, GifCodes coding) {
    constexpr int kClear = 256, kEnd = 257;
    QByteArray codes;
    quint32 bits = 0;
    int bitCount = 0, width = 9;
    auto put = [&](int code) {
        bits |= quint32(code) << bitCount;
        for (bitCount += width; bitCount >= 8; bitCount -= 8, bits >>= 8) codes.append(char(bits));
    };
    if (coding == GifCodes::Plain) {
        int run = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (run++ % 254 == 0) put(kClear);
                put(image.constScanLine(y)[x]);
            }
        }
    } else {
        std::unordered_map<quint32, int> table;  // (prefix code, pixel) -> code
        table.reserve(8192);
        int next = kEnd + 1, prefix = -1;
        put(kClear);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int k = image.constScanLine(y)[x];
                if (prefix < 0) {
                    prefix = k;
                    continue;
                }
                const quint32 key = (quint32(prefix) << 8) | quint32(k);
                if (const auto found = table.find(key); found != table.end()) {
                    prefix = found->second;
                    continue;
                }
                put(prefix);
                const int added = next++;
                table.emplace(key, added);
                if (added >= (1 << width) && width < 12) ++width;
                if (added == 4095) {
                    put(kClear);
                    table.clear();
                    width = 9;
                    next = kEnd + 1;
                }
                prefix = k;
            }
        }
        if (prefix >= 0) put(prefix);
    }
    put(kEnd);
    if (bitCount > 0) codes.append(char(bits));
    Bytes out;
    out.u8(8);
    for (qsizetype i = 0; i < codes.size(); i += 255)
        out.u8(codes.mid(i, 255).size()).raw(codes.mid(i, 255));
    return out.u8(0).data();
}

// Qt writes no GIF: a 256-colour one of the picture, by our own coder.
inline QByteArray gifFile(const QImage& source, GifCodes coding = GifCodes::Plain) {
    const QImage image = source.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    Bytes gif;
    gif.raw("GIF89a").u16(image.width()).u16(image.height()).u8(0xF7).u8(0).u8(0);
    QList<QRgb> colours = image.colorTable();
    colours.resize(256);
    for (QRgb c : colours) gif.u8(qRed(c)).u8(qGreen(c)).u8(qBlue(c));
    gif.u8(',').u16(0).u16(0).u16(image.width()).u16(image.height()).u8(0);
    return gif.raw(gifImageCodes(image, coding)).u8(';').data();
}

// An animated GIF of the frames (all of the first one's size), each shown
// delayCs hundredths of a second, played loops more times (0: for ever).
inline QByteArray animatedGifFile(const QList<QImage>& frames, int delayCs, int loops = 0) {
    const QSize size = frames.value(0).size();
    Bytes gif;
    gif.raw("GIF89a").u16(size.width()).u16(size.height()).u8(0).u8(0).u8(0);
    gif.u8(0x21).u8(0xFF).u8(11).raw("NETSCAPE2.0").u8(3).u8(1).u16(loops).u8(0);
    for (const QImage& frame : frames) {
        const QImage image = frame.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        gif.u8(0x21).u8(0xF9).u8(4).u8(0x04).u16(delayCs).u8(0).u8(0);  // kept under the next
        gif.u8(',').u16(0).u16(0).u16(image.width()).u16(image.height()).u8(0x87);
        QList<QRgb> colours = image.colorTable();
        colours.resize(256);
        for (QRgb c : colours) gif.u8(qRed(c)).u8(qGreen(c)).u8(qBlue(c));
        gif.raw(gifImageCodes(image, GifCodes::Plain));
    }
    return gif.u8(';').data();
}

struct IconEntry {
    QImage image;
    int bitCount = 32;  // 24 or 32, uncompressed
};

// An icon (kind 1) or cursor (kind 2).
inline QByteArray iconFile(int kind, const QList<IconEntry>& entries) {
    Bytes icon;
    icon.u16(0).u16(kind).u16(entries.size());
    QByteArray images;
    for (const auto& [image, bitCount] : entries) {
        const int w = image.width(), h = image.height();
        Bytes dib;
        dib.u32(40).u32(w).u32(h * 2).u16(1).u16(bitCount).u32(0).u32(0).u32(0).u32(0).u32(0).u32(
            0);
        for (int y = h - 1; y >= 0; --y) {  // bottom-up
            for (int x = 0; x < w; ++x) {
                const QRgb c = image.pixel(x, y);
                dib.u8(qBlue(c)).u8(qGreen(c)).u8(qRed(c));
                if (bitCount == 32) dib.u8(0xFF);
            }
            dib.raw(QByteArray((4 - (w * bitCount / 8) % 4) % 4, '\0'));
        }
        dib.raw(QByteArray((w + 31) / 32 * 4 * h, '\0'));  // opaque AND mask
        icon.u8(w % 256).u8(h % 256).u8(0).u8(0);
        if (kind == 1)
            icon.u16(1).u16(bitCount);
        else
            icon.u16(0).u16(0);  // hot spot
        icon.u32(dib.data().size()).u32(6 + 16 * entries.size() + images.size());
        images += dib.data();
    }
    return icon.raw(images).data();
}

inline QByteArray wmfRecord(int function, QList<int> params) {
    Bytes r;
    r.u32(3 + params.size()).u16(function);
    for (int p : params) r.u16(p);
    return r.data();
}

// A 200 x 100 window: a red top-left quarter, a green ellipse filling the bottom-right quarter.
inline QByteArray wmfDrawing() {
    return wmfRecord(0x020B, {0, 0}) + wmfRecord(0x020C, {100, 200})        // window origin, extent
           + wmfRecord(0x02FA, {5, 0, 0, 0, 0}) + wmfRecord(0x012D, {0})    // null pen
           + wmfRecord(0x02FC, {0, 0x00FF, 0, 0}) + wmfRecord(0x012D, {1})  // red brush
           + wmfRecord(0x041B, {50, 100, 0, 0})                             // rectangle
           + wmfRecord(0x02FC, {0, 0xFF00, 0, 0}) + wmfRecord(0x012D, {2})  // green brush
           + wmfRecord(0x0418, {100, 200, 50, 100});                        // ellipse
}

// Bytes as the 16-bit words records hold them, padded to a whole word.
inline QList<int> wmfWords(QByteArray bytes) {
    if (bytes.size() % 2) bytes += '\0';
    QList<int> words;
    for (qsizetype i = 0; i < bytes.size(); i += 2)
        words << (quint8(bytes[i]) | quint8(bytes[i + 1]) << 8);
    return words;
}

// A 2000 x 1000 window: a rectangle over the top-left quarter and an ellipse
// filling the bottom-right one, with the default brush and a black pen of no
// width, which Windows fills white and outlines one pixel wide.
inline QByteArray wmfOutlines() {
    return wmfRecord(0x020B, {0, 0}) + wmfRecord(0x020C, {1000, 2000})    // window origin, extent
           + wmfRecord(0x02FA, {0, 0, 0, 0, 0}) + wmfRecord(0x012D, {0})  // solid pen, no width
           + wmfRecord(0x041B, {500, 1000, 0, 0})                         // rectangle
           + wmfRecord(0x0418, {1000, 2000, 500, 1000});                  // ellipse
}

// A 200 x 100 window with blue Arial 30 units high on no background: "A & B <é>"
// by TextOut from the top-left corner at (10, 10), then "Zoë" by ExtTextOut
// at (10, 55), a character every 20 units. Both strings hold bytes XML
// cannot carry as they are.
inline QByteArray wmfText() {
    const QByteArray line = "A & B <\xE9>", spaced = "Zo\xEB";
    return wmfRecord(0x020B, {0, 0}) + wmfRecord(0x020C, {100, 200}) + wmfRecord(0x0102, {1}) +
           wmfRecord(0x0209, {0, 0x00FF})  // transparent background, blue text
           + wmfRecord(0x02FB, QList<int>{quint16(-30), 0, 0, 0, 400, 0, 0, 0, 0} +
                                   wmfWords(QByteArray("Arial", 6))) +
           wmfRecord(0x012D, {0}) +
           wmfRecord(0x0521, QList<int>{int(line.size())} + wmfWords(line) + QList<int>{10, 10}) +
           wmfRecord(0x0A32, QList<int>{55, 10, int(spaced.size()), 0} + wmfWords(spaced) +
                                 QList<int>{20, 20, 20});
}

// largestRecord is what the header claims, in 16-bit words.
inline QByteArray wmfFile(const QByteArray& records, bool placeable = true, int unitsPerInch = 96,
                          QRect box = QRect(0, 0, 200, 100), quint32 largestRecord = 16) {
    const QByteArray body = records + wmfRecord(0, {});
    Bytes wmf;
    if (placeable) {
        Bytes header;
        header.u32(0x9AC6CDD7).u16(0).u16(box.left()).u16(box.top());
        header.u16(box.left() + box.width()).u16(box.top() + box.height()).u16(unitsPerInch).u32(0);
        const QByteArray h = header.data();
        quint16 checksum = 0;
        for (int i = 0; i < 20; i += 2) checksum ^= quint8(h[i]) | quint8(h[i + 1]) << 8;
        wmf.raw(h).u16(checksum);
    }
    wmf.u16(1).u16(9).u16(0x0300).u32((18 + body.size()) / 2).u16(3).u32(largestRecord).u16(0);
    return wmf.raw(body).data();
}

inline QByteArray emfRecord(quint32 type, QList<quint32> params) {
    Bytes r;
    r.u32(type).u32(8 + 4 * params.size());
    for (quint32 p : params) r.u32(p);
    return r.data();
}

// The same drawing on a 200 x 100 pixel device.
inline QByteArray emfDrawing() {
    return emfRecord(39, {1, 0, 0x0000FF, 0}) + emfRecord(37, {1})    // red brush
           + emfRecord(37, {0x80000008})                              // stock null pen
           + emfRecord(43, {0, 0, 100, 50})                           // rectangle
           + emfRecord(39, {2, 0, 0x00FF00, 0}) + emfRecord(37, {2})  // green brush
           + emfRecord(42, {100, 50, 200, 100});                      // ellipse
}

// Text as glyph indices in a Hebrew font whose face name is a lone UTF-16
// surrogate, which the name's conversion to UTF-8 refuses.
inline QByteArray emfGlyphsInBrokenFont() {
    QList<quint32> font = {1, quint32(-20), 0, 0, 0, 400, 177u << 24, 0, 0xD800};
    font.resize(9 + 15);                             // the rest of the 32-character face name
    return emfRecord(82, font) + emfRecord(37, {1})  // create the font, select it
           + emfRecord(84, {0, 0, 100, 100, 1, 0x3F800000, 0x3F800000,  // ExtTextOutW
                            10, 10, 1, 76, 0x10, 0, 0, 0, 0, 80,        // one glyph index at 76
                            5, 10});
}

// 52.92 x 26.46 mm in 0.01 mm: 3000 x 1500 twips to the nearest twip.
inline const QRect kEmfFrame(QPoint(0, 0), QPoint(5292, 2646));

// extraRecords: claimed beyond the true count.
inline QByteArray emfFile(const QByteArray& records, QRect frame = kEmfFrame,
                          int extraRecords = 0) {
    const QByteArray body = records + emfRecord(14, {0, 16, 20});
    int count = 2 + extraRecords;  // with header and end
    for (qsizetype at = 0; at + 8 <= records.size(); ++count)
        at += qMax<quint32>(8, qFromLittleEndian<quint32>(records.constData() + at + 4));
    Bytes emf;
    emf.u32(1).u32(88).u32(0).u32(0).u32(199).u32(99);  // bounds in device pixels
    emf.u32(frame.left()).u32(frame.top()).u32(frame.right()).u32(frame.bottom());
    emf.u32(0x464D4520).u32(0x10000).u32(88 + body.size()).u32(count).u16(3).u16(0);
    emf.u32(0).u32(0).u32(0).u32(1024).u32(768).u32(271).u32(203);
    return emf.raw(body).data();
}
