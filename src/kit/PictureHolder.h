#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

#include "platform/PictureLoader.h"

// The hidden holder of the picture on show: its natural size in twips and a
// copy decoded for the size it is shown at, which every later layout reuses.
struct PictureHolder {
    QByteArray path;  // the file's bytes, as the list holds them
    QImage image;
    QSizeF twips;
    QSize pixels;

    bool HasPicture() const { return !image.isNull(); }
    float Width() const { return float(twips.width()); }
    float Height() const { return float(twips.height()); }
    void Clear() { *this = PictureHolder(); }
    // Holds a picture just loaded from path.
    void Take(const QByteArray& from, Picture&& p) {
        path = from;
        image = std::move(p.image);
        twips = p.info.twips;
        pixels = p.info.pixels;
    }
};
