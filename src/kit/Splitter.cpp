#include "kit/Splitter.h"

#include <QEvent>

#include "kit/Twips.h"

Splitter::Splitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    setChildrenCollapsible(false);
    setHandleWidth(3);
    setOpaqueResize(true);
    // Only a drag of the bar moves the split; layouts and resizes keep it.
    connect(this, &QSplitter::splitterMoved, this, [this](int pos, int) { split_ = toTwips(pos); });
}

float Splitter::toTwips(int px) const {
    return Orientation() ? TwY(px) : TwX(px);
}

int Splitter::toPixels(float twips) const {
    return Orientation() ? PxY(twips) : PxX(twips);
}

void Splitter::SetOrientation(bool below) {
    const Qt::Orientation o = below ? Qt::Vertical : Qt::Horizontal;
    if (orientation() == o) return;
    setOrientation(o);
    SetMinPaneSize(minPane_);
}

void Splitter::SetSplitPosition(float twips) {
    split_ = twips;
    applySplit();
}

void Splitter::applySplit() {
    if (count() < 2) return;
    const int total = (Orientation() ? height() : width()) - handleWidth();
    // Without room yet the position waits for the first real size.
    if (total <= 0) return;
    const int first = qBound(0, toPixels(split_), total);
    // The splitter itself keeps both panes at their minimum sizes.
    setSizes({first, total - first});
}

void Splitter::resizeEvent(QResizeEvent* e) {
    QSplitter::resizeEvent(e);
    applySplit();
}

bool Splitter::eventFilter(QObject* watched, QEvent* e) {
    // A pane shown again after being hidden (the preview is, while the main
    // window lays out its bars) gets its room back at once, not at the
    // next turn of the event loop.
    if (e->type() == QEvent::ShowToParent && (watched == widget(0) || watched == widget(1)))
        applySplit();
    return QSplitter::eventFilter(watched, e);
}

void Splitter::SetMinPaneSize(float twips) {
    minPane_ = twips;
    for (int i = 0; i < count(); ++i) {
        QWidget* w = widget(i);
        if (Orientation()) {
            w->setMinimumSize(0, PxY(twips));
        } else {
            w->setMinimumSize(PxX(twips), 0);
        }
    }
    applySplit();
}

void Splitter::SetPanes(QWidget* first, QWidget* second) {
    addWidget(first);
    addWidget(second);
    first->installEventFilter(this);
    second->installEventFilter(this);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    SetMinPaneSize(minPane_);
}
