#pragma once

#include <QString>
#include <initializer_list>
#include <vector>

#include "browser/Icons.h"

// A window's commands as data, one row per menu item: its control array and
// index (separators hold one too), caption, shortcut, submenu and check mark,
// its help line, its icon, its toolbar button if it has one, and whether it
// is a file command. The menu bar, the toolbar, the help line, the icons and
// the enabling are all built from the rows; what a command does is the case
// of its index in its array's handler (`mnufilea_Click` and the like), and a
// button does what its row's menu item does.
//
// To add a command to the main window: a row in MainCommandTable()
// (CommandTables.cpp) and a case in its array's handler (MainCommands.cpp).
// A picture that does not exist yet goes into Icons::Pic. The viewer's rows
// are in ViewerTables.cpp and its handlers in ViewerCommands.cpp.

struct TopMenuDef {
    const char* control;  // "mnufile"
    const char* caption;  // "&File"
    const char* array;    // "mnufilea"
};

// What the help line says while the mouse is over a command's menu item.
struct HelpDef {
    // The text; none empties the line.
    const char* text = nullptr;
    // Built when highlighted: the text followed by the product name and
    // version ("Exits Kvo View 1.0.53") or by the vendor's address.
    enum Tail { Nothing, Product, WebSite } tail = Nothing;
    // When set, the text while the switch is on and `off` while it is off.
    const bool* on = nullptr;
    const char* off = nullptr;
};

inline HelpDef Help(const char* text) {
    return {text};
}
inline HelpDef Help(const char* text, HelpDef::Tail tail) {
    return {text, tail};
}
inline HelpDef Help(const bool* on, const char* whenOn, const char* whenOff) {
    return {whenOn, HelpDef::Nothing, on, whenOff};
}

// A command's button on the window's toolbar.
struct ButtonDef {
    int index = 0;  // 1-based; 0 when the command has no button
    const char* toolTip = nullptr;
    Icons::Pic pic = Icons::Pic::None;  // None: the command's icon
};

// A menu item's check mark: none, a box, or a box ticked from the start.
enum class Check { None, Box, Ticked };

// Which of a command's controls are file commands: they are switched off
// while the folder tree has the focus (Disable_LV_Controls). A file-command
// button that pops up a submenu does so only when a file is selected.
enum FileCommand { NoFile = 0, FileItem = 1, FileButton = 2, FileItemAndButton = 3 };

struct CommandDef {
    const char* array;  // "mnufilea"
    int index;
    const char* caption;            // "-" for a separator
    const char* shortcut = "";      // QKeySequence text
    const char* submenu = nullptr;  // the array this item opens
    Check check = Check::None;
    HelpDef help = {};
    Icons::Pic icon = Icons::Pic::None;
    ButtonDef button = {};
    FileCommand file = NoFile;
};

struct CommandTable {
    // Top-level menus in display order.
    std::vector<TopMenuDef> menus;
    // Each array's items in display order; a submenu's items follow the item
    // that opens it. No two commands share a caption, so the help line's
    // first match on a caption is the only one.
    std::vector<CommandDef> commands;
};

// The main window's menus and its 27-button command toolbar.
const CommandTable& MainCommandTable();

// What both windows' menus hold alike: the About menu, last on the menu bar,
// and its items; the wallpaper submenu's items, in the array given.
extern const TopMenuDef kAboutMenu;
std::vector<CommandDef> AboutCommands();
std::vector<CommandDef> WallpaperCommands(const char* array);
// The parts' commands one after the other: a table's rows with shared
// pieces in between.
std::vector<CommandDef> JoinCommands(std::initializer_list<std::vector<CommandDef>> parts);

// The command whose button has this index; null for a separator or an index
// past the last button.
const CommandDef* ButtonCommand(const CommandTable& table, int index);
// The number of toolbar buttons, separators included.
int ButtonCount(const CommandTable& table);
// The picture a command's button shows.
Icons::Pic ButtonPic(const CommandDef& command);
// The help line for a highlighted menu caption, from the first command with
// that caption; empty for a caption that has none (a top-level menu, a
// separator, a favourite folder).
QString HelpText(const CommandTable& table, const QString& caption);

// The vendor's web site.
extern const char* const kVendorWebSite;
