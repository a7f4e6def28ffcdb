#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QSharedDataPointer>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>
#include <vector>

#include "browser/ListFill.h"

class FileSystem;

// One entry of the file list. Text() is the name shown, Key() the full path
// (empty for the parent entry ".."), SubItem(1 to 3) the Size, Dimensions
// and Date Modified texts. RawKey() is the path's bytes as the folder holds
// them: a name that is not valid UTF-8 shows replacement characters in
// Text() and Key(), and two such names may read the same, so every command
// reaches the file through RawKey().
//
// An item keeps only its name's place in the block of names its listing
// shares, and its length: the texts are made from those when asked, so a
// folder of many files costs little more than its names.
class ListItem {
public:
    ListItem() = default;
    // The parent entry "..".
    static ListItem Parent(int image);
    // The file at path (a list made by hand): its own folder and name, its
    // text the name without its last extLen characters.
    static ListItem AtPath(const QByteArray& path, int extLen, int image);
    ListItem(std::shared_ptr<const ListedFolder> folder, quint32 offset, quint16 length, int extLen,
             int image);

    bool IsParent() const { return !folder_; }
    QString Text() const;
    QString Key() const;
    QByteArray RawKey() const;
    // The name's bytes as the folder holds them (empty for the parent).
    QByteArrayView RawName() const;
    int Image() const { return image_; }
    // 1 Size, 2 Dimensions, 3 Date Modified; empty while not known.
    QString SubItem(int sub) const;
    void SetSubItem(int sub, const QString& text);
    // The file's length, -1 when not known (yet).
    qint64 Size() const { return size_; }
    void SetSize(qint64 size) { size_ = size; }
    // The size and kind of the entry are still being asked.
    bool Pending() const { return pending_; }
    // Leaves the size and kind to the fill of the list it goes into.
    void MarkPending() { pending_ = true; }

private:
    friend class FileListModel;
    QByteArray rawName() const;
    struct Details : QSharedData {
        QString dimensions, date;
    };

    std::shared_ptr<const ListedFolder> folder_;
    QSharedDataPointer<Details> details_;
    qint64 size_ = -1;
    quint32 offset_ = 0;
    quint32 serial_ = 0;  // in its listing, while Pending
    quint16 length_ = 0;
    quint8 image_ = 0;
    quint8 extLen_ = 0;
    bool pending_ = false;
};

// The file list's items, kept in the order of the sort column when sorting
// is on. Four columns: Filename, Size, Dimensions, Date Modified.
//
// A listing (SetListing) may hold items whose length, and for some whether
// they are folders at all, the folder's read did not tell: a fill asks the
// file system for them on a worker thread, in the order of the rows, and
// the answers are applied here in small batches. An entry that turns out to
// be a folder or gone is dropped from the list (Dropped).
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);
    ~FileListModel() override;

    enum Column { ColName = 0, ColSize, ColDimensions, ColDate, ColumnCount_ };

    void Clear();
    // Appends many items at once (one model notification).
    void AddItems(QVector<ListItem> items);
    // Replaces the items with a listing's and sorts them, waiting for the
    // sizes when the list is sorted by Size; starts the fill of the pending
    // items.
    void SetListing(QVector<ListItem> items, const FileSystem* files,
                    std::shared_ptr<const ListedFolder> folder);
    // Settles the pending items among these rows now, on this thread.
    // Returns false when some were dropped (the rows moved).
    bool CompleteRows(int first, int last);
    // Settles every item now (a sort or a listing of all sizes needs them).
    void Complete();
    // True while items are pending.
    bool Filling() const { return fill_ != nullptr; }

    int Count() const { return items_.size(); }
    const ListItem& Item(int row) const { return items_.at(row); }
    void SetSubItem(int row, int sub, const QString& text);
    // Row of the item with that key, -1 when none.
    int FindKey(const QString& key) const;

    // Images by number (1-based), used for both icon sizes.
    void SetImages(QVector<QIcon> images) { images_ = std::move(images); }

    bool Sorted() const { return sorted_; }
    int SortKey() const { return sortKey_; }
    Qt::SortOrder SortOrder() const { return sortOrder_; }
    void SetSort(bool sorted, int key, Qt::SortOrder order);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

signals:
    // Entries the fill found to be folders or gone left the list.
    void Dropped();
    // Every item is settled.
    void Filled();

private:
    // The bytes of an item's text when they are plain ASCII (one character a
    // byte).
    static std::optional<QByteArrayView> asciiText(const ListItem& item);
    // Sorts the items; returns the old row of each new row.
    std::vector<int> resort();
    void stopFill();
    void takeFacts();
    // Applies what the fill found, for a few milliseconds at a time.
    void applyFacts(bool all);
    void dropRows(std::vector<int> rows);
    void mapRows();

    QVector<ListItem> items_;
    QVector<QIcon> images_;
    bool sorted_ = true;
    int sortKey_ = ColName;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;

    std::unique_ptr<ListFill> fill_;
    std::vector<ListFill::Fact> facts_;  // taken, not applied yet
    size_t factsDone_ = 0;
    size_t serials_ = 0;
    std::vector<int> rowOf_;  // by serial, -1 once dropped
    int pendingCount_ = 0;
    bool applyPosted_ = false;
};
