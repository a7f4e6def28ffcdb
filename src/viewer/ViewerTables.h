#pragma once

#include <QString>
#include <span>

#include "browser/CommandTables.h"

// The viewer's menus and its 18-button toolbar (separators at 3, 5, 8, 10,
// 14 and 17), in the rows the main window's commands use.
const CommandTable& ViewerCommandTable();

// Patterns of the enabled picture types joined by ';', in the viewer's
// order of the types (bmp, gif, jpg, jpeg, dib, ico, cur, wmf, emf); empty
// when none is enabled. shown[i] is the switch of the i-th type.
QString PatternList(std::span<const bool> shown);
// The same for the browser's type switches.
QString PatternListOfSwitches();
// The open dialog's filters: the pattern list as "All Supported Formats",
// then "All Files".
QString OpenDialogFilter(const QString& patternList);
