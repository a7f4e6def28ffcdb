#include "browser/CommandTables.h"

#include <algorithm>

#include "browser/Switches.h"
#include "kit/Version.h"

const char* const kVendorWebSite = "https://kvoview.example.org/";

const CommandTable& MainCommandTable() {
    using P = Icons::Pic;
    // clang-format off
    static const CommandTable t = {
        {
            {"mnufile", "&File", "mnufilea"},
            {"mnuedit", "&Edit", "mnuedita"},
            {"mnuview", "&View", "mnuviewa"},
            {"mnuFavs", "Fa&vorites", "mnuorgan"},
            {"mnutools", "&Tools", "mnutoolsa"},
            kAboutMenu,
        },
        JoinCommands({{
            {.array = "mnufilea", .index = 0, .caption = "&Up One Level",
             .help = Help("Go to parent folder of current folder"), .icon = P::ParentFolder,
             .button = {1, "Up One Level"}},
            {.array = "mnufilea", .index = 1, .caption = "-"},
            {.array = "mnufilea", .index = 2, .caption = "Ne&w Folder", .shortcut = "Ctrl+N",
             .help = Help("Creates new folder"), .icon = P::NewFolder},
            {.array = "mnufilea", .index = 3, .caption = "&Open", .shortcut = "Ctrl+O",
             .help = Help("Views selected file"), .icon = P::Picture,
             .button = {6, "View Image"}, .file = FileItemAndButton},
            {.array = "mnufilea", .index = 4, .caption = "-"},
            {.array = "mnufilea", .index = 5, .caption = "&Print", .shortcut = "Ctrl+P",
             .help = Help("Prints selected file"), .icon = P::Printer,
             .button = {11, "Print"}, .file = FileItemAndButton},
            {.array = "mnufilea", .index = 6, .caption = "-"},
            {.array = "mnufilea", .index = 7, .caption = "E&xit", .shortcut = "Ctrl+Q",
             .help = Help("Exits ", HelpDef::Product)},

            // The tool tips of buttons 22 and 23 name each other's action.
            {.array = "mnuedita", .index = 0, .caption = "Copy &Image", .shortcut = "Ctrl+C",
             .help = Help("Copies image to clipboard"), .icon = P::Picture,
             .button = {22, "Copy Filename"}, .file = FileItemAndButton},
            {.array = "mnuedita", .index = 1, .caption = "Copy &Filename",
             .help = Help("Copies filename to clipboard"), .icon = P::Link,
             .button = {23, "Copy Image"}, .file = FileItemAndButton},
            {.array = "mnuedita", .index = 2, .caption = "-"},
            {.array = "mnuedita", .index = 3, .caption = "&Copy to...", .shortcut = "F2",
             .help = Help("Copies file(s) to another folder"), .icon = P::Pages,
             .button = {14, "Copy File(s) To..."}},
            {.array = "mnuedita", .index = 4, .caption = "&Move to...", .shortcut = "F3",
             .help = Help("Moves file(s) to another folder"), .icon = P::MoveTo,
             .button = {15, "Move File(s) To..."}},
            {.array = "mnuedita", .index = 5, .caption = "&Delete File(s)", .shortcut = "Del",
             .help = Help("Permanently deletes file(s)"), .icon = P::Discard,
             .button = {16, "Delete File(s)"}},
            {.array = "mnuedita", .index = 6, .caption = "&Recycle File(s)", .shortcut = "F4",
             .help = Help("Send file(s) to the Recycle Bin"), .icon = P::Trash,
             .button = {17, "Recycle File(s)"}},
            {.array = "mnuedita", .index = 7, .caption = "&Rename", .shortcut = "F5",
             .help = Help("Renames selected file"), .file = FileItem},
            {.array = "mnuedita", .index = 8, .caption = "-"},
            {.array = "mnuedita", .index = 9, .caption = "Select &All Files", .shortcut = "Ctrl+A",
             .help = Help("Selects all files in the current folder"), .icon = P::Apply},
            {.array = "mnuedita", .index = 10, .caption = "&Invert Selection",
             .help = Help("Inverts the currently selected files")},

            {.array = "mnuviewa", .index = 0, .caption = "&Toolbar", .check = Check::Box,
             .help = Help(&ToolbarVisible, "Hides toolbar", "Shows toolbar")},
            {.array = "mnuviewa", .index = 1, .caption = "&Statusbar", .check = Check::Box,
             .help = Help(&StatusBarVisible, "Hides statusbar", "Shows statusbar")},
            {.array = "mnuviewa", .index = 2, .caption = "-"},
            {.array = "mnuviewa", .index = 3, .caption = "&Preview Position", .submenu = "mnuprev"},
            {.array = "mnuprev", .index = 0, .caption = "&Right", .check = Check::Ticked,
             .help = Help("Puts picture preview to the right of file list")},
            {.array = "mnuprev", .index = 1, .caption = "&Bottom", .check = Check::Box,
             .help = Help("Puts picture preview below file list")},
            {.array = "mnuviewa", .index = 4, .caption = "-"},
            // The button has a picture, the menu item none.
            {.array = "mnuviewa", .index = 5, .caption = "&File View", .submenu = "mnuviewaa",
             .button = {25, "View", P::DetailedView}},
            {.array = "mnuviewaa", .index = 0, .caption = "Lar&ge Icons", .check = Check::Box,
             .help = Help("Large icon view"), .icon = P::ContentsView},
            {.array = "mnuviewaa", .index = 1, .caption = "S&mall Icons", .check = Check::Box,
             .help = Help("Small icon view"), .icon = P::ListView},
            {.array = "mnuviewaa", .index = 2, .caption = "&List", .check = Check::Box,
             .help = Help("List view"), .icon = P::ListView},
            {.array = "mnuviewaa", .index = 3, .caption = "&Details", .check = Check::Ticked,
             .help = Help("Detailed report view"), .icon = P::DetailedView},
            {.array = "mnuviewa", .index = 6, .caption = "-"},
            {.array = "mnuviewa", .index = 7, .caption = "Show &Hidden Files", .check = Check::Box,
             .help = Help(&ShowHidden, "Hides hidden files", "Shows hidden files")},
            {.array = "mnuviewa", .index = 8, .caption = "-"},
            {.array = "mnuviewa", .index = 9, .caption = "&Refresh", .shortcut = "F6",
             .help = Help("Refreshes file list"), .icon = P::Reload, .button = {4, "Refresh"}},
            {.array = "mnuviewa", .index = 10, .caption = "-"},
            // While the tree has the focus the menu item is off; the button
            // stays on and shows the folder's sheet.
            {.array = "mnuviewa", .index = 11, .caption = "Proper&ties",
             .help = Help("Show file, folder or drive properties"), .icon = P::InfoView,
             .button = {20, "Properties"}, .file = FileItem},

            {.array = "mnuorgan", .index = 0, .caption = "&Organize Favorites",
             .help = Help("Organize you favorite folder selections"), .icon = P::Star,
             .button = {2, "Organize Favorites"}},
            {.array = "mnuorgan", .index = 1, .caption = "-"},

            // Index 1 does not exist in this array.
            {.array = "mnutoolsa", .index = 0, .caption = "&Settings", .shortcut = "F1",
             .help = Help("Allows you to adjust program settings"), .icon = P::Gear,
             .button = {27, "Settings"}},
            {.array = "mnutoolsa", .index = 2, .caption = "-"},
            {.array = "mnutoolsa", .index = 3, .caption = "Sli&deShow",
             .help = Help("Slideshow of currently selected files"), .icon = P::Play,
             .button = {7, "Slideshow"}, .file = FileItemAndButton},
            {.array = "mnutoolsa", .index = 4, .caption = "-"},
            {.array = "mnutoolsa", .index = 5, .caption = "&Create Hypertext File Listing",
             .help = Help("Copies hypertext file listing to clipboard"), .icon = P::HtmlListing},
            {.array = "mnutoolsa", .index = 6, .caption = "Create CS&V File Listing",
             .help = Help("Copies comma seperate file listing to clipboard"),
             .icon = P::CsvListing},
            {.array = "mnutoolsa", .index = 7, .caption = "-"},
            {.array = "mnutoolsa", .index = 8, .caption = "Convert to B&MP",
             .help = Help("Converts selected files to BMP format"), .file = FileItem},
            {.array = "mnutoolsa", .index = 9, .caption = "-"},
            {.array = "mnutoolsa", .index = 10, .caption = "&Web Pattern Viewer",
             .shortcut = "Ctrl+W", .help = Help("Views image tiled"), .icon = P::Tiles,
             .button = {8, "Web Pattern Viewer"}, .file = FileItemAndButton},
            {.array = "mnutoolsa", .index = 11, .caption = "&Hex Color Editor",
             .shortcut = "Ctrl+H", .help = Help("Edits and outputs hexadecimal color values"),
             .icon = P::Palette},
            {.array = "mnutoolsa", .index = 12, .caption = "-"},
            {.array = "mnutoolsa", .index = 13, .caption = "Set Wallpa&per",
             .submenu = "mnuwallpaper", .help = Help("Sets desktop wallpaper"), .icon = P::Monitor,
             .button = {12, "Set Wallpaper"}, .file = FileItemAndButton},
        }, WallpaperCommands("mnuwallpaper"), {
            {.array = "mnutoolsa", .index = 14, .caption = "-"},
            {.array = "mnutoolsa", .index = 15, .caption = "Sh&ell", .submenu = "mnushell"},
            // The button is a file command, the menu item is not.
            {.array = "mnushell", .index = 0, .caption = "&Launch", .submenu = "mnulaunch",
             .icon = P::CommandLink, .button = {19, "Launch"}, .file = FileButton},
            {.array = "mnulaunch", .index = 0, .caption = "&Default Open",
             .help = Help("Opens image with default application")},
            {.array = "mnulaunch", .index = 1, .caption = "Open &with...",
             .help = Help("Lets you choose application to open image")},
            {.array = "mnushell", .index = 1, .caption = "-"},
            {.array = "mnushell", .index = 2, .caption = "&Run",
             .help = Help("Invokes standard Windows Run Dialog")},
            {.array = "mnushell", .index = 3, .caption = "&Find File(s)",
             .help = Help("Invokes standard Windows Find File Dialog"), .icon = P::Hound},
            {.array = "mnushell", .index = 4, .caption = "-"},
            {.array = "mnushell", .index = 5, .caption = "&Copy Disk",
             .help = Help("Invokes standart Windows Copy Disk Dialog"), .icon = P::Floppy},
            {.array = "mnushell", .index = 6, .caption = "&Format Disk",
             .help = Help("Invokes standart Windows Format Disk Dialog")},
            {.array = "mnushell", .index = 7, .caption = "-"},
            {.array = "mnushell", .index = 8, .caption = "&Shutdown Windows",
             .help = Help("Invokes standart Windows Shutdow Dialog"), .icon = P::Stop},
            {.array = "mnutoolsa", .index = 16, .caption = "-"},
            {.array = "mnutoolsa", .index = 17, .caption = "Image &Hound",
             .help = Help("Searches you computer for images"), .icon = P::Hound,
             .button = {9, "Image Hound"}},
            {.array = "mnutoolsa", .index = 18, .caption = "-"},
            {.array = "mnutoolsa", .index = 19, .caption = "Screensa&ver", .shortcut = "Ctrl+S",
             .help = Help("Turns on the default screensaver"), .icon = P::Monitor},
        }, AboutCommands()}),
    };
    // clang-format on
    return t;
}

