#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <atomic>
#include <optional>
#include <vector>

// The frames of an animated GIF, each the whole screen as it stands once
// that frame is drawn, and how long each stays.
struct GifAnimation {
    std::vector<QImage> frames;
    std::vector<int> delaysMs;
    int loopCount = -1;  // more rounds after the first; -1 for ever
};

// What playing one GIF may hold. A GIF that needs more is not played: its
// first frame stays, as for any still picture.
struct AnimationLimits {
    qint64 maxBytes = qint64(96) << 20;  // all frames together, decoded
    int maxFrames = 1000;
    qint64 maxFileBytes = qint64(32) << 20;
};

// Frames shorter than this are shown this long, as browsers do: such GIFs
// were made for players that could not go faster.
inline constexpr int kGifMinDelayMs = 20;
inline constexpr int kGifShortDelayMs = 100;

// Decodes every frame of the GIF at path (its bytes), each scaled to size
// when that is valid and differs. Nothing when the file is no GIF, holds one
// frame only, or goes beyond the limits, and as soon as *stop turns true (set
// from another thread: the picture is no longer shown). A worker's job: it
// touches nothing shared.
std::optional<GifAnimation> DecodeGifAnimation(const QByteArray& path, QSize size,
                                               const AnimationLimits& limits = {},
                                               const std::atomic<bool>* stop = nullptr);
