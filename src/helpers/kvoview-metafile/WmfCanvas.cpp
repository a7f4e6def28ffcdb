#include "WmfCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QStringDecoder>
#include <QTransform>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "platform/PictureFormat.h"

extern "C" {
#include <libwmf/api.h>
#include <libwmf/defs.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>
}

namespace {

constexpr double kTwipsPerPixel = 15.0;  // a 96 dpi screen
constexpr double kTwipsPerPoint = 20.0;
constexpr double kFar = 1e6;     // pixels: farther points are clamped, so no path gets huge
constexpr int kTextPixels = 64;  // text is laid out at this size, then scaled

constexpr quint16 kMmText = 1, kMmTwips = 6, kMmIsotropic = 7, kMmAnisotropic = 8;
constexpr qint64 kHeaderBytes = 18;

// Ternary raster operations of the block transfers.
constexpr quint32 kSrcAnd = 0x008800C6, kSrcPaint = 0x00EE0086, kSrcInvert = 0x00660046,
                  kNotSrcCopy = 0x00330008, kBlackness = 0x00000042, kWhiteness = 0x00FF0062,
                  kDstInvert = 0x00550009, kKeepDest = 0x00AA0029;

// The Adobe Symbol encoding from 0x20 on; 0 where it has no character.
constexpr char16_t kSymbol[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7,
    0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0,
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,
    0,      0,      0,      0,      0,      0,      0,      0,      0x20AC, 0x03D2, 0x2032, 0x2264,
    0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9,
    0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3,
    0x23A7, 0x23A8, 0x23A9, 0x23AA, 0,      0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0};

// Windows-1252 where it differs from Latin-1.
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The code page of a font's character set, for the ones not Windows-1252.
const char* codePage(int charset) {
    switch (charset) {
        case 128:
            return "Shift_JIS";
        case 129:
            return "windows-949";
        case 134:
            return "GBK";
        case 136:
            return "Big5";
        case 161:
            return "windows-1253";
        case 162:
            return "windows-1254";
        case 177:
            return "windows-1255";
        case 178:
            return "windows-1256";
        case 186:
            return "windows-1257";
        case 204:
            return "windows-1251";
        case 222:
            return "windows-874";
        case 238:
            return "windows-1250";
        default:
            return nullptr;
    }
}

QString decodeText(const char* bytes, const wmfFont* font) {
    QByteArray raw;
    for (const char* c = bytes; *c; ++c)
        if (quint8(*c) >= 0x20) raw += *c;  // control characters draw nothing
    constexpr int kSymbolCharset = 2;
    if (font->lfCharSet == kSymbolCharset) {
        QString text;
        for (quint8 c : raw)
            if (kSymbol[c - 0x20]) text += QChar(kSymbol[c - 0x20]);
        return text;
    }
    if (const char* page = codePage(font->lfCharSet)) {
        QStringDecoder decoder(page);
        if (decoder.isValid()) return decoder.decode(raw);
    }
    QString text;
    for (quint8 c : raw)
        text += QChar(c >= 0x80 && c < 0xA0 && kWindows1252[c - 0x80] ? kWindows1252[c - 0x80]
                                                                      : char16_t(c));
    return text;
}

QColor colour(const wmfRGB* rgb) {
    return QColor(rgb->r, rgb->g, rgb->b);
}

// The device behind libwmf's player: draws each shape in libwmf's device
// coordinates, mapped by toImage into the picture.
struct Canvas {
    wmfAPI* api = nullptr;
    QPainter* painter = nullptr;
    QTransform toImage;

