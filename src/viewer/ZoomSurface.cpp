#include "viewer/ZoomSurface.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "kit/MouseCodes.h"
#include "kit/Twips.h"

ZoomSurface::ZoomSurface(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted from the picture: nothing behind needs drawing,
    // and a move can shift what is on screen instead of repainting it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(tr("Picture"));
}

void ZoomSurface::SetPicture(const QImage& source) {
    source_ = source;
    scaledPixels_ = 0;
    update();
}

void ZoomSurface::Move(float left, float top, float width, float height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
    setGeometry(PxRect(left, top, width, height));
}

void ZoomSurface::SetLeft(float left) {
    Left = left;
    move(PxX(left), y());
}

void ZoomSurface::SetTop(float top) {
    Top = top;
    move(x(), PxY(top));
}

void ZoomSurface::resizeEvent(QResizeEvent*) {
    scaledPixels_ = 0;
}

void ZoomSurface::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const QRect need = e->rect() & rect();
    if (source_.isNull() || need.isEmpty()) {
        p.fillRect(e->rect(), palette().window());
        return;
    }
    if (source_.hasAlphaChannel()) p.fillRect(need, palette().window());
    const qreal dpr = devicePixelRatioF();
    if ((QSizeF(size()) * dpr).toSize() == source_.size()) {
        // Actual size on this screen: the picture itself, nothing to scale.
        p.drawImage(QRectF(need), source_,
                    QRectF(QPointF(need.topLeft()) * dpr, QSizeF(need.size()) * dpr));
        return;
    }
    // The whole picture stretched over the whole surface, clipped to what is
    // exposed: the painter computes only the clipped pixels. At actual size
    // on a scaled screen each pixel of the picture becomes whole device
    // pixels in its own colour; any other size is smoothed.
    if (size() != source_.size()) p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipRegion(e->region());
    p.drawImage(QRectF(rect()), source_);
    for (const QRect& r : e->region() & rect())
        scaledPixels_ += qint64(r.width() * dpr) * qint64(r.height() * dpr);
}

void ZoomSurface::mouseReleaseEvent(QMouseEvent* e) {
    emit MouseUp(ButtonCode(e->button()), ShiftCode(e->modifiers()), TwX(int(e->position().x())),
                 TwY(int(e->position().y())));
    e->accept();  // the viewport under it would raise its own
}

Viewport::Viewport(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
}

float Viewport::Width() const {
    return TwX(width());
}
float Viewport::Height() const {
    return TwY(height());
}

void Viewport::mouseReleaseEvent(QMouseEvent* e) {
    emit MouseUp(ButtonCode(e->button()), ShiftCode(e->modifiers()), TwX(int(e->position().x())),
                 TwY(int(e->position().y())));
    QWidget::mouseReleaseEvent(e);
}
