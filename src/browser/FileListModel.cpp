#include "browser/FileListModel.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <numeric>
#include <vector>

#include "browser/TextOrder.h"
#include "kit/Helpers.h"
#include "platform/PathText.h"

// --- ListItem ---

ListItem ListItem::Parent(int image) {
    ListItem parent;
    parent.image_ = quint8(image);
    return parent;
}

ListItem ListItem::AtPath(const QByteArray& path, int extLen, int image) {
    auto folder = std::make_shared<ListedFolder>();
    const qsizetype slash = path.lastIndexOf('/') + 1;
    folder->raw = path.left(slash);
    folder->shown = ShownText(folder->raw);
    folder->names = path.mid(slash);
    return ListItem(std::move(folder), 0, quint16(path.size() - slash), extLen, image);
}

ListItem::ListItem(std::shared_ptr<const ListedFolder> folder, quint32 offset, quint16 length,
                   int extLen, int image)
    : folder_(std::move(folder)),
      offset_(offset),
      length_(length),
      image_(quint8(image)),
      extLen_(quint8(extLen)) {}

QByteArrayView ListItem::RawName() const {
    if (!folder_) return {};
    return QByteArrayView(folder_->names).sliced(offset_, length_);
}

QByteArray ListItem::rawName() const {
    // The bytes stay where they are: the folder's block outlives the call.
    return QByteArray::fromRawData(folder_->names.constData() + offset_, length_);
}

QString ListItem::Text() const {
    if (!folder_) return QStringLiteral("..");
    const QString name = ShownText(rawName());
    return name.left(name.size() - extLen_);
}

QString ListItem::Key() const {
    if (!folder_) return {};
    return folder_->shown + ShownText(rawName());
}

QByteArray ListItem::RawKey() const {
    if (!folder_) return {};
    QByteArray path;
    folder_->PathOf(offset_, length_, &path);
    return path;
}

QString ListItem::SubItem(int sub) const {
    switch (sub) {
        case 1:
            return size_ >= 0 ? FormatFileSize(size_) : QString();
        case 2:
            return details_ ? details_->dimensions : QString();
        case 3:
            return details_ ? details_->date : QString();
        default:
            return {};
    }
}

void ListItem::SetSubItem(int sub, const QString& text) {
    if (sub != 2 && sub != 3) return;
    if (!details_) {
        if (text.isEmpty()) return;
        details_ = new Details;
    }
    (sub == 2 ? details_->dimensions : details_->date) = text;
}

// --- FileListModel ---

namespace {
// Answers of the fill applied in one go before the list lets the window
// draw and take input again.
constexpr qint64 kApplyBudgetMs = 6;
// Rows dropped in one go: each run of them moves the rows after it.
constexpr size_t kDropsAtOnce = 32;

}  // namespace

FileListModel::FileListModel(QObject* parent) : QAbstractTableModel(parent) {}

std::optional<QByteArrayView> FileListModel::asciiText(const ListItem& item) {
    if (item.IsParent()) return QByteArrayView("..");
    const QByteArrayView name = item.RawName();
    if (!IsAscii(name)) return std::nullopt;
    // As Text() cuts it: the whole name when the cut would leave less than nothing.
    const qsizetype length = name.size() - item.extLen_;
    return length < 0 ? name : name.first(length);
}

FileListModel::~FileListModel() = default;

void FileListModel::stopFill() {
    fill_.reset();
    facts_.clear();
    factsDone_ = 0;
    rowOf_.clear();
    serials_ = 0;
    pendingCount_ = 0;
}

void FileListModel::Clear() {
    stopFill();
    beginResetModel();
    items_.clear();
    items_.squeeze();
    endResetModel();
}

void FileListModel::AddItems(QVector<ListItem> items) {
    if (items.isEmpty()) return;
    beginResetModel();
    for (ListItem& item : items) item.pending_ = false;
    items_ += std::move(items);
    if (sorted_) resort();
    if (fill_) mapRows();
    endResetModel();
}

