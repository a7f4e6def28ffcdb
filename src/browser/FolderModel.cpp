#include "browser/FolderModel.h"

#include <QStyle>
#include <algorithm>

#include "browser/Icons.h"
#include "platform/PathText.h"

struct FolderModel::Node {
    QByteArray name;  // "/" for the top row
    QString shown;
    Node* parent = nullptr;
    int row = 0;
    bool listed = false;
    std::vector<std::unique_ptr<Node>> children;

    Node* add(QByteArray childName, int at) {
        auto n = std::make_unique<Node>();
        n->shown = ShownText(childName);
        n->name = std::move(childName);
        n->parent = this;
        Node* raw = n.get();
        children.insert(children.begin() + at, std::move(n));
        renumber(at);
        return raw;
    }
    void renumber(int from) {
        for (int i = from; i < int(children.size()); ++i) children[i]->row = i;
    }
};

FolderModel::FolderModel(bool showHidden, QObject* parent)
    : QAbstractItemModel(parent), showHidden_(showHidden), root_(std::make_unique<Node>()) {
    root_->listed = true;
    root_->add("/", 0);
    collator_.setNumericMode(true);
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

FolderModel::~FolderModel() = default;

FolderModel::Node* FolderModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex FolderModel::indexOf(Node* node) const {
    if (!node || node == root_.get()) return {};
    return createIndex(node->row, 0, node);
}

QModelIndex FolderModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* p = nodeOf(parent);
    if (column != 0 || row < 0 || row >= int(p->children.size())) return {};
    return createIndex(row, 0, p->children[row].get());
}

QModelIndex FolderModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return {};
    return indexOf(nodeOf(child)->parent);
}

int FolderModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    return int(nodeOf(parent)->children.size());
}

int FolderModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool FolderModel::hasChildren(const QModelIndex& parent) const {
    const Node* n = nodeOf(parent);
    // Unread folders offer to expand; reading them tells.
    return !n->listed || !n->children.empty();
}

bool FolderModel::canFetchMore(const QModelIndex& parent) const {
    return !nodeOf(parent)->listed;
}

void FolderModel::fetchMore(const QModelIndex& parent) {
    list(nodeOf(parent));
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    const Node* n = nodeOf(index);
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return n->shown;
        case Qt::DecorationRole:
            return Icons::Standard(n->parent == root_.get() ? QStyle::SP_DriveHDIcon
                                                            : QStyle::SP_DirIcon);
        default:
            return {};
    }
}

QByteArray FolderModel::PathOf(const QModelIndex& index) const {
    const Node* n = nodeOf(index);
    if (n == root_.get()) return {};
    QByteArray path;
    for (; n->parent != root_.get(); n = n->parent) path.prepend('/' + n->name);
    return path.isEmpty() ? QByteArray("/") : path;
}

bool FolderModel::before(const QByteArray& a, const QByteArray& b) const {
    const int c = collator_.compare(ShownText(a), ShownText(b));
    return c != 0 ? c < 0 : a < b;
}

bool FolderModel::readNames(Node* node, std::vector<QByteArray>* names) {
    std::vector<FolderItem> items;
    FolderId id;
    if (!reader_.Read(PathOf(indexOf(node)), &items, &id)) return false;
    names->clear();
    for (FolderItem& item : items)
        if (item.isFolder && (showHidden_ || !item.name.startsWith('.')))
            names->push_back(std::move(item.name));
    std::sort(names->begin(), names->end(),
              [this](const QByteArray& a, const QByteArray& b) { return before(a, b); });
    return true;
}

void FolderModel::list(Node* node) {
    if (node->listed) return;
    node->listed = true;
    std::vector<QByteArray> names;
    if (!readNames(node, &names) || names.empty()) {
        // No expand sign any more.
        const QModelIndex i = indexOf(node);
        emit dataChanged(i, i);
        return;
    }
    beginInsertRows(indexOf(node), 0, int(names.size()) - 1);
    node->children.reserve(names.size());
    for (QByteArray& name : names) {
        auto n = std::make_unique<Node>();
        n->shown = ShownText(name);
        n->name = std::move(name);
        n->parent = node;
        n->row = int(node->children.size());
        node->children.push_back(std::move(n));
    }
    endInsertRows();
}

void FolderModel::reread(Node* node) {
    if (!node->listed) {
        list(node);
        return;
    }
    std::vector<QByteArray> names;
    if (!readNames(node, &names)) names.clear();
    const QModelIndex parent = indexOf(node);
    // Vanished folders go, from the end so the rows ahead stay put.
    for (int row = int(node->children.size()) - 1; row >= 0; --row) {
        const QByteArray& name = node->children[row]->name;
        if (std::binary_search(
                names.begin(), names.end(), name,
                [this](const QByteArray& a, const QByteArray& b) { return before(a, b); }))
            continue;
        beginRemoveRows(parent, row, row);
        node->children.erase(node->children.begin() + row);
        node->renumber(row);
        endRemoveRows();
    }
    // New ones come in at their sorted places.
    for (QByteArray& name : names) {
        const auto at =
            std::lower_bound(node->children.begin(), node->children.end(), name,
                             [this](const std::unique_ptr<Node>& n, const QByteArray& key) {
                                 return before(n->name, key);
                             });
        if (at != node->children.end() && (*at)->name == name) continue;
        const int row = int(at - node->children.begin());
        beginInsertRows(parent, row, row);
        node->add(std::move(name), row);
        endInsertRows();
    }
}

void FolderModel::Refresh(const QModelIndex& index) {
    reread(nodeOf(index));
}

QModelIndex FolderModel::IndexOf(const QByteArray& path) {
    if (!path.startsWith('/')) return {};
    Node* node = root_->children.front().get();
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty()) continue;
        list(node);
        const auto find = [&] {
            for (const auto& c : node->children)
                if (c->name == part) return c.get();
            return static_cast<Node*>(nullptr);
        };
        Node* next = find();
        // A folder made since this one was read.
        if (!next && (showHidden_ || !part.startsWith('.'))) {
            reread(node);
            next = find();
        }
        if (!next) return {};
        node = next;
    }
    return indexOf(node);
}
