#include "kit/Splitter.h"

#include "kit/Twips.h"

Splitter::Splitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {
    setChildrenCollapsible(false);
    setHandleWidth(3);
    setOpaqueResize(true);
}

void Splitter::SetOrientation(bool below) {
    const Qt::Orientation o = below ? Qt::Vertical : Qt::Horizontal;
    if (orientation() == o) return;
    setOrientation(o);
    SetMinPaneSize(minPane_);
    // Both panes get half the room when the split turns.
    const int total = (below ? height() : width()) - handleWidth();
    if (total > 0) setSizes({total / 2, total - total / 2});
}

float Splitter::SplitPosition() const {
    if (count() < 1) return 0;
    const int px = sizes().value(0);
    return Orientation() ? TwY(px) : TwX(px);
}

void Splitter::SetSplitPosition(float twips) {
    if (count() < 2) return;
    const int px = Orientation() ? PxY(twips) : PxX(twips);
    const int total = (Orientation() ? height() : width()) - handleWidth();
    setSizes({px, qMax(0, total > 0 ? total - px : 1000)});
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
}

void Splitter::SetPanes(QWidget* first, QWidget* second) {
    addWidget(first);
    addWidget(second);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    SetMinPaneSize(minPane_);
}
