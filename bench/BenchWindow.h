#pragma once

// Set-up shared by the benchmarks that drive the main window: a fixed
// 1920x1080 screen, settings in the bench's own folder, every type shown.
#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "browser/Switches.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"
#include "platform/SettingsBackend.h"

// The real services, with the settings in the bench's own folder.
inline void InstallBenchSettings(const QString& folder) {
    Platform::InstallDefaults();
    Platform::SetSettings(std::make_unique<IniSettingsBackend>(folder + "/settings.ini"));
}

inline void InstallBenchPlatform(const QString& folder) {
    InstallBenchSettings(folder);
    Platform::SetScreen(std::make_unique<FixedScreenMetrics>(1920, 1080, 15.0f));
    for (bool* b : {&ShowBMP, &ShowDIB, &ShowGIF, &ShowJPG, &ShowJPEG, &ShowICO, &ShowCUR, &ShowWMF,
                    &ShowEMF, &ShowHidden, &ToolbarVisible, &StatusBarVisible})
        *b = true;
}

// The opening of the benchmarks that drive the windows: an application
// offscreen unless a platform is named, at 96 dpi, with InstallBenchPlatform's
// services in a temporary folder, removed at the end. folder() is empty when
// that folder could not be made.
class BenchWindowApp {
public:
    BenchWindowApp(int& argc, char** argv) : app_(offscreenAt96Dpi(argc), argv) {
        if (tmp_.isValid()) InstallBenchPlatform(tmp_.path());
    }
    QString folder() const { return tmp_.isValid() ? tmp_.path() : QString(); }

private:
    // Runs before the application exists, which is when these count.
    static int& offscreenAt96Dpi(int& argc) {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication::setAttribute(Qt::AA_Use96Dpi, true);
        return argc;
    }

    QApplication app_;
    QTemporaryDir tmp_;
};
