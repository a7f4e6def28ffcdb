#include "hound/ResultListModel.h"
#include "platform/PathText.h"

#include <QFile>

ResultListModel::ResultListModel(QObject* parent) : QAbstractListModel(parent) {}

void ResultListModel::Clear() {
    beginResetModel();
    items_.clear();
    pending_.clear();
    endResetModel();
}

void ResultListModel::Flush() {
    if (pending_.empty()) return;
    const int first = int(items_.size());
    beginInsertRows({}, first, first + int(pending_.size()) - 1);
    items_.insert(items_.end(), std::make_move_iterator(pending_.begin()),
                  std::make_move_iterator(pending_.end()));
    pending_.clear();
    endInsertRows();
}

const QByteArray& ResultListModel::RawPath(int row) const {
    static const QByteArray none;
    if (row < 0 || row >= ListCount()) return none;
    const size_t r = size_t(row);
    return r < items_.size() ? items_[r] : pending_[r - items_.size()];
}

QString ResultListModel::Text(int row) const {
    return ShownText(RawPath(row));
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(items_.size());
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(items_.size())) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return Text(index.row());
    return {};
}
