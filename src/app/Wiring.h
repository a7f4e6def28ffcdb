#pragma once

// Fills the browser's table of openers with the windows of the floors above
// it and declares the windows to the registry (DeclareWindows). Called once
// at start-up, before the main window loads.
void WireWindows();
// Tells the registry what closing the main window does with each window.
void DeclareWindows();

struct Openers;
// The tools' part of the table.
void WireTools(Openers& o);
