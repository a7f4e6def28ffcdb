#include "tools/frmWebView.h"

#include <QCloseEvent>
#include <QPainter>

#include "browser/frmMain.h"
#include "kit/DoEvents.h"
#include "kit/Forms.h"
#include "kit/Twips.h"

std::vector<TileCopy> TileCopies(QSize pictureSize, QSize screenSize) {
    std::vector<TileCopy> copies;
    const int w = pictureSize.width(), h = pictureSize.height() - 1;
    if (w <= 0) return copies;
    for (int x = 0; x <= screenSize.width(); x += w) copies.push_back({QRect(0, 0, w, h), {x, 0}});
    // A tile without height would never move on.
    if (h > 0)
        for (int y = h; y <= screenSize.height(); y += h)
            copies.push_back({QRect(0, 0, screenSize.width(), h), {0, y}});
    return copies;
}

void TilePicture(WorkPicture& box, WorkPicture*, frmWebView& form) {
    if (box.Picture.isNull()) return;
    const QSize screen = ScreenPixels();
    // The box grows to the screen's size and keeps its picture at the top left.
    box.surface = QImage(screen, QImage::Format_RGB32);
    box.surface.fill(form.palette().color(QPalette::Window));
    {
        QPainter p(&box.surface);
        p.drawImage(0, 0, box.Picture);
    }
    const QSize picture = box.size.isValid() ? box.size : box.Picture.size();
    for (const TileCopy& c : TileCopies(picture, screen)) {
        // Read before write: the source band is never a copy's target.
        const QImage part = box.surface.copy(c.from);
        QPainter p(&box.surface);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(c.to, part);
    }
    form.SetBackground(box.surface);
    box = WorkPicture();
}

frmWebView::frmWebView() {
    setObjectName("frmWebView");
    setWindowTitle("Web Pattern Viewer");
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void frmWebView::Form_Load() {
    const ScreenMetrics& s = Platform::screen();
    resize(PxX(s.ScreenWidth() / 1.5f), PxY(s.ScreenHeight() / 1.5f));
    hide();
    DoEvents();
    if (frmMain::Exists()) KeepAbove(*this, frmMain::Instance());
    show();
}

void frmWebView::SetBackground(const QImage& picture) {
    Background = picture;
    update();
}

void frmWebView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (!Background.isNull()) p.drawImage(0, 0, Background);
}

void frmWebView::Form_Unload() {
    Forms::Release<frmWebView>();
}

void frmWebView::closeEvent(QCloseEvent* e) {
    Form_Unload();
    e->accept();
}
