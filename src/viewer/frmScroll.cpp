// The viewer window's layout, loading, zoom and scroll arithmetic.
#include "viewer/frmScroll.h"

#include <QEvent>
#include <QFile>
#include <QLocale>
#include <QWheelEvent>
#include <cmath>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/DoEvents.h"
#include "kit/EdgeDrawing.h"
#include "kit/Extras.h"
#include "kit/Forms.h"
#include "kit/Helpers.h"
#include "kit/NumberFormat.h"
#include "kit/PictureBox.h"
#include "kit/ScreenPictures.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "kit/Twips.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "viewer/GifPlayer.h"
#include "viewer/ScrollBar.h"
#include "viewer/ZoomSurface.h"

namespace {
// A number in plain decimal form, up to 15 significant digits, no trailing zeros.
QString plainNumber(double v) {
    return QString::number(v, 'g', 15).replace('.', QLocale().decimalPoint());
}
}  // namespace

double ZoomFactor(int level) {
    static const double factors[] = {0.25, 0.5, 0.75, 1, 1.5, 2, 3};
    return level >= 0 && level <= 6 ? factors[level] : 1;
}

int StepBeyond(double factor, bool up) {
    // A fit that lands on a step within rounding counts as that step.
    const double slack = 1e-6;
    if (up) {
        for (int level = 0; level <= 6; ++level)
            if (ZoomFactor(level) > factor + slack) return level;
    } else {
        for (int level = 6; level >= 0; --level)
            if (ZoomFactor(level) < factor - slack) return level;
    }
    return -1;
}

frmScroll::frmScroll() {
    setObjectName("frmScroll");
    pictures_ = new PictureRequests(this);
    gif_ = new GifPlayer(this);
    connect(pictures_, &PictureRequests::Ready, this,
            [this](const PictureAnswer& a) { pictureArrived(a); });

    Toolbar1 = new Toolbar(Client());
    Toolbar1->setObjectName("Toolbar1");
    StatusBar1 = new StatusBar(4, Client());
    StatusBar1->setObjectName("StatusBar1");
    picholder = new QWidget(Client());
    picholder->setObjectName("picholder");
    OuterPict = new Viewport(picholder);
    OuterPict->setObjectName("OuterPict");
    InnerPict = new ZoomSurface(OuterPict);
    InnerPict->setObjectName("InnerPict");
    HBar = new ScrollBar(Qt::Horizontal, picholder);
    HBar->setObjectName("HBar");
    HBar->hide();
    VBar = new ScrollBar(Qt::Vertical, picholder);
    VBar->setObjectName("VBar");
    VBar->hide();
    picwall = new PictureBox(Client());
    picwall->setObjectName("picwall");
    picwall->hide();

    buildMenus();
    buildToolbar();
    // The switches are read once a viewer opens.
    keysOn_ = Extras::On(Keys::ViewerKeys);
    fitOn_ = Extras::On(Keys::ViewerFit);
    animateOn_ = Extras::On(Keys::AnimatedGifs);
    mnuviewa()(8)->setVisible(fitOn_);
    mnuviewa()(8)->setEnabled(fitOn_);
    OuterPict->installEventFilter(this);

    connect(Toolbar1, &Toolbar::ButtonClick, this, [this](int i) { Toolbar1_ButtonClick(i); });
    connect(HBar, &ScrollBar::Change, this, [this] { HBar_Change(); });
    connect(HBar, &ScrollBar::Scroll, this, [this] { HBar_Scroll(); });
    connect(VBar, &ScrollBar::Change, this, [this] { VBar_Change(); });
    connect(VBar, &ScrollBar::Scroll, this, [this] { VBar_Scroll(); });
    connect(InnerPict, &ZoomSurface::MouseUp, this,
            [this](int b, int s, float x, float y) { InnerPict_MouseUp(b, s, x, y); });
    connect(OuterPict, &Viewport::MouseUp, this,
            [this](int b, int s, float x, float y) { OuterPict_MouseUp(b, s, x, y); });
}

frmScroll::~frmScroll() = default;