    QPointF map(wmfD_Coord pt) const {
        const QPointF p = toImage.map(QPointF(pt.x, pt.y));
        const auto clamp = [](double v) {
            return std::isfinite(v) ? std::clamp(v, -kFar, kFar) : 0;
        };
        return {clamp(p.x()), clamp(p.y())};
    }
    QRectF rect(wmfD_Coord a, wmfD_Coord b) const { return QRectF(map(a), map(b)).normalized(); }
    double sx() const { return std::abs(toImage.m11()); }
    double sy() const { return std::abs(toImage.m22()); }
};

Canvas* canvasOf(wmfAPI* api) {
    return static_cast<Canvas*>(api->device_data);
}

// The colour a pen or brush leaves after the mix mode, nothing where it
// leaves the picture alone.
std::optional<QColor> mixed(const wmfDC* dc, QColor c) {
    switch (WMF_DC_ROP(dc)) {
        case R2_NOP:
            return {};
        case R2_BLACK:
            return QColor(Qt::black);
        case R2_WHITE:
            return QColor(Qt::white);
        default:
            return c;
    }
}

QPen penOf(const Canvas& c, const wmfDC* dc) {
    const wmfPen* p = WMF_DC_PEN(dc);
    const auto col = mixed(dc, colour(WMF_PEN_COLOR(p)));
    const unsigned style = WMF_PEN_STYLE(p);
    if (style == PS_NULL || !col) return Qt::NoPen;
    // Windows draws a pen of no width one pixel wide, at any scale.
    QPen pen(*col, std::max(1.0, WMF_PEN_WIDTH(p) * c.sx()));
    switch (style) {
        case PS_DASH:
            pen.setStyle(Qt::DashLine);
            break;
        case PS_DOT:
        case PS_ALTERNATE:
            pen.setStyle(Qt::DotLine);
            break;
        case PS_DASHDOT:
            pen.setStyle(Qt::DashDotLine);
            break;
        case PS_DASHDOTDOT:
            pen.setStyle(Qt::DashDotDotLine);
            break;
        default:
            break;
    }
    switch (WMF_PEN_ENDCAP(p)) {
        case PS_ENDCAP_SQUARE:
            pen.setCapStyle(Qt::SquareCap);
            break;
        case PS_ENDCAP_FLAT:
            pen.setCapStyle(Qt::FlatCap);
            break;
        default:
            pen.setCapStyle(Qt::RoundCap);
            break;
    }
    switch (WMF_PEN_JOIN(p)) {
        case PS_JOIN_BEVEL:
            pen.setJoinStyle(Qt::BevelJoin);
            break;
        case PS_JOIN_MITER:
            pen.setJoinStyle(Qt::MiterJoin);
            break;
        default:
            pen.setJoinStyle(Qt::RoundJoin);
            break;
    }
    return pen;
}

// Part of a bitmap libwmf decoded, sampled down to at most `most` pixels a
// side. The bitmap's rows run bottom up.
QImage bitmapImage(wmfAPI* api, wmfBMP* bmp, QRect part, QSize most) {
    if (!bmp->data || part.isEmpty() || part.left() < 0 || part.top() < 0 ||
        part.right() >= bmp->width || part.bottom() >= bmp->height)
        return {};
    const QSize size = part.size().boundedTo(most.expandedTo(QSize(1, 1)));
    QImage image(size, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    for (int row = 0; row < size.height(); ++row) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        const int y = part.bottom() - int(qint64(row) * part.height() / size.height());
        for (int col = 0; col < size.width(); ++col) {
            const int x = part.left() + int(qint64(col) * part.width() / size.width());
            wmfRGB rgb{};
            const int opacity = wmf_ipa_bmp_color(api, bmp, &rgb, unsigned(x), unsigned(y));
            line[col] = qRgba(rgb.r, rgb.g, rgb.b, std::clamp(opacity, 0, 255));
        }
    }
    return image;
}

Qt::BrushStyle hatch(unsigned style) {
    switch (style) {
        case HS_VERTICAL:
            return Qt::VerPattern;
        case HS_FDIAGONAL:
            return Qt::FDiagPattern;
        case HS_BDIAGONAL:
            return Qt::BDiagPattern;
        case HS_CROSS:
            return Qt::CrossPattern;
        case HS_DIAGCROSS:
            return Qt::DiagCrossPattern;
        default:
            return Qt::HorPattern;
    }
}

QBrush brushOf(const Canvas& c, const wmfDC* dc) {
    wmfBrush* b = WMF_DC_BRUSH(dc);
    const auto col = mixed(dc, colour(WMF_BRUSH_COLOR(b)));
    if (WMF_BRUSH_STYLE(b) == BS_NULL || !col) return Qt::NoBrush;
    switch (WMF_BRUSH_STYLE(b)) {
        case BS_HATCHED:
            return QBrush(*col, hatch(WMF_BRUSH_HATCH(b)));
        case BS_PATTERN:
        case BS_DIBPATTERN:
        case BS_DIBPATTERNPT: {
            wmfBMP* bmp = WMF_BRUSH_BITMAP(b);
            const QRect whole(0, 0, bmp->width, bmp->height);
            const QImage tile = bitmapImage(c.api, bmp, whole, QSize(256, 256));
            if (!tile.isNull()) return QBrush(tile);
            return *col;
        }
        default:
            return *col;
    }
}

// Fills with the brush (a hatch over the background colour in opaque mode),
// then outlines with the pen.
void paint(Canvas& c, const wmfDC* dc, const QPainterPath& path, bool fill = true) {
    QPainter& p = *c.painter;
    if (fill) {
        if (WMF_BRUSH_STYLE(WMF_DC_BRUSH(dc)) == BS_HATCHED && WMF_DC_OPAQUE(dc))
            p.fillPath(path, colour(WMF_DC_BACKGROUND(dc)));
        p.fillPath(path, brushOf(c, dc));
    }
    const QPen pen = penOf(c, dc);
    if (pen.style() != Qt::NoPen) p.strokePath(path, pen);
}

Qt::FillRule fillRule(const wmfDC* dc) {
    return WMF_DC_POLYFILL(dc) == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
}

void drawPixel(wmfAPI* api, wmfDrawPixel_t* d) {
    Canvas* c = canvasOf(api);
    const QSizeF size(std::max(1.0, d->pixel_width * c->sx()),
                      std::max(1.0, d->pixel_height * c->sy()));
    c->painter->fillRect(QRectF(c->map(d->pt), size), colour(&d->color));
}

enum class ArcKind { Open, Pie, Chord };

// libwmf gives the arc's ends relative to the centre of its box. Windows
// draws arcs counter-clockwise in logical space, so clockwise on the screen
// where the mapping mirrors one axis.
void drawArcKind(wmfAPI* api, wmfDrawArc_t* d, ArcKind kind) {
    Canvas* c = canvasOf(api);
    const QRectF box = c->rect(d->TL, d->BR);
    const double rx = box.width() / 2, ry = box.height() / 2;
    if (!(rx > 0 && ry > 0)) return;
    const auto angle = [&](wmfD_Coord v) {
        return std::atan2(-v.y * c->toImage.m22() / ry, v.x * c->toImage.m11() / rx) * 180 / M_PI;
    };
    const wmfDC* dc = d->dc;
    double sx = dc->pixel_width, sy = dc->pixel_height;
    if (dc->map_mode != kMmIsotropic && dc->map_mode != kMmAnisotropic) {
        if (dc->Window.width < 0) sx = -sx;
        if (dc->Window.height < 0) sy = -sy;
    }
    const bool mirrored = (sx < 0) != (sy < 0);
    const double start = angle(d->start);
    double sweep = std::fmod(angle(d->end) - start, 360.0);
    if (mirrored) {
        if (sweep >= 0) sweep -= 360;
    } else if (sweep <= 0) {
        sweep += 360;
    }
    QPainterPath path;
    if (kind == ArcKind::Pie)
        path.moveTo(box.center());
    else
        path.arcMoveTo(box, start);
    path.arcTo(box, start, sweep);
    if (kind != ArcKind::Open) path.closeSubpath();
    paint(*c, dc, path, kind != ArcKind::Open);
}

void drawPie(wmfAPI* api, wmfDrawArc_t* d) {
    drawArcKind(api, d, ArcKind::Pie);
}
void drawChord(wmfAPI* api, wmfDrawArc_t* d) {
    drawArcKind(api, d, ArcKind::Chord);
}
void drawArc(wmfAPI* api, wmfDrawArc_t* d) {
    drawArcKind(api, d, ArcKind::Open);
}

void drawEllipse(wmfAPI* api, wmfDrawArc_t* d) {
    Canvas* c = canvasOf(api);
    QPainterPath path;
    path.addEllipse(c->rect(d->TL, d->BR));
    paint(*c, d->dc, path);
}

void drawLine(wmfAPI* api, wmfDrawLine_t* d) {
    Canvas* c = canvasOf(api);
    QPainterPath path(c->map(d->from));
    path.lineTo(c->map(d->to));
    paint(*c, d->dc, path, false);
}

QPainterPath polyPath(const Canvas& c, const wmfD_Coord* pt, int count) {
    QPainterPath path;
    if (!pt || count <= 0) return path;
    path.moveTo(c.map(pt[0]));
    for (int i = 1; i < count; ++i) path.lineTo(c.map(pt[i]));
    return path;
}

void polyLine(wmfAPI* api, wmfPolyLine_t* d) {
    Canvas* c = canvasOf(api);
    if (d->count >= 2) paint(*c, d->dc, polyPath(*c, d->pt, d->count), false);
}

void drawPolygon(wmfAPI* api, wmfPolyLine_t* d) {
    Canvas* c = canvasOf(api);
    if (d->count < 2) return;
    QPainterPath path = polyPath(*c, d->pt, d->count);
    path.closeSubpath();
    path.setFillRule(fillRule(d->dc));
    paint(*c, d->dc, path);
}

void drawPolyPolygon(wmfAPI* api, wmfPolyPoly_t* d) {
    Canvas* c = canvasOf(api);
    QPainterPath path;
    for (int i = 0; i < d->npoly; ++i) {
        if (!d->pt || !d->count || d->count[i] < 2) continue;
        QPainterPath part = polyPath(*c, d->pt[i], d->count[i]);
        part.closeSubpath();
        path.addPath(part);
    }
    path.setFillRule(fillRule(d->dc));
    paint(*c, d->dc, path);
}

void drawRectangle(wmfAPI* api, wmfDrawRectangle_t* d) {
    Canvas* c = canvasOf(api);
    QPainterPath path;
    const QRectF box = c->rect(d->TL, d->BR);
    if (d->width > 0 || d->height > 0)  // the axes of the corners' ellipses
        path.addRoundedRect(box, d->width * c->sx() / 2, d->height * c->sy() / 2);
    else
        path.addRect(box);
    paint(*c, d->dc, path);
}

void ropDraw(wmfAPI* api, wmfROP_Draw_t* d) {
    Canvas* c = canvasOf(api);
    const QRectF box = c->rect(d->TL, d->BR);
    switch (d->ROP) {
        case kBlackness:
            c->painter->fillRect(box, Qt::black);
            break;
        case kWhiteness:
            c->painter->fillRect(box, Qt::white);
            break;
        case kKeepDest:
        case kDstInvert:
            break;
        default:
            c->painter->fillRect(box, brushOf(*c, d->dc));
            break;
    }
}

// Masks drawn with AND and then OR or XOR are how metafiles draw bitmaps
// with transparent parts: white does nothing to an AND, black nothing to
// an OR or XOR, so those pixels are left out.
void applyRop(QImage& image, quint32 rop) {
    if (rop == kNotSrcCopy) image.invertPixels();
    if (rop != kSrcAnd && rop != kSrcPaint && rop != kSrcInvert) return;
    const QRgb clear = rop == kSrcAnd ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xFF000000) == clear) line[x] = 0;
    }
}

