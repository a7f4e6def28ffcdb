#pragma once

#include <QRect>

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
