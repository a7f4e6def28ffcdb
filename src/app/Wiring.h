#pragma once

// Fills the browser's table of openers with the windows of the floors above
// it. Called once at start-up, before the main window loads.
void WireWindows();

struct Openers;
// The tools' part of the table.
void WireTools(Openers& o);
