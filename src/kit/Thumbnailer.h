#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPixmap>

#include <atomic>
#include <deque>
#include <list>
#include <memory>
#include <vector>

#include "kit/Thumbnails.h"

// Thumbnails for a list that shows many pictures: made or read from the
// desktop's cache on the picture service's background pool, the files most
// wanted first, and held in memory for the rows near the view only (the
// least recently shown go first). A list never waits for one: it asks what
// is held, draws its type image meanwhile, and redraws a row on Arrived.
//
// User-interface thread only; the work itself runs on a worker.
class Thumbnailer : public QObject {
    Q_OBJECT

public:
    explicit Thumbnailer(QObject* parent = nullptr);
    ~Thumbnailer() override;

    // The size read and written in the cache; a change drops what is held.
    void SetSize(Thumbnails::Size size);
    Thumbnails::Size Size() const { return size_; }

    // The files wanted, most wanted first (the rows in view, then those
    // near them); replaces the wants before. Files held and known to be
    // current are not asked again.
    void Want(const std::vector<QByteArray>& paths);
    // The files were listed again: the wants are dropped, work under way is
    // stopped where it can be, and what is held is checked against its file
    // when it is wanted next (a rewritten file gets a new thumbnail).
    void Restart();

    // The thumbnail held for path, at most side device pixels a side and
    // drawn at deviceRatio; null when there is none (yet, or never).
    QPixmap Find(const QByteArray& path, int side, qreal deviceRatio = 1);

    bool Idle() const { return wanted_.empty() && inFlight_.empty(); }
    // Runs until every want is answered: for tests and benchmarks.
    void Settle();
    // What the held thumbnails take, in bytes, and the bound on it.
    qint64 HeldBytes() const { return heldBytes_; }
    static qint64 HeldLimit();
    int HeldCount() const { return int(held_.size()); }
    // Thumbnails decoded from their pictures, not found in a cache.
    int Decodes() const { return decodes_; }

signals:
    // A thumbnail for path is held now (or path cannot have one).
    void Arrived(const QByteArray& path);

private:
    struct Entry {
        QByteArray path;
        qint64 modifiedNs = 0, size = -1;  // the file's version it was made from
        QImage image;                      // null: the picture cannot be read
        QPixmap shown;                     // image at shownSide, made on first use
        int shownSide = 0;
        qreal shownRatio = 1;
        bool current = true;  // checked against its file since the last listing
    };
    struct Result;
    struct Job {
        QByteArray path;
        std::atomic<bool> cancel{false};
    };
    void pump();
    void arrived(const std::shared_ptr<Job>& job, const Result& result);
    void hold(Entry entry);
    void evict();
    static qint64 bytesOf(const Entry& e);

    Thumbnails::Size size_ = Thumbnails::Size::Normal;
    std::deque<QByteArray> wanted_;
    std::vector<std::shared_ptr<Job>> inFlight_;
    std::list<Entry> held_;  // most recently shown first
    QHash<QByteArray, std::list<Entry>::iterator> index_;
    qint64 heldBytes_ = 0;
    int decodes_ = 0;
};
