#include "app/Wiring.h"

#include "browser/Openers.h"
#include "browser/frmMain.h"
#include "fileops/FileCommands.h"
#include "hound/frmFind.h"
#include "kit/Forms.h"
#include "slideshow/frmshow.h"
#include "viewer/frmScroll.h"

void WireWindows() {
    DeclareWindows();
    Openers& o = Openers::Table();
    o.ShowViewer = [] { Forms::Get<frmScroll>()->Form_Load(); };
    o.CopyThem = CopyThem;
    o.CreateAFolder = CreateAFolder;
    o.DeleteSelected = DeleteSelected;
    o.RenameFile = RenameFile;
    o.DropFiles = DropFiles;
    o.StartSlideshow = [] { Forms::Get<frmshow>()->Form_Load(); };
    o.ShowImageHound = [] {
        frmFind* f = Forms::Get<frmFind>();
        if (frmMain::Exists()) f->setParent(frmMain::Instance(), f->windowFlags());
        f->Form_Load();
        f->exec();
    };
    WireTools(o);
}