void frmScroll::Form_Load() {
    MakeToolbarFlat(Toolbar1);
    // Square: as wide as the screen is high.
    const ScreenMetrics& s = Platform::screen();
    SetHeight(s.ScreenHeight() - 60);
    SetWidth(s.ScreenHeight());
    move(PxX(s.ScreenWidth() / 2 - Width() / 2), PxY(s.ScreenHeight() / 2 - Height() / 2));

    FileListView* list = frmMain::Instance()->ListView1;
    const int row = list->SelectedRow();
    if (row >= 0) {
        const ListItem& item = list->Model()->Item(row);
        Loadimage(item.Key(), item.RawKey());
    } else {
        Loadimage(QString());
    }
    DoEnable();
    DoEvents();
    show();
}

void frmScroll::Loadimage(const QString& strfilename, const QByteArray& rawPath) {
    if (!stopwatch_) stopwatch_.emplace();
    stopwatch_->Reset();
    loadingName_ = strfilename;
    stopAnimation();
    // Read once, at natural size within the cap. A larger picture is still
    // shown at its zoom factor times its natural size, with less detail at
    // the higher zooms: every zoom step draws from this one copy, and a
    // 12000 x 9000 photo held whole would take 432 MB.
    pictures_->Request(rawPath.isEmpty() ? PathBytes(strfilename) : rawPath,
                       PictureSizing::HeldWhole());
}

void frmScroll::pictureArrived(const PictureAnswer& answer) {
    // A file that cannot be read leaves the picture as it was; the surface is
    // given that picture again, unzoomed.
    fitted_ = false;
    const bool gif = answer.picture && answer.picture->info.type == PictureType::Gif;
    if (answer.picture) Picture1.Take(answer.path, Picture(*answer.picture));
    InnerPict->SetPicture(Picture1.image);
    // The still is the first frame; the others follow once decoded.
    if (gif && animateOn_)
        gif_->Play(Picture1.path, Picture1.image.size(), [this](const QImage& frame) {
            frame_ = frame;
            InnerPict->SetPicture(frame_);
        });
    InnerPict->Move(InnerPict->Left, InnerPict->Top, Picture1.Width(), Picture1.Height());
    if (InnerPict->HasPicture()) {
        ZoomLevel = 3;
        const QString& strfilename = loadingName_;
        StatusBar1->Panels(2).SetText(GetFileName(StripNul(strfilename)) + "  ");
        const FileSystem& fs = Platform::files();
        const auto size = fs.FileLen(answer.path);
        const auto when = fs.FileDateTime(answer.path);
        if (size && when)
            StatusBar1->Panels(3).SetText(FormatNumber(double(*size) / 1024, "###,###,##0.#") +
                                          " KB" + ", " + FormatGeneralDate(*when) + "  ");
        StatusBar1->Panels(4).SetText(PixelText(InnerPict->Width, InnerPict->Height) + "  ");
        setWindowTitle("Kvo View Viewer - " + strfilename);
        // The time from the request to the picture painted.
        sizeit();
        InnerPict->repaint();
        StatusBar1->Panels(1).SetText("Image loaded in " +
                                      plainNumber(stopwatch_->Elapsed() / 1000.0) + " seconds");
    }
    sizeit();
}

void frmScroll::DoZoom(bool IsPlus) {
    if (fitted_) {
        // From a fitted picture to the nearest step that way, as if from
        // the step before it.
        const int step = StepBeyond(fitFactor_, IsPlus);
        if (step < 0) return;
        ZoomLevel = qint16(IsPlus ? step - 1 : step + 1);
    }
    if (IsPlus && ZoomLevel < 6) {
        ++ZoomLevel;
        ZoomIn(ZoomLevel);
    } else if (!IsPlus && ZoomLevel > 0) {
        --ZoomLevel;
        ZoomIn(ZoomLevel);
    }
    switch (ZoomLevel) {
        case 0:
            Toolbar1->SetButtonEnabled(12, false);
            mnuviewa()(4)->setEnabled(false);
            break;
        case 1:
            Toolbar1->SetButtonEnabled(12, true);
            mnuviewa()(4)->setEnabled(true);
            break;
        case 5:
            Toolbar1->SetButtonEnabled(11, true);
            mnuviewa()(3)->setEnabled(true);
            break;
        case 6:
            Toolbar1->SetButtonEnabled(11, false);
            mnuviewa()(3)->setEnabled(false);
            break;
        default:
            break;
    }
}

void frmScroll::ZoomIn(int zoomtype) {
    const double f = ZoomFactor(zoomtype);
    const float w = float(Picture1.Width() * f), h = float(Picture1.Height() * f);
    fitted_ = false;
    // Always from the picture as loaded, so repeated zooming never blurs it.
    InnerPict->Move(0, 0, w, h);
    InnerPict->SetPicture(onSurface());
    sizeit();
}

