#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// A picture box: a surface with a persistent drawing layer (what is drawn on
// it stays until cleared) that child controls sit on.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Clears the drawing layer.
    void Cls();
    // The drawing layer, the size of the box in pixels.
    QImage& Canvas() { return canvas_; }
    void Refresh();
    // Size in twips.
    float Width() const;
    float Height() const;

signals:
    // After the box changed size (its drawing layer was kept, not redrawn).
    void Resized();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    QImage canvas_;
};
