#pragma once

#include <QImage>
#include <QSize>
#include <QString>

struct PictureHolder;

// The wallpaper bitmap's fixed place: the data folder's "Kvo View Wallpaper.bmp".
QString WallpaperFile();

// The picture repeated over a surface of the screen's size (or the picture's,
// where that is larger): tiles as wide as the picture and one row less high
// than it, so each repeat drops the picture's last row. A picture one pixel
// high gives tiles of no height and fills only the first row.
QImage TileWallpaper(const QImage& picture, QSize screen);

// Builds the wallpaper bitmap from source's file (the whole picture, not a
// copy decoded for a preview; that copy serves when the file is gone),
// writes it to WallpaperFile() and applies it. Mode 0 centred, 1 tiled,
// 2 stretched.
void MakeWallpaper(const PictureHolder& source, int mode);

// Records the tile mode as the desktop setting "TileWallpaper" and has the
// desktop show WallpaperFile(), whatever it now holds.
void ApplyWallpaper(int mode);
