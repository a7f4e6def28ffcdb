#pragma once

// Screen geometry in twips (1/1440 inch), the unit all window layout code
// works in. Pixels appear only where a widget is actually placed.
class ScreenMetrics {
public:
    virtual ~ScreenMetrics() = default;
    virtual float TwipsPerPixelX() const = 0;
    virtual float TwipsPerPixelY() const = 0;
    // Size of the primary screen, in twips.
    virtual float ScreenWidth() const = 0;
    virtual float ScreenHeight() const = 0;

    int ToPixelsX(float twips) const;
    int ToPixelsY(float twips) const;
    float ToTwipsX(int pixels) const { return pixels * TwipsPerPixelX(); }
    float ToTwipsY(int pixels) const { return pixels * TwipsPerPixelY(); }
};

// The primary screen as Qt reports it: 1440 / logical dpi twips per pixel.
class QtScreenMetrics : public ScreenMetrics {
public:
    float TwipsPerPixelX() const override;
    float TwipsPerPixelY() const override;
    float ScreenWidth() const override;
    float ScreenHeight() const override;
};

// A screen of fixed size, for tests.
class FixedScreenMetrics : public ScreenMetrics {
public:
    FixedScreenMetrics(int widthPx = 1024, int heightPx = 768, float twipsPerPixel = 15.0f)
        : w_(widthPx), h_(heightPx), tpp_(twipsPerPixel) {}
    float TwipsPerPixelX() const override { return tpp_; }
    float TwipsPerPixelY() const override { return tpp_; }
    float ScreenWidth() const override { return w_ * tpp_; }
    float ScreenHeight() const override { return h_ * tpp_; }

private:
    int w_, h_;
    float tpp_;
};
