#include "kit/Form.h"

#include <QCloseEvent>

#include "kit/OuterSize.h"
#include "kit/Twips.h"
#include "kit/WindowGeometry.h"

Form::Form(QWidget* parent)
    : QMainWindow(parent), client_(new QWidget(this)), outerSize_(new OuterSize(this)) {
    setCentralWidget(client_);
    client_->installEventFilter(this);
}

Form::~Form() = default;

void Form::Form_QueryUnload(qint16&, qint16) {}
void Form::Form_Unload(qint16&) {}

void Form::closeEvent(QCloseEvent* e) {
    if (unloading_) {
        e->accept();
        return;
    }
    qint16 cancel = 0;
    Form_QueryUnload(cancel, 0);
    if (cancel) {
        e->ignore();
        return;
    }
    unloading_ = true;
    Form_Unload(cancel);
    e->accept();
}

float Form::Left() const {
    return FrameLeft(this);
}
float Form::Top() const {
    return FrameTop(this);
}
float Form::Width() const {
    return FrameWidth(this);
}
float Form::Height() const {
    return FrameHeight(this);
}

void Form::SetLeft(float twips) {
    move(PxX(twips), frameGeometry().y());
}
void Form::SetTop(float twips) {
    move(frameGeometry().x(), PxY(twips));
}
void Form::SetWidth(float twips) {
    outerSize_->SetWidth(PxX(twips));
}
void Form::SetHeight(float twips) {
    outerSize_->SetHeight(PxY(twips));
}

int Form::WindowState() const {
    return WindowStateCode(this);
}

void Form::SetWindowState(int state) {
    switch (state) {
        case 0:
            setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
            break;
        case 1:
            setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
            break;
        case 2:
            setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
            break;
        default:
            break;
    }
}

float Form::ScaleWidth() const {
    return TwX(client_->width());
}
float Form::ScaleHeight() const {
    return TwY(client_->height());
}
