#pragma once

#include <QWidget>

#include "kit/Twips.h"

// A top-level window's outer frame in twips, as the user sees the window;
// without a window manager it equals the client geometry.
inline float FrameLeft(const QWidget* w) {
    return TwX(w->frameGeometry().x());
}
inline float FrameTop(const QWidget* w) {
    return TwY(w->frameGeometry().y());
}
inline float FrameWidth(const QWidget* w) {
    return TwX(w->frameGeometry().width());
}
inline float FrameHeight(const QWidget* w) {
    return TwY(w->frameGeometry().height());
}

// The window's state as a number: 0 normal, 1 minimised, 2 maximised.
inline int WindowStateCode(const QWidget* w) {
    const Qt::WindowStates s = w->windowState();
    if (s & Qt::WindowMinimized) return 1;
    if (s & Qt::WindowMaximized) return 2;
    return 0;
}