const TopMenuDef kAboutMenu = {"mnuabout", "&About", "mnuabouta"};

std::vector<CommandDef> AboutCommands() {
    using P = Icons::Pic;
    // clang-format off
    return {
            {.array = "mnuabouta", .index = 0, .caption = "&Morvath Software on the Web",
             .help = Help("Go to ", HelpDef::WebSite), .icon = P::Network},
            {.array = "mnuabouta", .index = 1, .caption = "-"},
            {.array = "mnuabouta", .index = 2, .caption = "About",
             .help = Help("About ", HelpDef::Product), .icon = P::Information},
    };
    // clang-format on
}

std::vector<CommandDef> WallpaperCommands(const char* array) {
    // clang-format off
    return {
        {.array = array, .index = 0, .caption = "&Centered",
         .help = Help("Centers wallpaper on desktop")},
        {.array = array, .index = 1, .caption = "&Tiled", .help = Help("Tiles wallpaper on desktop")},
        {.array = array, .index = 2, .caption = "&Stretched",
         .help = Help("Stretches wallpaper to fit desktop")},
    };
    // clang-format on
}

std::vector<CommandDef> JoinCommands(std::initializer_list<std::vector<CommandDef>> parts) {
    std::vector<CommandDef> all;
    for (const std::vector<CommandDef>& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const CommandDef* ButtonCommand(const CommandTable& table, int index) {
    if (index < 1) return nullptr;
    for (const CommandDef& c : table.commands)
        if (c.button.index == index) return &c;
    return nullptr;
}

int ButtonCount(const CommandTable& table) {
    int count = 0;
    for (const CommandDef& c : table.commands) count = std::max(count, c.button.index);
    return count;
}

Icons::Pic ButtonPic(const CommandDef& command) {
    return command.button.pic != Icons::Pic::None ? command.button.pic : command.icon;
}

QString HelpText(const CommandTable& table, const QString& caption) {
    const auto it = std::find_if(table.commands.begin(), table.commands.end(),
                                 [&](const CommandDef& c) { return caption == c.caption; });
    if (it == table.commands.end() || !it->help.text) return QString();
    const HelpDef& h = it->help;
    if (h.on) return QString::fromLatin1(*h.on ? h.text : h.off);
    const QString text = QString::fromLatin1(h.text);
    switch (h.tail) {
        case HelpDef::Product:
            return text + kAppName + " " + VersionText();
        case HelpDef::WebSite:
            return text + kVendorWebSite;
        case HelpDef::Nothing:
            break;
    }
    return text;
}
