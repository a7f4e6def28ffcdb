#pragma once

class PictureBox;
class Toolbar;

// Clears the box's drawing and draws an etched frame along its edges.
void DrawEtchedEdge(PictureBox* box);
// Toggles the toolbar's flat style; run once on a new toolbar to make it flat.
void MakeToolbarFlat(Toolbar* toolbar);
