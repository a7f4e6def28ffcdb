#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <iterator>
#include <span>
#include <string_view>
#include <vector>

#include "platform/PictureFormat.h"

namespace Schema {
struct Key;
}

// The picture types the program lists, searches and opens: one row a type.
// Every place that shows the types reads them from here: the switches and
// their settings, the settings dialog's check boxes, the file list's patterns
// and images, Image Hound's tabs, the viewer's open filter and the desktop
// entry's MIME types. A new type is one row here and its reader in the
// picture loader; it takes the places after the nine classic ones.
namespace PictureTypes {

struct Row {
    std::string_view name;       // "BMP": the type as the user knows it
    std::string_view extension;  // "bmp": lower case, without the dot
    PictureType reader;          // what the loader finds in the file's first bytes
    const char* key;             // its switch's stored name
    const char* mimeType;
    // One of the nine types the program has always known: its switch is
    // kept in "Browser Options", a newer type's in "Extras".
    bool classic;
    // Where the type stands on each surface that orders the types (from 1).
    int listOrder;    // the file list's listing
    int viewerOrder;  // the viewer's open filter
    // The file list's image number (9 is the parent entry's); types that
    // share one show the text and colour of the first of them in the listing.
    int listImage;
    unsigned listColour;  // 0xRRGGBB
    // The settings dialog's check box: its index in the Browser tab's array,
    // which is also the order of the boxes, and its caption.
    int settingsCheck;
    const char* settingsCaption;
    // Image Hound's result list (from 0). Classic types that share one share
    // the caption and the switch of the first of them here; the newer types
    // share the tab "Other", each file there listed as its own type's switch
    // says.
    int houndTab;
};

// In the order the switches are loaded.
// clang-format off
inline constexpr Row kRows[] = {
    {.name = "BMP", .extension = "bmp", .reader = PictureType::Bmp, .key = "Show BMP",
     .mimeType = "image/bmp", .classic = true, .listOrder = 1, .viewerOrder = 1,
     .listImage = 1, .listColour = 0x2864B4, .settingsCheck = 4, .settingsCaption = "BMP Image",
     .houndTab = 0},
    {.name = "DIB", .extension = "dib", .reader = PictureType::Bmp, .key = "Show DIB",
     .mimeType = "image/x-dib", .classic = true, .listOrder = 5, .viewerOrder = 5,
     .listImage = 4, .listColour = 0x288282, .settingsCheck = 5, .settingsCaption = "DIB Images",
     .houndTab = 2},
    {.name = "GIF", .extension = "gif", .reader = PictureType::Gif, .key = "Show GIF",
     .mimeType = "image/gif", .classic = true, .listOrder = 2, .viewerOrder = 2,
     .listImage = 2, .listColour = 0x963CA0, .settingsCheck = 6, .settingsCaption = "GIF Images",
     .houndTab = 4},
    {.name = "JPG", .extension = "jpg", .reader = PictureType::Jpeg, .key = "Show JPG",
     .mimeType = "image/jpeg", .classic = true, .listOrder = 3, .viewerOrder = 3,
     .listImage = 3, .listColour = 0xC85A1E, .settingsCheck = 7, .settingsCaption = "JPG Images",
     .houndTab = 6},
    {.name = "JPEG", .extension = "jpeg", .reader = PictureType::Jpeg, .key = "Show JPEG",
     .mimeType = "image/jpeg", .classic = true, .listOrder = 4, .viewerOrder = 4,
     .listImage = 3, .listColour = 0xC85A1E, .settingsCheck = 8, .settingsCaption = "JPEG Images",
     .houndTab = 6},
    {.name = "ICO", .extension = "ico", .reader = PictureType::Ico, .key = "Show ICO",
     .mimeType = "image/vnd.microsoft.icon", .classic = true, .listOrder = 7, .viewerOrder = 6,
     .listImage = 6, .listColour = 0xB48C14, .settingsCheck = 11, .settingsCaption = "Icon Files",
     .houndTab = 5},
    {.name = "CUR", .extension = "cur", .reader = PictureType::Cur, .key = "Show CUR",
     .mimeType = "image/x-win-bitmap", .classic = true, .listOrder = 6, .viewerOrder = 7,
     .listImage = 5, .listColour = 0x646464, .settingsCheck = 9, .settingsCaption = "Cursor Files",
     .houndTab = 1},
    {.name = "WMF", .extension = "wmf", .reader = PictureType::Wmf, .key = "Show WMF",
     .mimeType = "image/wmf", .classic = true, .listOrder = 9, .viewerOrder = 8,
     .listImage = 8, .listColour = 0x785028, .settingsCheck = 10, .settingsCaption = "WMF Images",
     .houndTab = 7},
    {.name = "EMF", .extension = "emf", .reader = PictureType::Emf, .key = "Show EMF",
     .mimeType = "image/emf", .classic = true, .listOrder = 8, .viewerOrder = 9,
     .listImage = 7, .listColour = 0x3C8C3C, .settingsCheck = 12, .settingsCaption = "EMF Images",
     .houndTab = 3},
    // The newer types: their switches in "Extras", all on Image Hound's one
    // tab "Other" after the classic eight.
    {.name = "PNG", .extension = "png", .reader = PictureType::Png, .key = "Show PNG",
     .mimeType = "image/png", .classic = false, .listOrder = 10, .viewerOrder = 10,
     .listImage = 10, .listColour = 0x1E8C78, .settingsCheck = 21, .settingsCaption = "PNG Images",
     .houndTab = 8},
    {.name = "WEBP", .extension = "webp", .reader = PictureType::Webp, .key = "Show WEBP",
     .mimeType = "image/webp", .classic = false, .listOrder = 11, .viewerOrder = 11,
     .listImage = 11, .listColour = 0x5A8C14, .settingsCheck = 22, .settingsCaption = "WebP Images",
     .houndTab = 8},
    {.name = "TIF", .extension = "tif", .reader = PictureType::Tiff, .key = "Show TIF",
     .mimeType = "image/tiff", .classic = false, .listOrder = 12, .viewerOrder = 12,
     .listImage = 12, .listColour = 0x8C5A8C, .settingsCheck = 23, .settingsCaption = "TIF Images",
     .houndTab = 8},
    {.name = "TIFF", .extension = "tiff", .reader = PictureType::Tiff, .key = "Show TIFF",
     .mimeType = "image/tiff", .classic = false, .listOrder = 13, .viewerOrder = 13,
     .listImage = 12, .listColour = 0x8C5A8C, .settingsCheck = 24, .settingsCaption = "TIFF Images",
     .houndTab = 8},
    {.name = "SVG", .extension = "svg", .reader = PictureType::Svg, .key = "Show SVG",
     .mimeType = "image/svg+xml", .classic = false, .listOrder = 14, .viewerOrder = 14,
     .listImage = 13, .listColour = 0xD2641E, .settingsCheck = 25, .settingsCaption = "SVG Drawings",
     .houndTab = 8},
    {.name = "TGA", .extension = "tga", .reader = PictureType::Tga, .key = "Show TGA",
     .mimeType = "image/x-tga", .classic = false, .listOrder = 15, .viewerOrder = 15,
     .listImage = 14, .listColour = 0x50508C, .settingsCheck = 26, .settingsCaption = "TGA Images",
     .houndTab = 8},
    {.name = "AVIF", .extension = "avif", .reader = PictureType::Avif, .key = "Show AVIF",
     .mimeType = "image/avif", .classic = false, .listOrder = 16, .viewerOrder = 16,
     .listImage = 15, .listColour = 0xA01E5A, .settingsCheck = 27, .settingsCaption = "AVIF Images",
     .houndTab = 8},
    {.name = "HEIC", .extension = "heic", .reader = PictureType::Heif, .key = "Show HEIC",
     .mimeType = "image/heic", .classic = false, .listOrder = 17, .viewerOrder = 17,
     .listImage = 16, .listColour = 0x1E6496, .settingsCheck = 28, .settingsCaption = "HEIC Images",
     .houndTab = 8},
    {.name = "HEIF", .extension = "heif", .reader = PictureType::Heif, .key = "Show HEIF",
     .mimeType = "image/heif", .classic = false, .listOrder = 18, .viewerOrder = 18,
     .listImage = 16, .listColour = 0x1E6496, .settingsCheck = 29, .settingsCaption = "HEIF Images",
     .houndTab = 8},
    {.name = "JXL", .extension = "jxl", .reader = PictureType::Jxl, .key = "Show JXL",
     .mimeType = "image/jxl", .classic = false, .listOrder = 19, .viewerOrder = 19,
     .listImage = 17, .listColour = 0x646E1E, .settingsCheck = 30, .settingsCaption = "JPEG XL Images",
     .houndTab = 8},
};
// clang-format on

inline constexpr int kCount = int(std::size(kRows));

// The row of a type by its name; a name no row has does not compile where
// the answer is needed as a constant.
consteval int IndexOf(std::string_view name) {
    for (int i = 0; i < kCount; ++i)
        if (kRows[i].name == name) return i;
    throw "no picture type of that name";
}
consteval const Row& Named(std::string_view name) {
    return kRows[IndexOf(name)];
}

// The switches, one a row: whether the type is listed and searched. They
// start out false and are loaded from the settings at start-up.
inline bool switches[kCount] = {};
constexpr bool& Shown(const Row& row) {
    return switches[&row - kRows];
}

// The key that stores the type's switch (default true).
Schema::Key SettingKey(const Row& row);

// The rows in the order of one surface.
std::vector<const Row*> InListOrder();
std::vector<const Row*> InViewerOrder();
std::vector<const Row*> InSettingsOrder();

// The file list's pattern of the type: "*.bmp".
QString Pattern(const Row& row);
// The first type, in listing order, that shows list image `image`; null for none.
const Row* ListImageOwner(int image);
// The highest list image number a type uses.
int LastListImage();

// Image Hound's tabs, in order: each tab's caption and the type whose switch
// decides whether files are added to it (on "Other", the first of its types).
struct HoundTab {
    QString caption;
    const Row* owner;
};
const std::vector<HoundTab>& HoundTabs();
// The tab a file name goes to: its last four characters, lower-cased, equal
// to the last four of "." and a type's extension (so "jpeg" needs no dot), in
// tab order; -1 for none.
int HoundTabOf(QByteArrayView name);
// The type whose switch decides whether Image Hound lists a file of that
// name: its tab's owner, or on "Other" its own type; null for none.
const Row* HoundSwitchOf(QByteArrayView name);

// The MIME types of the rows, each once, in row order.
QStringList MimeTypes();

}  // namespace PictureTypes
