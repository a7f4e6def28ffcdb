#include "browser/ListFill.h"

#include <QElapsedTimer>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/FileSystem.h"

void ListedFolder::PathOf(quint32 offset, quint16 length, QByteArray* path) const {
    // One buffer serves every entry of a fill: no allocation per entry.
    const bool slash = raw.isEmpty() || raw.endsWith('/');
    path->resize(raw.size() + (slash ? 0 : 1) + length);
    char* out = path->data();
    std::copy(raw.cbegin(), raw.cend(), out);
    out += raw.size();
    if (!slash) *out++ = '/';
    std::copy_n(names.constData() + offset, length, out);
}

namespace {
// The worker tells of its answers when this many wait, or after this long.
constexpr size_t kBatch = 2048;
constexpr qint64 kBatchMs = 25;
}  // namespace

// What the worker and the user-interface thread share, behind one lock.
struct ListFill::Shared {
    enum State : char { Open, Claimed, Answered };

    std::unique_ptr<FolderProbe> probe;
    std::shared_ptr<const ListedFolder> folder;
    std::vector<Name> names;
    std::vector<quint32> order;

    std::mutex lock;
    std::condition_variable answered;  // one more entry answered
    std::vector<State> state;          // by serial
    size_t next = 0;                   // in order
    std::deque<quint32> wanted;
    size_t answers = 0;
    std::vector<Fact> out;
    bool cancelled = false;
    bool announced = false;
    std::function<void()> announce;

    // The next entry to ask, wanted ones first; false when none is left.
    // Called with the lock held.
    bool claimNext(quint32* serial, bool* isWanted = nullptr) {
        while (!wanted.empty()) {
            const quint32 s = wanted.front();
            wanted.pop_front();
            if (state[s] == Open) {
                state[s] = Claimed;
                *serial = s;
                if (isWanted) *isWanted = true;
                return true;
            }
        }
        while (next < order.size()) {
            const quint32 s = order[next++];
            if (state[s] == Open) {
                state[s] = Claimed;
                *serial = s;
                return true;
            }
        }
        return false;
    }

    // Without the lock: only reads what never changes.
    Fact ask(quint32 serial) const {
        Fact f;
        f.serial = serial;
        const std::optional<EntryFacts> facts =
            probe->Status(folder->names.constData() + names[serial].offset);
        if (!facts)
            f.kind = Kind::Gone;
        else if (facts->isFolder)
            f.kind = Kind::Folder;
        else
            f.size = facts->size;
        return f;
    }

    // Called with the lock held.
    void deliver(const Fact& f) {
        state[f.serial] = Answered;
        out.push_back(f);
        ++answers;
        answered.notify_all();
    }

    // Tells the user-interface thread that answers wait. Called with the
    // lock held.
    void tell() {
        if (announced || out.empty() || !announce) return;
        announced = true;
        announce();
    }

    // Asks entries until none is left or the fill is stopped. The worker
    // tells of its answers in batches, and of a wanted entry's at once.
    void work(bool telling) {
        QElapsedTimer sinceTold;
        sinceTold.start();
        for (;;) {
            quint32 serial;
            bool isWanted = false;
            {
                std::lock_guard<std::mutex> hold(lock);
                if (cancelled) return;
                if (!claimNext(&serial, &isWanted)) {
                    if (telling) tell();
                    return;
                }
            }
            const Fact f = ask(serial);
            std::lock_guard<std::mutex> hold(lock);
            if (cancelled) return;
            deliver(f);
            if (telling && (isWanted || out.size() >= kBatch || sinceTold.elapsed() >= kBatchMs)) {
                tell();
                sinceTold.restart();
            }
        }
    }
};

ListFill::ListFill(const FileSystem* files, std::shared_ptr<const ListedFolder> folder,
                   std::vector<Name> names, std::vector<quint32> order, QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>()) {
    shared_->probe = files->OpenProbe(folder->raw);
    shared_->folder = std::move(folder);
    shared_->state.assign(names.size(), Shared::Open);
    shared_->names = std::move(names);
    shared_->order = std::move(order);
    // Posted to this object, so an answer announced just before the fill
    // is destroyed is never delivered.
    shared_->announce = [this] {
        QMetaObject::invokeMethod(
            this, [this] { emit Arrived(); }, Qt::QueuedConnection);
    };
}

ListFill::~ListFill() {
    {
        std::lock_guard<std::mutex> hold(shared_->lock);
        shared_->cancelled = true;
        shared_->announce = nullptr;
    }
    // The worker stops after the entry it is asking.
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

void ListFill::Start() {
    if (thread_) return;
    std::shared_ptr<Shared> shared = shared_;
    thread_ = QThread::create([shared] { shared->work(true); });
    thread_->setObjectName("list fill");
    thread_->start(QThread::LowPriority);
}

void ListFill::Want(quint32 serial) {
    std::lock_guard<std::mutex> hold(shared_->lock);
    if (serial < shared_->state.size() && shared_->state[serial] == Shared::Open)
        shared_->wanted.push_back(serial);
}

std::vector<ListFill::Fact> ListFill::Take() {
    std::vector<Fact> facts;
    std::lock_guard<std::mutex> hold(shared_->lock);
    facts.swap(shared_->out);
    shared_->announced = false;
    return facts;
}

void ListFill::AskNow(const std::vector<quint32>& serials) {
    Shared& s = *shared_;
    for (quint32 serial : serials) {
        {
            std::lock_guard<std::mutex> hold(s.lock);
            if (serial >= s.state.size() || s.state[serial] != Shared::Open) continue;
            s.state[serial] = Shared::Claimed;
        }
        const Fact f = s.ask(serial);
        std::lock_guard<std::mutex> hold(s.lock);
        s.deliver(f);
    }
    // What the worker took is one entry at most: wait for its answer.
    std::unique_lock<std::mutex> hold(s.lock);
    s.answered.wait(hold, [&] {
        for (quint32 serial : serials)
            if (serial < s.state.size() && s.state[serial] != Shared::Answered) return false;
        return true;
    });
}

void ListFill::Finish() {
    Shared& s = *shared_;
    s.work(false);
    std::unique_lock<std::mutex> hold(s.lock);
    s.answered.wait(hold, [&] { return s.answers == s.order.size(); });
}

bool ListFill::Done() const {
    std::lock_guard<std::mutex> hold(shared_->lock);
    return shared_->answers == shared_->order.size() && shared_->out.empty();
}
