#include "kit/OuterSize.h"

#include <QEvent>
#include <QWidget>

namespace {
// How long a shown window may stay without a frame before it is taken to have
// none, and how often the frame is looked for meanwhile.
constexpr int kFrameWaitMs = 3000;
constexpr int kPollMs = 25;
}  // namespace

OuterSize::OuterSize(QWidget* window) : QObject(window), window_(window) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &OuterSize::apply);
    window_->installEventFilter(this);
}

void OuterSize::SetWidth(int px) {
    width_ = qMax(1, px);
    resizeClient();
}

void OuterSize::SetHeight(int px) {
    height_ = qMax(1, px);
    resizeClient();
}

void OuterSize::resizeClient() {
    // Without a frame yet the client takes the whole size, and it stays
    // pending until the frame is known.
    const QSize extra = window_->frameGeometry().size() - window_->size();
    const int w = width_ ? qMax(1, width_ - qMax(0, extra.width())) : window_->width();
    const int h = height_ ? qMax(1, height_ - qMax(0, extra.height())) : window_->height();
    if (extra.width() > 0) width_ = 0;
    if (extra.height() > 0) height_ = 0;
    window_->resize(w, h);
}

bool OuterSize::eventFilter(QObject* watched, QEvent* e) {
    if (watched == window_ && (width_ || height_)) {
        switch (e->type()) {
            case QEvent::Show:
            case QEvent::WindowStateChange:
                if (window_->isVisible() || e->type() == QEvent::Show) {
                    shown_.start();
                    poll_.start();
                }
                break;
            case QEvent::Move:
            case QEvent::Resize:
                apply();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, e);
}

void OuterSize::apply() {
    if (!width_ && !height_) {
        poll_.stop();
        return;
    }
    if (!window_->isVisible() || !shown_.isValid()) return;
    if (window_->windowState() &
        (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        poll_.stop();  // waits for the state change back to normal
        return;
    }
    const QSize extra = window_->frameGeometry().size() - window_->size();
    if (extra.width() <= 0 && extra.height() <= 0) {
        if (shown_.elapsed() >= kFrameWaitMs) {
            width_ = height_ = 0;
            poll_.stop();
        }
        return;
    }
    // Framed: whatever is still pending is applied now, once.
    poll_.stop();
    resizeClient();
    width_ = height_ = 0;
}
