#pragma once

#include "platform/PictureLoader.h"

// A picture loader that measures pictures for this screen's twips per pixel.
PictureLoader ScreenPictureLoader(PictureLimits limits = {});

// A picture is held whole up to 8000 pixels a side (256 MB at most at 4
// bytes a pixel); a 6000 x 4000 photo fits. A larger one is read scaled down
// to fit that square, which keeps a huge photo from taking the memory.
inline constexpr QSize kMaxHeld(8000, 8000);

// The whole picture of a file, not a copy decoded for a preview's box,
// within kMaxHeld: what the viewer, the wallpaper and the clipboard take.
// Through the picture service: a picture the viewer holds is not decoded
// again.
std::optional<Picture> LoadHeldWhole(const QByteArray& path);
