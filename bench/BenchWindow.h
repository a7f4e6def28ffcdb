#pragma once

// Set-up shared by the benchmarks that drive the main window: a fixed
// 1920x1080 screen, settings in the bench's own folder, every type shown.
#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <functional>
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

// Runs the event loop until done() holds, as a user waiting would, sleeping
// between events (a timer wakes it now and then to look at the clock); false
// after 60 seconds.
inline bool RunUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(60000);
    QTimer wake;
    wake.start(50);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The longest time the user-interface thread went without returning to its
// event loop while it was watched: what a user feels as a frozen window. A
// timer asks to run every millisecond; the longest time between two of its
// runs is the longest the loop was held.
class LoopGaps {
public:
    LoopGaps() {
        timer_.setInterval(1);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            worst_ = std::max(worst_, clock_.nsecsElapsed() / 1e6);
            clock_.restart();
        });
    }
    void Start() {
        worst_ = 0;
        clock_.start();
        timer_.start();
    }
    void Stop() {
        timer_.stop();
        worst_ = std::max(worst_, clock_.nsecsElapsed() / 1e6);
    }
    double WorstMs() const { return worst_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    double worst_ = 0;
};
