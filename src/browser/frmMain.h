#pragma once

#include <QHash>
#include <QString>
#include <vector>

#include "browser/FileListModel.h"
#include "platform/FileSystem.h"

#include "kit/CStopWatch.h"
#include "kit/Form.h"
#include "kit/MenuArray.h"
#include "kit/PictureHolder.h"
#include "kit/PictureService.h"

class FolderTreeview;
class FileListView;
class Folder;
class ImageControl;
class LineControl;
class PictureBox;
class Splitter;
class StatusBar;
class Toolbar;
class QMenu;
class QMenuBar;

// The main browser window: folder tree, file list and preview between the
// two toolbars and the status bar.
class frmMain : public Form {
    Q_OBJECT
public:
    frmMain();
    ~frmMain() override;

    // The single instance, created on first use.
    static frmMain* Instance();
    static bool Exists();

    // Window events.
    void Form_Load();
    void Form_Resize();
    void Form_QueryUnload(qint16& Cancel, qint16 UnloadMode) override;
    void Form_Unload(qint16& Cancel) override;

    void SetUpSlitter();
    void picdest_Resize();
    void Titleit();
    void mnuPrev_Click(int Index);

    void mnufilea_Click(int Index);
    void mnuedita_Click(int Index);
    void mnuviewa_Click(int Index);
    void mnuviewaa_Click(int Index);
    void mnuorgan_Click(int Index);
    void mnutoolsa_Click(int Index);
    void mnuabouta_Click(int Index);
    void mnuwallpaper_Click(int Index);
    void mnulaunch_Click(int Index);
    void mnushell_Click(int Index);
    void Toolbar1_ButtonClick(int Index);
    void Toolbar2_ButtonClick(int Index);
    void IM_MenuHighlighted(const QString& MenuCaption);

    // The commands done in place.
    // The selected item, or null when there is none or it is "..".
    const ListItem* NeedsAFile() const;
    // The properties sheet of the tree's folder or the list's item, by focus.
    void Properties();
    // The file manager's sheet for path, else our own.
    static void ShowProperties(const QByteArray& path, QWidget* owner);
    void CopyImage();
    void CopyFilename();
    // Pops the menu up below toolbar button index.
    void PopupUnderButton(int index, QMenu* menu);

    // Drives and favourites.
    void GetDrives(Toolbar* tbarit);
    void GetToolbarFolders();
    void GetFolders();
    void SetMenus();
    void Toolbar2_MouseUp(int Button, int Shift, float x, float y);
    void FolderTreeview1_FolderClick(const Folder& folder, qint32 Location);
    void FolderTreeview1_GotFocus();

    // The file list.
    void ListFiles();
    void AddFiles(const QString& sFileType, int picindex, int flen);
    void SetView(int lv);
    void SelAll();
    void InvertSelAll();
    void DoHiddenFiles(bool currstate);
    void Disable_LV_Controls();
    void Enable_LV_Controls();
    void ListView1_ColumnClick(int ColumnHeader);
    void ListView1_DblClick();
    void ListView1_GotFocus();
    void ListView1_KeyUp(int KeyCode, int Shift);
    void ListView1_MouseUp(int Button, int Shift, float x, float y);

    // The preview.
    // Asks for the selected file's picture; it is shown when it arrives.
    void ShowImage();
    void CenterImage();
    void Set3d();
    void Image1_MouseUp(int Button, int Shift, float x, float y);

    // The control arrays of the menu bar, by name ("mnuviewa").
    MenuArray& Menu(const QString& array);
    MenuArray& mnufilea() { return Menu("mnufilea"); }
    MenuArray& mnuedita() { return Menu("mnuedita"); }
    MenuArray& mnuviewa() { return Menu("mnuviewa"); }
    MenuArray& mnuprev() { return Menu("mnuprev"); }
    MenuArray& mnuviewaa() { return Menu("mnuviewaa"); }
    MenuArray& mnuorgan() { return Menu("mnuorgan"); }
    MenuArray& mnutoolsa() { return Menu("mnutoolsa"); }

    // The listed folder, ending in '/', as a PathText: any folder's bytes.
    QString CurrentFolder;
    // A folder to start in instead of the saved start folder (as path text),
    // taken by the next Form_Load only: one named on the command line.
    QString StartFolder;

    Toolbar* Toolbar1;
    Toolbar* Toolbar2;
    StatusBar* StatusBar1;
    Splitter* Splitter1;
    Splitter* Splitter2;
    FolderTreeview* FolderTreeview1;
    FileListView* ListView1;
    PictureBox* picdest;
    ImageControl* Image1;
    LineControl* Line1[4];
    PictureHolder picsrc;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // The preview's picture arrived: it is taken, measured and shown.
    void previewArrived(const PictureAnswer& answer);
    // Shown again after a hidden spell, the preview holds a larger picture
    // than it shows: a copy at its size replaces it.
    void refitPreview();

    void buildMenus();
    void buildToolbar1();
    void dispatch(const QString& array, int index);

    // Settles the rows a listing left pending as the list's fill answers.
    void connectListFill();

    // The entries of CurrentFolder, read once per listing, and the folder
    // its items share.
    FolderNames names_;
    std::vector<quint64> nameEnds_;  // their ends, packed for matching patterns
    std::shared_ptr<ListedFolder> listed_;
    // Items found by AddFiles, added to the list together.
    QVector<ListItem> pending_;
    bool currentDropped_ = false;
    CStopWatch stopwatch_;
    PictureRequests* previews_;
    QString shownName_;  // the file name the status bar shows the picture of
    PictureRequests* refits_;
    QHash<QString, MenuArray> menus_;
    bool inResize_ = false;
};
