#pragma once

#include <QImage>
#include <QString>

// A picture as a plain bitmap a BMP reader anywhere can show: transparent
// parts (icons, cursors, metafiles) laid on white, no alpha channel.
QImage FlattenForBmp(const QImage& picture);

// Writes the picture as a BMP file at path, replacing any file there in one
// step: it is written beside the target under a temporary name and renamed
// over it, so a reader sees the old file or the new one, never half of one.
// A replaced file keeps its permissions. False when nothing was written.
bool SaveBmpAtomically(const QImage& picture, const QString& path);
