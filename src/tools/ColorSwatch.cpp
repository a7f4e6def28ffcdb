#include "tools/ColorSwatch.h"

#include <QPainter>

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void ColorSwatch::SetBackColor(const QColor& c) {
    if (c == color_) return;
    color_ = c;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent* e) {
    QPainter(this).fillRect(contentsRect(), color_);
    QFrame::paintEvent(e);
}
