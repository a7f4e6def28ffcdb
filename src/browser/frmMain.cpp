#include "browser/frmMain.h"

#include <QEvent>
#include <QMenuBar>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "browser/DragDrop.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Icons.h"
#include "browser/Options.h"
#include "browser/PaneSizes.h"
#include "browser/Switches.h"
#include "kit/DoEvents.h"
#include "kit/EdgeDrawing.h"
#include "kit/Forms.h"
#include "kit/ImageControl.h"
#include "kit/PictureBox.h"
#include "kit/PictureTypes.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/Splitter.h"
#include "kit/StatusBar.h"
#include "kit/SteadyStyle.h"
#include "kit/Toolbar.h"
#include "kit/Version.h"
#include "platform/PathText.h"

frmMain::frmMain() {
    UseSteadyLayouts();
    setObjectName("frmMain");
    setWindowTitle(kAppName);
    previews_ = new PictureRequests(this);
    connect(previews_, &PictureRequests::Ready, this,
            [this](const PictureAnswer& a) { previewArrived(a); });
    refits_ = new PictureRequests(this);
    connect(refits_, &PictureRequests::Ready, this, [this](const PictureAnswer& a) {
        // The same picture, sharper: nothing else about the preview changes.
        if (a.picture && a.path == picsrc.path) {
            picsrc.image = a.picture->image;
            Image1->SetPicture(picsrc.image);
        }
    });

    Toolbar1 = new Toolbar(Client());
    Toolbar1->setObjectName("Toolbar1");
    Toolbar2 = new Toolbar(Client());
    Toolbar2->setObjectName("Toolbar2");
    StatusBar1 = new StatusBar(5, Client());
    StatusBar1->setObjectName("StatusBar1");

    Splitter1 = new Splitter(Client());
    Splitter1->setObjectName("Splitter1");
    FolderTreeview1 = new FolderTreeview;
    FolderTreeview1->setObjectName("FolderTreeview1");
    FolderTreeview1->setAccessibleName(tr("Folders"));
    Splitter2 = new Splitter;
    Splitter2->setObjectName("Splitter2");
    ListView1 = new FileListView;
    ListView1->setObjectName("ListView1");
    ListView1->SetAccessibleName(tr("Files"));
    QVector<QIcon> listImages;
    const int images = std::max(Icons::ParentImage, PictureTypes::LastListImage());
    for (int i = 1; i <= images; ++i) listImages << Icons::ListImage(i);
    ListView1->Model()->SetImages(listImages);
    picdest = new PictureBox;
    picdest->setObjectName("picdest");
    picdest->setAccessibleName(tr("Preview"));
    Image1 = new ImageControl(picdest);
    Image1->setObjectName("Image1");
    Image1->hide();
    for (int i = 0; i < 4; ++i) {
        Line1[i] = new LineControl(picdest);
        // Shadow on the left and top, highlight on the right and bottom: sunken.
        Line1[i]->SetColor(palette().color(i < 2 ? QPalette::Dark : QPalette::Light));
        Line1[i]->hide();
    }
    Splitter2->SetPanes(ListView1, picdest);
    Splitter1->SetPanes(FolderTreeview1, Splitter2);
    for (Splitter* s : {Splitter1, Splitter2}) {
        s->SetMinPaneSize(1200);
        s->SetSplitPosition(3000);
    }

    buildMenus();
    buildToolbar1();

    connect(FolderTreeview1, &FolderTreeview::FolderClick, this,
            [this](const Folder& f, qint32 loc) { FolderTreeview1_FolderClick(f, loc); });
    connect(FolderTreeview1, &FolderTreeview::GotFocus, this,
            [this] { FolderTreeview1_GotFocus(); });
    connect(ListView1, &FileListView::GotFocus, this, [this] { ListView1_GotFocus(); });
    connect(ListView1, &FileListView::DblClick, this, [this] { ListView1_DblClick(); });
    connect(ListView1, &FileListView::ColumnClick, this,
            [this](int c) { ListView1_ColumnClick(c + 1); });
    connect(ListView1, &FileListView::KeyUp, this, [this](int k, int s) { ListView1_KeyUp(k, s); });
    connect(ListView1, &FileListView::MouseUp, this,
            [this](int b, int s, float x, float y) { ListView1_MouseUp(b, s, x, y); });
    connectListFill();
    connect(Image1, &ImageControl::MouseUp, this,
            [this](int b, int s, float x, float y) { Image1_MouseUp(b, s, x, y); });
    connect(Toolbar2, &Toolbar::MouseUp, this,
            [this](int b, int s, float x, float y) { Toolbar2_MouseUp(b, s, x, y); });
    connect(picdest, &PictureBox::Resized, this, [this] { picdest_Resize(); });
    connect(Toolbar1, &Toolbar::ButtonClick, this, [this](int i) { Toolbar1_ButtonClick(i); });
    connect(Toolbar2, &Toolbar::ButtonClick, this, [this](int i) { Toolbar2_ButtonClick(i); });
    // Pictures dragged out to other programs, files dropped on the folders.
    InstallListDrag(ListView1, [this] { ListFiles(); });
    new TreeDrop(FolderTreeview1);
}

frmMain::~frmMain() = default;

frmMain* frmMain::Instance() {
    return Forms::Get<frmMain>();
}
bool frmMain::Exists() {
    return Forms::Loaded<frmMain>();
}

void frmMain::Form_Load() {
    ShowHidden = ToBool(ReadSetting(Keys::ShowHiddenFiles)).value_or(ShowHidden);
    mnuviewa()(7)->setChecked(ShowHidden);
    FolderTreeview1->SetShowHidden(ShowHidden);

    MakeToolbarFlat(Toolbar1);
    MakeToolbarFlat(Toolbar2);

    GetDrives(Toolbar2);
    DoEvents();

    Form_Resize();
    RestorePaneSizes(*this);
    GetToolbarFolders();
    DoFileTypes();
    DoGeneral();
    DoEvents();
    DoListview(*this);
    DoEvents();
    GetOptions(*this, std::exchange(StartFolder, QString()));
    GetFolders();
    DrawEtchedEdge(picdest);
    DoEvents();
    show();
}

void frmMain::Titleit() {
    const QString title = kAppName + " " + VersionText();
    setWindowTitle(PathInTitlebar ? title + " - " + ShownPath(CurrentFolder) : title);
}

void frmMain::Form_QueryUnload(qint16& Cancel, qint16) {
    Cancel = 0;
    {
        // One write of the store for both.
        SettingsBatch batch;
        SaveOptions(*this);
        SavePaneSizes(*this);
    }
    DoEvents();
    // The print window, the web pattern viewer, the viewer and the settings
    // dialog, as the start-up code declared them.
    Forms::CloseDeclared();
}

void frmMain::Form_Unload(qint16&) {
    // Windows still on screen (an image search, a slideshow) stay open; the
    // program ends when the last window closes.
    Forms::ReleaseDeclared();
    Forms::Release<frmMain>();
}

bool frmMain::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Client() && e->type() == QEvent::Resize && !inResize_) Form_Resize();
    return Form::eventFilter(watched, e);
}
