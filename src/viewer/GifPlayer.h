#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

#include "platform/GifFrames.h"

// Plays an animated GIF: its frames are decoded on a worker thread while the
// first one, the still picture, is on show; then each is handed to show in
// turn, for as long as the GIF says. Stop (or a new Play) ends it at once,
// and frames decoded for a picture no longer shown are never shown.
class GifPlayer : public QObject {
    Q_OBJECT
public:
    explicit GifPlayer(QObject* parent = nullptr);
    ~GifPlayer() override;

    // Starts on the GIF at path, its frames scaled to size (the still's).
    void Play(const QByteArray& path, QSize size, std::function<void(const QImage&)> show);
    void Stop();

    // True from the frames' arrival until Stop or the last round's end.
    bool Playing() const { return timer_.isActive(); }
    // The frame on show; a null image before the frames came.
    QImage Current() const;
    int FrameCount() const { return int(animation_.frames.size()); }
    int FrameIndex() const { return frame_; }

signals:
    // The frames were decoded and the first one's time began.
    void Started();

private:
    void arrived(quint64 generation, std::optional<GifAnimation> animation);
    void next();

    QTimer timer_;
    std::shared_ptr<std::atomic<bool>> stop_;
    quint64 generation_ = 0;
    GifAnimation animation_;
    int frame_ = 0;
    int roundsLeft_ = -1;
    std::function<void(const QImage&)> show_;
};
