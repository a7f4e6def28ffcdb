#include "app/Wiring.h"

#include "browser/Openers.h"
#include "kit/Forms.h"
#include "viewer/frmScroll.h"

void WireWindows() {
    Openers& o = Openers::table();
    o.ShowViewer = [] { Forms::Get<frmScroll>("frmScroll")->Form_Load(); };
}
