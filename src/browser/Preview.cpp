// The preview of the selected file: loaded at the size it is shown, fitted,
// centred and framed, with its facts in the list and the status bar.
#include <QGuiApplication>
#include <QMenu>
#include <QPalette>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/DoEvents.h"
#include "kit/EdgeDrawing.h"
#include "kit/Helpers.h"
#include "kit/ImageControl.h"
#include "kit/NumberFormat.h"
#include "kit/PictureBox.h"
#include "kit/Schema.h"
#include "kit/ScreenPictures.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Twips.h"
#include "platform/FileSystem.h"
#include "platform/PictureLoader.h"
#include "platform/Platform.h"

namespace {
constexpr float kMargin = 210;  // twips kept free beside a shrunk picture

// "W x H" of the picture in pixels.
QString pixelText(const PictureHolder& pic) {
    return PixelText(pic.Width(), pic.Height());
}

struct Layout {
    float x, y, w, h;
};

// The fit rule: a picture larger than the area A x B shrinks, keeping a
// 210-twip margin on the side that limits it, and is centred; a smaller one
// keeps its size.
Layout fitPicture(float w, float h, float A, float B) {
    if (w > A) {
        h = h * A / w;
        w = A - kMargin;
    }
    if (h > B) {
        w = w * B / h;
        h = B - kMargin;
    }
    return {(A - w) / 2, (B - h) / 2, w, h};
}

// How many pixels to decode for a picture shown at `shown` pixels. Later
// layouts reuse this copy and never read the file again, so it keeps some
// room to grow: a JPEG decodes at the whole DCT step that covers the shown
// size (up to twice as large); other pictures, whose readers decode whole
// anyway, are kept at twice the shown size, within the screen.
QSize decodeSize(const PictureInfo& info, QSize shown) {
    shown = shown.expandedTo(QSize(1, 1));
    if (info.type == PictureType::Jpeg)
        return PictureLoader::jpegDecodeSize(info.pixels,
                                             PictureLoader::fitWithin(info.pixels, shown));
    const ScreenMetrics& s = Platform::screen();
    const QSize screen(PxX(s.ScreenWidth()), PxY(s.ScreenHeight()));
    return PictureLoader::fitWithin(info.pixels, (shown * 2).boundedTo(screen.expandedTo(shown)));
}

// Reads path for the given preview area, decoding only what it will show on
// a screen of deviceRatio device pixels to a logical one.
bool loadInto(PictureHolder& pic, const QByteArray& path, float areaW, float areaH,
              qreal deviceRatio) {
    const PictureLoader l = ScreenPictureLoader();
    const std::optional<PictureInfo> info = l.probe(path);
    if (!info) return false;
    const Layout at =
        fitPicture(float(info->twips.width()), float(info->twips.height()), areaW, areaH);
    const QSize shown = (QSizeF(PxX(at.w), PxY(at.h)) * deviceRatio).toSize();
    std::optional<Picture> p = l.load(path, decodeSize(*info, shown), nullptr, &*info);
    if (!p) return false;
    pic.Take(path, std::move(*p));
    return true;
}

// One more image viewed: a 16-bit count that stops at its largest value and
// starts again when the stored text is no count.
void countView() {
    const std::optional<qint16> n = ToInt16(Schema::Read(Schema::BrowserOptions, "Odometer"));
    const int next = n.value_or(0) + 1;
    if (next <= 32767) WriteSetting("Browser Options", "Odometer", next);
}
}  // namespace

void frmMain::ShowImage() {
    const int row = ListView1->SelectedRow();
    if (row < 0) return;
    FileListModel* model = ListView1->Model();
    const ListItem& item = model->Item(row);
    if (item.Text == "..") {
        Image1->SetPicture(QImage());
        picsrc.Clear();
        for (LineControl* l : Line1) l->hide();
        return;
    }
    stopwatch_.Reset();
    const QByteArray& path = item.RawKey;
    // The picture named in panel 3 is not read again; names that are not
    // valid UTF-8 can read the same for different files, so theirs are told
    // apart by their bytes.
    if (StatusBar1->Panels(3).Text() == GetFileName(item.Key) &&
        (picsrc.path == path || (IsTextPath(picsrc.path) && IsTextPath(path))))
        return;

    setCursor(Qt::WaitCursor);
    PictureHolder next;
    if (!loadInto(next, path, picdest->Width(), picdest->Height(), picdest->devicePixelRatioF())) {
        unsetCursor();
        return;
    }
    picsrc = std::move(next);
    model->SetSubItem(row, 2, pixelText(picsrc));
    if (auto when = Platform::files().FileDateTime(path))
        model->SetSubItem(row, 3, FormatGeneralDate(*when));
    unsetCursor();
    CenterImage();
    picdest->repaint();
    const double seconds = stopwatch_.Elapsed() / 1000.0;
    StatusBar1->Panels(1).SetText("Image loaded in " + FormatNumber(seconds, "###.##") +
                                  " seconds");
}

void frmMain::CenterImage() {
    Image1->hide();
    for (LineControl* l : Line1) l->hide();
    DoEvents();
    if (!picsrc.HasPicture()) return;

    countView();
    StatusBar1->Panels(5).SetText(pixelText(picsrc) + " pixels");

    const Layout at =
        fitPicture(picsrc.Width(), picsrc.Height(), picdest->Width(), picdest->Height());
    Image1->Move(at.x, at.y, at.w, at.h);
    Image1->SetPicture(picsrc.image);
    DoEvents();
    Image1->show();
    Set3d();
    for (LineControl* l : Line1) l->show();

    const int row = ListView1->SelectedRow();
    if (row >= 0) {
        const ListItem& item = ListView1->Model()->Item(row);
        const QByteArray& key = item.RawKey;
        StatusBar1->Panels(3).SetText(GetFileName(item.Key));
        const FileSystem& fs = Platform::files();
        const auto size = fs.FileLen(key);
        const auto when = fs.FileDateTime(key);
        StatusBar1->Panels(4).SetText((size ? FormatFileSize(*size) : QString()) + ", " +
                                      (when ? FormatGeneralDate(*when) : QString()));
    }
    for (int i = 3; i <= 5; ++i) StatusBar1->Panels(i).SetVisible(true);
    picdest->repaint();
    DoEvents();
}

void frmMain::Set3d() {
    const float L = Image1->Left, T = Image1->Top, W = Image1->Width, H = Image1->Height;
    Line1[0]->SetPoints(L, T + H, L, T);
    Line1[1]->SetPoints(L, T, L + W, T);
    Line1[2]->SetPoints(L + W, T, L + W, T + H);
    Line1[3]->SetPoints(L, T + H, L + W + 10, T + H);
}

void frmMain::picdest_Resize() {
    DrawEtchedEdge(picdest);
    if (picsrc.HasPicture()) CenterImage();
}

void frmMain::Image1_MouseUp(int Button, int, float, float) {
    if (Button == 2) mnuedita().menu->popup(QCursor::pos());
}
