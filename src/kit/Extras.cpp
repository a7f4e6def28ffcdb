#include "kit/Extras.h"

#include <cmath>

#include "kit/Settings.h"

const std::vector<Extras::Switch>& Extras::Switches() {
    static const std::vector<Switch> rows = {
        {"Layout", &Keys::RememberPaneSizes,
         "Remember the sizes of the folder, list and preview panes"},
        {"File List", &Keys::ListKeysPreview,
         "Home, End, Page Up, Page Down and typing a name show the picture they move to"},
        {"File List", &Keys::ShowThumbnails, "Show Thumbnails in Large Icons and Small Icons"},
        {"Viewer", &Keys::ViewerKeys, "Viewer keys and mouse wheel"},
        {"Viewer", &Keys::ViewerFit, "Fit in Window command (F) and full screen (F11)"},
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
