// The Image Hound window: toolbar, tabbed result lists, preview, status bar.
#include "hound/frmFind.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QStyle>

#include "browser/Icons.h"
#include "hound/ResultListModel.h"
#include "kit/DoEvents.h"
#include "kit/EdgeDrawing.h"
#include "kit/Forms.h"
#include "kit/ImageControl.h"
#include "kit/NumberFormat.h"
#include "kit/PictureBox.h"
#include "kit/PictureFit.h"
#include "kit/PictureTypes.h"
#include "kit/Splitter.h"
#include "kit/StatusBar.h"
#include "kit/TabStrip.h"
#include "kit/Toolbar.h"
#include "kit/Twips.h"
#include "kit/WindowGeometry.h"
#include "platform/PathText.h"

frmFind::frmFind() {
    setObjectName("frmFind");
    setWindowTitle("Image Hound");
    previews_ = new PictureRequests(this);
    connect(previews_, &PictureRequests::Ready, this,
            [this](const PictureAnswer& a) { previewArrived(a); });
    resize(PxX(12000), PxY(7800));

    Toolbar1 = new Toolbar(this);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->AddButton("find", "Find File(s)", Icons::Get(Icons::Pic::Hound));
    Toolbar1->AddButton("stop", "Stop", style()->standardIcon(QStyle::SP_BrowserStop));
    Toolbar1->AddSeparator();
    Toolbar1->AddButton("copyimage", "Copy image", Icons::Get(Icons::Pic::ClipboardPicture));
    Toolbar1->AddButton("copyname", "Copy filename", Icons::Get(Icons::Pic::Clipboard));
    StatusBar1 = new StatusBar(2, this);
    StatusBar1->setObjectName("StatusBar1");

    Splitter1 = new Splitter(this);
    Splitter1->setObjectName("Splitter1");
    Picture1 = new PictureBox;
    Picture1->setObjectName("Picture1");
    picdest = new PictureBox;
    picdest->setObjectName("picdest");
    picdest->setAccessibleName("Preview");
    Splitter1->SetMinPaneSize(2000);
    Splitter1->SetPanes(Picture1, picdest);
    Splitter1->setHandleWidth(2);

    TabStrip1 = new TabStrip(Picture1);
    TabStrip1->setObjectName("TabStrip1");
    TabStrip1->setAccessibleName("Image types");
    const auto& tabs = PictureTypes::HoundTabs();
    for (int i = 0; i < int(tabs.size()); ++i) {
        TabStrip1->addTab(tabs[i].caption);
        models_.push_back(new ResultListModel(this));
        List1.push_back(new QListView(Picture1));
        List1[i]->setObjectName(QString("List1_%1").arg(i));
        List1[i]->setAccessibleName(tabs[i].caption + " images found");
        List1[i]->setUniformItemSizes(true);
        List1[i]->setEditTriggers(QAbstractItemView::NoEditTriggers);
        List1[i]->setModel(models_[i]);
        connect(List1[i], &QListView::clicked, this, [this, i] { List1_Click(i); });
        connect(List1[i]->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, i](const QModelIndex& now) {
                    // Keys move the selection too; a click already showed it.
                    if (now.isValid() && QApplication::mouseButtons() == Qt::NoButton)
                        List1_Click(i);
                });
    }
    TabStrip1_Click();
    connect(TabStrip1, &TabStrip::currentChanged, this, [this] { TabStrip1_Click(); });
    // Counts in the captions can take the tabs onto another row.
    connect(TabStrip1, &TabStrip::rowsChanged, this, [this] { placeLists(); });

    Image1 = new ImageControl(picdest);
    Image1->setObjectName("Image1");
    Image1->setAccessibleName("Picture");
    Image1->hide();
    for (LineControl*& l : Line1) {
        l = new LineControl(picdest);
        l->hide();
    }
    Line1[0]->SetColor(palette().color(QPalette::Dark));
    Line1[1]->SetColor(palette().color(QPalette::Dark));
    Line1[2]->SetColor(palette().color(QPalette::Light));
    Line1[3]->SetColor(palette().color(QPalette::Light));

    connect(Toolbar1, &Toolbar::ButtonClick, this, [this](int i) { Toolbar1_ButtonClick(i); });
    connect(picdest, &PictureBox::Resized, this, [this] { picdest_Resize(); });
    Picture1->installEventFilter(this);
}

frmFind::~frmFind() = default;

void frmFind::Form_Load() {
    MakeToolbarFlat(Toolbar1);
    Form_Resize();
    Splitter1->SetSplitPosition(4000);
    const ScreenMetrics& s = Platform::screen();
    move(PxX((s.ScreenWidth() - FrameWidth(this)) / 2),
         PxY((s.ScreenHeight() - FrameHeight(this)) / 2));
}

