#pragma once

#include <QString>
#include <QVariant>

#include "kit/PictureTypes.h"

// Every key the program keeps in its settings, with its default: one
// constant a key (Keys::ShowBMP), used by whoever reads or writes it. The two
// list sections ("Favorite Folders", "Recent Folders") have no fixed keys.
namespace Schema {
inline const QString BrowserOptions = QStringLiteral("Browser Options");
inline const QString FileOptions = QStringLiteral("File Options");
inline const QString SlideshowSettings = QStringLiteral("Slideshow Settings");
inline const QString GeneralOptions = QStringLiteral("General Options");
inline const QString FavoriteFolders = QStringLiteral("Favorite Folders");
inline const QString RecentFolders = QStringLiteral("Recent Folders");
// Settings beyond the browser's classic behaviour, kept apart so the classic
// sections hold exactly their own keys.
inline const QString ExtrasSection = QStringLiteral("Extras");

struct Key {
    const QString& section;
    QString name;
    // What a missing key reads as; invalid when the key has none ("Listview View").
    QVariant fallback;
    // Set where the default follows the screen or the program's place: it is
    // worked out when a missing key is read, so it follows the services of
    // the moment and costs nothing while the key is stored.
    QVariant (*workOut)() = nullptr;
};

// The default of a key, worked out now where it depends on the machine.
QVariant Default(const Key& key);

// The defaults that depend on the machine: the screen less 400 twips each
// way, and the root of the volume that holds the program.
QVariant ScreenWidthLess400();
QVariant ScreenHeightLess400();
QVariant ProgramRoot();
}  // namespace Schema

// The stored text of a key, or its default as text when it is not stored.
QString ReadSetting(const Schema::Key& key);
void WriteSetting(const Schema::Key& key, const QVariant& value);

