#include "browser/Icons.h"

#include <QApplication>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QStyle>
#include <cmath>
#include <functional>
#include <utility>

#include "kit/LazyIcon.h"
#include "kit/PictureTypes.h"

namespace {
QIcon stdIcon(QStyle::StandardPixmap sp) {
    return Icons::Standard(sp);
}

// A small painted glyph on a 32x32 surface (scaled down for 16x16).
using Draw = std::function<void(QPainter&)>;

QIcon painted(Draw draw) {
    return LazyIcon([draw = std::move(draw)] {
        QIcon icon;
        for (int size : {16, 32}) {
            QPixmap pm(size, size);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(size / 32.0, size / 32.0);
            draw(p);
            icon.addPixmap(pm);
        }
        return icon;
    });
}

void picture(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(120, 180, 240));
    p.drawRect(3, 6, 26, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 210, 40));
    p.drawEllipse(QPointF(22, 12), 3, 3);
    p.setBrush(QColor(60, 150, 60));
    p.drawPolygon(QPolygonF(
        {QPointF(4, 25), QPointF(13, 13), QPointF(20, 21), QPointF(23, 18), QPointF(28, 25)}));
}

void printer(QPainter& p) {
    p.setPen(QPen(QColor(50, 50, 50), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(9, 3, 14, 10);
    p.setBrush(QColor(170, 170, 180));
    p.drawRoundedRect(3, 12, 26, 12, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(9, 20, 14, 9);
}

void pages(QPainter& p) {
    p.setPen(QPen(QColor(50, 50, 50), 1.5));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(4, 3, 16, 20);
    p.setBrush(Qt::white);
    p.drawRect(12, 9, 16, 20);
}

void moveTo(QPainter& p) {
    pages(p);
    p.setPen(QPen(QColor(30, 120, 30), 3));
    p.drawLine(6, 26, 16, 26);
    p.drawLine(13, 22, 17, 26);
    p.drawLine(13, 30, 17, 26);
}

void gear(QPainter& p) {
    p.translate(16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 110));
    for (int i = 0; i < 8; ++i) {
        p.drawRect(-3, -14, 6, 8);
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 10, 10);
    p.setBrush(QColor(230, 230, 230));
    p.drawEllipse(QPointF(0, 0), 4, 4);
}

void star(QPainter& p) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2) ? 6 : 14, a = i * M_PI / 5 - M_PI / 2;
        const QPointF pt(16 + r * std::cos(a), 17 + r * std::sin(a));
        i ? path.lineTo(pt) : path.moveTo(pt);
    }
    path.closeSubpath();
    p.setPen(QPen(QColor(150, 110, 0), 1.5));
    p.setBrush(QColor(250, 200, 40));
    p.drawPath(path);
}

void tiles(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            p.setBrush((x + y) % 2 ? QColor(120, 180, 240) : QColor(250, 210, 40));
            p.drawRect(3 + x * 9, 3 + y * 9, 8, 8);
        }
}

void hound(QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 3));
    p.setBrush(QColor(200, 230, 255));
    p.drawEllipse(QPointF(13, 13), 9, 9);
    p.setPen(QPen(QColor(120, 70, 20), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(20, 20, 28, 28);
}

void palette(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 30), 1.5));
    p.setBrush(QColor(230, 200, 150));
    p.drawEllipse(3, 5, 26, 22);
    const QColor c[] = {Qt::red, Qt::blue, Qt::green, Qt::yellow};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(c[i]);
        p.drawEllipse(QPointF(9 + i * 5, 12 + (i % 2) * 4), 2.5, 2.5);
    }
}

void monitor(QPainter& p) {
    p.setPen(QPen(QColor(50, 50, 50), 1.5));
    p.setBrush(QColor(40, 110, 170));
    p.drawRect(3, 4, 26, 18);
    p.setBrush(QColor(120, 120, 120));
    p.drawRect(12, 23, 8, 3);
    p.drawRect(8, 26, 16, 2);
}