void frmFind::Form_Resize() {
    const float W = TwX(width()), H = TwY(height());
    const float tb = TwY(Toolbar1->PreferredHeight()), sb = TwY(StatusBar1->PreferredHeight());
    Toolbar1->setGeometry(PxRect(0, 0, W, tb));
    StatusBar1->setGeometry(PxRect(0, H - sb, W, sb));
    if (H - (sb + tb) > 0) Splitter1->setGeometry(PxRect(0, tb, W, H - (sb + tb)));
}

void frmFind::Picture1_Resize() {
    TabStrip1->setGeometry(0, 0, Picture1->width(), TabStrip1->heightForWidth(Picture1->width()));
    DoEvents();
    placeLists();
}

void frmFind::placeLists() {
    // The tabs keep the rows they need (wrapped, every tab on show); the
    // lists fill the client area under them.
    const int tabs = TabStrip1->heightForWidth(Picture1->width());
    TabStrip1->setGeometry(0, 0, Picture1->width(), tabs);
    const float top = TwY(tabs);
    const float w = Picture1->Width(), h = Picture1->Height() - top;
    for (QListView* l : List1) l->setGeometry(PxRect(0, top + 30, w, h));
}

void frmFind::TabStrip1_Click() {
    const int i = TabStrip1->currentIndex();
    if (i < 0 || i >= int(List1.size())) return;
    models_[i]->Flush();
    // Only the chosen list is shown, not merely stacked on the others, so a
    // screen reader and a click both meet the list that is in view.
    List1[i]->show();
    List1[i]->raise();
    for (int k = 0; k < int(List1.size()); ++k)
        if (k != i) List1[k]->hide();
}

void frmFind::List1_Click(int Index) {
    const QModelIndex at = List1[Index]->currentIndex();
    if (!at.isValid()) return;
    ShownFile = models_[Index]->Text(at.row());
    ShownRaw = models_[Index]->RawPath(at.row());
    ShowImage();
}

void frmFind::picdest_Resize() {
    DrawEtchedEdge(picdest);
    if (picsrc.HasPicture()) CenterImage();
}

void frmFind::Toolbar1_ButtonClick(int Index) {
    switch (Index) {
        case 1:
            Searching = false;
            findfiles(
                BrowseForFolder("Choose the root folder that you wish to start finding images..."));
            if (QFileDialog* done = chooser_.data()) {
                chooser_ = nullptr;
                done->deleteLater();
            }
            break;
        case 2:
            Searching = false;
            break;
        case 4:
            QApplication::clipboard()->clear();
            if (!Image1->Picture().isNull()) QApplication::clipboard()->setImage(Image1->Picture());
            break;
        case 5:
            QApplication::clipboard()->clear();
            QApplication::clipboard()->setText(ShownFile);
            break;
        default:
            break;
    }
}

void frmFind::Form_Unload() {
    Searching = false;
    Forms::Release<frmFind>();
}

void frmFind::ShowImage() {
    Image1->SetPicture(QImage());
    picsrc.Clear();
    for (LineControl* l : Line1) l->hide();
    stopwatch_.Reset();
    setCursor(Qt::BusyCursor);
    const QByteArray path = ShownRaw.isEmpty() ? PathBytes(ShownFile) : ShownRaw;
    previews_->Request(path, PictureSizing::ForArea(picdest->Width(), picdest->Height(),
                                                    picdest->devicePixelRatioF()));
}

void frmFind::previewArrived(const PictureAnswer& answer) {
    unsetCursor();
    if (!answer.picture) return;
    picsrc.Take(answer.path, Picture(*answer.picture));
    CenterImage();
    picdest->repaint();
    StatusBar1->Panels(2).SetText(
        "Image loaded in " + FormatNumber(stopwatch_.Elapsed() / 1000.0, "###.##") + " seconds");
}

void frmFind::CenterImage() {
    Image1->hide();
    for (LineControl* l : Line1) l->hide();
    DoEvents();
    if (!picsrc.HasPicture()) return;
    CountView();
    ShowFitted(*Image1, Line1, picsrc, picdest->Width(), picdest->Height());
    picdest->repaint();
    DoEvents();
}

void frmFind::Set3d() {
    FrameLines(Line1, *Image1);
}

bool frmFind::event(QEvent* e) {
    // Closed from inside a search's yield: the search still runs on this
    // window's stack, so it is freed once the search has unwound.
    if (e->type() == QEvent::DeferredDelete && depth_ > 0) {
        deleteWhenDone_ = true;
        return true;
    }
    return QDialog::event(e);
}

void frmFind::done(int r) {
    // Closing, Escape and the window manager all end here.
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    QDialog::done(r);
}

void frmFind::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    Form_Resize();
}

bool frmFind::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Picture1 && e->type() == QEvent::Resize) Picture1_Resize();
    return QDialog::eventFilter(watched, e);
}
