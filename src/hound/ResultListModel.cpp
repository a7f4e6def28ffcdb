#include "hound/ResultListModel.h"
#include "platform/PathText.h"

#include <QFile>

ResultListModel::ResultListModel(QObject* parent) : QAbstractListModel(parent) {}

void ResultListModel::Clear() {
    beginResetModel();
    // The block keeps its room for the next search's paths.
    bytes_.resize(0);
    ends_.clear();
    shown_ = 0;
    endResetModel();
}

void ResultListModel::Append(QByteArrayView folder, QByteArrayView name) {
    bytes_.append(folder).append(name);
    ends_.push_back(bytes_.size());
}

void ResultListModel::Flush() {
    if (shown_ == ListCount()) return;
    beginInsertRows({}, shown_, ListCount() - 1);
    shown_ = ListCount();
    endInsertRows();
}

QByteArray ResultListModel::RawPath(int row) const {
    if (row < 0 || row >= ListCount()) return {};
    const qsizetype start = row == 0 ? 0 : ends_[size_t(row) - 1];
    return bytes_.mid(start, ends_[size_t(row)] - start);
}

QString ResultListModel::Text(int row) const {
    return ShownText(RawPath(row));
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return Text(index.row());
    return {};
}
