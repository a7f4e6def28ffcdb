#pragma once

#include <QImage>
#include <QWidget>

// The zoomed picture surface inside the viewport. It is as large as the
// picture at its zoom (a 6000 x 4000 photo at three times is 18000 x 12000
// pixels) but never holds a bitmap that large: it keeps the unzoomed picture
// and paints only the part of it that is exposed, stretched over the whole
// surface and clipped, straight into the window's backing store. So a zoom
// step scales exactly the visible area once, the same work as one stretched
// drawImage of the picture clipped to the viewport. The surface is opaque,
// so moving it to scroll shifts the pixels already in the backing store and
// paints only the strip that comes into view; what was drawn is never
// scaled again. That backing store is the surface's persistent bitmap: a
// bitmap of the whole zoomed picture would take 864 MB for the photo above.
class ZoomSurface : public QWidget {
    Q_OBJECT
public:
    explicit ZoomSurface(QWidget* parent = nullptr);

    // The unzoomed picture, stretched over the surface at whatever size it has.
    void SetPicture(const QImage& source);
    const QImage& Picture() const { return source_; }
    bool HasPicture() const { return !source_.isNull(); }

    // Placement in its container, in twips; the values are kept as given.
    void Move(float left, float top, float width, float height);
    void SetLeft(float left);
    void SetTop(float top);
    float Left = 0, Top = 0, Width = 0, Height = 0;

    // Device pixels scaled since the picture or the size last changed.
    qint64 ScaledPixels() const { return scaledPixels_; }

signals:
    void MouseUp(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QImage source_;
    qint64 scaledPixels_ = 0;
};

// The viewport: a borderless box that clips the surface inside it.
class Viewport : public QWidget {
    Q_OBJECT
public:
    explicit Viewport(QWidget* parent = nullptr);
    // Outer and inner size in twips; without a border they are the same.
    float Width() const;
    float Height() const;
    float ScaleWidth() const { return Width(); }
    float ScaleHeight() const { return Height(); }

signals:
    void MouseUp(int button, int shift, float x, float y);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};
