// Laying out the main window's bars and panes.
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/EdgeDrawing.h"
#include "kit/PictureBox.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/Splitter.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "kit/Twips.h"

void frmMain::Form_Resize() {
    picdest->Cls();
    picdest->hide();
    SetUpSlitter();
    picdest->show();
    DrawEtchedEdge(picdest);
}

void frmMain::SetUpSlitter() {
    // Only the exact word puts the preview below; anything else is "Right".
    const bool below = ReadSetting(Keys::PreviewPosition) == "Bottom";
    Splitter2->SetOrientation(below);
    mnuprev()(0)->setChecked(!below);
    mnuprev()(1)->setChecked(below);

    mnuviewa()(0)->setChecked(ToolbarVisible);
    mnuviewa()(1)->setChecked(StatusBarVisible);

    inResize_ = true;
    Toolbar2->setVisible(ToolbarVisible);
    Toolbar1->setVisible(ToolbarVisible);
    StatusBar1->setVisible(StatusBarVisible);

    // Bars keep their own heights; the splitter takes what is left.
    const float width = ScaleWidth();
    const float height = ScaleHeight();
    const float tb1 = TwY(Toolbar1->PreferredHeight());
    const float tb2 = TwY(Toolbar2->PreferredHeight());
    const float sb = TwY(StatusBar1->PreferredHeight());
    Toolbar1->setGeometry(PxRect(0, 0, width, tb1));
    Toolbar2->setGeometry(PxRect(0, tb1, width, tb2));
    StatusBar1->setGeometry(PxRect(0, height - sb, width, sb));

    float top = 0, h = height;
    if (ToolbarVisible && StatusBarVisible) {
        top = tb1 + tb2;
        h = height - (tb1 + tb2 + sb);
    } else if (ToolbarVisible) {
        top = tb1 + tb2;
        h = height - (tb1 + tb2);
    } else if (StatusBarVisible) {
        h = height - sb;
    }
    Splitter1->setGeometry(PxRect(0, top, width, qMax(0.0f, h)));
    inResize_ = false;
}

void frmMain::mnuPrev_Click(int Index) {
    if (Index == 0) WriteSetting(Keys::PreviewPosition, QString("Right"));
    if (Index == 1) WriteSetting(Keys::PreviewPosition, QString("Bottom"));
    SetUpSlitter();
}
