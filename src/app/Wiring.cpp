#include "app/Wiring.h"

#include <QPointer>

#include "browser/Openers.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "tools/CsvListing.h"
#include "tools/WallpaperMaker.h"
#include "tools/frmconvert.h"
#include "tools/frmprogress.h"
#include "viewer/frmScroll.h"

namespace {
// The window's instance, owned by the main window (kept above it).
template <class T>
T* ownedBy(const QString& name) {
    T* w = Forms::Get<T>(name);
    if (frmMain::exists() && w->parentWidget() != frmMain::instance())
        w->setParent(frmMain::instance(), w->windowFlags());
    return w;
}
}  // namespace

void WireWindows() {
    Openers& o = Openers::table();
    o.ShowViewer = [] { Forms::Get<frmScroll>("frmScroll")->Form_Load(); };
    o.CreateHtmlListing = [] {
        // The window does the whole run while it loads and goes when it
        // ends; a second listing is not started while one runs.
        if (Forms::Loaded("frmprogress")) return;
        QPointer<frmprogress> p = ownedBy<frmprogress>("frmprogress");
        p->Form_Load();
        if (p) p->close();
    };
    o.CreateCsvListing = [] { createcsv(); };
    o.ShowConvert = [] {
        if (Forms::Loaded("frmconvert")) {
            Forms::Find("frmconvert")->raise();
            return;
        }
        ownedBy<frmconvert>("frmconvert")->Form_Load();
    };
    o.MakeWallpaper = [](const PictureHolder& source, int mode) { MakeWallpaper(source, mode); };
}