void bmpDraw(wmfAPI* api, wmfBMP_Draw_t* d) {
    Canvas* c = canvasOf(api);
    const QSizeF size(d->crop.w * d->pixel_width * c->sx(), d->crop.h * d->pixel_height * c->sy());
    const QRectF target(c->map(d->pt), size);
    const QSize most(int(std::min(kFar, std::ceil(size.width()))) + 1,
                     int(std::min(kFar, std::ceil(size.height()))) + 1);
    QImage image =
        bitmapImage(api, &d->bmp, QRect(d->crop.x, d->crop.y, d->crop.w, d->crop.h), most);
    if (image.isNull()) return;
    applyRop(image, d->type);
    c->painter->drawImage(target, image);
}

void bmpRead(wmfAPI* api, wmfBMP_Read_t* r) {
    wmf_ipa_bmp_read(api, r);
}

void bmpFree(wmfAPI* api, wmfBMP* bmp) {
    wmf_ipa_bmp_free(api, bmp);
}

// libwmf hands over each string (each character, when the record spaces them)
// at its baseline, the font's height in device units, and the record's clip
// rectangle. It guesses the baseline of text aligned by its top; the font's
// real ascent replaces that guess.
void drawText(wmfAPI* api, wmfDrawText_t* d) {
    Canvas* c = canvasOf(api);
    const wmfFont* font = WMF_DC_FONT(d->dc);
    if (!font || !d->str) return;
    const QString text = decodeText(d->str, font);
    const double height = d->font_height * c->sy();
    if (text.isEmpty() || !(height > 0.05 && height < kFar)) return;

    QFont qfont(font->lfFaceName ? QString::fromLatin1(font->lfFaceName) : QString());
    qfont.setPixelSize(kTextPixels);
    const int weight = WMF_FONT_WEIGHT(font);
    qfont.setWeight(QFont::Weight(std::clamp(weight == 0 ? 400 : weight, 100, 900)));
    qfont.setItalic(WMF_FONT_ITALIC(font));
    qfont.setUnderline(WMF_TEXT_UNDERLINE(font));
    qfont.setStrikeOut(WMF_TEXT_STRIKEOUT(font));
    const QFontMetricsF metrics(qfont);
    // The font's width is its average character width; libwmf makes it the
    // height when the file leaves it to the font.
    double stretch = 1;
    if (font->lfWidth != font->lfHeight && font->lfHeight > 0 && font->lfWidth > 0 &&
        metrics.averageCharWidth() > 0)
        stretch = std::clamp(
            double(font->lfWidth) / font->lfHeight * kTextPixels / metrics.averageCharWidth(), 0.1,
            10.0);
    const unsigned align = WMF_DC_TEXTALIGN(d->dc);
    double baseline = 0;  // from libwmf's baseline to the real one, at kTextPixels
    if ((align & TA_BASELINE) == TA_BASELINE)
        baseline = 0;
    else if (align & TA_BOTTOM)
        baseline = -metrics.descent();
    else
        baseline = metrics.ascent() - kTextPixels;

    QPainter& p = *c->painter;
    p.save();
    const QRectF box = c->rect(d->TL, d->BR);
    if ((d->flags & ETO_CLIPPED) && !box.isEmpty()) p.setClipRect(box, Qt::IntersectClip);
    if ((d->flags & ETO_OPAQUE) && !box.isEmpty())
        p.fillRect(box, colour(WMF_DC_BACKGROUND(d->dc)));
    p.translate(c->map(d->pt));
    p.rotate(-WMF_FONT_ESCAPEMENT(font) / 10.0);
    const double scale = height / kTextPixels;
    p.scale(scale * stretch, scale);
    if (WMF_DC_OPAQUE(d->dc))
        p.fillRect(QRectF(0, baseline - metrics.ascent(), metrics.horizontalAdvance(text),
                          metrics.height()),
                   colour(WMF_DC_BACKGROUND(d->dc)));
    p.setFont(qfont);
    p.setPen(colour(WMF_DC_TEXTCOLOR(d->dc)));
    p.drawText(QPointF(0, baseline), text);
    p.restore();
}