void letter(QPainter& p, const QString& text, const QColor& bg) {
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(2, 2, 28, 28, 5, 5);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(text.size() > 2 ? 10 : 15);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(2, 2, 28, 28), Qt::AlignCenter, text);
}

QIcon typeIcon(const QString& text, const QColor& bg) {
    return painted([text, bg](QPainter& p) { letter(p, text, bg); });
}

// A magnifying glass, with a plus, a minus or "1:1" in its lens.
void magnifier(QPainter& p, const QString& sign) {
    p.setPen(QPen(QColor(120, 70, 20), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(20, 20, 28, 28);
    p.setPen(QPen(QColor(60, 60, 60), 2.5));
    p.setBrush(QColor(225, 240, 255));
    p.drawEllipse(QPointF(13, 13), 10, 10);
    p.setPen(QPen(QColor(20, 60, 140), 3));
    if (sign == "+" || sign == "-") p.drawLine(8, 13, 18, 13);
    if (sign == "+") p.drawLine(13, 8, 13, 18);
    if (sign == "1:1") {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(9);
        p.setFont(f);
        p.drawText(QRect(3, 3, 20, 20), Qt::AlignCenter, sign);
    }
}

void clipboardGlyph(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 30), 1.5));
    p.setBrush(QColor(200, 160, 100));
    p.drawRoundedRect(5, 4, 22, 26, 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(8, 8, 16, 19);
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(11, 2, 10, 5);
}

void zoomIn(QPainter& p) {
    magnifier(p, "+");
}
void zoomOut(QPainter& p) {
    magnifier(p, "-");
}
void actualSize(QPainter& p) {
    magnifier(p, "1:1");
}
void clipboardPicture(QPainter& p) {
    clipboardGlyph(p);
    p.scale(0.55, 0.55);
    p.translate(14, 16);
    picture(p);
}
void htmlListing(QPainter& p) {
    letter(p, "htm", QColor(200, 90, 40));
}
void csvListing(QPainter& p) {
    letter(p, "csv", QColor(40, 140, 60));
}
}  // namespace

QIcon Icons::Get(Pic pic) {
    using S = QStyle;
    // Either a standard picture of the style or one painted here.
    struct Glyph {
        S::StandardPixmap standard;
        void (*draw)(QPainter&) = nullptr;
    };
    static const std::pair<Pic, Glyph> table[] = {
        {Pic::ParentFolder, {S::SP_FileDialogToParent}},
        {Pic::Reload, {S::SP_BrowserReload}},
        {Pic::Play, {S::SP_MediaPlay}},
        {Pic::InfoView, {S::SP_FileDialogInfoView}},
        {Pic::Link, {S::SP_FileLinkIcon}},
        {Pic::CommandLink, {S::SP_CommandLink}},
        {Pic::Discard, {S::SP_DialogDiscardButton}},
        {Pic::DetailedView, {S::SP_FileDialogDetailedView}},
        {Pic::ContentsView, {S::SP_FileDialogContentsView}},
        {Pic::ListView, {S::SP_FileDialogListView}},
        {Pic::Trash, {S::SP_TrashIcon}},
        {Pic::OpenFile, {S::SP_DialogOpenButton}},
        {Pic::Back, {S::SP_ArrowBack}},
        {Pic::Forward, {S::SP_ArrowForward}},
        {Pic::NewFolder, {S::SP_FileDialogNewFolder}},
        {Pic::Network, {S::SP_DriveNetIcon}},
        {Pic::Information, {S::SP_MessageBoxInformation}},
        {Pic::Floppy, {S::SP_DriveFDIcon}},
        {Pic::Apply, {S::SP_DialogApplyButton}},
        {Pic::Stop, {S::SP_BrowserStop}},
        {Pic::Star, {S::SP_CustomBase, star}},
        {Pic::Picture, {S::SP_CustomBase, picture}},
        {Pic::Printer, {S::SP_CustomBase, printer}},
        {Pic::Monitor, {S::SP_CustomBase, monitor}},
        {Pic::Pages, {S::SP_CustomBase, pages}},
        {Pic::MoveTo, {S::SP_CustomBase, moveTo}},
        {Pic::Gear, {S::SP_CustomBase, gear}},
        {Pic::Tiles, {S::SP_CustomBase, tiles}},
        {Pic::Hound, {S::SP_CustomBase, hound}},
        {Pic::Palette, {S::SP_CustomBase, palette}},
        {Pic::HtmlListing, {S::SP_CustomBase, htmlListing}},
        {Pic::CsvListing, {S::SP_CustomBase, csvListing}},
        {Pic::ZoomIn, {S::SP_CustomBase, zoomIn}},
        {Pic::ZoomOut, {S::SP_CustomBase, zoomOut}},
        {Pic::ActualSize, {S::SP_CustomBase, actualSize}},
        {Pic::Clipboard, {S::SP_CustomBase, clipboardGlyph}},
        {Pic::ClipboardPicture, {S::SP_CustomBase, clipboardPicture}},
    };
    for (const auto& [p, g] : table)
        if (p == pic) return g.draw ? painted(g.draw) : stdIcon(g.standard);
    return {};
}

