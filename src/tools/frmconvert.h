#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>
#include <vector>

class FileListView;
class FolderTreeview;
class QGroupBox;
class QLabel;
class QListView;
class QProgressBar;
class QPushButton;
class QStringListModel;

// "Convert to BMP": writes the main list's selected files as BMP files into
// the folder chosen in its own tree, remembering that folder.
class frmconvert : public QWidget {
    Q_OBJECT
public:
    explicit frmconvert(QWidget* owner = nullptr);

    void Form_Load();
    // Takes the selected files of lv, but not "..", in the list's order.
    void addtfiles(FileListView* lv);
    void Command1_Click();
    void Command2_Click();
    void Form_QueryUnload();
    void convertfiles();

    // The output path for source in folder: only the letters after the last
    // dot become "bmp" ("holiday.photo.jpeg" -> "holiday.photo.bmp").
    static QString OutputPath(const QString& folder, const QString& source);

    bool KeepGoing = false;
    QListView* List1;
    QStringListModel* paths_;
    QGroupBox* Frame1;
    FolderTreeview* FolderTreeview1;
    QLabel* Picture1;
    QProgressBar* ProgressBar1;
    QImage Image1;  // the picture just loaded
    QPushButton* Command1;
    QPushButton* Command2;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    std::vector<QByteArray> raw_;  // each work-list file by its bytes
    bool stored_ = false;
};