// Windows' own default brush is white; libwmf starts with none.
void udataInit(wmfAPI*, wmfUserData_t* u) {
    if (!u->dc || !u->dc->brush) return;
    u->dc->brush->lbStyle = BS_SOLID;
    u->dc->brush->lbColor = wmfRGB{255, 255, 255};
}

void regionFrame(wmfAPI* api, wmfPolyRectangle_t* r) {
    Canvas* c = canvasOf(api);
    const double w = std::max(1.0, r->width * c->sx()), h = std::max(1.0, r->height * c->sy());
    const QBrush brush = brushOf(*c, r->dc);
    for (unsigned i = 0; r->TL && r->BR && i < r->count; ++i) {
        const QRectF box = c->rect(r->TL[i], r->BR[i]);
        QPainterPath frame;
        frame.addRect(box);
        frame.addRect(box.adjusted(w, h, -w, -h));
        c->painter->fillPath(frame, brush);
    }
}

void regionPaint(wmfAPI* api, wmfPolyRectangle_t* r) {
    Canvas* c = canvasOf(api);
    const QBrush brush = brushOf(*c, r->dc);
    for (unsigned i = 0; r->TL && r->BR && i < r->count; ++i)
        c->painter->fillRect(c->rect(r->TL[i], r->BR[i]), brush);
}

