#include "viewer/ZoomSurface.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

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
    dropCache();
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

void ZoomSurface::dropCache() {
    cache_ = QImage();
    cacheRect_ = QRect();
    rendered_ = QRegion();
    scaledPixels_ = 0;
}

void ZoomSurface::resizeEvent(QResizeEvent*) {
    dropCache();
}

QRect ZoomSurface::visibleRect() const {
    const QWidget* box = parentWidget();
    if (!box) return rect();
    return rect() & QRect(mapFrom(box, QPoint(0, 0)), box->size());
}

void ZoomSurface::render(const QRect& need) {
    const qreal dpr = devicePixelRatioF();
    const QSizeF device = QSizeF(size()) * dpr;
    if (!cacheRect_.contains(need)) {
        QRect next;
        if (qint64(device.width()) * qint64(device.height()) <= kWholeSurfacePixels)
            next = rect();
        else
            next = visibleRect() | need;
        QImage bitmap((QSizeF(next.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        bitmap.setDevicePixelRatio(dpr);
        const QRegion kept = rendered_ & next;
        if (!kept.isEmpty()) {
            QPainter p(&bitmap);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            for (const QRect& r : kept)
                p.drawImage(QRectF(r.translated(-next.topLeft())), cache_,
                            QRectF(QPointF(r.topLeft() - cacheRect_.topLeft()) * dpr,
                                   QSizeF(r.size()) * dpr));
        }
        cache_ = std::move(bitmap);
        cacheRect_ = next;
        rendered_ = kept;
    }
    const QRegion missing = QRegion(need) - rendered_;
    if (missing.isEmpty()) return;
    QPainter p(&cache_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.translate(-cacheRect_.topLeft());
    p.setClipRegion(missing);
    // The whole picture stretched over the whole surface, clipped to what is
    // missing: the painter computes only the clipped pixels.
    p.drawImage(QRectF(rect()), source_);
    for (const QRect& r : missing) scaledPixels_ += qint64(r.width() * dpr) * qint64(r.height() * dpr);
    rendered_ += missing;
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
        p.drawImage(QRectF(need), source_, QRectF(QPointF(need.topLeft()) * dpr, QSizeF(need.size()) * dpr));
        return;
    }
    render(need);
    p.drawImage(QRectF(need), cache_,
                QRectF(QPointF(need.topLeft() - cacheRect_.topLeft()) * dpr,
                       QSizeF(need.size()) * dpr));
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
