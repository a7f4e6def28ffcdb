#include "viewer/ViewerTables.h"

#include <QHash>

#include "browser/Switches.h"
#include "kit/Version.h"

const std::vector<TopMenuDef>& ViewerTopMenus() {
    static const std::vector<TopMenuDef> t = {
        {"mnufile", "File", "mnufilea"},
        {"mnuedit", "&Edit", "mnuedita"},
        {"mnuview", "&View", "mnuviewa"},
        {"mnuabout", "&About", "mnuabouta"},
    };
    return t;
}

const std::vector<MenuItemDef>& ViewerMenuItems() {
    static const std::vector<MenuItemDef> t = {
        {"mnufilea", 0, "&Open", "", nullptr},
        {"mnufilea", 1, "&Browser", "", nullptr},
        {"mnufilea", 2, "-", "", nullptr},
        {"mnufilea", 3, "&Print", "", nullptr},
        {"mnufilea", 4, "-", "", nullptr},
        {"mnufilea", 5, "&Close", "", nullptr},

        {"mnuedita", 0, "Copy &Image", "", nullptr},
        {"mnuedita", 1, "&Copy Filename", "", nullptr},
        {"mnuedita", 2, "-", "", nullptr},
        {"mnuedita", 3, "&Set Wallpaper", "", "mnuwall"},
        {"mnuwall", 0, "&Centered", "", nullptr},
        {"mnuwall", 1, "&Tiled", "", nullptr},
        {"mnuwall", 2, "&Stretched", "", nullptr},

        {"mnuviewa", 0, "&Previous Image", "", nullptr},
        {"mnuviewa", 1, "&Next Image", "", nullptr},
        {"mnuviewa", 2, "-", "", nullptr},
        {"mnuviewa", 3, "Zoom &In", "", nullptr},
        {"mnuviewa", 4, "Zoom &Out", "", nullptr},
        {"mnuviewa", 5, "&Actual Size", "", nullptr},
        {"mnuviewa", 6, "-", "", nullptr},
        {"mnuviewa", 7, "&Reload", "", nullptr},

        {"mnuabouta", 0, "&Morvath Software on the Web", "", nullptr},
        {"mnuabouta", 1, "-", "", nullptr},
        {"mnuabouta", 2, "About", "", nullptr},
    };
    return t;
}

const std::vector<ToolButtonDef>& ViewerToolbarButtons() {
    static const std::vector<ToolButtonDef> t = {
        {1, "Open", 1},           {2, "Browser", 2},      {3, nullptr, 0},
        {4, "Print", 4},          {5, nullptr, 0},        {6, "Previous Image", 6},
        {7, "Next Image", 7},     {8, nullptr, 0},        {9, "Reload", 9},
        {10, nullptr, 0},         {11, "Zoom In", 11},    {12, "Zoom Out", 12},
        {13, "Actual Size", 13},  {14, nullptr, 0},       {15, "Copy Filename", 15},
        {16, "Copy Image", 16},   {17, nullptr, 0},       {18, "Set Wallpaper", 18},
    };
    return t;
}

QString ViewerHelpText(const QString& caption) {
    static const QHash<QString, QString> t = {
        {"&Open", "Opens new image"},
        {"&Browser", "Returns to browser"},
        {"&Print", "Prints selected file"},
        {"&Close", "Closes image viewer"},
        {"&Copy Filename", "Copies filename to clipboard"},
        {"Copy &Image", "Copies image to clipboard"},
        {"&Set Wallpaper", "Sets desktop wallpaper"},
        {"&Centered", "Centers wallpaper on desktop"},
        {"&Tiled", "Tiles wallpaper on desktop"},
        {"&Stretched", "Stretches wallpaper to fit desktop"},
        {"&Previous Image", "Views previous image in file listing"},
        {"&Next Image", "Views next image in file listing"},
        {"Zoom &In", "Zooms in on image"},
        {"Zoom &Out", "Zooms out from image"},
        {"&Actual Size", "Show image with no zoom"},
        {"&Reload", "Reloads the image"},
        {"&Morvath Software on the Web", QString("Go to ") + kVendorWebSite},
        {"About", "About " + kAppName + " " + VersionText()},
    };
    return t.value(caption);
}

QString PatternList(const std::array<bool, 9>& shown) {
    static const char* const patterns[] = {"*.bmp;", "*.gif;", "*.jpg;", "*.jpeg;", "*.dib;",
                                           "*.ico;", "*.cur;", "*.wmf;", "*.emf;"};
    QString list;
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i]) list += patterns[i];
    list.chop(1);  // the last ';'; nothing to drop when no type is on
    return list;
}

QString PatternListOfSwitches() {
    return PatternList(
        {ShowBMP, ShowGIF, ShowJPG, ShowJPEG, ShowDIB, ShowICO, ShowCUR, ShowWMF, ShowEMF});
}

QString OpenDialogFilter(const QString& patternList) {
    // Qt's dialog separates a filter's patterns with spaces.
    return "All Supported Formats (" + QString(patternList).replace(';', ' ') +
           ");;All Files (*)";
}
