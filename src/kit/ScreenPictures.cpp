#include "kit/ScreenPictures.h"

#include "kit/Extras.h"
#include "kit/PictureService.h"

#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"

PictureLoader ScreenPictureLoader(PictureLimits limits) {
    const ScreenMetrics& s = Platform::screen();
    PictureLoader loader(s.TwipsPerPixelX(), s.TwipsPerPixelY(), limits);
    loader.SetUpright(Extras::On(Keys::ExifOrientation));
    return loader;
}

std::optional<Picture> LoadHeldWhole(const QByteArray& path) {
    return PictureService::Instance().LoadNow(path, PictureSizing::HeldWhole()).picture;
}
