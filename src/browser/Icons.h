#pragma once

#include <QIcon>
#include <QStyle>

// The program's pictures for menus, toolbars and lists, drawn from the
// style's standard icons and a few painted ones so nothing depends on an
// installed icon theme.
namespace Icons {
// The pictures of commands in menus and on toolbars, by what they show.
enum class Pic {
    None,  // no picture: a null icon
    // The style's standard pictures.
    ParentFolder,
    Reload,
    Play,
    InfoView,
    Link,
    CommandLink,
    Discard,
    DetailedView,
    ContentsView,
    ListView,
    Trash,
    OpenFile,
    Back,
    Forward,
    NewFolder,
    Network,
    Information,
    Floppy,
    Apply,
    Stop,
    // Painted here.
    Star,
    Picture,
    Printer,
    Monitor,
    Pages,
    MoveTo,
    Gear,
    Tiles,
    Hound,
    Palette,
    HtmlListing,
    CsvListing,
    ZoomIn,
    ZoomOut,
    ActualSize,
    Clipboard,
    ClipboardPicture,
};
QIcon Get(Pic pic);
// A standard picture of the application's style.
QIcon Standard(QStyle::StandardPixmap sp);
// Drive and favourite buttons: 1 floppy, 2 removable, 3 fixed, 4 CD-ROM,
// 5 network, 6 RAM disk, 7 favourite folder.
QIcon Drive(int image);
// File list images: each picture type's (its name on its colour, by the
// types' table) and the parent entry's.
inline constexpr int ParentImage = 9;
QIcon ListImage(int image);
// The product artwork of the splash window (437 x 87 pixels).
QPixmap SplashArt();
// The program's own icon, for its windows (and, rendered, for the desktop).
QIcon Program();
}  // namespace Icons
