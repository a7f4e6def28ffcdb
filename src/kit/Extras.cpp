#include "kit/Extras.h"

#include <cmath>

#include "kit/Settings.h"

const std::vector<Extras::Switch>& Extras::Switches() {
    static const std::vector<Switch> rows = {
        {"Layout", RememberPaneSizes, "Remember the sizes of the folder, list and preview panes",
         true},
    };
    return rows;
}

bool Extras::On(const QString& key) {
    bool fallback = false;
    for (const Switch& s : Switches())
        if (s.key.compare(key, Qt::CaseInsensitive) == 0) fallback = s.defaultOn;
    return ToBool(ReadSetting(Section, key)).value_or(fallback);
}

std::optional<float> Extras::PaneSize(const QString& key) {
    const std::optional<float> v = ToSingle(ReadSetting(Section, key));
    // A hand-edited file may hold anything; a bar far off the screen is no size.
    if (!v || !std::isfinite(*v) || *v < 0 || *v > 1e6f) return std::nullopt;
    return v;
}
