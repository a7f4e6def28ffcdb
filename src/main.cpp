#include <QApplication>

#include "app/Wiring.h"
#include "app/frmspash.h"
#include "kit/Version.h"
#include "platform/Platform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kAppName);
    QApplication::setApplicationVersion(VersionText());
    QApplication::setDesktopFileName("kvoview");
    Platform::installDefaults();
    WireWindows();
    frmspash::instance()->Form_Load();
    return app.exec();
}
