#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class FileSystem;
class QThread;

// The folder of one listing and the block that holds its entries' names
// (each followed by a NUL), shared by every item of the listing and by its
// fill.
struct ListedFolder {
    QByteArray raw;    // the folder's bytes
    QString shown;     // its shown text, as a person reads it
    QByteArray names;  // the names' bytes, each followed by a NUL

    // The folder's bytes and the name's joined into a path.
    void PathOf(quint32 offset, quint16 length, QByteArray* path) const;
};

// Asks the file system, on a thread of low priority, what a listing could
// not tell from one read of its folder: each entry's length, and for the
// unsure ones whether they are folders or are still there at all. Entries
// are known by their serial number in the listing; they are asked in the
// order given (the order the list shows them), entries wanted at once
// (Want) before the rest. The answers are collected for the user-interface
// thread, which takes them (Take) when Arrived says there are some. A fill
// is stopped by destroying it: nothing it finds after that is given.
class ListFill : public QObject {
    Q_OBJECT
public:
    enum class Kind : quint8 { File, Folder, Gone };
    struct Fact {
        quint32 serial = 0;
        Kind kind = Kind::File;
        qint64 size = -1;  // -1 when the length cannot be read
    };

    // Where an entry's name lies in its folder's block.
    struct Name {
        quint32 offset = 0;
        quint16 length = 0;
    };

    // names[serial] is the entry's name; order lists the serials to ask.
    ListFill(const FileSystem* files, std::shared_ptr<const ListedFolder> folder,
             std::vector<Name> names, std::vector<quint32> order, QObject* parent = nullptr);
    ~ListFill() override;

    void Start();
    // Asks for these entries next.
    void Want(quint32 serial);
    // The answers that came in since the last call.
    std::vector<Fact> Take();
    // Asks for these entries on the calling thread now, unless the worker
    // has them already; then waits for what the worker is asking. Their
    // answers come with the next Take.
    void AskNow(const std::vector<quint32>& serials);
    // Asks everything left, the calling thread helping the worker, and waits
    // for the end. Every answer comes with the next Take.
    void Finish();
    // True once every entry was asked and its answer taken.
    bool Done() const;

signals:
    // Answers are waiting; given once until the next Take.
    void Arrived();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    QThread* thread_ = nullptr;
};
