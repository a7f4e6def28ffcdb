#include "kit/ScreenPictures.h"

#include "kit/PictureService.h"

#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"

PictureLoader ScreenPictureLoader(PictureLimits limits) {
    const ScreenMetrics& s = Platform::screen();
    return PictureLoader(s.TwipsPerPixelX(), s.TwipsPerPixelY(), limits);
}

std::optional<Picture> LoadHeldWhole(const QByteArray& path) {
    return PictureService::Instance().LoadNow(path, PictureSizing::HeldWhole()).picture;
}
