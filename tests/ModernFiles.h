#pragma once

#include <QByteArray>
#include <QImage>

// AVIF, HEIF and JPEG XL files of a picture, made by the libraries' own
// encoders: nearly lossless, so a decoded pixel is within a few steps of the
// source's. Empty when the encoder fails.
// quantizer: 0 nearly lossless, up to 63; about 30 for a photo.
QByteArray avifFile(const QImage& picture, int quantizer = 0);
QByteArray heifFile(const QImage& picture);
QByteArray jxlFile(const QImage& picture);

// The file with the width and height its "ispe" boxes declare (an AVIF's or
// a HEIF's picture size), and its grid's when it is made of tiles, replaced.
QByteArray withIsoSize(QByteArray file, quint32 width, quint32 height);
