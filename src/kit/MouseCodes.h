#pragma once

#include <Qt>

// Mouse buttons and shift keys as event handlers have always received them:
// buttons 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt.
inline int ButtonCode(Qt::MouseButton b) {
    return b == Qt::LeftButton ? 1 : b == Qt::RightButton ? 2 : 4;
}

inline int ShiftCode(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}
