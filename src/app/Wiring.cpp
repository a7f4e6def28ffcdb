#include "app/Wiring.h"

#include "browser/Openers.h"
#include "fileops/FileCommands.h"
#include "kit/Forms.h"
#include "viewer/frmScroll.h"

void WireWindows() {
    Openers& o = Openers::table();
    o.ShowViewer = [] { Forms::Get<frmScroll>("frmScroll")->Form_Load(); };
    o.CopyThem = CopyThem;
    o.CreateAFolder = CreateAFolder;
    o.DeleteSelected = DeleteSelected;
    o.RenameFile = RenameFile;
}
