#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// An image control: shows its picture stretched to its own size.
class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    // Places the control; the position and size are kept in twips as given.
    void Move(float left, float top, float width, float height);
    float Left = 0, Top = 0, Width = 0, Height = 0;

signals:
    void MouseUp(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QImage picture_;
    QImage scaled_;  // the picture at the control's size, made once per size
};

// A straight line control inside a container, placed by its end points in
// twips and drawn one pixel wide.
class LineControl : public QWidget {
    Q_OBJECT
public:
    explicit LineControl(QWidget* parent = nullptr);
    void SetPoints(float x1, float y1, float x2, float y2);
    void SetColor(const QColor& color);
    float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor color_;
};