const QImage& frmScroll::onSurface() const {
    return frame_.isNull() ? Picture1.image : frame_;
}

void frmScroll::stopAnimation() {
    gif_->Stop();
    frame_ = QImage();
}

void frmScroll::sizeit() {
    const float tb = TwY(Toolbar1->height()), sb = TwY(StatusBar1->height());
    const float W = ScaleWidth(), H = ScaleHeight();
    if (H - (sb + tb) >= 0) picholder->setGeometry(PxRect(0, tb, W, H - (sb + tb)));
    if (WindowState() == 1) return;

    const float needW = OuterPict->Width() - OuterPict->ScaleWidth() + InnerPict->Width;
    const float needH = OuterPict->Height() - OuterPict->ScaleHeight() + InnerPict->Height;
    float availW = W - 60;
    float availH = H - (tb + sb + 60);
    bool hBar = needW > availW;
    if (hBar) availH -= HBar->Height();
    const bool vBar = needH > availH;
    if (vBar) {
        availW -= VBar->Width();
        if (!hBar) {
            hBar = needW > availW;
            if (hBar) availH -= HBar->Height();
        }
    }
    if (availW >= 0 && availH >= 0) OuterPict->setGeometry(PxRect(0, 0, availW, availH));
    if (hBar) {
        HBar->Move(0, availH, availW, HBar->Height());
        HBar->show();
    } else {
        HBar->hide();
    }
    if (vBar) {
        VBar->Move(availW, 0, VBar->Width(), availH);
        VBar->show();
    } else {
        VBar->hide();
    }
    SetScrollRanges();
}

void frmScroll::SetScrollRanges() {
    // Each limit is a 16-bit value; one that does not fit is not set and the
    // bar keeps the one it had.
    const double ih = OuterPict->ScaleHeight(), iw = OuterPict->ScaleWidth();
    VBar->SetMin(0);
    if (auto v = ToInt16(ih - InnerPict->Height)) VBar->SetMax(*v);
    if (auto v = ToInt16(ih)) VBar->SetLargeChange(*v);
    if (auto v = ToInt16(ih / 5)) VBar->SetSmallChange(*v);
    HBar->SetMin(0);
    if (auto v = ToInt16(iw - InnerPict->Width)) HBar->SetMax(*v);
    if (auto v = ToInt16(iw)) HBar->SetLargeChange(*v);
    if (auto v = ToInt16(iw / 5)) HBar->SetSmallChange(*v);
}

void frmScroll::HBar_Change() {
    InnerPict->SetLeft(HBar->Value());
}
void frmScroll::HBar_Scroll() {
    InnerPict->SetLeft(HBar->Value());
}
void frmScroll::VBar_Change() {
    InnerPict->SetTop(VBar->Value());
}
void frmScroll::VBar_Scroll() {
    InnerPict->SetTop(VBar->Value());
}

void frmScroll::Form_Resize() {
    // A fitted picture follows the window.
    if (fitted_)
        fitToWindow();
    else
        sizeit();
}

void frmScroll::Form_QueryUnload(qint16& Cancel, qint16) {
    Cancel = 0;
    if (frmMain::Exists()) frmMain::Instance()->show();
}

void frmScroll::Form_Unload(qint16&) {
    stopAnimation();
    Forms::Release<frmScroll>();
}

void frmScroll::layoutBars() {
    const float W = ScaleWidth(), H = ScaleHeight();
    const float tb = TwY(Toolbar1->PreferredHeight()), sb = TwY(StatusBar1->PreferredHeight());
    Toolbar1->setGeometry(PxRect(0, 0, W, tb));
    StatusBar1->setGeometry(PxRect(0, H - sb, W, sb));
}

bool frmScroll::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Client() && e->type() == QEvent::Resize) {
        layoutBars();
        Form_Resize();
    }
    if (watched == OuterPict && keysOn_) {
        // Events the surface leaves alone come on to its viewport.
        if (e->type() == QEvent::Wheel) {
            const auto* w = static_cast<QWheelEvent*>(e);
            WheelTurned(w->angleDelta(), w->modifiers());
            return true;
        }
        pictureMouse(e);
    }
    return Form::eventFilter(watched, e);
}
