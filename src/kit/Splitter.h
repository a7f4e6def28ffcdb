#pragma once

#include <QSplitter>

// A two-pane splitter whose settings are in twips. Orientation false lays
// the panes side by side, true puts the second pane below the first.
//
// The split position is a setting of its own, like the bar of the old
// control: the first pane keeps it through every resize and turn of the
// splitter, squeezed only while the room is too small for it, and only the
// user dragging the bar changes it.
class Splitter : public QSplitter {
    Q_OBJECT
public:
    explicit Splitter(QWidget* parent = nullptr);

    bool Orientation() const { return orientation() == Qt::Vertical; }
    void SetOrientation(bool below);
    // Distance of the bar from the left (or top), in twips: as set, or as
    // the user left it.
    float SplitPosition() const { return split_; }
    void SetSplitPosition(float twips);
    void SetMinPaneSize(float twips);
    void SetPanes(QWidget* first, QWidget* second);

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Gives the first pane the split position, or what the room allows.
    void applySplit();
    float toTwips(int px) const;
    int toPixels(float twips) const;

    float minPane_ = 0;
    float split_ = 0;
};
