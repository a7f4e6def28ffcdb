#pragma once

#include <QByteArray>
#include <QSize>

#include <list>
#include <mutex>
#include <optional>

#include "platform/PictureLoader.h"

// Which decode of which version of a file: the raw path bytes, the file's
// modification time and size, the size the decode was asked for (a top left
// part is another decode than the whole scaled to the same box), and whether
// it was turned upright.
struct PictureKey {
    QByteArray path;
    PictureLoader::Stamp stamp;
    QSize asked;
    bool topLeft = false;
    bool upright = false;
    bool operator==(const PictureKey&) const = default;
};

// Decoded pictures, the most recently used kept, bounded in bytes. A file
// rewritten in place has another stamp and is decoded again; its older
// decodes go at once. Safe to use from any thread.
class PictureCache {
public:
    static constexpr qint64 kDefaultBytes = qint64(256) << 20;

    explicit PictureCache(qint64 maxBytes = kDefaultBytes) : maxBytes_(maxBytes) {}

    std::optional<Picture> Find(const PictureKey& key);
    // The smallest decode of key's file version, turned alike (whole, not a
    // part), that covers key's asked size, or holds the picture at its own size.
    std::optional<Picture> FindCovering(const PictureKey& key);
    void Insert(const PictureKey& key, const Picture& picture);

    // A file version's probe, kept beside its decodes: measuring a metafile
    // that has no size in its headers takes a helper run.
    std::optional<PictureInfo> FindInfo(const QByteArray& path, PictureLoader::Stamp stamp,
                                        bool upright);
    void InsertInfo(const QByteArray& path, PictureLoader::Stamp stamp, bool upright,
                    const PictureInfo& info);

    void SetMaxBytes(qint64 bytes);
    qint64 MaxBytes() const;
    qint64 Bytes() const;
    qint64 PeakBytes() const;  // the most held at once since the last Clear
    int Count() const;
    void Clear();

private:
    struct Entry {
        PictureKey key;
        Picture picture;
        qint64 bytes = 0;
    };
    struct Probed {
        QByteArray path;
        PictureLoader::Stamp stamp;
        bool upright;
        PictureInfo info;
    };
    void dropOlderVersions(const QByteArray& path, PictureLoader::Stamp stamp);
    void trim();

    mutable std::mutex mutex_;
    std::list<Entry> entries_;  // most recently used first
    std::list<Probed> probes_;  // most recent first, a bounded few
    qint64 maxBytes_;
    qint64 bytes_ = 0;
    qint64 peak_ = 0;
};
