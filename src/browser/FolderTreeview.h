#pragma once

#include <QString>
#include <QTreeView>

class FolderModel;
class FolderTreeview;

// A folder of the tree. Its default value is the full path (no trailing
// separator except at the root) as a PathText: any folder's bytes survive
// it, so it must be shown through ShownPath.
class Folder {
public:
    Folder() = default;
    Folder(FolderTreeview* tree, const QString& path) : tree_(tree), path_(path) {}

    bool IsNull() const { return path_.isEmpty(); }
    QString Path() const { return path_; }
    operator QString() const { return path_; }
    // The folder above; a null folder above the root.
    Folder Parent() const;
    bool Expanded() const;
    void SetExpanded(bool expanded);

private:
    FolderTreeview* tree_ = nullptr;
    QString path_;
};

// The file system's folders as a tree. Writing the selected folder selects
// and shows it and raises FolderClick before the write returns, as a click
// by the user would. Paths given and taken are PathTexts.
class FolderTreeview : public QTreeView {
    Q_OBJECT
public:
    explicit FolderTreeview(QWidget* parent = nullptr);

    Folder SelectedFolder() const;
    // Selects the folder at path; an empty or unknown path, or a hidden
    // folder while hidden folders are not shown, leaves the selection as it
    // is, as does a SelectionChange listener that cancels the change.
    // Returns false then.
    bool SetSelectedFolder(const QString& path);

    bool ShowHidden() const { return showHidden_; }
    void SetShowHidden(bool show);

    // The tree style word; bit 0x1000 draws the selection across the row.
    quint32 Style() const { return style_; }
    void SetStyle(quint32 style);

    QModelIndex IndexOf(const QString& path) const;
    FolderModel* FileModel() const { return model_; }
    // Reads the folder at path again, so folders made or removed since show.
    void Refresh(const QString& path);

signals:
    void FolderClick(const Folder& folder, qint32 location);
    void GotFocus();
    // Raised before (preChange true) and after a change of selection; a
    // handler may set *cancel before the change to keep the old folder.
    void SelectionChange(const Folder& folder, bool preChange, bool* cancel);

protected:
    void focusInEvent(QFocusEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    bool selectIndex(const QModelIndex& index);
    void buildModel();

    FolderModel* model_;
    bool showHidden_ = false;
    bool selecting_ = false;
    quint32 style_ = 0;
};
