#pragma once

#include <QByteArray>

#include "kit/PictureHolder.h"

class ImageControl;
class LineControl;

// Where a picture of w x h twips goes in an area of A x B twips.
struct FitLayout {
    float x, y, w, h;
};

// The fit rule shared by every preview: a picture larger than its area
// shrinks, keeping a 210-twip margin on the side that limits it (the other
// side scaled by the full width or height), and is centred; a smaller one
// keeps its size.
FitLayout FitPicture(float w, float h, float A, float B);

// One more image viewed ("Browser Options"/"Odometer"): a 16-bit count that
// stops at its largest value.
void CountView();

// The four lines of a preview's raised frame, round the picture.
void FrameLines(LineControl* const (&lines)[4], const ImageControl& image);

// Shows pic fitted and centred in an area of areaW x areaH twips, with its
// frame lines round it.
void ShowFitted(ImageControl& image, LineControl* const (&lines)[4], const PictureHolder& pic,
                float areaW, float areaH);
