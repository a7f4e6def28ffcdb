#include "tools/frmprogress.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/frmMain.h"
#include "kit/DoEvents.h"
#include "kit/Helpers.h"
#include "kit/Twips.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "tools/HtmlListing.h"

namespace {
// The window's designed size, that of its face, in twips.
constexpr float kWidth = 5235, kHeight = 1215;
constexpr int kRedrawMs = 20;

}  // namespace

frmprogress::frmprogress(QWidget* owner) : QWidget(owner, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName("frmprogress");
    setWindowTitle("Creating Listing");
    Command1 = new QPushButton(this);
    Command1->setObjectName("Command1");
    Command1->setFocusPolicy(Qt::NoFocus);
    Command1->setAccessibleName("Creating listing");
    Command1->setGeometry(PxRect(0, 0, kWidth, kHeight));
    Picture1 = new QLabel(Command1);
    Picture1->setObjectName("Picture1");
    Picture1->setGeometry(PxRect(120, 120, 4995, 300));
    ProgressBar1 = new QProgressBar(Command1);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setAccessibleName("Progress");
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(PxRect(120, 600, 3735, 375));
    Command2 = new QPushButton("&Cancel", Command1);
    Command2->setObjectName("Command2");
    Command2->setGeometry(PxRect(3975, 570, 1140, 435));
    connect(Command2, &QPushButton::clicked, this, &frmprogress::Command2_Click);
    resize(PxX(kWidth), PxY(kHeight));
}

void frmprogress::Form_Load() {
    const ScreenMetrics& s = Platform::screen();
    move(PxX((s.ScreenWidth() - kWidth) / 2), PxY((s.ScreenHeight() - kHeight) / 2));
    resize(Command1->size());
    QPointer<frmprogress> self(this);
    DoEvents();
    if (!self) return;
    show();
    DoEvents();
    if (!self || !frmMain::Exists()) return;
    frmMain* f = frmMain::Instance();
    createHTML(f->ListView1, f->FolderTreeview1->SelectedFolder().Path());
}

void frmprogress::Command2_Click() {
    KeepGoing = false;
}

void frmprogress::createHTML(FileListView* lv, const QString& folder) {
    QPointer<frmprogress> self(this);
    QPointer<FileListView> list(lv);
    if (!list) return;
    const int entries = list->Model()->Count();
    ProgressBar1->setRange(0, std::max(entries - 1, 0));
    KeepGoing = true;
    qint64 total = 0;
    Picture1->setCursor(Qt::WaitCursor);
    DoEvents();
    if (!self || !list) return;

    QString html = HtmlListing::Head(folder);
    const std::vector<int> selected = list->SelectedRows();
    const int listed = list->Model()->Count();
    QElapsedTimer shown;
    // The list may change under a yield (the main window stays usable): a
    // row gone since is the end of the run.
    for (int i : selected) {
        if (!list || i >= list->Model()->Count()) break;
        const ListItem item = list->Model()->Item(i);
        std::optional<qint64> size;
        if (item.Text() != "..") {
            size = Platform::files().FileLen(item.RawKey());
            if (size) html += HtmlListing::FileRow(item.Text(), item.Key(), *size);
        }
        // Shown at most once a frame: redrawing the line and the bar for
        // every one of thousands of files would take most of the run.
        if (!shown.isValid() || shown.hasExpired(kRedrawMs) || i + 1 == listed) {
            if (i <= ProgressBar1->maximum()) ProgressBar1->setValue(i);
            Picture1->setText("Adding " + GetFileName(item.Key()) + "...");
            shown.start();
        }
        if (size) total += *size;
        DoEvents();
        if (!self) return;
        if (!KeepGoing) return;
    }
    html += HtmlListing::Tail(entries - 1, total);

    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(html);
    DoEvents();
    if (!self) return;
    ProgressBar1->setValue(0);
    Picture1->unsetCursor();
}
