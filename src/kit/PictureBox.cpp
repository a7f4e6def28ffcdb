#include "kit/PictureBox.h"

#include <QPainter>
#include <QResizeEvent>

#include "kit/Twips.h"

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureBox::Cls() {
    if (canvas_.size() != size()) canvas_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    canvas_.fill(Qt::transparent);
    update();
}

void PictureBox::Refresh() {
    repaint();
}

float PictureBox::Width() const {
    return TwX(width());
}
float PictureBox::Height() const {
    return TwY(height());
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!canvas_.isNull()) p.drawImage(0, 0, canvas_);
}

void PictureBox::resizeEvent(QResizeEvent* e) {
    // The drawing layer follows the box; what was drawn is kept where it fits.
    QImage next(e->size(), QImage::Format_ARGB32_Premultiplied);
    next.fill(Qt::transparent);
    if (!canvas_.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, canvas_);
    }
    canvas_ = next;
    emit Resized();
}
