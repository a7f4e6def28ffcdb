#pragma once

#include <QByteArray>
#include <QDialog>
#include <optional>
#include <vector>

class FolderTreeview;
class Folder;
class QComboBox;
class QGroupBox;
class QLabel;
class QListView;
class QPushButton;
class QStringListModel;

// The destination dialog of "Copy to..." and "Move to...": what goes, where
// it goes (a folder tree and the recently used folders), and OK to hand it
// all to the copy or move.
class frmFileOps : public QDialog {
    Q_OBJECT
public:
    explicit frmFileOps(QWidget* parent = nullptr);

    void Form_Load();
    void AddFiles();
    void GetRecentFolders();
    void AddToCombo();
    void CopyFiles();
    void SaveRecentFolders();

    void Combo1_Change();
    void Command1_Click();
    void Command3_Click();
    void Command4_Click();
    void FolderTreeview1_SelectionChange(const Folder& folder, bool preChange, bool* cancel);

    // The sources as raw paths, one per line of List1.
    const std::vector<QByteArray>& Lines() const { return lines_; }
    bool RefreshFlag() const { return refresh_; }
    // The destination as a PathText: the path last set (by the tree or a
    // recent folder), an entry picked from the list, or the typed text with
    // every character the user left alone keeping its bytes. Nothing when
    // the typed text cannot be mapped back to bytes.
    std::optional<QString> ComboPath() const;

    QLabel* Label2[2];
    QLabel* Label1;
    QGroupBox* Frame1;
    QListView* List1;
    QComboBox* Combo1;
    QPushButton* Command1;
    QGroupBox* Frame2;
    FolderTreeview* FolderTreeview1;
    QPushButton* Command3;
    QPushButton* Command4;

    // Every way of closing comes through here: saves the recent folders
    // and, after a copy or move, rebuilds the main file list.
    void done(int result) override;

private:
    void addLine(const QByteArray& raw);
    void setComboText(const QString& path);

    QStringListModel* listModel_;
    std::vector<QByteArray> lines_;
    QString comboPath_;
    bool refresh_ = false;
    bool syncing_ = false;
    bool closed_ = false;
};
