#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

// One result list of the image search: full paths in the order found. Paths
// are kept as the file system's bytes, so a name that is not valid UTF-8
// still reaches its file; the text shown is decoded from them. The bytes of
// all paths lie one after another in one block, so a search of many files
// makes no allocation per file and a new search frees one block, not tens
// of thousands. Entries appended during a walk reach the views in one
// notification at Flush.
class ResultListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ResultListModel(QObject* parent = nullptr);

    void Clear();
    // Appends the path folder + name.
    void Append(QByteArrayView folder, QByteArrayView name);
    // Tells the views about the entries appended since the last flush.
    void Flush();
    // Entries, flushed or not.
    int ListCount() const { return int(ends_.size()); }
    QString Text(int row) const;
    QByteArray RawPath(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QByteArray bytes_;             // every path, one after another
    std::vector<qsizetype> ends_;  // where each path ends in bytes_
    int shown_ = 0;                // entries the views have been told of
};