void FileListModel::SetListing(QVector<ListItem> items, const FileSystem* files,
                               std::shared_ptr<const ListedFolder> folder) {
    stopFill();
    beginResetModel();
    items_ = std::move(items);
    std::vector<ListFill::Name> names;
    for (ListItem& item : items_) {
        if (!item.pending_) continue;
        item.serial_ = quint32(names.size());
        names.push_back({item.offset_, item.length_});
    }
    serials_ = names.size();
    pendingCount_ = int(names.size());
    if (pendingCount_ > 0) {
        // The fill asks in the order of the rows, as the list shows them.
        const bool sizesFirst = sorted_ && sortKey_ == ColSize;
        if (sorted_ && !sizesFirst) resort();
        std::vector<quint32> order;
        order.reserve(names.size());
        for (const ListItem& item : items_)
            if (item.pending_) order.push_back(item.serial_);
        fill_ = std::make_unique<ListFill>(files, std::move(folder), std::move(names),
                                           std::move(order));
        connect(
            fill_.get(), &ListFill::Arrived, this, [this] { applyFacts(false); },
            Qt::QueuedConnection);
        mapRows();
        if (sizesFirst) {
            // Sorting by the size texts needs every one of them.
            fill_->Finish();
            takeFacts();
            for (const ListFill::Fact& f : facts_) {
                ListItem& item = items_[rowOf_[f.serial]];
                item.pending_ = false;
                item.size_ = f.kind == ListFill::Kind::File ? f.size : -2;
            }
            items_.removeIf([](const ListItem& item) { return item.size_ == -2; });
            stopFill();
            resort();
        } else {
            fill_->Start();
        }
    } else if (sorted_) {
        resort();
    }
    endResetModel();
}

void FileListModel::mapRows() {
    rowOf_.assign(serials_, -1);
    for (int row = 0; row < items_.size(); ++row) {
        const ListItem& item = items_[row];
        if (item.pending_ && item.serial_ < rowOf_.size()) rowOf_[item.serial_] = row;
    }
}

void FileListModel::takeFacts() {
    if (!fill_) return;
    std::vector<ListFill::Fact> more = fill_->Take();
    if (facts_.empty())
        facts_.swap(more);
    else
        facts_.insert(facts_.end(), more.begin(), more.end());
}

void FileListModel::applyFacts(bool all) {
    applyPosted_ = false;
    if (!fill_) return;
    takeFacts();
    QElapsedTimer clock;
    clock.start();
    int lo = INT_MAX, hi = -1;
    std::vector<int> drop;
    while (factsDone_ < facts_.size()) {
        const ListFill::Fact& f = facts_[factsDone_++];
        const int row = f.serial < rowOf_.size() ? rowOf_[f.serial] : -1;
        if (row < 0 || !items_[row].pending_) continue;
        ListItem& item = items_[row];
        item.pending_ = false;
        --pendingCount_;
        if (f.kind == ListFill::Kind::File) {
            item.size_ = f.size;
            lo = std::min(lo, row);
            hi = std::max(hi, row);
        } else {
            drop.push_back(row);
        }
        if (all) continue;
        if (drop.size() >= kDropsAtOnce ||
            ((factsDone_ & 255) == 0 && clock.elapsed() >= kApplyBudgetMs))
            break;
    }
    if (factsDone_ == facts_.size()) {
        facts_.clear();
        factsDone_ = 0;
    }
    if (hi >= 0) emit dataChanged(index(lo, ColSize), index(hi, ColSize), {Qt::DisplayRole});
    if (!drop.empty()) dropRows(std::move(drop));
    if (pendingCount_ == 0) {
        stopFill();
        emit Filled();
    } else if (!facts_.empty() && !applyPosted_) {
        // The rest after the window had its turn.
        applyPosted_ = true;
        QTimer::singleShot(0, this, [this] {
            if (applyPosted_) applyFacts(false);
        });
    }
}

