#include "viewer/ScrollBar.h"

#include <QResizeEvent>

#include "kit/Twips.h"

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), bar_(new QScrollBar(orientation, this)) {
    applyRange();
    connect(bar_, &QScrollBar::valueChanged, this, [this](int q) {
        value_ = qint16(max_ >= min_ ? min_ + q : min_ - q);
        emit Change();
    });
    connect(bar_, &QScrollBar::sliderMoved, this, [this] { emit Scroll(); });
    resize(bar_->sizeHint());
}

void ScrollBar::applyRange() {
    // New limits keep the value where it still fits, else bring it to the
    // nearer end, which raises Change.
    const qint16 old = value_;
    value_ = qint16(qBound(qMin(min_, max_), value_, qMax(min_, max_)));
    const bool wasBlocked = bar_->blockSignals(true);
    bar_->setRange(0, qAbs(int(max_) - int(min_)));
    bar_->setValue(toBar(value_));
    bar_->blockSignals(wasBlocked);
    if (value_ != old) emit Change();
}

void ScrollBar::SetMin(qint16 v) {
    min_ = v;
    applyRange();
}

void ScrollBar::SetMax(qint16 v) {
    max_ = v;
    applyRange();
}

void ScrollBar::SetValue(qint16 v) {
    if (v < qMin(min_, max_) || v > qMax(min_, max_)) return;
    bar_->setValue(toBar(v));
}

bool ScrollBar::SetLargeChange(qint16 v) {
    if (v < 1) return false;
    large_ = v;
    bar_->setPageStep(v);
    return true;
}

bool ScrollBar::SetSmallChange(qint16 v) {
    if (v < 1) return false;
    small_ = v;
    bar_->setSingleStep(v);
    return true;
}

float ScrollBar::Width() const {
    return TwX(width());
}
float ScrollBar::Height() const {
    return TwY(height());
}

void ScrollBar::Move(float left, float top, float width, float height) {
    setGeometry(PxRect(left, top, width, height));
}

void ScrollBar::resizeEvent(QResizeEvent* e) {
    bar_->setGeometry(QRect(QPoint(0, 0), e->size()));
}
