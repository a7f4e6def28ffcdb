#pragma once

// Process-wide switches of the main window, loaded from the settings at
// start-up and again after the settings dialog saves. They start out false.
inline bool ShowBMP = false;
inline bool ShowDIB = false;
inline bool ShowGIF = false;
inline bool ShowJPG = false;
inline bool ShowJPEG = false;
inline bool ShowICO = false;
inline bool ShowCUR = false;
inline bool ShowWMF = false;
inline bool ShowEMF = false;
inline bool ToolbarVisible = false;
inline bool StatusBarVisible = false;
inline bool UsePreviousFolder = false;
inline bool PathInTitlebar = false;
inline bool ShowHidden = false;

// True while the folder tree, not the file list, last had the focus.
inline bool TreeHasFocus = false;
