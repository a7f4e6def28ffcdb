#include "tools/WallpaperMaker.h"

#include <QPainter>

#include "kit/Helpers.h"
#include "kit/PictureHolder.h"
#include "kit/ScreenPictures.h"
#include "kit/Twips.h"
#include "platform/Wallpaper.h"
#include "tools/BmpFile.h"

QString WallpaperFile() {
    return GetWindowsDir() + "Kvo View Wallpaper.bmp";
}

QImage TileWallpaper(const QImage& picture, QSize screen) {
    if (picture.isNull()) return {};
    const int w = picture.width();
    const int h = picture.height() - 1;
    const int sw = std::max(screen.width(), 0), sh = std::max(screen.height(), 0);
    QImage surface(std::max(sw, w), std::max(sh, picture.height()), QImage::Format_RGB32);
    surface.fill(Qt::black);
    QPainter p(&surface);
    p.drawImage(0, 0, picture);
    // First row: the tile copied along, up to the screen's right edge.
    if (h > 0)
        for (int x = w; x <= sw; x += w) p.drawImage(x, 0, surface, 0, 0, w, h);
    // Further rows: the whole first row copied down. With no tile height
    // there is nothing to copy and no step to advance by.
    if (h > 0)
        for (int y = h; y <= sh; y += h) p.drawImage(0, y, surface, 0, 0, sw, h);
    p.end();
    return surface;
}

void MakeWallpaper(const PictureHolder& source, int mode) {
    QImage picture;
    if (!source.path.isEmpty())
        if (std::optional<Picture> p = LoadHeldWhole(source.path)) picture = std::move(p->image);
    if (picture.isNull()) picture = source.image;
    if (!picture.isNull())
        SaveBmpAtomically(TileWallpaper(picture, ScreenPixels()), WallpaperFile());
    ApplyWallpaper(mode);
}

void ApplyWallpaper(int mode) {
    WriteUserRegValue("Control Panel\\Desktop", "TileWallpaper", QString::number(mode), REG_SZ);
    Wallpaper().SetWallpaper(WallpaperFile(), mode);
}
