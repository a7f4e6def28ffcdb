// The baseline of bench_startup: a bare main window with a menu bar and a
// status bar, loading the same libraries as kvoview, ending at its first
// frame as kvoview does under KVO_BENCH_FIRST_FRAME.
#include <QApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QStatusBar>

#include <cups/cups.h>

#include "app/FirstFrame.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstFrameWatch::Install("bare");
    // Never run: the linker keeps only the libraries the program calls into.
    if (argc < 0) {
        QGuiApplication::primaryScreen();
        QPrinterInfo::defaultPrinterName();
        QDBusConnection::sessionBus();
        cupsUser();
    }
    QMainWindow window;
    window.setObjectName("bare");
    window.menuBar()->addMenu("&File")->addAction("E&xit");
    window.statusBar()->showMessage("Ready");
    window.resize(800, 600);
    window.show();
    return app.exec();
}