namespace Keys {
using Schema::Key;
// "Browser Options". The check boxes keep "True"/"False".
// The picture types' switches, by the names the program has always used:
// their stored names come from the types' table.
inline const Key ShowBMP = PictureTypes::SettingKey(PictureTypes::Named("BMP"));
inline const Key ShowDIB = PictureTypes::SettingKey(PictureTypes::Named("DIB"));
inline const Key ShowGIF = PictureTypes::SettingKey(PictureTypes::Named("GIF"));
inline const Key ShowJPG = PictureTypes::SettingKey(PictureTypes::Named("JPG"));
inline const Key ShowJPEG = PictureTypes::SettingKey(PictureTypes::Named("JPEG"));
inline const Key ShowICO = PictureTypes::SettingKey(PictureTypes::Named("ICO"));
inline const Key ShowCUR = PictureTypes::SettingKey(PictureTypes::Named("CUR"));
inline const Key ShowWMF = PictureTypes::SettingKey(PictureTypes::Named("WMF"));
inline const Key ShowEMF = PictureTypes::SettingKey(PictureTypes::Named("EMF"));
inline const Key ShowHiddenFiles{Schema::BrowserOptions, "Show Hidden Files", true};
inline const Key ToolbarVisible{Schema::BrowserOptions, "Toolbar Visible", true};
inline const Key StatusBarVisible{Schema::BrowserOptions, "StatusBar Visible", true};
inline const Key UsePreviousFolder{Schema::BrowserOptions, "Use Previous Folder", true};
inline const Key PathInTitlebar{Schema::BrowserOptions, "Path in Titlebar", true};
inline const Key DoubleClick{Schema::BrowserOptions, "Double Click", true};
inline const Key SaveWindowPosition{Schema::BrowserOptions, "Window Position", true};
inline const Key SaveWindowSize{Schema::BrowserOptions, "Window Size", true};
inline const Key SaveWindowState{Schema::BrowserOptions, "Window State", true};
inline const Key FullRowSelect{Schema::BrowserOptions, "Full Row Select", true};
inline const Key GridLines{Schema::BrowserOptions, "Grid Lines", true};
// "Right" or "Bottom".
inline const Key PreviewPosition{Schema::BrowserOptions, "Preview Position", QString("Right")};
// The window's geometry in twips and its state (0 normal, 1 minimised, 2 maximised).
inline const Key Left{Schema::BrowserOptions, "Left", 200};
inline const Key Top{Schema::BrowserOptions, "Top", 200};
inline const Key Width{Schema::BrowserOptions, "Width", {}, Schema::ScreenWidthLess400};
inline const Key Height{Schema::BrowserOptions, "Height", {}, Schema::ScreenHeightLess400};
inline const Key WindowState{Schema::BrowserOptions, "WindowState", 0};
inline const Key PreviousFolder{Schema::BrowserOptions, "Previous Folder", {}, Schema::ProgramRoot};
inline const Key ListviewView{Schema::BrowserOptions, "Listview View", {}};
// How many pictures have been shown, up to 32767.
inline const Key Odometer{Schema::BrowserOptions, "Odometer", 0};

// "File Options" (the misspelling is the stored name).
inline const Key ConfirmFolderCreation{Schema::FileOptions, "Confirm Folder Creation", true};
inline const Key ShowConfirmDialog{Schema::FileOptions, "Show Confrim Dialog", true};
inline const Key ShowProgress{Schema::FileOptions, "Show Progress", true};

// "Slideshow Settings": the check boxes keep their value, "0" or "1".
inline const Key Delay{Schema::SlideshowSettings, "Delay", 5};
inline const Key Looping{Schema::SlideshowSettings, "Looping", 1};
inline const Key ShowFilename{Schema::SlideshowSettings, "Show Filename", 1};
inline const Key ShowDetails{Schema::SlideshowSettings, "Show Details", 0};
// 0 in order, 1 reverse order, 2 random.
inline const Key Sequence{Schema::SlideshowSettings, "Sequence", 0};
inline const Key AlwaysOnTop{Schema::SlideshowSettings, "Always On Top", 1};

// "General Options".
inline const Key LastColor{Schema::GeneralOptions, "Last Color", 8421504};  // grey 128, 128, 128
inline const Key LastConvertFolder{Schema::GeneralOptions, "Last Convert Folder", QString("")};

// "Extras": switches, and the bars of the panes in twips (no default).
inline const Key RememberPaneSizes{Schema::ExtrasSection, "Remember Pane Sizes", true};
inline const Key FolderTreeWidth{Schema::ExtrasSection, "Folder Tree Width", {}};
// The list's size is kept for each place of the preview: right, and below.
inline const Key FileListWidth{Schema::ExtrasSection, "File List Width", {}};
inline const Key FileListHeight{Schema::ExtrasSection, "File List Height", {}};
// The viewer's keys, mouse wheel and dragging; its Fit in Window command and
// full screen; the slideshow's pause and stepping keys.
inline const Key ViewerKeys{Schema::ExtrasSection, "Viewer Keys", true};
inline const Key ViewerFit{Schema::ExtrasSection, "Viewer Fit In Window", true};
inline const Key SlideshowKeys{Schema::ExtrasSection, "Slideshow Keys", true};
// The file list previews the item Home, End, Page Up, Page Down and typing
// a name move to, as the arrow keys do.
inline const Key ListKeysPreview{Schema::ExtrasSection, "List Keys Preview", true};
// Pictures turned upright as their EXIF orientation tag says.
inline const Key ExifOrientation{Schema::ExtrasSection, "EXIF Orientation", true};
// Pictures dragged from the file list to other programs, and files dropped
// on a folder of the folder tree copied (Shift: moved) there.
inline const Key DragAndDrop{Schema::ExtrasSection, "Drag And Drop", true};
// An animated GIF plays in the viewer.
inline const Key AnimatedGifs{Schema::ExtrasSection, "Animated GIFs", true};
// Large Icons and Small Icons show each picture's thumbnail (from the
// desktop's shared thumbnail cache) in place of its type image.
inline const Key ShowThumbnails{Schema::ExtrasSection, "Show Thumbnails", true};
}  // namespace Keys
