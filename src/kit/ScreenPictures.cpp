#include "kit/ScreenPictures.h"

#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"

PictureLoader ScreenPictureLoader(PictureLimits limits) {
    const ScreenMetrics& s = Platform::screen();
    return PictureLoader(s.TwipsPerPixelX(), s.TwipsPerPixelY(), limits);
}
