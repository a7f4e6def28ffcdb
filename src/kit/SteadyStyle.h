#pragma once

// Makes the program's style lay windows out at once instead of animating
// their parts into place: a main window's relayout then sets geometries
// directly, with no property animation started for every resize (one of
// which was seen crashing on relayout under load). Called once, before the
// first window; later calls do nothing.
void UseSteadyLayouts();
