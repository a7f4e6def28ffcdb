#include "kit/Schema.h"

#include "kit/Settings.h"

#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"
#include "platform/SystemInfo.h"

std::vector<Schema::Key> Schema::Keys() {
    const QVariant yes(true);
    const ScreenMetrics& screen = Platform::screen();
    const SystemInfo& sys = Platform::system();
    std::vector<Key> k;
    for (const char* name : {"Show BMP",
                             "Show DIB",
                             "Show GIF",
                             "Show JPG",
                             "Show JPEG",
                             "Show ICO",
                             "Show CUR",
                             "Show WMF",
                             "Show EMF",
                             "Show Hidden Files",
                             "Toolbar Visible",
                             "StatusBar Visible",
                             "Use Previous Folder",
                             "Path in Titlebar",
                             "Double Click",
                             "Window Position",
                             "Window Size",
                             "Window State",
                             "Full Row Select",
                             "Grid Lines"})
        k.push_back({BrowserOptions, name, yes});
    k.push_back({BrowserOptions, "Preview Position", QString("Right")});
    k.push_back({BrowserOptions, "Left", 200});
    k.push_back({BrowserOptions, "Top", 200});
    k.push_back({BrowserOptions, "Width", double(screen.ScreenWidth()) - 400});
    k.push_back({BrowserOptions, "Height", double(screen.ScreenHeight()) - 400});
    k.push_back({BrowserOptions, "WindowState", 0});
    k.push_back({BrowserOptions, "Previous Folder", sys.VolumeRoot(sys.ProgramFolder())});
    k.push_back({BrowserOptions, "Listview View", QVariant()});
    k.push_back({BrowserOptions, "Odometer", 0});

    for (const char* name : {"Confirm Folder Creation", "Show Confrim Dialog", "Show Progress"})
        k.push_back({FileOptions, name, yes});

    k.push_back({SlideshowSettings, "Delay", 5});
    k.push_back({SlideshowSettings, "Looping", 1});
    k.push_back({SlideshowSettings, "Show Filename", 1});
    k.push_back({SlideshowSettings, "Show Details", 0});
    k.push_back({SlideshowSettings, "Sequence", 0});
    k.push_back({SlideshowSettings, "Always On Top", 1});

    k.push_back({GeneralOptions, "Last Color", 8421504});
    k.push_back({GeneralOptions, "Last Convert Folder", QString("")});
    return k;
}

QVariant Schema::Default(const QString& section, const QString& key) {
    for (const Key& k : Keys())
        if (k.section.compare(section, Qt::CaseInsensitive) == 0 &&
            k.key.compare(key, Qt::CaseInsensitive) == 0)
            return k.defaultValue;
    return {};
}

QString Schema::Read(const QString& section, const QString& key) {
    return ReadSetting(section, key, Default(section, key));
}
