#include <QApplication>

#include "app/Wiring.h"
#include "app/frmspash.h"
#include "browser/Icons.h"
#include "kit/Version.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kAppName);
    QApplication::setApplicationVersion(VersionText());
    QApplication::setDesktopFileName("org.example.kvoview");
    QApplication::setWindowIcon(Icons::Program());
    Platform::installDefaults();
    WireWindows();
    frmspash::instance()->Form_Load();
    return app.exec();
}
