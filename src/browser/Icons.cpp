#include "browser/Icons.h"

#include <QApplication>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <cmath>
#include <functional>

namespace {
QIcon stdIcon(QStyle::StandardPixmap sp) {
    return QApplication::style()->standardIcon(sp);
}

// A small painted glyph on a 32x32 surface (scaled down for 16x16).
using Draw = std::function<void(QPainter&)>;

QIcon painted(const Draw& draw) {
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
    return painted([&](QPainter& p) { letter(p, text, bg); });
}

// An icon either from the style or painted here.
struct Glyph {
    QStyle::StandardPixmap standard;
    void (*draw)(QPainter&) = nullptr;
};

QIcon make(const Glyph& g) {
    return g.draw ? painted(g.draw) : stdIcon(g.standard);
}
}  // namespace

QIcon Icons::Toolbar(int image) {
    using S = QStyle;
    static const QHash<int, Glyph> table = {
        {1, {S::SP_FileDialogToParent}},
        {2, {S::SP_CustomBase, star}},
        {3, {S::SP_BrowserReload}},
        {4, {S::SP_CustomBase, picture}},
        {5, {S::SP_MediaPlay}},
        {6, {S::SP_CustomBase, printer}},
        {7, {S::SP_CustomBase, monitor}},
        {8, {S::SP_CustomBase, pages}},
        {9, {S::SP_CustomBase, moveTo}},
        {10, {S::SP_FileDialogInfoView}},
        {11, {S::SP_CustomBase, picture}},
        {12, {S::SP_FileLinkIcon}},
        {15, {S::SP_CommandLink}},
        {16, {S::SP_DialogDiscardButton}},
        {18, {S::SP_CustomBase, gear}},
        {20, {S::SP_CustomBase, tiles}},
        {21, {S::SP_FileDialogDetailedView}},
        {23, {S::SP_TrashIcon}},
        {24, {S::SP_CustomBase, hound}},
    };
    return make(table.value(image, {S::SP_FileIcon}));
}

namespace {
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
}  // namespace

QIcon Icons::ViewerToolbar(int button) {
    using S = QStyle;
    switch (button) {
        case 1:
            return stdIcon(S::SP_DialogOpenButton);
        case 2:
            return stdIcon(S::SP_FileDialogDetailedView);
        case 4:
            return painted(printer);
        case 6:
            return stdIcon(S::SP_ArrowBack);
        case 7:
            return stdIcon(S::SP_ArrowForward);
        case 9:
            return stdIcon(S::SP_BrowserReload);
        case 11:
            return painted([](QPainter& p) { magnifier(p, "+"); });
        case 12:
            return painted([](QPainter& p) { magnifier(p, "-"); });
        case 13:
            return painted([](QPainter& p) { magnifier(p, "1:1"); });
        case 15:
            return painted(clipboardGlyph);
        case 16:
            return painted([](QPainter& p) {
                clipboardGlyph(p);
                p.scale(0.55, 0.55);
                p.translate(14, 16);
                picture(p);
            });
        case 18:
            return painted(monitor);
        default:
            return stdIcon(S::SP_FileIcon);
    }
}

QIcon Icons::Menu(const QString& caption) {
    static const QHash<QString, int> toolbarImage = {
        {"&Up One Level", 1},     {"&Organize Favorites", 2},
        {"&Refresh", 3},          {"&Open", 4},
        {"Sli&deShow", 5},        {"&Print", 6},
        {"Set Wallpa&per", 7},    {"&Copy to...", 8},
        {"&Move to...", 9},       {"Proper&ties", 10},
        {"Copy &Image", 11},      {"Copy &Filename", 12},
        {"&Launch", 15},          {"&Delete File(s)", 16},
        {"&Settings", 18},        {"&Web Pattern Viewer", 20},
        {"&Recycle File(s)", 23}, {"Image &Hound", 24}};
    if (auto it = toolbarImage.find(caption); it != toolbarImage.end()) return Toolbar(*it);
    if (caption == "&Create Hypertext File Listing") return typeIcon("htm", QColor(200, 90, 40));
    if (caption == "Create CS&V File Listing") return typeIcon("csv", QColor(40, 140, 60));
    if (caption == "&Text File") return stdIcon(QStyle::SP_FileIcon);
    if (caption == "&Morvath Software on the Web") return stdIcon(QStyle::SP_DriveNetIcon);
    if (caption == "About") return stdIcon(QStyle::SP_MessageBoxInformation);
    if (caption == "&Copy Disk") return stdIcon(QStyle::SP_DriveFDIcon);
    if (caption == "Select &All Files") return stdIcon(QStyle::SP_DialogApplyButton);
    if (caption == "Screensa&ver") return painted(monitor);
    if (caption == "&Find File(s)") return painted(hound);
    if (caption == "&Shutdown Windows") return stdIcon(QStyle::SP_BrowserStop);
    if (caption == "Ne&w Folder") return stdIcon(QStyle::SP_FileDialogNewFolder);
    if (caption == "&Hex Color Editor") return painted(palette);
    if (caption == "Lar&ge Icons") return stdIcon(QStyle::SP_FileDialogContentsView);
    if (caption == "S&mall Icons") return stdIcon(QStyle::SP_FileDialogListView);
    if (caption == "&List") return stdIcon(QStyle::SP_FileDialogListView);
    if (caption == "&Details") return stdIcon(QStyle::SP_FileDialogDetailedView);
    return {};
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
    static const char* names[] = {"BMP", "GIF", "JPG", "DIB", "CUR", "ICO", "EMF", "WMF"};
    static const QColor colors[] = {
        QColor(40, 100, 180),  QColor(150, 60, 160), QColor(200, 90, 30), QColor(40, 130, 130),
        QColor(100, 100, 100), QColor(180, 140, 20), QColor(60, 140, 60), QColor(120, 80, 40)};
    if (image >= 1 && image <= 8) return typeIcon(names[image - 1], colors[image - 1]);
    if (image == 9) return stdIcon(QStyle::SP_FileDialogToParent);
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
    return QIcon(":/icons/kvoview.svg");
}
