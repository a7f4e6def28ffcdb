// The slideshow window: one picture at a time, fitted to the window, on a
// timer, with a caption in the top left corner.
#include "slideshow/frmshow.h"

#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <random>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/DoEvents.h"
#include "kit/Extras.h"
#include "kit/Forms.h"
#include "kit/Helpers.h"
#include "kit/ImageControl.h"
#include "kit/MouseCodes.h"
#include "kit/PictureFit.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/Twips.h"
#include "kit/WindowGeometry.h"
#include "platform/FileSystem.h"

namespace {
// A stored text that is no 16-bit number counts as the key's default.
qint16 option(const Schema::Key& key) {
    return ToInt16(ReadSetting(key)).value_or(qint16(Schema::Default(key).toInt()));
}
}  // namespace

double Rnd() {
    static std::mt19937 generator;  // default seed: the same draws every run
    return double(generator() >> 5) / double(1u << 27);
}

frmshow::frmshow() {
    setObjectName("frmshow");
    setWindowTitle("Slideshow");
    setAccessibleName("Slideshow");
    slides_ = new PictureRequests(this);
    connect(slides_, &PictureRequests::Ready, this,
            [this](const PictureAnswer& a) { slideArrived(a); });
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);

    Image1 = new ImageControl(this);
    Image1->setObjectName("Image1");
    Image1->setAccessibleName("Picture");
    Image1->hide();
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label1->move(PxX(120), PxY(120));
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(Image1, &ImageControl::MouseUp, this, [this] { Image1_Click(); });
}

frmshow::~frmshow() = default;

void frmshow::setoptions() {
    Delay = option(Keys::Delay);
    Looping = option(Keys::Looping);
    ShowFilename = option(Keys::ShowFilename);
    ShowDetails = option(Keys::ShowDetails);
    Sequence = option(Keys::Sequence);
    AlwaysOnTop = option(Keys::AlwaysOnTop);
    Timer1->setInterval(qint32(Delay) * 1000);
    keysOn_ = Extras::On(Keys::SlideshowKeys);
}

