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
#include "kit/PictureFit.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Twips.h"
#include "platform/FileSystem.h"
#include "platform/PictureLoader.h"
#include "platform/Platform.h"

namespace {
// "W x H" of the picture in pixels.
QString pixelText(const PictureHolder& pic) {
    return PixelText(pic.Width(), pic.Height());
}

}  // namespace

void frmMain::ShowImage() {
    const int row = ListView1->SelectedRow();
    if (row < 0) return;
    const ListItem& item = ListView1->Model()->Item(row);
    if (item.Text() == "..") {
        previews_->Cancel();
        unsetCursor();
        Image1->SetPicture(QImage());
        picsrc.Clear();
        for (LineControl* l : Line1) l->hide();
        return;
    }
    const QByteArray& path = item.RawKey();
    // The picture on its way is not asked for again, nor a file of the name
    // the status bar shows; names that are not valid UTF-8 can read the same
    // for different files, so theirs are told apart by their bytes.
    if (previews_->PendingPath() == path) return;
    if (shownName_ == GetFileName(item.Key()) &&
        (picsrc.path == path || (IsTextPath(picsrc.path) && IsTextPath(path))))
        return;

    stopwatch_.Reset();
    refits_->Cancel();
    setCursor(Qt::BusyCursor);
    PictureSizing sizing =
        PictureSizing::ForArea(picdest->Width(), picdest->Height(), picdest->devicePixelRatioF());
    // Hidden behind the viewer or the slideshow, the picture they decode
    // serves; a copy at the preview's size is made when this window shows.
    sizing.anyCovering = !isVisible();
    previews_->Request(path, sizing);
}

void frmMain::previewArrived(const PictureAnswer& answer) {
    unsetCursor();
    // A file that cannot be read leaves the preview as it was.
    if (!answer.picture) return;
    picsrc.Take(answer.path, Picture(*answer.picture));
    FileListModel* model = ListView1->Model();
    const int row = ListView1->SelectedRow();
    if (row >= 0 && model->Item(row).RawKey() == answer.path) {
        model->SetSubItem(row, 2, pixelText(picsrc));
        if (auto when = Platform::files().FileDateTime(answer.path))
            model->SetSubItem(row, 3, FormatGeneralDate(*when));
    }
    CenterImage();
    picdest->repaint();
    const double seconds = stopwatch_.Elapsed() / 1000.0;
    StatusBar1->Panels(1).SetText("Image loaded in " + FormatNumber(seconds, "###.##") +
                                  " seconds");
}

void frmMain::refitPreview() {
    if (!picsrc.HasPicture() || previews_->Pending()) return;
    const PictureSizing sizing =
        PictureSizing::ForArea(picdest->Width(), picdest->Height(), picdest->devicePixelRatioF());
    const PictureInfo info{PictureType::Unknown, picsrc.pixels, picsrc.twips};
    const QSize wanted = sizing.DecodeSize(info);
    if (picsrc.image.width() > wanted.width() || picsrc.image.height() > wanted.height())
        refits_->Request(picsrc.path, sizing);
}

void frmMain::showEvent(QShowEvent* e) {
    Form::showEvent(e);
    refitPreview();
}

void frmMain::CenterImage() {
    Image1->hide();
    for (LineControl* l : Line1) l->hide();
    DoEvents();
    if (!picsrc.HasPicture()) return;

    CountView();
    StatusBar1->Panels(5).SetText(pixelText(picsrc) + " pixels");

    ShowFitted(*Image1, Line1, picsrc, picdest->Width(), picdest->Height());

    const int row = ListView1->SelectedRow();
    if (row >= 0) {
        const ListItem& item = ListView1->Model()->Item(row);
        const QByteArray& key = item.RawKey();
        shownName_ = GetFileName(item.Key());
        StatusBar1->Panels(3).SetText(shownName_);
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
    FrameLines(Line1, *Image1);
}

void frmMain::picdest_Resize() {
    DrawEtchedEdge(picdest);
    if (picsrc.HasPicture()) CenterImage();
}

void frmMain::Image1_MouseUp(int Button, int, float, float) {
    if (Button == 2) mnuedita().menu->popup(QCursor::pos());
}
