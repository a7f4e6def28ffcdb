#include "tools/frmconvert.h"

#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStringListModel>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/DoEvents.h"
#include "kit/Helpers.h"
#include "kit/PictureService.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/Twips.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"
#include "tools/BmpFile.h"

namespace {
constexpr float kWidth = 7200, kHeight = 5460;
}  // namespace

// A tool window of fixed size: a title and a close box, nothing to maximise.
frmconvert::frmconvert(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName("frmconvert");
    setWindowTitle("Convert to BMP");
    paths_ = new QStringListModel(this);
    List1 = new QListView(this);
    List1->setObjectName("List1");
    List1->setAccessibleName("Files to convert");
    List1->setModel(paths_);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setGeometry(PxRect(120, 120, 2880, 3600));
    Frame1 = new QGroupBox("Destination Folder", this);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(PxRect(3120, 60, 3960, 3660));
    FolderTreeview1 = new FolderTreeview(Frame1);
    FolderTreeview1->setObjectName("FolderTreeview1");
    FolderTreeview1->setAccessibleName("Destination Folder");
    FolderTreeview1->SetShowHidden(ShowHidden);
    FolderTreeview1->setGeometry(PxRect(120, 300, 3720, 3240));
    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setGeometry(PxRect(120, 3840, 6960, 540));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setAccessibleName("Progress");
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(PxRect(120, 4440, 6960, 300));
    Command1 = new QPushButton("&OK", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    Command1->setGeometry(PxRect(4560, 4920, 1200, 405));
    Command2 = new QPushButton("&Cancel", this);
    Command2->setObjectName("Command2");
    Command2->setGeometry(PxRect(5880, 4920, 1200, 405));
    connect(Command1, &QPushButton::clicked, this, &frmconvert::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmconvert::Command2_Click);
    setFixedSize(PxX(kWidth), PxY(kHeight));
}

void frmconvert::Form_Load() {
    const ScreenMetrics& s = Platform::screen();
    move(PxX(s.ScreenWidth() / 2 - kWidth / 2), PxY(s.ScreenHeight() / 2 - kHeight / 2));
    FolderTreeview1->SetSelectedFolder(ReadSetting(Keys::LastConvertFolder));
    show();
    if (frmMain::Exists()) addtfiles(frmMain::Instance()->ListView1);
}

void frmconvert::addtfiles(FileListView* lv) {
    if (!lv) return;
    const FileListModel& model = *lv->Model();
    QStringList keys = paths_->stringList();
    for (int row : lv->SelectedRows()) {
        const ListItem& item = model.Item(row);
        if (item.Text() == "..") continue;
        keys << item.Key();
        raw_.push_back(item.RawKey().isEmpty() ? PathBytes(item.Key()) : item.RawKey());
    }
    paths_->setStringList(keys);
}

QString frmconvert::OutputPath(const QString& folder, const QString& source) {
    const QString name = GetFileName(source);
    const QString ext = GetExtension(name);
    return AddBackslash(folder) + name.left(name.size() - ext.size()) + "bmp";
}

void frmconvert::convertfiles() {
    QPointer<frmconvert> self(this);
    KeepGoing = true;
    const QStringList keys = paths_->stringList();
    ProgressBar1->setRange(0, std::max(int(keys.size()) - 1, 0));
    ProgressBar1->setValue(0);
    const PictureSizing fullSize = PictureSizing::FullSize();
    for (int i = 0; i < keys.size() && i < int(raw_.size()); ++i) {
        if (!KeepGoing) return;
        // A file that cannot be read writes nothing: no picture of the
        // previous file may stand in for it.
        Image1 = QImage();
        if (std::optional<Picture> p =
                PictureService::Instance().LoadNow(raw_[i], fullSize).picture)
            Image1 = std::move(p->image);
        const QString folder = FolderTreeview1->SelectedFolder().Path();
        if (!Image1.isNull() && !folder.isEmpty())
            SaveBmpAtomically(Image1, OutputPath(folder, PathText(raw_[i])));
        const QString name = GetFileName(keys[i]);
        const QString ext = GetExtension(name);
        Picture1->setText("Converting " + name + "\nTo " + name.left(name.size() - ext.size()) +
                          "bmp...");
        ProgressBar1->setValue(i);
        DoEvents();
        if (!self) return;
    }
    Image1 = QImage();
    Picture1->clear();
    ProgressBar1->setValue(0);
}

void frmconvert::Command1_Click() {
    QPointer<frmconvert> self(this);
    Command1->setEnabled(false);
    convertfiles();
    if (self) close();
}

void frmconvert::Command2_Click() {
    KeepGoing = false;
    close();
}

void frmconvert::Form_QueryUnload() {
    WriteSetting(Keys::LastConvertFolder, FolderTreeview1->SelectedFolder().Path());
}

void frmconvert::closeEvent(QCloseEvent* e) {
    if (!stored_) {
        stored_ = true;
        Form_QueryUnload();
    }
    e->accept();
}