void frmshow::SetOnTop() {
    if (AlwaysOnTop == 1) setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void frmshow::Form_Load() {
    ++loading_;
    setoptions();
    setWindowFlag(Qt::FramelessWindowHint, true);
    SetOnTop();
    if (frmMain::Exists()) {
        const FileListView* list = frmMain::Instance()->ListView1;
        const FileListModel* model = list->Model();
        std::vector<int> rows = list->SelectedRows();
        // Nothing selected plays every item.
        if (rows.empty())
            for (int row = 0; row < model->Count(); ++row) rows.push_back(row);
        // The playlist's index is a 16-bit number.
        if (rows.size() > 32767) rows.resize(32767);
        for (int row : rows) {
            List1.entries.append(model->Item(row).Key());
            List1.raw.append(model->Item(row).RawKey());
        }
    }
    const ScreenMetrics& s = Platform::screen();
    setGeometry(PxRect(0, 0, s.ScreenWidth(), s.ScreenHeight()));
    show();
    DoEvents();
    const int n = List1.ListCount();
    if (!unloaded_ && n > 0) {
        if (Sequence == 0) {
            SetListIndex(0);
            DoEvents();
            doforward();
        } else if (Sequence == 1) {
            SetListIndex(n - 1);
            DoEvents();
            doreverse();
        } else if (Sequence == 2) {
            const int r = int(Rnd() * n);
            DoEvents();
            dorandom();
            SetListIndex(r);
        }
    }
    if (!unloaded_) {
        captionWhenShown();
        Timer1->start();
    }
    if (--loading_ == 0 && deleteWhenLoaded_) deleteLater();
}

void frmshow::SetListIndex(int index) {
    if (index < 0 || index >= List1.ListCount()) return;
    List1.ListIndex = qint16(index);
    List1_Click();
}

void frmshow::List1_Click() {
    const QByteArray& path = List1.raw.value(List1.ListIndex);
    // An empty name (the parent entry) is an empty picture; a file that
    // cannot be read leaves the last picture, shown again.
    if (path.isEmpty()) {
        slides_->Cancel();
        Picture1.Clear();
        CenterImage(Picture1);
        return;
    }
    slides_->Request(path, slideSizing());
}

PictureSizing frmshow::slideSizing() const {
    return PictureSizing::ForArea(FrameWidth(this), FrameHeight(this), devicePixelRatioF());
}

void frmshow::slideArrived(const PictureAnswer& answer) {
    if (answer.picture) Picture1.Take(answer.path, Picture(*answer.picture));
    CenterImage(Picture1);
    if (captionDue_) {
        captionDue_ = false;
        BuildCaption();
    }
    const int next = nextIndex();
    if (next >= 0 && !List1.raw.value(next).isEmpty())
        slides_->Preload(List1.raw.value(next), slideSizing());
}

int frmshow::nextIndex() const {
    const int n = List1.ListCount(), i = List1.ListIndex;
    if (Sequence == 0) return i < n - 1 ? i + 1 : (Looping == 1 ? 0 : -1);
    if (Sequence == 1) return i > 0 ? i - 1 : (Looping == 1 ? n - 1 : -1);
    return -1;  // a random order draws its next entry when it is due
}

void frmshow::captionWhenShown() {
    if (slides_->Pending())
        captionDue_ = true;
    else
        BuildCaption();
}

void frmshow::CenterImage(const PictureHolder& pic) {
    Image1->hide();
    if (!pic.HasPicture()) return;
    const float A = FrameWidth(this), B = FrameHeight(this);
    const FitLayout at = FitPicture(pic.Width(), pic.Height(), A, B);
    Image1->Move(at.x - 30, at.y - 30, at.w, at.h);
    Image1->SetPicture(pic.image);
    Image1->show();
    Label1->raise();
}

void frmshow::doforward() {
    const int n = List1.ListCount(), i = List1.ListIndex;
    if (i == n - 1) {
        if (Looping == 1)
            SetListIndex(0);
        else
            finished = true;
    } else {
        SetListIndex(i + 1);
    }
}

void frmshow::doreverse() {
    const int n = List1.ListCount(), i = List1.ListIndex;
    if (i == 0) {
        if (Looping == 1)
            SetListIndex(n - 1);
        else
            finished = true;
    } else {
        SetListIndex(i - 1);
    }
}

void frmshow::dorandom() {
    SetListIndex(int(Rnd() * List1.ListCount()));
}

void frmshow::Timer1_Timer() {
    if (finished) {
        Timer1->stop();
        close();
        return;
    }
    if (Sequence == 0)
        doforward();
    else if (Sequence == 1)
        doreverse();
    else if (Sequence == 2)
        dorandom();
    captionWhenShown();
}

void frmshow::BuildCaption() {
    const QString entry = List1.entries.value(List1.ListIndex);
    QString caption = Label1->text();
    if (ShowFilename == 1)
        caption = "Filename: " + entry;
    else if (ShowDetails == 1)
        caption.clear();
    if (ShowDetails == 1) {
        const QByteArray path = List1.raw.value(List1.ListIndex);
        const FileSystem& fs = Platform::files();
        const auto size = fs.FileLen(path);
        const auto when = fs.FileDateTime(path);
        caption += "\r\nDimensions: " + PixelText(Picture1.Width(), Picture1.Height()) + " pixels" +
                   "\r\nFilesize: " + QString::number(size.value_or(0) / 1024) + "KB" +
                   "\r\nDate Modified: " + (when ? FormatGeneralDate(*when) : QString());
    }
    Label1->setText(caption);
    Label1->adjustSize();
}

void frmshow::Form_KeyUp(int KeyCode, int) {
    if (KeyCode == 27) close();
}

bool frmshow::KeyPressed(int key, bool autoRepeat) {
    if (!keysOn_ || unloaded_) return false;
    if (key == Qt::Key_Space) {
        if (autoRepeat) return true;
        paused_ = !paused_;
        // Resumed, the slide on show gets a whole interval.
        if (paused_)
            Timer1->stop();
        else
            Timer1->start();
        return true;
    }
    if (key != Qt::Key_Left && key != Qt::Key_Right) return false;
    // A step back from the end of a single pass is no longer the end; a
    // step on from it ends the show at the next tick, as the timer would.
    finished = false;
    if (key == Qt::Key_Right)
        doforward();
    else
        doreverse();
    captionWhenShown();
    if (!paused_) Timer1->start();
    return true;
}

void frmshow::Form_MouseUp(int, int, float, float) {
    close();
}

void frmshow::Image1_Click() {
    close();
}

void frmshow::Form_Unload() {
    Timer1->stop();
    Forms::Release<frmshow>();
}

bool frmshow::event(QEvent* e) {
    // Closed while Form_Load yields: freed once Form_Load has returned.
    if (e->type() == QEvent::DeferredDelete && loading_ > 0) {
        deleteWhenLoaded_ = true;
        return true;
    }
    return QWidget::event(e);
}

void frmshow::closeEvent(QCloseEvent* e) {
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    e->accept();
}

void frmshow::keyPressEvent(QKeyEvent* e) {
    const bool plain = (e->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) == 0;
    if (!plain || !KeyPressed(e->key(), e->isAutoRepeat())) QWidget::keyPressEvent(e);
}

void frmshow::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape)
        Form_KeyUp(27, 0);
    else
        QWidget::keyReleaseEvent(e);
}

void frmshow::mouseReleaseEvent(QMouseEvent* e) {
    Form_MouseUp(ButtonCode(e->button()), ShiftCode(e->modifiers()), TwX(int(e->position().x())),
                 TwY(int(e->position().y())));
}
