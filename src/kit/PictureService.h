#pragma once

#include <QByteArray>
#include <QObject>
#include <QSize>
#include <QSizeF>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "kit/PictureCache.h"
#include "platform/PictureLoader.h"

// What a request wants decoded, worked out on the user-interface thread from
// this screen's measures, so that a worker needs nothing but the file.
struct PictureSizing {
    enum class Kind { Fit, Whole, TopLeft };
    Kind kind = Kind::Whole;
    QSizeF area;            // Fit: the area's twips
    qreal deviceRatio = 1;  // Fit: device pixels to a logical one
    QSize part;             // TopLeft: the part's pixels
    QSize box;              // Whole: what it is scaled down to fit, none for full size
    QSize screenPixels;     // Fit: what a copy decoded with room to spare stays within
    float twipsPerPixelX = 15, twipsPerPixelY = 15;
    bool anyCovering = false;  // Fit: a larger decode of the same file already made will do
    bool upright = true;       // turned as the file's orientation tag says
    PictureLimits limits;

    // The picture fitted into an area of w x h twips, as every preview shows it.
    static PictureSizing ForArea(float w, float h, qreal deviceRatio);
    // The whole picture within kMaxHeld: what the viewer, the wallpaper and
    // the clipboard take.
    static PictureSizing HeldWhole();
    // The whole picture at its own size, however large: what a conversion writes.
    static PictureSizing FullSize();
    // Only the picture's top left part of part pixels, at its own size.
    static PictureSizing TopLeftPart(QSize part);

    // The size a picture of info is decoded at for this request.
    QSize DecodeSize(const PictureInfo& info) const;
    // A request another one's decode answers as well.
    bool SameAs(const PictureSizing& o) const;
};

struct PictureAnswer {
    QByteArray path;
    std::optional<Picture> picture;
    PictureError error = PictureError::None;
};

// Decodes pictures off the user-interface thread. Two pools of workers: one
// for what the user is waiting for, one of lower priority for work ahead of
// the user (the next picture, later thumbnails). Decodes are kept in a cache
// bounded in bytes. Requests for the same picture share one decode.
//
// Called on the user-interface thread only; answers arrive there, through
// Ready, one at a time. Workers touch no widget, model or setting.
class PictureService : public QObject {
    Q_OBJECT

public:
    enum class Priority { User, Background };

    static PictureService& Instance();

    // A ticket, answered once by Ready unless cancelled first.
    quint64 Request(const QByteArray& path, const PictureSizing& sizing,
                    Priority priority = Priority::User);
    // Its answer is never given; a decode nobody else waits for is dropped
    // when still queued, and stopped when it is a metafile being drawn.
    void Cancel(quint64 ticket);
    // The answer now, on this thread: from the cache, from a decode already
    // on its way, or decoded here. For the steps that need the picture
    // before they go on (printing, the clipboard, the wallpaper).
    PictureAnswer LoadNow(const QByteArray& path, const PictureSizing& sizing);

    // Runs work on the background pool, behind the preloads queued before
    // it, then done on this thread; done is dropped when the service stops
    // first. For work ahead of the user that is not a picture for the
    // cache (thumbnails).
    void RunBackground(std::function<void()> work, std::function<void()> done);
    // Waits for the background work under way and gives out what it finished.
    void SettleBackground();

    PictureCache& Cache() { return cache_; }
    // How many files were decoded since the start: a second decode of the
    // same picture shows here.
    int Decodes() const { return decodes_.load(); }
    bool Idle() const { return jobs_.empty(); }
    // Drops every queued decode and waits for those under way; their answers
    // are never given. At the application's end.
    void Stop();
    // Waits for every decode under way and gives out their answers: for
    // tests and benchmarks, which need a settled state to look at.
    void Settle();

signals:
    void Ready(quint64 ticket, const PictureAnswer& answer);

private:
    struct Job;
    class Runner;
    PictureService();
    ~PictureService() override;
    std::shared_ptr<Job> findJob(const QByteArray& path, const PictureSizing& sizing) const;
    void start(const std::shared_ptr<Job>& job);
    bool takeBack(Job& job);
    void finish(const std::shared_ptr<Job>& job);
    QThreadPool& poolOf(Priority p) { return p == Priority::User ? user_ : background_; }

    QThreadPool user_;
    QThreadPool background_;
    PictureCache cache_;
    std::atomic<int> decodes_{0};
    std::vector<std::shared_ptr<Job>> jobs_;  // queued or under way
    quint64 lastTicket_ = 0;
};

// One caller's requests: each new request supersedes the one before, whose
// answer is then never given. Ready is not given again while its handler
// runs (a handler that lets events through gets the next answer after it
// returns), so an answer is applied in one piece.
class PictureRequests : public QObject {
    Q_OBJECT

public:
    explicit PictureRequests(QObject* parent = nullptr);
    ~PictureRequests() override;

    void Request(const QByteArray& path, const PictureSizing& sizing);
    // Decodes ahead into the cache, at low priority; supersedes the previous
    // preload of this caller.
    void Preload(const QByteArray& path, const PictureSizing& sizing);
    void Cancel();
    bool Pending() const { return current_ != 0; }
    const QByteArray& PendingPath() const { return pendingPath_; }

signals:
    void Ready(const PictureAnswer& answer);

private:
    void answered(quint64 ticket, const PictureAnswer& answer);

    quint64 current_ = 0;
    quint64 preload_ = 0;
    QByteArray pendingPath_;
    bool delivering_ = false;
    std::optional<PictureAnswer> held_;
};
