#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <thread>

#include "app/FirstFrame.h"
#include "app/Wiring.h"
#include "app/frmspash.h"
#include "browser/Icons.h"
#include "browser/StartPaths.h"
#include "kit/Version.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstFrameWatch::Install("frmMain");
    // The first picture read loads every image format plugin, and the
    // toolbars' pictures wait for that: it is done beside the start-up.
    std::jthread plugins([] {
        QByteArray bytes("no picture");
        QBuffer probe(&bytes);
        probe.open(QIODevice::ReadOnly);
        QImageReader::imageFormat(&probe);
    });
    QApplication::setApplicationName(kAppName);
    QApplication::setApplicationVersion(VersionText());
    QApplication::setDesktopFileName("org.example.kvoview");
    QApplication::setWindowIcon(Icons::Program());
    Platform::InstallDefaults();
    WireWindows();
    // Qt has taken its own options out of argv by now; what is left are
    // the folders and pictures to open, as bytes.
    frmspash* splash = frmspash::Instance();
    splash->StartPaths = CommandLinePaths(argc, argv);
    splash->Form_Load();
    return app.exec();
}
