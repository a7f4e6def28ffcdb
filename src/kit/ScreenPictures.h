#pragma once

#include "platform/PictureLoader.h"

// A picture loader that measures pictures for this screen's twips per pixel.
PictureLoader ScreenPictureLoader(PictureLimits limits = {});
