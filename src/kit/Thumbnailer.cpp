#include "kit/Thumbnailer.h"

#include <QPointer>

#include <algorithm>

#include "kit/PictureService.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"

namespace {
// Two on their way keep the one background worker busy while an answer
// travels back; more would hold back the pictures queued behind them.
constexpr std::size_t kInFlight = 2;
// A few screens of large thumbnails; the rows near the view fit many times.
constexpr qint64 kHeldLimit = qint64(64) << 20;
}  // namespace

struct Thumbnailer::Result {
    qint64 modifiedNs = 0, size = -1;
    QImage image;
    bool decoded = false;
    bool unchanged = false;  // the file is the version held: keep that one
};

Thumbnailer::Thumbnailer(QObject* parent) : QObject(parent) {}

Thumbnailer::~Thumbnailer() {
    for (const std::shared_ptr<Job>& j : inFlight_) j->cancel = true;
}

qint64 Thumbnailer::HeldLimit() {
    return kHeldLimit;
}

void Thumbnailer::SetSize(Thumbnails::Size size) {
    if (size == size_) return;
    size_ = size;
    held_.clear();
    index_.clear();
    heldBytes_ = 0;
    Restart();
}

void Thumbnailer::Want(const std::vector<QByteArray>& paths) {
    wanted_.clear();
    for (const QByteArray& p : paths) {
        if (p.isEmpty()) continue;
        const auto at = index_.constFind(p);
        if (at != index_.constEnd() && (*at)->current) continue;
        const bool going =
            std::any_of(inFlight_.begin(), inFlight_.end(),
                        [&](const std::shared_ptr<Job>& j) { return !j->cancel && j->path == p; });
        if (!going) wanted_.push_back(p);
    }
    pump();
}

void Thumbnailer::Restart() {
    wanted_.clear();
    for (const std::shared_ptr<Job>& j : inFlight_) j->cancel = true;
    for (Entry& e : held_) e.current = false;
}

void Thumbnailer::pump() {
    while (inFlight_.size() < kInFlight && !wanted_.empty()) {
        auto job = std::make_shared<Job>();
        job->path = wanted_.front();
        wanted_.pop_front();
        inFlight_.push_back(job);

        // What the worker needs, read here: the screen and the held version.
        const ScreenMetrics& screen = Platform::screen();
        const float tx = screen.TwipsPerPixelX(), ty = screen.TwipsPerPixelY();
        const Thumbnails::Size size = size_;
        std::optional<std::pair<qint64, qint64>> heldStamp;
        if (const auto at = index_.constFind(job->path); at != index_.constEnd())
            heldStamp = {(*at)->modifiedNs, (*at)->size};

        auto result = std::make_shared<Result>();
        QPointer<Thumbnailer> self(this);
        PictureService::Instance().RunBackground(
            [job, result, size, tx, ty, heldStamp] {
                if (job->cancel) return;
                const std::optional<PictureLoader::Stamp> stamp = PictureLoader::StampOf(job->path);
                if (stamp) {
                    result->modifiedNs = stamp->modifiedNs;
                    result->size = stamp->size;
                    if (heldStamp && heldStamp->first == stamp->modifiedNs &&
                        heldStamp->second == stamp->size) {
                        result->unchanged = true;
                        return;
                    }
                }
                Thumbnails::Made made = Thumbnails::Make(job->path, size, tx, ty, &job->cancel);
                result->image = std::move(made.image);
                result->decoded = made.decoded;
            },
            [self, job, result] {
                if (self) self->arrived(job, *result);
            });
    }
}

void Thumbnailer::arrived(const std::shared_ptr<Job>& job, const Result& result) {
    const auto at = std::find(inFlight_.begin(), inFlight_.end(), job);
    if (at != inFlight_.end()) inFlight_.erase(at);
    // Stopped: a metafile cut short is no answer, and a listing made since
    // may want this file again.
    if (!job->cancel) {
        if (result.decoded) ++decodes_;
        if (result.unchanged) {
            if (const auto e = index_.constFind(job->path); e != index_.constEnd())
                (*e)->current = true;
        } else {
            Entry entry;
            entry.path = job->path;
            entry.modifiedNs = result.modifiedNs;
            entry.size = result.size;
            entry.image = result.image;
            hold(std::move(entry));
        }
        emit Arrived(job->path);
    }
    pump();
}

qint64 Thumbnailer::bytesOf(const Entry& e) {
    const qint64 shown =
        e.shown.isNull() ? 0 : qint64(e.shown.width()) * e.shown.height() * e.shown.depth() / 8;
    return e.image.sizeInBytes() + shown + e.path.size() + qint64(sizeof(Entry));
}

void Thumbnailer::hold(Entry entry) {
    if (const auto at = index_.find(entry.path); at != index_.end()) {
        heldBytes_ -= bytesOf(**at);
        held_.erase(*at);
        index_.erase(at);
    }
    heldBytes_ += bytesOf(entry);
    held_.push_front(std::move(entry));
    index_.insert(held_.front().path, held_.begin());
    evict();
}

void Thumbnailer::evict() {
    while (heldBytes_ > kHeldLimit && held_.size() > 1) {
        heldBytes_ -= bytesOf(held_.back());
        index_.remove(held_.back().path);
        held_.pop_back();
    }
}

QPixmap Thumbnailer::Find(const QByteArray& path, int side, qreal deviceRatio) {
    const auto at = index_.constFind(path);
    if (at == index_.constEnd()) return {};
    const auto it = *at;
    if (it != held_.begin()) held_.splice(held_.begin(), held_, it);
    Entry& e = *it;
    if (e.image.isNull()) return {};
    if (e.shown.isNull() || e.shownSide != side || e.shownRatio != deviceRatio) {
        heldBytes_ -= bytesOf(e);
        const QImage fitted =
            e.image.width() <= side && e.image.height() <= side
                ? e.image
                : e.image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        e.shown = QPixmap::fromImage(fitted);
        e.shown.setDevicePixelRatio(deviceRatio);
        e.shownSide = side;
        e.shownRatio = deviceRatio;
        heldBytes_ += bytesOf(e);
        QPixmap shown = e.shown;
        evict();
        return shown;
    }
    return e.shown;
}

void Thumbnailer::Settle() {
    PictureService& service = PictureService::Instance();
    for (int round = 0; round < 100000 && !Idle(); ++round) service.SettleBackground();
}
