#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <cmath>

#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"

// Conversions at the widget boundary: layout code works in twips.
inline int PxX(float twips) {
    return Platform::screen().ToPixelsX(twips);
}
inline int PxY(float twips) {
    return Platform::screen().ToPixelsY(twips);
}
inline float TwX(int px) {
    return Platform::screen().ToTwipsX(px);
}
inline float TwY(int px) {
    return Platform::screen().ToTwipsY(px);
}

// A rectangle given in twips, in pixels.
inline QRect PxRect(float left, float top, float width, float height) {
    return QRect(PxX(left), PxY(top), PxX(width), PxY(height));
}

// Whole-number division with both operands rounded first, as the old integer
// division operator did.
inline long long IntDiv(double a, double b) {
    const long long x = std::llrint(a), y = std::llrint(b);
    return y == 0 ? 0 : x / y;
}

// The screen's size in whole pixels, worked out as the old runtime did.
inline QSize ScreenPixels() {
    const ScreenMetrics& s = Platform::screen();
    return QSize(int(IntDiv(s.ScreenWidth(), s.TwipsPerPixelX())),
                 int(IntDiv(s.ScreenHeight(), s.TwipsPerPixelY())));
}

// "W x H" in pixels of a size given in twips.
inline QString PixelText(float widthTwips, float heightTwips) {
    const ScreenMetrics& s = Platform::screen();
    return QString::number(IntDiv(widthTwips, s.TwipsPerPixelX())) + " x " +
           QString::number(IntDiv(heightTwips, s.TwipsPerPixelY()));
}
