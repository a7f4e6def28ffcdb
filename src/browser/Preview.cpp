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
#include "kit/ScreenPictures.h"
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
    if (!LoadForArea(next, path, picdest->Width(), picdest->Height(),
                     picdest->devicePixelRatioF())) {
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

    CountView();
    StatusBar1->Panels(5).SetText(pixelText(picsrc) + " pixels");

    ShowFitted(*Image1, Line1, picsrc, picdest->Width(), picdest->Height());

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
    FrameLines(Line1, *Image1);
}

void frmMain::picdest_Resize() {
    DrawEtchedEdge(picdest);
    if (picsrc.HasPicture()) CenterImage();
}

void frmMain::Image1_MouseUp(int Button, int, float, float) {
    if (Button == 2) mnuedita().menu->popup(QCursor::pos());
}