void regionClip(wmfAPI* api, wmfPolyRectangle_t* r) {
    Canvas* c = canvasOf(api);
    if (r->count == 0 || !r->TL || !r->BR) {
        c->painter->setClipping(false);
        return;
    }
    QRegion region;
    for (unsigned i = 0; i < r->count; ++i) region += c->rect(r->TL[i], r->BR[i]).toAlignedRect();
    c->painter->setClipRegion(region);
}

void setUpDevice(wmfAPI* api) {
    auto* fr = static_cast<wmfFunctionReference*>(api->function_reference);
    *fr = wmfFunctionReference{};
    fr->draw_pixel = drawPixel;
    fr->draw_pie = drawPie;
    fr->draw_chord = drawChord;
    fr->draw_arc = drawArc;
    fr->draw_ellipse = drawEllipse;
    fr->draw_line = drawLine;
    fr->poly_line = polyLine;
    fr->draw_polygon = drawPolygon;
    fr->draw_polypolygon = drawPolyPolygon;
    fr->draw_rectangle = drawRectangle;
    fr->rop_draw = ropDraw;
    fr->bmp_draw = bmpDraw;
    fr->bmp_read = bmpRead;
    fr->bmp_free = bmpFree;
    fr->draw_text = drawText;
    fr->udata_init = udataInit;
    fr->region_frame = regionFrame;
    fr->region_paint = regionPaint;
    fr->region_clip = regionClip;
    api->device_data = nullptr;
}

