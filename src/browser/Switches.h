#pragma once

#include "kit/PictureTypes.h"

// Process-wide switches of the main window, loaded from the settings at
// start-up and again after the settings dialog saves. They start out false.
// The picture types' switches are the types' table's; these are their
// names in the program.
inline bool& ShowBMP = PictureTypes::Shown(PictureTypes::Named("BMP"));
inline bool& ShowDIB = PictureTypes::Shown(PictureTypes::Named("DIB"));
inline bool& ShowGIF = PictureTypes::Shown(PictureTypes::Named("GIF"));
inline bool& ShowJPG = PictureTypes::Shown(PictureTypes::Named("JPG"));
inline bool& ShowJPEG = PictureTypes::Shown(PictureTypes::Named("JPEG"));
inline bool& ShowICO = PictureTypes::Shown(PictureTypes::Named("ICO"));
inline bool& ShowCUR = PictureTypes::Shown(PictureTypes::Named("CUR"));
inline bool& ShowWMF = PictureTypes::Shown(PictureTypes::Named("WMF"));
inline bool& ShowEMF = PictureTypes::Shown(PictureTypes::Named("EMF"));
inline bool ToolbarVisible = false;
inline bool StatusBarVisible = false;
inline bool UsePreviousFolder = false;
inline bool PathInTitlebar = false;
inline bool ShowHidden = false;

// True while the folder tree, not the file list, last had the focus.
inline bool TreeHasFocus = false;
