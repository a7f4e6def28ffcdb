#pragma once

#include <QString>
#include <array>
#include <vector>

#include "browser/CommandTables.h"

// The viewer's menus, toolbar and help texts as data, in the shapes the
// main window's tables use.
const std::vector<TopMenuDef>& ViewerTopMenus();
const std::vector<MenuItemDef>& ViewerMenuItems();
// The 18 buttons of the viewer's toolbar; separators at 3, 5, 8, 10, 14, 17.
const std::vector<ToolButtonDef>& ViewerToolbarButtons();

// Status-bar help for a highlighted caption; empty for any other caption.
QString ViewerHelpText(const QString& caption);

// Patterns of the enabled picture types joined by ';', in the order bmp,
// gif, jpg, jpeg, dib, ico, cur, wmf, emf; empty when none is enabled.
QString PatternList(const std::array<bool, 9>& shown);
// The same for the browser's type switches.
QString PatternListOfSwitches();
// The open dialog's filters: the pattern list as "All Supported Formats",
// then "All Files".
QString OpenDialogFilter(const QString& patternList);