// One metafile loaded into libwmf and scanned, ready to play once.
class Player {
public:
    explicit Player(QByteArray bytes) : bytes_(std::move(bytes)) {
        wmfAPI_Options options{};
        options.function = setUpDevice;
        // Never a word on stdout, which carries the answer to our parent.
        const unsigned long flags =
            WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_DEBUG | WMF_OPT_NO_ERROR;
        if (wmf_api_create(&api_, flags, &options) != wmf_E_None) return;
        scanned_ = wmf_mem_open(api_, reinterpret_cast<unsigned char*>(bytes_.data()),
                                long(bytes_.size())) == wmf_E_None &&
                   wmf_scan(api_, 0, &extent_) == wmf_E_None;
    }
    ~Player() {
        if (api_) wmf_api_destroy(api_);
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool scanned() const { return scanned_; }
    // What the metafile draws, in libwmf's device coordinates.
    QRectF extent() const {
        return QRectF(QPointF(extent_.TL.x, extent_.TL.y), QPointF(extent_.BR.x, extent_.BR.y));
    }

    bool play(Canvas& canvas) {
        canvas.api = api_;
        api_->device_data = &canvas;
        wmfD_Rect box{};
        const bool ok = wmf_play(api_, 0, &box) == wmf_E_None;
        api_->device_data = nullptr;
        return ok;
    }

private:
    QByteArray bytes_;
    wmfAPI* api_ = nullptr;
    wmfD_Rect extent_{};
    bool scanned_ = false;
};

QByteArray record(quint16 function, std::initializer_list<int> params) {
    QByteArray r(6 + 2 * params.size(), '\0');
    qToLittleEndian<quint32>(quint32(3 + params.size()), r.data());
    qToLittleEndian<quint16>(function, r.data() + 4);
    int at = 6;
    for (int p : params) {
        qToLittleEndian<quint16>(quint16(p), r.data() + at);
        at += 2;
    }
    return r;
}

// What a Windows program sets up before it plays a metafile into a
// rectangle: the metafile's window mapped onto a viewport, here the image.
// The metafile's own window records then change the window, never the
// viewport, as they do there.
QByteArray withHostMapping(const QByteArray& data, const PictureFormat::WmfLayout& layout,
                           QRect window, QSize viewport) {
    const QByteArray setUp = record(0x020B, {window.top(), window.left()}) +
                             record(0x020C, {window.height(), window.width()}) +
                             record(0x020E, {viewport.height(), viewport.width()}) +
                             record(0x0103, {kMmAnisotropic});
    QByteArray bytes = data.left(layout.recordsAt) + setUp + data.mid(layout.recordsAt);
    // The header counts the file's words and gives its largest record.
    char* header = bytes.data() + layout.recordsAt - kHeaderBytes;
    qToLittleEndian<quint32>(qFromLittleEndian<quint32>(header + 6) + setUp.size() / 2, header + 6);
    qToLittleEndian<quint32>(std::max<quint32>(qFromLittleEndian<quint32>(header + 12), 5),
                             header + 12);
    return bytes;
}

bool fitsRecord(QRect r) {
    constexpr int kMax = 32767;  // the records hold 16-bit numbers
    return r.width() > 0 && r.height() > 0 && r.width() <= kMax && r.height() <= kMax &&
           std::abs(r.left()) <= kMax && std::abs(r.top()) <= kMax;
}

bool metricMapMode(int mode) {
    return mode > kMmText && mode <= kMmTwips;
}

}  // namespace

