#pragma once

// Set-up shared by the benchmarks that drive the main window: a fixed
// 1920x1080 screen, settings in the bench's own folder, every type shown.
#include <QString>
#include <memory>

#include "browser/Switches.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"
#include "platform/SettingsBackend.h"

// The real services, with the settings in the bench's own folder.
inline void InstallBenchSettings(const QString& folder) {
    Platform::installDefaults();
    Platform::setSettings(std::make_unique<IniSettingsBackend>(folder + "/settings.ini"));
}

inline void InstallBenchPlatform(const QString& folder) {
    InstallBenchSettings(folder);
    Platform::setScreen(std::make_unique<FixedScreenMetrics>(1920, 1080, 15.0f));
    for (bool* b : {&ShowBMP, &ShowDIB, &ShowGIF, &ShowJPG, &ShowJPEG, &ShowICO, &ShowCUR, &ShowWMF,
                    &ShowEMF, &ShowHidden, &ToolbarVisible, &StatusBarVisible})
        *b = true;
}
