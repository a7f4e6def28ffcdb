#pragma once

#include <QString>
#include <vector>

// The main window's menus and command toolbar as data. Each menu item
// belongs to a control array and keeps its index there; separators too.
struct MenuItemDef {
    const char* array;  // "mnufilea"
    int index;
    const char* caption;   // "-" for a separator
    const char* shortcut;  // QKeySequence text, "" for none
    const char* submenu;   // array opened by this item, or nullptr
};

struct TopMenuDef {
    const char* control;  // "mnufile"
    const char* caption;  // "&File"
    const char* array;    // "mnufilea"
};

struct ToolButtonDef {
    int index;
    const char* toolTip;  // nullptr for a separator
    int image;
};

// Top-level menus in display order.
const std::vector<TopMenuDef>& TopMenus();
// Every menu item of every array, each array's items in display order.
const std::vector<MenuItemDef>& MenuItems();
// The 27 buttons of the command toolbar.
const std::vector<ToolButtonDef>& ToolbarButtons();

// State that some help texts depend on.
struct HelpState {
    bool toolbarVisible = true;
    bool statusBarVisible = true;
    bool showHidden = true;
};

// The status-bar help text for a highlighted menu caption; empty for a
// caption that has none.
QString MenuHelpText(const QString& caption, const HelpState& state);

// The vendor's web site.
extern const char* const kVendorWebSite;
