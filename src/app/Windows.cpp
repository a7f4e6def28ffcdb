#include "app/Wiring.h"
#include "browser/frmMain.h"
#include "fileops/frmFileOps.h"
#include "hound/frmFind.h"
#include "kit/Forms.h"
#include "slideshow/frmshow.h"
#include "tools/KvoAbout.h"
#include "tools/frmColors.h"
#include "tools/frmOrganize.h"
#include "tools/frmPrint.h"
#include "tools/frmSettings.h"
#include "tools/frmWebView.h"
#include "tools/frmconvert.h"
#include "tools/frmprogress.h"
#include "viewer/frmScroll.h"

// What closing the main window does with each window, in the order it does
// it: it closes the print window, the web pattern viewer, the viewer and the
// settings dialog, then releases all of these and finally itself. A released
// window still on screen stays open. A new window gets its line here; one
// that is not here (the splash, the shell's dialogs) is left alone.
void DeclareWindows() {
    Forms::Declare<KvoAbout>(Forms::Released);
    Forms::Declare<frmColors>(Forms::Released);
    Forms::Declare<frmconvert>(Forms::Released);
    Forms::Declare<frmFileOps>(Forms::Released);
    Forms::Declare<frmOrganize>(Forms::Released);
    Forms::Declare<frmPrint>(Forms::Closed);
    Forms::Declare<frmprogress>(Forms::Released);
    Forms::Declare<frmshow>(Forms::Released);
    Forms::Declare<frmWebView>(Forms::Closed);
    Forms::Declare<frmScroll>(Forms::Closed);
    Forms::Declare<frmSettings>(Forms::Closed);
    Forms::Declare<frmFind>(Forms::Released);
}
