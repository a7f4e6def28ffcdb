#include "kit/PictureService.h"

#include <QCoreApplication>
#include <QRunnable>

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "kit/Extras.h"
#include "kit/PictureFit.h"
#include "kit/ScreenPictures.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"

namespace {
// Pictures the user waits for: two at once keeps a preview and a viewer step
// apart without starving the machine's other work.
constexpr int kUserThreads = 2;
constexpr int kBackgroundThreads = 1;
// A bound on Settle's rounds: each one waits for every decode under way.
constexpr int kMaxSettleRounds = 1000;

PictureSizing screenSizing() {
    PictureSizing s;
    const ScreenMetrics& screen = Platform::screen();
    s.twipsPerPixelX = screen.TwipsPerPixelX();
    s.twipsPerPixelY = screen.TwipsPerPixelY();
    s.upright = Extras::On(Keys::ExifOrientation);
    return s;
}
}  // namespace

PictureSizing PictureSizing::ForArea(float w, float h, qreal deviceRatio) {
    PictureSizing s = screenSizing();
    s.kind = Kind::Fit;
    s.area = QSizeF(w, h);
    s.deviceRatio = deviceRatio;
    const ScreenMetrics& screen = Platform::screen();
    s.screenPixels = QSize(qRound(screen.ScreenWidth() / s.twipsPerPixelX),
                           qRound(screen.ScreenHeight() / s.twipsPerPixelY));
    s.limits = PictureLimits::Preview();
    return s;
}

PictureSizing PictureSizing::HeldWhole() {
    PictureSizing s = screenSizing();
    s.kind = Kind::Whole;
    s.box = kMaxHeld;
    return s;
}

PictureSizing PictureSizing::FullSize() {
    PictureSizing s = screenSizing();
    s.kind = Kind::Whole;
    return s;
}

PictureSizing PictureSizing::TopLeftPart(QSize part) {
    PictureSizing s = screenSizing();
    s.kind = Kind::TopLeft;
    s.part = part;
    return s;
}

QSize PictureSizing::DecodeSize(const PictureInfo& info) const {
    switch (kind) {
        case Kind::Whole:
            return box;
        case Kind::TopLeft:
            return part;
        case Kind::Fit:
            break;
    }
    const FitLayout at = FitPicture(float(info.twips.width()), float(info.twips.height()),
                                    float(area.width()), float(area.height()));
    const QSize shown =
        (QSizeF(qRound(at.w / twipsPerPixelX), qRound(at.h / twipsPerPixelY)) * deviceRatio)
            .toSize()
            .expandedTo(QSize(1, 1));
    // A JPEG at the whole DCT step that covers it, other pictures at twice
    // the shown size within the screen, so a later resize can reuse the copy.
    if (info.type == PictureType::Jpeg)
        return PictureLoader::JpegDecodeSize(info.pixels,
                                             PictureLoader::FitWithin(info.pixels, shown));
    return PictureLoader::FitWithin(info.pixels,
                                    (shown * 2).boundedTo(screenPixels.expandedTo(shown)));
}

bool PictureSizing::SameAs(const PictureSizing& o) const {
    if (kind != o.kind || twipsPerPixelX != o.twipsPerPixelX ||
        twipsPerPixelY != o.twipsPerPixelY || upright != o.upright)
        return false;
    if (kind == Kind::TopLeft) return part == o.part;
    if (kind == Kind::Whole) return box == o.box;
    if (kind == Kind::Fit)
        return area == o.area && deviceRatio == o.deviceRatio && screenPixels == o.screenPixels;
    return true;
}

struct PictureService::Job {
    QByteArray path;
    PictureSizing sizing;
    Priority priority = Priority::User;
    std::vector<quint64> tickets;  // user-interface thread only
    QRunnable* runner = nullptr;   // owned by its pool; compared, never used once started
    std::atomic<bool> started{false};
    std::atomic<bool> cancel{false};

    std::mutex mutex;
    std::condition_variable doneChanged;
    bool done = false;
    PictureAnswer answer;

    // Decodes on whatever thread runs it, through the cache.
    PictureAnswer Decode(PictureCache& cache, std::atomic<int>& decodes) const;
    void Run(PictureCache& cache, std::atomic<int>& decodes) {
        PictureAnswer a =
            cancel.load() ? PictureAnswer{path, {}, PictureError::None} : Decode(cache, decodes);
        std::lock_guard lock(mutex);
        answer = std::move(a);
        done = true;
        doneChanged.notify_all();
    }
};

