#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QSet>
#include <functional>
#include <memory>
#include <vector>

#include "kit/CStopWatch.h"
#include "kit/PictureHolder.h"
#include "kit/PictureService.h"
#include "platform/FolderReader.h"

class ImageControl;
class LineControl;
class PictureBox;
class QFileDialog;
class QListView;
class ResultListModel;
class Splitter;
class StatusBar;
class TabStrip;
class Toolbar;

// The result list (0 BMP, 1 CUR, 2 DIB, 3 EMF, 4 GIF, 5 ICO, 6 JPG, 7 WMF,
// 8 Other: one a tab of the picture types' table) a file name belongs to by its last
// four characters, lower-cased; -1 for none. "jpeg" needs no dot before it.
int ImageListOf(QByteArrayView name);
// Whether the type of result list `list` is switched on; "Other" is on while
// any of its types is.
bool ImageListSwitch(int list);

// Image Hound: searches a folder tree for image files, one result list per
// type under a tab strip, with a preview of the result clicked.
class frmFind : public QDialog {
    Q_OBJECT
public:
    frmFind();
    ~frmFind() override;

    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void Picture1_Resize();
    void picdest_Resize();
    void TabStrip1_Click();
    void List1_Click(int Index);
    void Toolbar1_ButtonClick(int Index);

    // The search.
    QString BrowseForFolder(const QString& DialogTitle);
    void findfiles(const QString& startFolder);
    // folder: the path's bytes, ending in '/'.
    void SearchFolder(const QByteArray& folder);
    void MatchImageFiles(const QByteArray& folder);

    // The preview.
    void ShowImage();
    void CenterImage();
    void Set3d();

    // The status bar's simple text, as last set (it is painted at most at
    // the screen's rate while a search runs).
    QString SimpleText() const { return simpleText_; }
    void SetSimpleText(const QString& text);
    // A result list's entries.
    ResultListModel* Results(int Index) const { return models_[Index]; }

    // The folder picker: returns the chosen folder, empty when cancelled.
    // Tests put their own chooser here.
    static inline std::function<QString(QWidget* owner, const QString& title)> chooseFolder;
    // Makes the folder reader of each search; tests put their own here.
    static inline std::function<std::unique_ptr<FolderReader>()> makeReader;

    bool Searching = false;
    qint64 FoundCount = 0;
    QString SearchPattern;
    QString ShownFile;
    QByteArray ShownRaw;  // ShownFile's bytes, as the walk found them

    Toolbar* Toolbar1;
    Splitter* Splitter1;
    PictureBox* Picture1;
    TabStrip* TabStrip1;
    std::vector<QListView*> List1;  // one a tab
    PictureBox* picdest;
    ImageControl* Image1;
    LineControl* Line1[4];
    PictureHolder picsrc;
    StatusBar* StatusBar1;

signals:
    void SimpleTextChanged(const QString& text);

protected:
    bool event(QEvent* e) override;
    void done(int r) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void yield();
    void matchEntries(const QByteArray& folder, const std::vector<FolderItem>& entries);
    void flushResults(bool now);
    void placeLists();
    void setCursorBusy(Qt::CursorShape shape);
    void previewArrived(const PictureAnswer& answer);

    std::vector<ResultListModel*> models_;
    QPointer<QFileDialog> chooser_;   // the folder chooser while a search uses it
    FolderReader* reader_ = nullptr;  // during a search
    QSet<FolderId>* visited_ = nullptr;
    int depth_ = 0;       // searches on the stack
    int generation_ = 0;  // the newest search
    bool deleteWhenDone_ = false;
    bool unloaded_ = false;
    QString simpleText_;
    QElapsedTimer painted_;  // since the status and lists were last shown
    CStopWatch stopwatch_;
    PictureRequests* previews_;
};
