#include "kit/PictureCache.h"

namespace {
constexpr size_t kMaxProbes = 4096;

qint64 bytesOf(const Picture& p) {
    return qint64(p.image.sizeInBytes());
}
}  // namespace

std::optional<Picture> PictureCache::Find(const PictureKey& key) {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->key == key) {
            entries_.splice(entries_.begin(), entries_, it);
            return entries_.front().picture;
        }
    }
    return {};
}

std::optional<Picture> PictureCache::FindCovering(const PictureKey& key) {
    const QSize atLeast = key.asked;
    std::lock_guard lock(mutex_);
    auto best = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->key.topLeft || it->key.path != key.path || !(it->key.stamp == key.stamp) ||
            it->key.upright != key.upright)
            continue;
        const QSize has = it->picture.image.size();
        const bool covers = (has.width() >= atLeast.width() && has.height() >= atLeast.height()) ||
                            has == it->picture.info.pixels;
        if (covers && (best == entries_.end() ||
                       qint64(has.width()) * has.height() <
                           qint64(best->picture.image.width()) * best->picture.image.height()))
            best = it;
    }
    if (best == entries_.end()) return {};
    entries_.splice(entries_.begin(), entries_, best);
    return entries_.front().picture;
}

void PictureCache::Insert(const PictureKey& key, const Picture& picture) {
    const qint64 bytes = bytesOf(picture);
    std::lock_guard lock(mutex_);
    dropOlderVersions(key.path, key.stamp);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->key == key) {
            bytes_ -= it->bytes;
            entries_.erase(it);
            break;
        }
    }
    if (bytes > maxBytes_) return;  // would push out everything else
    entries_.push_front({key, picture, bytes});
    bytes_ += bytes;
    trim();
    peak_ = qMax(peak_, bytes_);
}

std::optional<PictureInfo> PictureCache::FindInfo(const QByteArray& path,
                                                  PictureLoader::Stamp stamp, bool upright) {
    std::lock_guard lock(mutex_);
    for (const Probed& p : probes_)
        if (p.path == path && p.stamp == stamp && p.upright == upright) return p.info;
    return {};
}

void PictureCache::InsertInfo(const QByteArray& path, PictureLoader::Stamp stamp, bool upright,
                              const PictureInfo& info) {
    std::lock_guard lock(mutex_);
    probes_.remove_if([&](const Probed& p) { return p.path == path && p.upright == upright; });
    probes_.push_front({path, stamp, upright, info});
    if (probes_.size() > kMaxProbes) probes_.pop_back();
}

void PictureCache::SetMaxBytes(qint64 bytes) {
    std::lock_guard lock(mutex_);
    maxBytes_ = bytes;
    trim();
}

qint64 PictureCache::MaxBytes() const {
    std::lock_guard lock(mutex_);
    return maxBytes_;
}

qint64 PictureCache::Bytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

qint64 PictureCache::PeakBytes() const {
    std::lock_guard lock(mutex_);
    return peak_;
}

int PictureCache::Count() const {
    std::lock_guard lock(mutex_);
    return int(entries_.size());
}

void PictureCache::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    probes_.clear();
    bytes_ = 0;
    peak_ = 0;
}

void PictureCache::dropOlderVersions(const QByteArray& path, PictureLoader::Stamp stamp) {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->key.path == path && !(it->key.stamp == stamp)) {
            bytes_ -= it->bytes;
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void PictureCache::trim() {
    while (bytes_ > maxBytes_ && !entries_.empty()) {
        bytes_ -= entries_.back().bytes;
        entries_.pop_back();
    }
}
