#pragma once

#include <QSplitter>

// A two-pane splitter whose settings are in twips. Orientation false lays
// the panes side by side, true puts the second pane below the first.
class Splitter : public QSplitter {
    Q_OBJECT
public:
    explicit Splitter(QWidget* parent = nullptr);

    bool Orientation() const { return orientation() == Qt::Vertical; }
    void SetOrientation(bool below);
    // Distance of the bar from the left (or top), in twips.
    float SplitPosition() const;
    void SetSplitPosition(float twips);
    void SetMinPaneSize(float twips);
    void SetPanes(QWidget* first, QWidget* second);

private:
    float minPane_ = 0;
};
