// What the viewer adds to its menus and toolbar: keys, the mouse wheel,
// dragging the picture, fitting it to the window and full screen.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "browser/frmMain.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "kit/Twips.h"
#include "viewer/ScrollBar.h"
#include "viewer/ZoomSurface.h"
#include "viewer/frmScroll.h"

namespace {
// One notch of a mouse wheel, in eighths of a degree.
constexpr int kNotch = 120;
}  // namespace

void frmScroll::FitInWindow() {
    if (!InnerPict->HasPicture() || Picture1.Width() <= 0 || Picture1.Height() <= 0) return;
    fitted_ = true;
    fitToWindow();
}

void frmScroll::fitToWindow() {
    // The room sizeit gives the viewport when no bar is needed.
    const float tb = TwY(Toolbar1->height()), sb = TwY(StatusBar1->height());
    const float roomW = ScaleWidth() - 60 - (OuterPict->Width() - OuterPict->ScaleWidth());
    const float roomH =
        ScaleHeight() - (tb + sb + 60) - (OuterPict->Height() - OuterPict->ScaleHeight());
    const double pw = Picture1.Width(), ph = Picture1.Height();
    if (roomW <= 0 || roomH <= 0 || pw <= 0 || ph <= 0) return;
    fitFactor_ = std::min(roomW / pw, roomH / ph);
    // Whole twips at most the room, so no bar appears.
    const float w = std::min(roomW, std::floor(float(pw * fitFactor_)));
    const float h = std::min(roomH, std::floor(float(ph * fitFactor_)));
    InnerPict->Move(0, 0, w, h);
    InnerPict->SetPicture(onSurface());
    sizeit();
    // Zoom In and Out lead to the nearest step each way, while there is one.
    const bool in = StepBeyond(fitFactor_, true) >= 0, out = StepBeyond(fitFactor_, false) >= 0;
    Toolbar1->SetButtonEnabled(11, in);
    mnuviewa()(3)->setEnabled(in);
    Toolbar1->SetButtonEnabled(12, out);
    mnuviewa()(4)->setEnabled(out);
}

void frmScroll::ToggleFullScreen() {
    if (isFullScreen()) {
        if (wasMaximized_)
            showMaximized();
        else
            showNormal();
    } else {
        wasMaximized_ = isMaximized();
        showFullScreen();
    }
}

void frmScroll::runEnabled(int index) {
    if (mnuviewa()(index)->isEnabled()) mnuviewa_Click(index);
}

bool frmScroll::KeyPressed(int key, Qt::KeyboardModifiers modifiers) {
    // Shift is how some keyboards type '+'; Ctrl and Alt keys are left to
    // the menus.
    if ((modifiers & ~(Qt::ShiftModifier | Qt::KeypadModifier)) != 0) return false;
    if (key == Qt::Key_F11 && fitOn_) {
        ToggleFullScreen();
        return true;
    }
    if (!keysOn_) return false;
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_PageUp:
        case Qt::Key_Backspace:
            runEnabled(0);
            return true;
        case Qt::Key_Right:
        case Qt::Key_PageDown:
        case Qt::Key_Space:
            runEnabled(1);
            return true;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            runEnabled(3);
            return true;
        case Qt::Key_Minus:
            runEnabled(4);
            return true;
        case Qt::Key_0:
            runEnabled(5);
            return true;
        case Qt::Key_Home:
        case Qt::Key_End:
            // Home is a Previous and End a Next that go all the way.
            if (!mnuviewa()(key == Qt::Key_Home ? 0 : 1)->isEnabled()) return true;
            showEnd(key == Qt::Key_Home);
            frmMain::Instance()->ShowImage();
            return true;
        case Qt::Key_Escape:
            // Full screen is left first, as everywhere else.
            if (isFullScreen())
                ToggleFullScreen();
            else
                close();
            return true;
        default:
            return false;
    }
}

void frmScroll::keyPressEvent(QKeyEvent* e) {
    if (!KeyPressed(e->key(), e->modifiers())) Form::keyPressEvent(e);
}

void frmScroll::nudge(ScrollBar* bar, double by) {
    if (bar->isHidden()) return;
    const int lo = std::min(bar->Min(), bar->Max()), hi = std::max(bar->Min(), bar->Max());
    bar->SetValue(qint16(std::clamp(int(std::lround(bar->Value() + by)), lo, hi)));
}

void frmScroll::WheelTurned(QPoint angleDelta, Qt::KeyboardModifiers modifiers) {
    // A wheel that turns sideways, a touchpad, moves the other way.
    const int turn = angleDelta.y() != 0 ? angleDelta.y() : angleDelta.x();
    if (modifiers & Qt::ControlModifier) {
        // A step a notch; a touchpad's small turns add up to one.
        wheelZoom_ += turn;
        while (std::abs(wheelZoom_) >= kNotch) {
            const bool in = wheelZoom_ > 0;
            wheelZoom_ -= in ? kNotch : -kNotch;
            runEnabled(in ? 3 : 4);
        }
        return;
    }
    // A notch moves the picture one small step of its bar; turning the
    // wheel towards the user brings the lower part into view.
    const bool sideways = (modifiers & Qt::ShiftModifier) || angleDelta.y() == 0;
    ScrollBar* bar = sideways ? HBar : VBar;
    nudge(bar, double(turn) / kNotch * bar->SmallChange());
}

void frmScroll::pictureMouse(QEvent* e) {
    const auto type = e->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return;
    const auto* m = static_cast<QMouseEvent*>(e);
    const QPoint at = m->globalPosition().toPoint();
    if (type == QEvent::MouseButtonPress && m->button() == Qt::LeftButton) {
        dragFrom_ = at;
        dragH_ = HBar->Value();
        dragV_ = VBar->Value();
        return;
    }
    if (type == QEvent::MouseMove && dragFrom_ && (m->buttons() & Qt::LeftButton)) {
        // The picture follows the mouse: its left and top are the bars' values.
        nudge(HBar, dragH_ + TwX(at.x() - dragFrom_->x()) - HBar->Value());
        nudge(VBar, dragV_ + TwY(at.y() - dragFrom_->y()) - VBar->Value());
        return;
    }
    if (type != QEvent::MouseMove || !(m->buttons() & Qt::LeftButton)) dragFrom_.reset();
}
