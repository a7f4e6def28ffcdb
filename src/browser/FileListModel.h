#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <QVector>
#include <vector>

// One entry of the file list: Text is the name shown, Key the full path
// (empty for the parent entry ".."), SubItems the Size, Dimensions and
// Date Modified texts. RawKey is the path's bytes as the folder holds them:
// a name that is not valid UTF-8 shows replacement characters in Text and
// Key, and two such names may read the same, so every command reaches the
// file through RawKey.
struct ListItem {
    QString Text;
    QString Key;
    QByteArray RawKey;
    int Image = 0;
    QString SubItems[3];
};

// The file list's items, kept in the order of the sort column when sorting
// is on. Four columns: Filename, Size, Dimensions, Date Modified.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);

    enum Column { ColName = 0, ColSize, ColDimensions, ColDate, ColumnCount_ };

    void Clear();
    // Appends many items at once (one model notification).
    void AddItems(QVector<ListItem> items);
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

private:
    const QString& textAt(const ListItem& item, int column) const;
    // Sorts the items; returns the old row of each new row.
    std::vector<int> resort();

    QVector<ListItem> items_;
    QVector<QIcon> images_;
    bool sorted_ = true;
    int sortKey_ = ColName;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
