#pragma once

#include <QString>

class frmMain;
class FileListView;

// Loaders and savers that turn settings into main-window state. A stored
// value that cannot be converted leaves that one piece of state as it was.

// The nine file-type switches.
void DoFileTypes();
// ToolbarVisible, StatusBarVisible, UsePreviousFolder, PathInTitlebar.
void DoGeneral();
// Full-row selection and grid lines of the file list.
void DoListview(frmMain& form);
// Window position, size and state, then the start folder: startFolder (path
// text) when given and the tree takes it, else the saved or default one.
void GetOptions(frmMain& form, const QString& startFolder = QString());
// Folder, geometry (in the normal state only), state and list view mode.
void SaveOptions(frmMain& form);

void SetFullRowSelect(FileListView* list, bool on);
void SetGridLines(FileListView* list, bool on);
