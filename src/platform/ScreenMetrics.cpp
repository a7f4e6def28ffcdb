#include "platform/ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

int ScreenMetrics::ToPixelsX(float twips) const {
    return qRound(twips / TwipsPerPixelX());
}

int ScreenMetrics::ToPixelsY(float twips) const {
    return qRound(twips / TwipsPerPixelY());
}

namespace {
constexpr float kTwipsPerInch = 1440.0f;
// What a 96-dpi screen gives, used when there is no screen at all (a
// program without a GUI, or a display that went away).
constexpr float kDefaultTwipsPerPixel = 15.0f;

float twipsPerPixel(qreal dpi) {
    return dpi > 0 ? kTwipsPerInch / float(dpi) : kDefaultTwipsPerPixel;
}
}  // namespace

float QtScreenMetrics::TwipsPerPixelX() const {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? twipsPerPixel(s->logicalDotsPerInchX()) : kDefaultTwipsPerPixel;
}

float QtScreenMetrics::TwipsPerPixelY() const {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? twipsPerPixel(s->logicalDotsPerInchY()) : kDefaultTwipsPerPixel;
}

float QtScreenMetrics::ScreenWidth() const {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() * TwipsPerPixelX() : 0.0f;
}

float QtScreenMetrics::ScreenHeight() const {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() * TwipsPerPixelY() : 0.0f;
}
