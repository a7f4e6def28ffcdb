#include "kit/PictureFit.h"

#include "kit/DoEvents.h"
#include "kit/ImageControl.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/Twips.h"

namespace {
constexpr float kMargin = 210;
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
