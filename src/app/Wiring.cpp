#include "app/Wiring.h"

#include "browser/Openers.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "viewer/frmScroll.h"
#include "hound/frmFind.h"
#include "slideshow/frmshow.h"

void WireWindows() {
    Openers& o = Openers::table();
    o.ShowViewer = [] { Forms::Get<frmScroll>("frmScroll")->Form_Load(); };
    o.StartSlideshow = [] { Forms::Get<frmshow>("frmshow")->Form_Load(); };
    o.ShowImageHound = [] {
        frmFind* f = Forms::Get<frmFind>("frmFind");
        if (frmMain::exists()) f->setParent(frmMain::instance(), f->windowFlags());
        f->Form_Load();
        f->exec();
    };
}
