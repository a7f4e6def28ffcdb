#include "viewer/GifPlayer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

GifPlayer::GifPlayer(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { next(); });
}

GifPlayer::~GifPlayer() {
    Stop();
}

void GifPlayer::Play(const QByteArray& path, QSize size, std::function<void(const QImage&)> show) {
    Stop();
    show_ = std::move(show);
    stop_ = std::make_shared<std::atomic<bool>>(false);
    const quint64 generation = generation_;
    QPointer<GifPlayer> self(this);
    QThreadPool::globalInstance()->start([self, path, size, stop = stop_, generation] {
        std::optional<GifAnimation> animation = DecodeGifAnimation(path, size, {}, stop.get());
        if (!animation || stop->load()) return;
        // The answer goes to the user-interface thread, and only there is the
        // player looked at: one deleted meanwhile never sees it.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation,
             a = std::make_shared<GifAnimation>(std::move(*animation))]() mutable {
                if (self) self->arrived(generation, std::move(*a));
            },
            Qt::QueuedConnection);
    });
}

void GifPlayer::Stop() {
    ++generation_;
    if (stop_) stop_->store(true);
    stop_.reset();
    timer_.stop();
    animation_ = GifAnimation();
    frame_ = 0;
    show_ = nullptr;
}

QImage GifPlayer::Current() const {
    return animation_.frames.empty() ? QImage() : animation_.frames[frame_];
}

void GifPlayer::arrived(quint64 generation, std::optional<GifAnimation> animation) {
    if (generation != generation_ || !animation) return;
    animation_ = std::move(*animation);
    frame_ = 0;
    roundsLeft_ = animation_.loopCount;
    // The first frame is on show already, as the still picture.
    timer_.start(animation_.delaysMs[0]);
    emit Started();
}

void GifPlayer::next() {
    const int count = FrameCount();
    if (count < 2) return;
    if (frame_ + 1 == count) {
        // The last frame of a round stays when no round is left.
        if (roundsLeft_ == 0) return;
        if (roundsLeft_ > 0) --roundsLeft_;
    }
    frame_ = (frame_ + 1) % count;
    if (show_) show_(animation_.frames[frame_]);
    timer_.start(animation_.delaysMs[frame_]);
}
