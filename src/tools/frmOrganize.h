#pragma once

#include <QDialog>

class Folder;
class FolderTreeview;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The favourites organizer: the favourite folders as a flat tree (name
// shown, folder path as the node's key) beside a folder tree to pick new
// ones from. The tree is a working copy; the store is rewritten whole on
// every close and the main window then rebuilds its favourites.
class frmOrganize : public QDialog {
    Q_OBJECT
public:
    frmOrganize();

    void Form_Load();
    void Form_QueryUnload(qint16& Cancel, qint16 UnloadMode);
    void Form_Unload(qint16& Cancel);
    void Command1_Click(int Index);
    void FolderTreeview1_FolderClick(const Folder& folder, qint32 Location);
    void TreeView1_NodeClick(QTreeWidgetItem* Node);

    void GetFolders();
    void AddFav();
    void SaveFolders();

    // The node's key: the favourite's folder path.
    static QString Key(const QTreeWidgetItem* node);
    // The node with this key, or null.
    QTreeWidgetItem* FindKey(const QString& key) const;
    // The node shown selected, or null: the node that only has the focus
    // rectangle is not selected.
    QTreeWidgetItem* SelectedItem() const;

    QLabel* Label1[2] = {};
    QTreeWidget* TreeView1 = nullptr;
    FolderTreeview* FolderTreeview1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command1[3] = {};

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    bool unloading_ = false;
};
