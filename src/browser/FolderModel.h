#pragma once

#include <QAbstractItemModel>
#include <QByteArray>
#include <QCollator>
#include <QString>
#include <memory>
#include <vector>

#include "platform/FolderReader.h"

// The file system's folders as a tree, "/" its one top row. Folders are known
// by their bytes, so every name shows (one that is not UTF-8 with U+FFFD in
// its text) and every folder opens. A folder's subfolders are read when it
// is first expanded or walked through, through FolderReader (a dead network
// mount never holds the window for long), sorted as a file manager sorts
// them, and read again on Refresh.
class FolderModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit FolderModel(bool showHidden, QObject* parent = nullptr);
    ~FolderModel() override;

    bool ShowHidden() const { return showHidden_; }

    // The row of an absolute folder path (any bytes, cleaned of "." and
    // ".."), reading the folders on the way; invalid when there is no such
    // folder or it lies under a hidden one while hidden folders are not shown.
    QModelIndex IndexOf(const QByteArray& path);
    QByteArray PathOf(const QModelIndex& index) const;
    // Reads a folder's subfolders again: new ones appear, vanished ones go,
    // and those that stay keep their own subfolders (and so stay expanded).
    void Refresh(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(Node* node) const;
    // The subfolders' names on disk, sorted; false when the folder cannot be read.
    bool readNames(Node* node, std::vector<QByteArray>* names);
    void list(Node* node);
    void reread(Node* node);
    bool before(const QByteArray& a, const QByteArray& b) const;

    bool showHidden_;
    std::unique_ptr<Node> root_;  // invisible; its one child is "/"
    FolderReader reader_;
    QCollator collator_;
};
