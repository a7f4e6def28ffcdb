#pragma once

class frmMain;

// The bars between the folder tree, the list and the preview, kept from
// one run to the next while the "Remember Pane Sizes" extra is on. The
// list's size is kept for the preview's place at closing, and comes back
// when the next run starts with the preview in the same place.
void RestorePaneSizes(frmMain& form);
void SavePaneSizes(frmMain& form);
