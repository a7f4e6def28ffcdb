#include "viewer/ViewerTables.h"

#include "kit/PictureTypes.h"

const CommandTable& ViewerCommandTable() {
    using P = Icons::Pic;
    // clang-format off
    static const CommandTable t = {
        {
            {"mnufile", "File", "mnufilea"},
            {"mnuedit", "&Edit", "mnuedita"},
            {"mnuview", "&View", "mnuviewa"},
            kAboutMenu,
        },
        JoinCommands({{
            {.array = "mnufilea", .index = 0, .caption = "&Open", .help = Help("Opens new image"),
             .icon = P::Picture, .button = {1, "Open", P::OpenFile}},
            {.array = "mnufilea", .index = 1, .caption = "&Browser",
             .help = Help("Returns to browser"), .button = {2, "Browser", P::DetailedView}},
            {.array = "mnufilea", .index = 2, .caption = "-"},
            {.array = "mnufilea", .index = 3, .caption = "&Print",
             .help = Help("Prints selected file"), .icon = P::Printer, .button = {4, "Print"}},
            {.array = "mnufilea", .index = 4, .caption = "-"},
            {.array = "mnufilea", .index = 5, .caption = "&Close",
             .help = Help("Closes image viewer")},

            {.array = "mnuedita", .index = 0, .caption = "Copy &Image",
             .help = Help("Copies image to clipboard"), .icon = P::Picture,
             .button = {16, "Copy Image", P::ClipboardPicture}},
            {.array = "mnuedita", .index = 1, .caption = "&Copy Filename",
             .help = Help("Copies filename to clipboard"),
             .button = {15, "Copy Filename", P::Clipboard}},
            {.array = "mnuedita", .index = 2, .caption = "-"},
            {.array = "mnuedita", .index = 3, .caption = "&Set Wallpaper", .submenu = "mnuwall",
             .help = Help("Sets desktop wallpaper"), .button = {18, "Set Wallpaper", P::Monitor}},
        }, WallpaperCommands("mnuwall"), {

            {.array = "mnuviewa", .index = 0, .caption = "&Previous Image",
             .help = Help("Views previous image in file listing"),
             .button = {6, "Previous Image", P::Back}},
            {.array = "mnuviewa", .index = 1, .caption = "&Next Image",
             .help = Help("Views next image in file listing"),
             .button = {7, "Next Image", P::Forward}},
            {.array = "mnuviewa", .index = 2, .caption = "-"},
            {.array = "mnuviewa", .index = 3, .caption = "Zoom &In",
             .help = Help("Zooms in on image"), .button = {11, "Zoom In", P::ZoomIn}},
            {.array = "mnuviewa", .index = 4, .caption = "Zoom &Out",
             .help = Help("Zooms out from image"), .button = {12, "Zoom Out", P::ZoomOut}},
            // The button differs: it leaves the menu's zoom items as they are.
            {.array = "mnuviewa", .index = 5, .caption = "&Actual Size",
             .help = Help("Show image with no zoom"),
             .button = {13, "Actual Size", P::ActualSize}},
            {.array = "mnuviewa", .index = 6, .caption = "-"},
            {.array = "mnuviewa", .index = 7, .caption = "&Reload",
             .help = Help("Reloads the image"), .button = {9, "Reload", P::Reload}},
            // Beyond the classic menu, after its items so their indexes stay.
            {.array = "mnuviewa", .index = 8, .caption = "&Fit in Window", .shortcut = "F",
             .help = Help("Fits the whole image in the window")},
        }, AboutCommands()}),
    };
    // clang-format on
    return t;
}

QString PatternList(std::span<const bool> shown) {
    const std::vector<const PictureTypes::Row*> types = PictureTypes::InViewerOrder();
    QString list;
    for (size_t i = 0; i < shown.size() && i < types.size(); ++i)
        if (shown[i]) list += PictureTypes::Pattern(*types[i]) + ';';
    list.chop(1);  // the last ';'; nothing to drop when no type is on
    return list;
}

QString PatternListOfSwitches() {
    QList<bool> shown;
    for (const PictureTypes::Row* t : PictureTypes::InViewerOrder())
        shown << PictureTypes::Shown(*t);
    return PatternList(shown);
}

QString OpenDialogFilter(const QString& patternList) {
    // Qt's dialog separates a filter's patterns with spaces.
    return "All Supported Formats (" + QString(patternList).replace(';', ' ') + ");;All Files (*)";
}