PictureAnswer PictureService::Job::Decode(PictureCache& cache, std::atomic<int>& decodes) const {
    PictureAnswer a;
    a.path = path;
    const std::optional<PictureLoader::Stamp> stamp = PictureLoader::StampOf(path);
    if (!stamp) {
        a.error = PictureError::CannotOpen;
        return a;
    }
    PictureLoader loader(sizing.twipsPerPixelX, sizing.twipsPerPixelY, sizing.limits);
    loader.SetCancel(&cancel);
    loader.SetUpright(sizing.upright);
    std::optional<PictureInfo> info = cache.FindInfo(path, *stamp, sizing.upright);
    if (!info) {
        info = loader.Probe(path, &a.error);
        if (!info) return a;
        cache.InsertInfo(path, *stamp, sizing.upright, *info);
    }
    const PictureKey key{path, *stamp, sizing.DecodeSize(*info),
                         sizing.kind == PictureSizing::Kind::TopLeft, sizing.upright};
    if ((a.picture = cache.Find(key))) return a;
    if (sizing.anyCovering && (a.picture = cache.FindCovering(key))) return a;

    ++decodes;
    a.picture = key.topLeft ? loader.LoadTopLeft(path, key.asked, &a.error)
                            : loader.Load(path, key.asked, &a.error, &*info);
    if (a.picture) cache.Insert(key, *a.picture);
    return a;
}

class PictureService::Runner : public QRunnable {
public:
    Runner(PictureService* service, std::shared_ptr<Job> job)
        : service_(service), job_(std::move(job)) {}
    void run() override {
        job_->started = true;
        job_->Run(service_->cache_, service_->decodes_);
        QMetaObject::invokeMethod(
            service_, [s = service_, j = job_] { s->finish(j); }, Qt::QueuedConnection);
    }

private:
    PictureService* service_;
    std::shared_ptr<Job> job_;
};

PictureService::PictureService() {
    user_.setMaxThreadCount(kUserThreads);
    background_.setMaxThreadCount(kBackgroundThreads);
    background_.setThreadPriority(QThread::LowPriority);
}

PictureService::~PictureService() {
    Stop();
}

void PictureService::Stop() {
    for (const std::shared_ptr<Job>& j : jobs_) j->cancel = true;
    user_.clear();
    background_.clear();
    user_.waitForDone();
    background_.waitForDone();
    jobs_.clear();
}

PictureService& PictureService::Instance() {
    // Kept to the end of the process, as windows that outlive the
    // application's object may still cancel their requests; its workers stop
    // with the application.
    static PictureService* service = [] {
        auto* s = new PictureService;
        if (QCoreApplication* app = QCoreApplication::instance())
            QObject::connect(app, &QObject::destroyed, [s] { s->Stop(); });
        return s;
    }();
    return *service;
}

std::shared_ptr<PictureService::Job> PictureService::findJob(const QByteArray& path,
                                                             const PictureSizing& sizing) const {
    for (const std::shared_ptr<Job>& j : jobs_) {
        if (j->cancel || j->path != path) continue;
        if (j->sizing.SameAs(sizing) ||
            (sizing.anyCovering && j->sizing.kind == PictureSizing::Kind::Whole &&
             sizing.kind == PictureSizing::Kind::Fit))
            return j;
    }
    return nullptr;
}

bool PictureService::takeBack(Job& job) {
    // Only new runners can reuse a finished one's address, and only this
    // thread makes them: a runner not started yet is still the job's own.
    if (job.started || !job.runner || !poolOf(job.priority).tryTake(job.runner)) return false;
    return true;
}

void PictureService::start(const std::shared_ptr<Job>& job) {
    auto* runner = new Runner(this, job);
    job->runner = runner;
    poolOf(job->priority).start(runner);
}

