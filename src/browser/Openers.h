#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

struct PictureHolder;

// The windows and commands of higher floors that the browser and the viewer
// start: the start-up code fills this table, so the main window never knows
// their headers. An entry not filled in (its window does not exist yet) does
// nothing when called.
struct Openers {
    // Windows.
    std::function<void()> ShowViewer;                    // frmScroll, modeless
    std::function<void(const QString& path)> PrintFile;  // frmPrint, modal
    std::function<void()> ShowSettings;                  // frmSettings, modal
    std::function<void()> ShowAbout;                     // KvoAbout, modal
    std::function<void()> ShowOrganize;                  // frmOrganize, modal
    std::function<void()> ShowImageHound;                // frmFind, modal
    std::function<void()> ShowConvert;                   // frmconvert, modeless
    std::function<void()> ShowColors;                    // frmColors, modeless
    std::function<void()> StartSlideshow;                // frmshow
    std::function<void()> ShowWebView;                   // frmWebView
    std::function<void()> CreateHtmlListing;             // frmprogress
    // Commands.
    std::function<void()> CreateCsvListing;  // createcsv
    std::function<void()> CreateAFolder;
    std::function<void(bool copymodeA)> CopyThem;
    std::function<void(bool recycle)> DeleteSelected;
    std::function<void()> RenameFile;
    // Files dropped on a folder of the tree (raw paths), copied or moved there.
    std::function<void(const std::vector<QByteArray>& sources, const QByteArray& folder, bool copy)>
        DropFiles;
    // MakeWallpaper from a picture holder in mode 0 centred, 1 tiled, 2 stretched.
    std::function<void(const PictureHolder& source, int mode)> MakeWallpaper;
    std::function<void(int Index)> mnulaunch_Click;
    std::function<void(int Index)> mnushell_Click;

    static Openers& Table();
};

// Calls an entry when it is filled in.
template <class Fn, class... Args>
void Open(const Fn& fn, Args&&... args) {
    if (fn) fn(std::forward<Args>(args)...);
}
