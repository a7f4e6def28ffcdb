#include "kit/Extras.h"

#include <cmath>

#include "kit/Settings.h"

const std::vector<Extras::Switch>& Extras::Switches() {
    static const std::vector<Switch> rows = {
        {"Layout", &Keys::RememberPaneSizes,
         "Remember the sizes of the folder, list and preview panes"},
        {"File List", &Keys::ListKeysPreview,
         "Home, End, Page Up, Page Down and typing a name show the picture they move to"},
        {"File List", &Keys::DragAndDrop,
         "Drag pictures to other programs; drop files on a folder to copy them there "
         "(Shift: move)"},
        {"File List", &Keys::ShowThumbnails, "Show thumbnails in Large Icons and Small Icons"},
        {"Pictures", &Keys::ExifOrientation, "Rotate pictures by their EXIF orientation"},
        {"Viewer", &Keys::ViewerKeys, "Viewer keys and mouse wheel"},
        {"Viewer", &Keys::ViewerFit, "Fit in Window command (F) and full screen (F11)"},
        {"Viewer", &Keys::AnimatedGifs, "Play animated GIF pictures"},
        {"Slideshow", &Keys::SlideshowKeys,
         "Slideshow keys: Space pauses, Left and Right step back and forth"},
    };
    return rows;
}

bool Extras::On(const Schema::Key& key) {
    return ToBool(ReadSetting(key)).value_or(Schema::Default(key).toBool());
}

std::optional<float> Extras::PaneSize(const Schema::Key& key) {
    const std::optional<float> v = ToSingle(ReadSetting(key));
    // A hand-edited file may hold anything; a bar far off the screen is no size.
    if (!v || !std::isfinite(*v) || *v < 0 || *v > 1e6f) return std::nullopt;
    return v;
}
