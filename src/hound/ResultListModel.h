#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QString>
#include <vector>

// One result list of the image search: full paths in the order found. Paths
// are kept as the file system's bytes, so a name that is not valid UTF-8
// still reaches its file; the text shown is decoded from them. Entries
// appended during a walk reach the views in one notification at Flush.
class ResultListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ResultListModel(QObject* parent = nullptr);

    void Clear();
    void Append(QByteArray rawPath) { pending_.push_back(std::move(rawPath)); }
    // Tells the views about the entries appended since the last flush.
    void Flush();
    // Entries, flushed or not.
    int ListCount() const { return int(items_.size() + pending_.size()); }
    QString Text(int row) const;
    const QByteArray& RawPath(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<QByteArray> items_;
    std::vector<QByteArray> pending_;
};
