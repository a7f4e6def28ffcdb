#include "app/Wiring.h"

#include <QFile>
#include <QPointer>

#include "browser/FileListModel.h"
#include "browser/Openers.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/PictureService.h"
#include "kit/Twips.h"
#include "platform/PathText.h"
#include "tools/CsvListing.h"
#include "tools/KvoAbout.h"
#include "tools/ShellLaunchers.h"
#include "tools/WallpaperMaker.h"
#include "tools/frmColors.h"
#include "tools/frmOrganize.h"
#include "tools/frmPrint.h"
#include "tools/frmSettings.h"
#include "tools/frmWebView.h"
#include "tools/frmconvert.h"
#include "tools/frmprogress.h"

namespace {
// The window's instance, owned by the main window: kept above it, but left
// open when it closes.
template <class T>
T* ownedBy() {
    T* w = Forms::Get<T>();
    if (frmMain::Exists()) KeepAbove(*w, frmMain::Instance());
    return w;
}

// Opens a modal window afresh.
template <class T>
void showModal() {
    T* f = Forms::Get<T>();
    f->Form_Load();
    f->exec();
}
}  // namespace

// The Tools menu's windows, the listings, wallpaper, printing and launchers,
// the settings, the organizer and the about box.
void WireTools(Openers& o) {
    o.ShowSettings = [] { showModal<frmSettings>(); };
    o.ShowOrganize = [] { showModal<frmOrganize>(); };
    o.ShowAbout = [] { showModal<KvoAbout>(); };
    o.CreateHtmlListing = [] {
        // The window does the whole run while it loads and goes when it
        // ends; a second listing is not started while one runs.
        if (Forms::Loaded<frmprogress>()) return;
        QPointer<frmprogress> p = ownedBy<frmprogress>();
        p->Form_Load();
        if (p) p->close();
    };
    o.CreateCsvListing = [] { createcsv(); };
    o.ShowConvert = [] {
        if (frmconvert* c = Forms::Find<frmconvert>()) {
            c->raise();
            return;
        }
        ownedBy<frmconvert>()->Form_Load();
    };
    o.MakeWallpaper = [](const PictureHolder& source, int mode) { MakeWallpaper(source, mode); };
    o.PrintFile = [](const QString& path) {
        // The list's bytes name the file when its name is not valid text.
        const ListItem* item = frmMain::Exists() ? frmMain::Instance()->NeedsAFile() : nullptr;
        const QByteArray raw = item && item->Key() == path ? item->RawKey() : PathBytes(path);
        frmPrint* f = Forms::Get<frmPrint>();
        f->Form_Load();
        f->Loadimage(path, raw);
        f->exec();
    };
    o.ShowColors = [] {
        const bool fresh = !Forms::Loaded<frmColors>();
        frmColors* f = Forms::Get<frmColors>();
        if (fresh) f->Form_Load();
        f->show();
        f->raise();
        f->activateWindow();
    };
    o.ShowWebView = [] {
        const bool fresh = !Forms::Loaded<frmWebView>();
        frmWebView* f = Forms::Get<frmWebView>();
        if (fresh) f->Form_Load();
        frmMain* m = frmMain::Instance();
        // The preview's picture at its own size: read again when the preview
        // holds a copy decoded smaller. The pattern starts at the picture's
        // top left and fills one screen, so no more than a screen's worth of
        // that corner is read.
        f->Picture1 = WorkPicture();
        f->Picture1.Picture = m->picsrc.image;
        if (m->picsrc.HasPicture() && m->picsrc.image.size() != m->picsrc.pixels)
            if (std::optional<Picture> p =
                    PictureService::Instance()
                        .LoadNow(m->picsrc.path, PictureSizing::TopLeftPart(ScreenPixels()))
                        .picture) {
                f->Picture1.Picture = std::move(p->image);
                f->Picture1.size = p->info.pixels;
            }
        TilePicture(f->Picture1, nullptr, *f);
        const ListItem* item = m->NeedsAFile();
        f->setWindowTitle("Web Pattern Viewer - " + (item ? item->Key() : QString()));
    };
    o.mnulaunch_Click = [](int Index) { ShellLaunchers::mnulaunch_Click(Index); };
    o.mnushell_Click = [](int Index) { ShellLaunchers::mnushell_Click(Index); };
}