quint64 PictureService::Request(const QByteArray& path, const PictureSizing& sizing,
                                Priority priority) {
    const quint64 ticket = ++lastTicket_;
    if (std::shared_ptr<Job> j = findJob(path, sizing)) {
        j->tickets.push_back(ticket);
        // Waited for now: a preload still queued moves to the user's pool.
        if (priority == Priority::User && j->priority == Priority::Background && takeBack(*j)) {
            delete j->runner;
            j->priority = Priority::User;
            start(j);
        }
        return ticket;
    }
    auto job = std::make_shared<Job>();
    job->path = path;
    job->sizing = sizing;
    job->priority = priority;
    job->tickets.push_back(ticket);
    jobs_.push_back(job);
    start(job);
    return ticket;
}

void PictureService::Cancel(quint64 ticket) {
    if (ticket == 0) return;
    for (auto it = jobs_.begin(); it != jobs_.end(); ++it) {
        std::vector<quint64>& t = (*it)->tickets;
        const auto at = std::find(t.begin(), t.end(), ticket);
        if (at == t.end()) continue;
        t.erase(at);
        if (!t.empty()) return;
        std::shared_ptr<Job> job = *it;
        job->cancel = true;
        if (takeBack(*job)) {
            delete job->runner;
            job->runner = nullptr;
            jobs_.erase(it);
        }
        return;
    }
}

PictureAnswer PictureService::LoadNow(const QByteArray& path, const PictureSizing& sizing) {
    if (std::shared_ptr<Job> j = findJob(path, sizing)) {
        // Still queued: decoded here, and answered as if a worker had.
        if (takeBack(*j)) {
            std::unique_ptr<QRunnable> runner(j->runner);
            runner->run();
        }
        std::unique_lock lock(j->mutex);
        j->doneChanged.wait(lock, [&] { return j->done; });
        return j->answer;
    }
    Job here;
    here.path = path;
    here.sizing = sizing;
    return here.Decode(cache_, decodes_);
}

void PictureService::finish(const std::shared_ptr<Job>& job) {
    const auto it = std::find(jobs_.begin(), jobs_.end(), job);
    if (it == jobs_.end()) return;  // already given out
    jobs_.erase(it);
    job->runner = nullptr;
    const std::vector<quint64> tickets = std::move(job->tickets);
    for (quint64 t : tickets) emit Ready(t, job->answer);
}

void PictureService::RunBackground(std::function<void()> work, std::function<void()> done) {
    background_.start([this, work = std::move(work), done = std::move(done)]() mutable {
        work();
        QMetaObject::invokeMethod(this, std::move(done), Qt::QueuedConnection);
    });
}

void PictureService::SettleBackground() {
    background_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void PictureService::Settle() {
    for (int round = 0; round < kMaxSettleRounds && !jobs_.empty(); ++round) {
        user_.waitForDone();
        background_.waitForDone();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

PictureRequests::PictureRequests(QObject* parent) : QObject(parent) {
    connect(&PictureService::Instance(), &PictureService::Ready, this, &PictureRequests::answered);
}

PictureRequests::~PictureRequests() {
    Cancel();
    PictureService::Instance().Cancel(preload_);
}

void PictureRequests::Request(const QByteArray& path, const PictureSizing& sizing) {
    PictureService& service = PictureService::Instance();
    const quint64 previous = current_;
    held_.reset();
    pendingPath_ = path;
    current_ = service.Request(path, sizing);
    // Cancelled after the new request, so a decode both want carries on.
    service.Cancel(previous);
}

void PictureRequests::Preload(const QByteArray& path, const PictureSizing& sizing) {
    PictureService& service = PictureService::Instance();
    const quint64 previous = preload_;
    preload_ = service.Request(path, sizing, PictureService::Priority::Background);
    service.Cancel(previous);
}

void PictureRequests::Cancel() {
    PictureService::Instance().Cancel(current_);
    current_ = 0;
    pendingPath_.clear();
    held_.reset();
}

void PictureRequests::answered(quint64 ticket, const PictureAnswer& answer) {
    if (ticket == preload_) {
        preload_ = 0;
        return;
    }
    if (ticket == 0 || ticket != current_) return;
    current_ = 0;
    pendingPath_.clear();
    if (delivering_) {
        held_ = answer;
        return;
    }
    delivering_ = true;
    emit Ready(answer);
    // Answers that came while the handler let events through, the latest only.
    for (int i = 0; i < 100 && held_; ++i) {
        PictureAnswer next = std::move(*held_);
        held_.reset();
        emit Ready(next);
    }
    delivering_ = false;
}
