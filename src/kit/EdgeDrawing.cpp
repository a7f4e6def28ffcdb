#include "kit/EdgeDrawing.h"
#include "kit/Twips.h"

#include <QPainter>
#include <cmath>

#include "kit/PictureBox.h"
#include "kit/Toolbar.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"

namespace {
constexpr unsigned EDGE_ETCHED = 6;  // sunken outer, raised inner
constexpr unsigned BF_RECT = 15;

// The etched edge: an outer line in shadow on top/left and highlight on
// bottom/right, then an inner line the other way round.
void DrawEdge(QImage& surface, const QRect& r, unsigned edge, unsigned flags) {
    if (edge != EDGE_ETCHED || flags != BF_RECT || r.width() < 2 || r.height() < 2) return;
    const QPalette pal;
    const QColor shadow = pal.color(QPalette::Dark), light = pal.color(QPalette::Light);
    QPainter p(&surface);
    const int l = r.left(), t = r.top(), rr = r.right(), b = r.bottom();  // inclusive
    p.setPen(shadow);
    p.drawLine(l, t, rr - 1, t);
    p.drawLine(l, t, l, b - 1);
    p.drawLine(l + 1, b - 1, rr - 1, b - 1);
    p.drawLine(rr - 1, t + 1, rr - 1, b - 1);
    p.setPen(light);
    p.drawLine(l + 1, t + 1, rr - 2, t + 1);
    p.drawLine(l + 1, t + 1, l + 1, b - 2);
    p.drawLine(l, b, rr, b);
    p.drawLine(rr, t, rr, b);
}
}  // namespace

void DrawEtchedEdge(PictureBox* box) {
    if (!box) return;
    box->Cls();
    const ScreenMetrics& s = Platform::screen();
    const int right = int(IntDiv(box->Width(), s.TwipsPerPixelX()));
    const int bottom = int(IntDiv(box->Height(), s.TwipsPerPixelY()));
    DrawEdge(box->Canvas(), QRect(QPoint(0, 0), QPoint(right - 1, bottom - 1)), EDGE_ETCHED,
             BF_RECT);
    box->Refresh();
}

void MakeToolbarFlat(Toolbar* toolbar) {
    if (!toolbar) return;
    ToolbarWindow32* w = toolbar->findChild<ToolbarWindow32*>("ToolbarWindow32");
    if (!w) return;
    quint32 style = quint32(w->SendMessage(TB_GETSTYLE, 0, 0));
    if (style & TBSTYLE_FLAT) {
        style &= ~TBSTYLE_FLAT;
    } else {
        style |= TBSTYLE_FLAT;
    }
    w->SendMessage(TB_SETSTYLE, 0, qintptr(style));
    toolbar->Refresh();
}
