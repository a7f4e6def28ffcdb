#include "app/Wiring.h"

#include "browser/Openers.h"
#include "fileops/FileCommands.h"
#include "kit/Forms.h"
#include "tools/KvoAbout.h"
#include "tools/frmOrganize.h"
#include "tools/frmSettings.h"
#include "viewer/frmScroll.h"

void WireWindows() {
    Openers& o = Openers::table();
    o.ShowViewer = [] { Forms::Get<frmScroll>("frmScroll")->Form_Load(); };
    o.CopyThem = CopyThem;
    o.CreateAFolder = CreateAFolder;
    o.DeleteSelected = DeleteSelected;
    o.RenameFile = RenameFile;
    o.ShowSettings = [] {
        auto* f = Forms::Get<frmSettings>("frmSettings");
        f->Form_Load();
        f->exec();
    };
    o.ShowOrganize = [] {
        auto* f = Forms::Get<frmOrganize>("frmOrganize");
        f->Form_Load();
        f->exec();
    };
    o.ShowAbout = [] {
        auto* f = Forms::Get<KvoAbout>("KvoAbout");
        f->Form_Load();
        f->exec();
    };
}
