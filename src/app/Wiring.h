#pragma once

// Fills the browser's table of openers with the windows of the floors above
// it. Called once at start-up, before the main window loads.
void WireWindows();
