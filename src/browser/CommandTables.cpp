#include "browser/CommandTables.h"

#include "kit/Version.h"

const char* const kVendorWebSite = "https://kvoview.example.org/";

const std::vector<TopMenuDef>& TopMenus() {
    static const std::vector<TopMenuDef> t = {
        {"mnufile", "&File", "mnufilea"},    {"mnuedit", "&Edit", "mnuedita"},
        {"mnuview", "&View", "mnuviewa"},    {"mnuFavs", "Fa&vorites", "mnuorgan"},
        {"mnutools", "&Tools", "mnutoolsa"}, {"mnuabout", "&About", "mnuabouta"},
    };
    return t;
}

const std::vector<MenuItemDef>& MenuItems() {
    static const std::vector<MenuItemDef> t = {
        {"mnufilea", 0, "&Up One Level", "", nullptr},
        {"mnufilea", 1, "-", "", nullptr},
        {"mnufilea", 2, "Ne&w Folder", "Ctrl+N", nullptr},
        {"mnufilea", 3, "&Open", "Ctrl+O", nullptr},
        {"mnufilea", 4, "-", "", nullptr},
        {"mnufilea", 5, "&Print", "Ctrl+P", nullptr},
        {"mnufilea", 6, "-", "", nullptr},
        {"mnufilea", 7, "E&xit", "Ctrl+Q", nullptr},

        {"mnuedita", 0, "Copy &Image", "Ctrl+C", nullptr},
        {"mnuedita", 1, "Copy &Filename", "", nullptr},
        {"mnuedita", 2, "-", "", nullptr},
        {"mnuedita", 3, "&Copy to...", "F2", nullptr},
        {"mnuedita", 4, "&Move to...", "F3", nullptr},
        {"mnuedita", 5, "&Delete File(s)", "Del", nullptr},
        {"mnuedita", 6, "&Recycle File(s)", "F4", nullptr},
        {"mnuedita", 7, "&Rename", "F5", nullptr},
        {"mnuedita", 8, "-", "", nullptr},
        {"mnuedita", 9, "Select &All Files", "Ctrl+A", nullptr},
        {"mnuedita", 10, "&Invert Selection", "", nullptr},

        {"mnuviewa", 0, "&Toolbar", "", nullptr},
        {"mnuviewa", 1, "&Statusbar", "", nullptr},
        {"mnuviewa", 2, "-", "", nullptr},
        {"mnuviewa", 3, "&Preview Position", "", "mnuprev"},
        {"mnuprev", 0, "&Right", "", nullptr},
        {"mnuprev", 1, "&Bottom", "", nullptr},
        {"mnuviewa", 4, "-", "", nullptr},
        {"mnuviewa", 5, "&File View", "", "mnuviewaa"},
        {"mnuviewaa", 0, "Lar&ge Icons", "", nullptr},
        {"mnuviewaa", 1, "S&mall Icons", "", nullptr},
        {"mnuviewaa", 2, "&List", "", nullptr},
        {"mnuviewaa", 3, "&Details", "", nullptr},
        {"mnuviewa", 6, "-", "", nullptr},
        {"mnuviewa", 7, "Show &Hidden Files", "", nullptr},
        {"mnuviewa", 8, "-", "", nullptr},
        {"mnuviewa", 9, "&Refresh", "F6", nullptr},
        {"mnuviewa", 10, "-", "", nullptr},
        {"mnuviewa", 11, "Proper&ties", "", nullptr},

        {"mnuorgan", 0, "&Organize Favorites", "", nullptr},
        {"mnuorgan", 1, "-", "", nullptr},

        {"mnutoolsa", 0, "&Settings", "F1", nullptr},
        {"mnutoolsa", 2, "-", "", nullptr},
        {"mnutoolsa", 3, "Sli&deShow", "", nullptr},
        {"mnutoolsa", 4, "-", "", nullptr},
        {"mnutoolsa", 5, "&Create Hypertext File Listing", "", nullptr},
        {"mnutoolsa", 6, "Create CS&V File Listing", "", nullptr},
        {"mnutoolsa", 7, "-", "", nullptr},
        {"mnutoolsa", 8, "Convert to B&MP", "", nullptr},
        {"mnutoolsa", 9, "-", "", nullptr},
        {"mnutoolsa", 10, "&Web Pattern Viewer", "Ctrl+W", nullptr},
        {"mnutoolsa", 11, "&Hex Color Editor", "Ctrl+H", nullptr},
        {"mnutoolsa", 12, "-", "", nullptr},
        {"mnutoolsa", 13, "Set Wallpa&per", "", "mnuwallpaper"},
        {"mnuwallpaper", 0, "&Centered", "", nullptr},
        {"mnuwallpaper", 1, "&Tiled", "", nullptr},
        {"mnuwallpaper", 2, "&Stretched", "", nullptr},
        {"mnutoolsa", 14, "-", "", nullptr},
        {"mnutoolsa", 15, "Sh&ell", "", "mnushell"},
        {"mnushell", 0, "&Launch", "", "mnulaunch"},
        {"mnulaunch", 0, "&Default Open", "", nullptr},
        {"mnulaunch", 1, "Open &with...", "", nullptr},
        {"mnushell", 1, "-", "", nullptr},
        {"mnushell", 2, "&Run", "", nullptr},
        {"mnushell", 3, "&Find File(s)", "", nullptr},
        {"mnushell", 4, "-", "", nullptr},
        {"mnushell", 5, "&Copy Disk", "", nullptr},
        {"mnushell", 6, "&Format Disk", "", nullptr},
        {"mnushell", 7, "-", "", nullptr},
        {"mnushell", 8, "&Shutdown Windows", "", nullptr},
        {"mnutoolsa", 16, "-", "", nullptr},
        {"mnutoolsa", 17, "Image &Hound", "", nullptr},
        {"mnutoolsa", 18, "-", "", nullptr},
        {"mnutoolsa", 19, "Screensa&ver", "Ctrl+S", nullptr},

        {"mnuabouta", 0, "&Morvath Software on the Web", "", nullptr},
        {"mnuabouta", 1, "-", "", nullptr},
        {"mnuabouta", 2, "About", "", nullptr},
    };
    return t;
}

