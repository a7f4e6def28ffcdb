#include "kit/ImageControl.h"

#include <QMouseEvent>
#include <QPainter>

#include "kit/MouseCodes.h"
#include "kit/Twips.h"

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageControl::SetPicture(const QImage& picture) {
    picture_ = picture;
    scaled_ = QImage();
    update();
}

void ImageControl::Move(float left, float top, float width, float height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
    setGeometry(PxRect(left, top, width, height));
}

void ImageControl::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    // Drawn at the screen's own pixels: on a scaled screen the picture keeps
    // its detail instead of being blown up from the logical size.
    const QSize device = (QSizeF(size()) * devicePixelRatioF()).toSize();
    const QRectF target(rect());
    if (picture_.size() == device) {
        QPainter(this).drawImage(target, picture_);
        return;
    }
    // A picture at its natural size (a pixel of it to each pixel of the
    // control) is only blown up to the screen's pixels: each of its pixels
    // becomes whole device pixels in its own colour, so fine detail stays
    // crisp. A shrunk or stretched picture is smoothed.
    const Qt::TransformationMode mode =
        picture_.size() == size() ? Qt::FastTransformation : Qt::SmoothTransformation;
    if (scaled_.size() != device) scaled_ = picture_.scaled(device, Qt::IgnoreAspectRatio, mode);
    QPainter(this).drawImage(target, scaled_);
}

void ImageControl::mouseReleaseEvent(QMouseEvent* e) {
    const int button = ButtonCode(e->button());
    emit MouseUp(button, ShiftCode(e->modifiers()), TwX(int(e->position().x())),
                 TwY(int(e->position().y())));
    QWidget::mouseReleaseEvent(e);
}

LineControl::LineControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineControl::SetPoints(float x1, float y1, float x2, float y2) {
    X1 = x1;
    Y1 = y1;
    X2 = x2;
    Y2 = y2;
    const int l = PxX(qMin(x1, x2)), t = PxY(qMin(y1, y2));
    const int r = PxX(qMax(x1, x2)), b = PxY(qMax(y1, y2));
    // A line covers the pixels from one end to the other, one pixel thick.
    setGeometry(l, t, qMax(1, r - l + (r > l ? 0 : 1)), qMax(1, b - t + (b > t ? 0 : 1)));
}

void LineControl::SetColor(const QColor& color) {
    color_ = color;
    update();
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), color_);
}