QIcon Icons::Standard(QStyle::StandardPixmap sp) {
    // The style reads its pictures from image files each time one is asked
    // for: each is read once and kept while the style stays.
    static QPointer<QStyle> style;
    static QHash<int, QIcon> icons;
    QStyle* current = QApplication::style();
    if (style != current) {
        icons.clear();
        style = current;
    }
    auto it = icons.constFind(sp);
    if (it == icons.constEnd()) it = icons.insert(sp, current->standardIcon(sp));
    return *it;
}

QIcon Icons::Drive(int image) {
    if (image == 6) return typeIcon("RAM", QColor(90, 90, 160));
    using S = QStyle;
    static const QHash<int, S::StandardPixmap> table = {
        {1, S::SP_DriveFDIcon}, {2, S::SP_DriveFDIcon},  {3, S::SP_DriveHDIcon},
        {4, S::SP_DriveCDIcon}, {5, S::SP_DriveNetIcon}, {7, S::SP_DirIcon}};
    return stdIcon(table.value(image, S::SP_DriveHDIcon));
}

QIcon Icons::ListImage(int image) {
    if (const PictureTypes::Row* type = PictureTypes::ListImageOwner(image))
        return typeIcon(QString::fromLatin1(type->name.data(), type->name.size()),
                        QColor(QRgb(type->listColour)));
    if (image == ParentImage) return stdIcon(QStyle::SP_FileDialogToParent);
    return stdIcon(QStyle::SP_FileIcon);
}

QPixmap Icons::SplashArt() {
    QPixmap pm(437, 87);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 437, 87);
    g.setColorAt(0, QColor(20, 40, 90));
    g.setColorAt(1, QColor(60, 120, 190));
    p.fillRect(pm.rect(), g);
    p.translate(14, 14);
    p.scale(1.8, 1.8);
    picture(p);
    p.resetTransform();
    QFont f("DejaVu Sans");
    f.setPixelSize(34);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255, 230));
    p.drawText(QRect(90, 0, 340, 87), Qt::AlignVCenter | Qt::AlignLeft, "Kvo View");
    f.setPixelSize(12);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(92, 58, 340, 20), Qt::AlignLeft, "image browser");
    return pm;
}

// The resources live in a static library: nothing would pull them in.
static void initProgramResources() {
    Q_INIT_RESOURCE(kvoview);
}

QIcon Icons::Program() {
    static const bool loaded = (initProgramResources(), true);
    Q_UNUSED(loaded);
    // Drawn by a plugin loaded when the icon is first drawn.
    return LazyIcon([] { return QIcon(":/icons/kvoview.svg"); });
}