const std::vector<ToolButtonDef>& ToolbarButtons() {
    static const std::vector<ToolButtonDef> t = {
        {1, "Up One Level", 1},
        {2, "Organize Favorites", 2},
        {3, nullptr, 0},
        {4, "Refresh", 3},
        {5, nullptr, 0},
        {6, "View Image", 4},
        {7, "Slideshow", 5},
        {8, "Web Pattern Viewer", 20},
        {9, "Image Hound", 24},
        {10, nullptr, 0},
        {11, "Print", 6},
        {12, "Set Wallpaper", 7},
        {13, nullptr, 0},
        {14, "Copy File(s) To...", 8},
        {15, "Move File(s) To...", 9},
        {16, "Delete File(s)", 16},
        {17, "Recycle File(s)", 23},
        {18, nullptr, 0},
        {19, "Launch", 15},
        {20, "Properties", 10},
        {21, nullptr, 0},
        {22, "Copy Filename", 11},
        {23, "Copy Image", 12},
        {24, nullptr, 0},
        {25, "View", 21},
        {26, nullptr, 0},
        {27, "Settings", 18},
    };
    return t;
}

QString MenuHelpText(const QString& caption, const HelpState& state) {
    struct Help {
        const char* caption;
        const char* text;
    };
    // First match wins; the order matters where captions repeat ("&Copy to..."
    // and "&Copy Disk" differ, but "&Stretched" must not meet "&Statusbar").
    static const Help table[] = {
        {"&Up One Level", "Go to parent folder of current folder"},
        {"&Invert Selection", "Inverts the currently selected files"},
        {"Ne&w Folder", "Creates new folder"},
        {"&Open", "Views selected file"},
        {"&Print", "Prints selected file"},
        {"E&xit", nullptr},
        {"Copy &Image", "Copies image to clipboard"},
        {"Copy &Filename", "Copies filename to clipboard"},
        {"&Copy to...", "Copies file(s) to another folder"},
        {"&Move to...", "Moves file(s) to another folder"},
        {"&Delete File(s)", "Permanently deletes file(s)"},
        {"&Recycle File(s)", "Send file(s) to the Recycle Bin"},
        {"&Rename", "Renames selected file"},
        {"Select &All Files", "Selects all files in the current folder"},
        {"&Toolbar", nullptr},
        {"&Statusbar", nullptr},
        {"&Right", "Puts picture preview to the right of file list"},
        {"&Bottom", "Puts picture preview below file list"},
        {"Lar&ge Icons", "Large icon view"},
        {"S&mall Icons", "Small icon view"},
        {"&List", "List view"},
        {"&Details", "Detailed report view"},
        {"Show &Hidden Files", nullptr},
        {"&Refresh", "Refreshes file list"},
        {"Proper&ties", "Show file, folder or drive properties"},
        {"&Organize Favorites", "Organize you favorite folder selections"},
        {"&Settings", "Allows you to adjust program settings"},
        {"Sli&deShow", "Slideshow of currently selected files"},
        {"&Create Hypertext File Listing", "Copies hypertext file listing to clipboard"},
        {"Create CS&V File Listing", "Copies comma seperate file listing to clipboard"},
        {"Convert to B&MP", "Converts selected files to BMP format"},
        {"&Web Pattern Viewer", "Views image tiled"},
        {"&Hex Color Editor", "Edits and outputs hexadecimal color values"},
        {"Set Wallpa&per", "Sets desktop wallpaper"},
        {"&Centered", "Centers wallpaper on desktop"},
        {"&Tiled", "Tiles wallpaper on desktop"},
        {"&Stretched", "Stretches wallpaper to fit desktop"},
        {"&Default Open", "Opens image with default application"},
        {"Open &with...", "Lets you choose application to open image"},
        {"&Run", "Invokes standard Windows Run Dialog"},
        {"&Find File(s)", "Invokes standard Windows Find File Dialog"},
        {"&Copy Disk", "Invokes standart Windows Copy Disk Dialog"},
        {"&Format Disk", "Invokes standart Windows Format Disk Dialog"},
        {"&Shutdown Windows", "Invokes standart Windows Shutdow Dialog"},
        {"Screensa&ver", "Turns on the default screensaver"},
        {"Image &Hound", "Searches you computer for images"},
        {"&Morvath Software on the Web", nullptr},
        {"About", nullptr},
    };
    const QString product = kAppName + " " + VersionText();
    for (const Help& h : table) {
        if (caption != QLatin1String(h.caption)) continue;
        if (h.text) return QString::fromLatin1(h.text);
        if (caption == "E&xit") return "Exits " + product;
        if (caption == "&Toolbar") return state.toolbarVisible ? "Hides toolbar" : "Shows toolbar";
        if (caption == "&Statusbar")
            return state.statusBarVisible ? "Hides statusbar" : "Shows statusbar";
        if (caption == "Show &Hidden Files")
            return state.showHidden ? "Hides hidden files" : "Shows hidden files";
        if (caption == "&Morvath Software on the Web") return "Go to " + QString(kVendorWebSite);
        if (caption == "About") return "About " + product;
    }
    return QString();
}
