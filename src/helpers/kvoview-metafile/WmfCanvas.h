#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QSizeF>

#include <optional>

// Plays a WMF through libwmf's player straight onto a QPainter: libwmf
// decodes the records and works out device coordinates, and this draws them.
// The picture's frame fills exactly size: the window the metafile sets, else
// the bounding box of its placeable header, else the extent of what it draws.
// Nothing when libwmf cannot play the file. Needs a QGuiApplication for text.
std::optional<QImage> drawWmf(const QByteArray& data, QSize size);

// The natural size in twips of a WMF whose headers give none: the extent of
// what it draws, in pixels of a 96 dpi screen (in points where it sets a
// metric mapping mode).
std::optional<QSizeF> wmfExtentTwips(const QByteArray& data);
