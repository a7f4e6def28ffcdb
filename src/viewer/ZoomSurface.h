#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>

// The zoomed picture surface inside the viewport. It is as large as the
// picture at its zoom (a 6000 x 4000 photo at three times is 18000 x 12000
// pixels), but never holds a bitmap that large: it keeps the unzoomed source
// and a bitmap of the scaled picture that is filled in as parts of it come
// into view.
//
// - A surface of at most kWholeSurfacePixels device pixels keeps one bitmap
//   of its whole size, rendered part by part the first time each part is
//   seen; once seen, scrolling over it only copies.
// - A larger one keeps a bitmap of the visible part only. Scrolling copies
//   what stays visible into the new bitmap and scales just the strip that
//   comes into view.
// Either way a zoom step scales exactly the visible area once, the same
// work as one stretched drawImage of the picture clipped to the viewport,
// and moving the surface never scales again what is already drawn.
class ZoomSurface : public QWidget {
    Q_OBJECT
public:
    explicit ZoomSurface(QWidget* parent = nullptr);

    static constexpr qint64 kWholeSurfacePixels = 16'000'000;  // 64 MB at 4 bytes

    // The unzoomed picture, stretched over the surface at whatever size it has.
    void SetPicture(const QImage& source);
    const QImage& Picture() const { return source_; }
    bool HasPicture() const { return !source_.isNull(); }

    // Placement in its container, in twips; the values are kept as given.
    void Move(float left, float top, float width, float height);
    void SetLeft(float left);
    void SetTop(float top);
    float Left = 0, Top = 0, Width = 0, Height = 0;

    // Device pixels scaled so far since the picture or the size last changed.
    qint64 ScaledPixels() const { return scaledPixels_; }

signals:
    void MouseUp(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void dropCache();
    // The part of the surface its container shows, in the surface's coordinates.
    QRect visibleRect() const;
    // Makes sure the cache holds need, rendering what it lacks.
    void render(const QRect& need);

    QImage source_;
    QImage cache_;      // device pixels of cacheRect_
    QRect cacheRect_;   // logical coordinates of the surface
    QRegion rendered_;  // what of cacheRect_ is drawn
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
