#include "app/Wiring.h"

#include <QFile>

#include "browser/FileListModel.h"
#include "browser/Openers.h"
#include "browser/frmMain.h"
#include "fileops/FileCommands.h"
#include "hound/frmFind.h"
#include "kit/Forms.h"
#include "kit/ScreenPictures.h"
#include "slideshow/frmshow.h"
#include "tools/ShellLaunchers.h"
#include "tools/frmColors.h"
#include "tools/frmPrint.h"
#include "tools/frmWebView.h"
#include "viewer/frmScroll.h"

void WireWindows() {
    Openers& o = Openers::table();
    o.ShowViewer = [] { Forms::Get<frmScroll>("frmScroll")->Form_Load(); };
    o.CopyThem = CopyThem;
    o.CreateAFolder = CreateAFolder;
    o.DeleteSelected = DeleteSelected;
    o.RenameFile = RenameFile;
    o.StartSlideshow = [] { Forms::Get<frmshow>("frmshow")->Form_Load(); };
    o.ShowImageHound = [] {
        frmFind* f = Forms::Get<frmFind>("frmFind");
        if (frmMain::exists()) f->setParent(frmMain::instance(), f->windowFlags());
        f->Form_Load();
        f->exec();
    };
    o.PrintFile = [](const QString& path) {
        // The list's bytes name the file when its name is not valid text.
        const ListItem* item = frmMain::exists() ? frmMain::instance()->NeedsAFile() : nullptr;
        const QByteArray raw = item && item->Key == path ? item->RawKey : QFile::encodeName(path);
        frmPrint* f = Forms::Get<frmPrint>("frmPrint");
        f->Form_Load();
        f->Loadimage(path, raw);
        f->exec();
    };
    o.ShowColors = [] {
        const bool fresh = !Forms::Loaded("frmColors");
        frmColors* f = Forms::Get<frmColors>("frmColors");
        if (fresh) f->Form_Load();
        f->show();
        f->raise();
        f->activateWindow();
    };
    o.ShowWebView = [] {
        const bool fresh = !Forms::Loaded("frmWebView");
        frmWebView* f = Forms::Get<frmWebView>("frmWebView");
        if (fresh) f->Form_Load();
        frmMain* m = frmMain::instance();
        // The preview's picture at its own size: read again when the preview
        // holds a copy decoded smaller.
        QImage picture = m->picsrc.image;
        if (m->picsrc.HasPicture() && picture.size() != m->picsrc.pixels)
            if (std::optional<Picture> p =
                    ScreenPictureLoader().load(m->picsrc.path, QSize(8000, 8000)))
                picture = p->image;
        f->Picture1.Picture = picture;
        TilePicture(f->Picture1, nullptr, *f);
        const ListItem* item = m->NeedsAFile();
        f->setWindowTitle("Web Pattern Viewer - " + (item ? item->Key : QString()));
    };
    o.mnulaunch_Click = [](int Index) { ShellLaunchers::mnulaunch_Click(Index); };
    o.mnushell_Click = [](int Index) { ShellLaunchers::mnushell_Click(Index); };
}