std::optional<QImage> drawWmf(const QByteArray& data, QSize size) {
    const auto layout = PictureFormat::wmfLayout(data);
    if (!layout || size.isEmpty()) return {};
    // The window the picture's frame is: the placeable header's box, else
    // the first the metafile sets, unless it switches to a fixed scale.
    QRect window;
    if (layout->placeable)
        window = layout->bounds;
    else if (layout->windowExt && !metricMapMode(layout->mapMode))
        window = QRect(QPoint(0, 0), *layout->windowExt);
    const bool hosted = fitsRecord(window) && layout->mapMode != kMmText;

    Player player(hosted ? withHostMapping(data, *layout, window, size) : data);
    if (!player.scanned()) return {};
    Canvas canvas;
    if (!hosted) {
        // Units stay 1:1 with the file's; the frame is the window where it
        // sets one in plain units, else what it draws.
        const QRectF frame = layout->mapMode == kMmText && fitsRecord(window)
                                 ? QRectF(QPointF(0, 0), QSizeF(window.size()))
                                 : player.extent();
        if (!(frame.width() > 0 && frame.height() > 0)) return {};
        canvas.toImage =
            QTransform::fromTranslate(-frame.left(), -frame.top()) *
            QTransform::fromScale(size.width() / frame.width(), size.height() / frame.height());
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    canvas.painter = &painter;
    const bool played = player.play(canvas);
    painter.end();
    if (!played) return {};
    return image;
}

std::optional<QSizeF> wmfExtentTwips(const QByteArray& data) {
    const auto layout = PictureFormat::wmfLayout(data);
    if (!layout) return {};
    Player player(data);
    if (!player.scanned()) return {};
    const QRectF extent = player.extent();
    if (!(extent.width() > 0 && extent.height() > 0)) return {};
    // libwmf's device units are the file's own in the text mode, points in
    // the metric ones.
    const double twips = metricMapMode(layout->mapMode) ? kTwipsPerPoint : kTwipsPerPixel;
    return QSizeF(extent.width() * twips, extent.height() * twips);
}
