#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

// The hidden holder of the picture on show: its natural size in twips and a
// copy decoded no larger than it is shown, plus where it came from so a
// larger copy can be decoded when the preview grows.
struct PictureHolder {
    QString path;
    QImage image;
    QSizeF twips;
    QSize pixels;

    bool HasPicture() const { return !image.isNull(); }
    float Width() const { return float(twips.width()); }
    float Height() const { return float(twips.height()); }
    void Clear() { *this = PictureHolder(); }
};
