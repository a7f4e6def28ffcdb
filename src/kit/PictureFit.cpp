#include "kit/PictureFit.h"

#include "kit/DoEvents.h"
#include "kit/ImageControl.h"
#include "kit/Schema.h"
#include "kit/ScreenPictures.h"
#include "kit/Settings.h"
#include "kit/Twips.h"

namespace {
constexpr float kMargin = 210;

// How many pixels to decode for a picture shown at `shown` pixels: a JPEG at
// the whole DCT step that covers it, other pictures at twice the shown size
// within the screen, so a later resize can reuse the copy.
QSize decodeSize(const PictureInfo& info, QSize shown) {
    shown = shown.expandedTo(QSize(1, 1));
    if (info.type == PictureType::Jpeg)
        return PictureLoader::JpegDecodeSize(info.pixels,
                                             PictureLoader::FitWithin(info.pixels, shown));
    const ScreenMetrics& s = Platform::screen();
    const QSize screen(PxX(s.ScreenWidth()), PxY(s.ScreenHeight()));
    return PictureLoader::FitWithin(info.pixels, (shown * 2).boundedTo(screen.expandedTo(shown)));
}
}  // namespace

FitLayout FitPicture(float w, float h, float A, float B) {
    if (w > A) {
        h = h * A / w;
        w = A - kMargin;
    }
    if (h > B) {
        w = w * B / h;
        h = B - kMargin;
    }
    return {(A - w) / 2, (B - h) / 2, w, h};
}

bool LoadForArea(PictureHolder& pic, const QByteArray& path, float areaW, float areaH,
                 qreal deviceRatio) {
    const PictureLoader l = ScreenPictureLoader(PictureLimits::Preview());
    const std::optional<PictureInfo> info = l.Probe(path);
    if (!info) return false;
    const FitLayout at =
        FitPicture(float(info->twips.width()), float(info->twips.height()), areaW, areaH);
    const QSize shown = (QSizeF(PxX(at.w), PxY(at.h)) * deviceRatio).toSize();
    std::optional<Picture> p = l.Load(path, decodeSize(*info, shown), nullptr, &*info);
    if (!p) return false;
    pic.Take(path, std::move(*p));
    return true;
}

void CountView() {
    const std::optional<qint16> n = ToInt16(ReadSetting(Keys::Odometer));
    const int next = n.value_or(0) + 1;
    if (next <= 32767) WriteSetting(Keys::Odometer, next);
}

void FrameLines(LineControl* const (&lines)[4], const ImageControl& image) {
    const float L = image.Left, T = image.Top, W = image.Width, H = image.Height;
    lines[0]->SetPoints(L, T + H, L, T);
    lines[1]->SetPoints(L, T, L + W, T);
    lines[2]->SetPoints(L + W, T, L + W, T + H);
    lines[3]->SetPoints(L, T + H, L + W + 10, T + H);
}

void ShowFitted(ImageControl& image, LineControl* const (&lines)[4], const PictureHolder& pic,
                float areaW, float areaH) {
    const FitLayout at = FitPicture(pic.Width(), pic.Height(), areaW, areaH);
    image.Move(at.x, at.y, at.w, at.h);
    image.SetPicture(pic.image);
    DoEvents();
    image.show();
    FrameLines(lines, image);
    for (LineControl* l : lines) l->show();
}