void FileListModel::dropRows(std::vector<int> rows) {
    // From the bottom up, a run of neighbours at a time, so the rows still
    // to drop keep their numbers; the selection and current item follow.
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    size_t i = 0;
    while (i < rows.size()) {
        size_t j = i + 1;
        while (j < rows.size() && rows[j] == rows[j - 1] - 1) ++j;
        const int first = rows[j - 1], last = rows[i];
        beginRemoveRows({}, first, last);
        items_.erase(items_.begin() + first, items_.begin() + last + 1);
        endRemoveRows();
        i = j;
    }
    mapRows();
    emit Dropped();
}

bool FileListModel::CompleteRows(int first, int last) {
    if (!fill_) return true;
    first = std::max(first, 0);
    last = std::min(last, int(items_.size()) - 1);
    std::vector<quint32> serials;
    for (int row = first; row <= last; ++row)
        if (items_[row].pending_) serials.push_back(items_[row].serial_);
    if (serials.empty()) return true;
    const int before = Count();
    fill_->AskNow(serials);
    applyFacts(true);
    return Count() == before;
}

void FileListModel::Complete() {
    if (!fill_) return;
    fill_->Finish();
    applyFacts(true);
}

void FileListModel::SetSubItem(int row, int sub, const QString& text) {
    if (row < 0 || row >= items_.size() || sub < 2 || sub > 3) return;
    items_[row].SetSubItem(sub, text);
    emit dataChanged(index(row, sub), index(row, sub));
}

int FileListModel::FindKey(const QString& key) const {
    for (int i = 0; i < items_.size(); ++i)
        if (!items_[i].IsParent() && items_[i].Key() == key) return i;
    return -1;
}

void FileListModel::SetSort(bool sorted, int key, Qt::SortOrder order) {
    sorted_ = sorted;
    sortKey_ = qBound(0, key, int(ColumnCount_) - 1);
    sortOrder_ = order;
    if (!sorted_) return;
    // The order of the texts needs all of them.
    Complete();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::vector<int> oldRows = resort();
    // The current item and the selection follow their rows.
    std::vector<int> newRow(oldRows.size());
    for (size_t i = 0; i < oldRows.size(); ++i) newRow[oldRows[i]] = int(i);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& i : from) to << index(newRow[i.row()], i.column());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<int> FileListModel::resort() {
    // Text order without regard to case; stable so equal texts keep the
    // order they were added in. Names of plain ASCII are taken as their
    // bytes; only other texts are made and folded.
    const int n = int(items_.size());
    TextOrder texts(n);
    for (const ListItem& item : items_) {
        if (sortKey_ == ColName) {
            if (const auto bytes = asciiText(item)) {
                texts.AddAscii(*bytes);
                continue;
            }
        }
        texts.Add(sortKey_ == ColName ? item.Text() : item.SubItem(sortKey_));
    }
    const std::vector<int> order = texts.Sorted(sortOrder_ == Qt::DescendingOrder);
    // Each item moves once, along the cycles of the new order.
    std::vector<bool> placed(n, false);
    for (int i = 0; i < n; ++i) {
        if (placed[i] || order[i] == i) continue;
        ListItem held = std::move(items_[i]);
        int j = i;
        while (order[j] != i) {
            items_[j] = std::move(items_[order[j]]);
            placed[j] = true;
            j = order[j];
        }
        items_[j] = std::move(held);
        placed[j] = true;
    }
    return order;
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : items_.size();
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount_;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= items_.size()) return {};
    const ListItem& it = items_[index.row()];
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == ColName) return it.Text();
            // A row shown before its size is in is asked for next.
            if (index.column() == ColSize && it.pending_ && fill_) fill_->Want(it.serial_);
            return it.SubItem(index.column());
        case Qt::DecorationRole:
            if (index.column() == ColName && it.Image() >= 1 && it.Image() <= images_.size())
                return images_[it.Image() - 1];
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() == ColSize) return int(Qt::AlignRight | Qt::AlignVCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::ToolTipRole:
            return it.IsParent() ? QVariant() : QVariant(it.Key());
        default:
            return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal) return {};
    static const char* names[] = {"Filename", "Size", "Dimensions", "Date Modified"};
    if (role == Qt::DisplayRole && section >= 0 && section < ColumnCount_)
        return QString(names[section]);
    if (role == Qt::TextAlignmentRole && section == ColSize)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}
