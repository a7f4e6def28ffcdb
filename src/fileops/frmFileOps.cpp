#include "fileops/frmFileOps.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

#include "browser/FileListView.h"
#include "browser/FolderTreeview.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "fileops/FileCommands.h"
#include "kit/DoEvents.h"
#include "kit/Forms.h"
#include "kit/Helpers.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "platform/ScreenMetrics.h"

namespace {
const QString kRecentKey = QStringLiteral("Recent Folder ");
}

frmFileOps::frmFileOps(QWidget* parent) : QDialog(parent) {
    setModal(true);
    auto* top = new QVBoxLayout(this);
    Label2[0] = new QLabel(QStringLiteral("Source Folder..."), this);
    Label1 = new QLabel(this);
    Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Frame1 = new QGroupBox(QStringLiteral("File Listing"), this);
    List1 = new QListView(Frame1);
    listModel_ = new QStringListModel(this);
    List1->setModel(listModel_);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setUniformItemSizes(true);
    List1->setAccessibleName(QStringLiteral("File Listing"));
    (new QVBoxLayout(Frame1))->addWidget(List1);
    Label2[1] = new QLabel(QStringLiteral("Destination Folder..."), this);
    Combo1 = new QComboBox(this);
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setAccessibleName(QStringLiteral("Destination Folder"));
    Label2[1]->setBuddy(Combo1);
    Command1 = new QPushButton(QStringLiteral("-->"), this);
    Command1->setToolTip(QStringLiteral("Show the typed folder in the tree"));
    Command1->setAccessibleName(Command1->toolTip());
    auto* row = new QHBoxLayout;
    row->addWidget(Combo1, 1);
    row->addWidget(Command1);
    Frame2 = new QGroupBox(QStringLiteral("Folders"), this);
    FolderTreeview1 = new FolderTreeview(Frame2);
    FolderTreeview1->setAccessibleName(QStringLiteral("Folders"));
    (new QVBoxLayout(Frame2))->addWidget(FolderTreeview1);
    Command3 = new QPushButton(QStringLiteral("&OK"), this);
    Command4 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command3->setDefault(true);

    top->addWidget(Label2[0]);
    top->addWidget(Label1);
    top->addWidget(Frame1, 1);
    top->addWidget(Label2[1]);
    top->addLayout(row);
    top->addWidget(Frame2, 3);
    top->addLayout(ButtonRow({Command3, Command4}));
    resize(480, 540);

    connect(Combo1, &QComboBox::editTextChanged, this, [this] { Combo1_Change(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(FolderTreeview1, &FolderTreeview::SelectionChange, this,
            [this](const Folder& f, bool pre, bool* cancel) {
                FolderTreeview1_SelectionChange(f, pre, cancel);
            });
}

void frmFileOps::Form_Load() {
    // Centred on the screen, each half taken separately.
    CentreOnScreen(*this);
    if (!ShowHidden) FolderTreeview1->SetShowHidden(false);
    setWindowTitle(CopyMode ? QStringLiteral("Copy file(s)...")
                            : QStringLiteral("Move file(s)..."));
    Label2[1]->setText(CopyMode ? QStringLiteral("Copy file(s) to...")
                                : QStringLiteral("Move file(s) to..."));
    Label1->setText(
        AddBackslash(ShownPath(frmMain::Instance()->FolderTreeview1->SelectedFolder().Path())));
    GetRecentFolders();
    AddFiles();
}

void frmFileOps::addLine(const QByteArray& raw) {
    lines_.push_back(raw);
}

void frmFileOps::AddFiles() {
    frmMain* main = frmMain::Instance();
    if (TreeHasFocus) {
        addLine(PathBytes(main->FolderTreeview1->SelectedFolder().Path()));
    } else {
        const FileListModel* model = main->ListView1->Model();
        for (int r : main->ListView1->SelectedRows())
            if (model->Item(r).Text() != QLatin1String("..")) addLine(model->Item(r).RawKey());
    }
    QStringList shown;
    shown.reserve(int(lines_.size()));
    for (const QByteArray& l : lines_) shown << ShownText(l);
    listModel_->setStringList(shown);
}

void frmFileOps::GetRecentFolders() {
    if (ReadSetting(Schema::RecentFolders, kRecentKey + QLatin1Char('0')).isEmpty()) return;
    const auto entries = ReadSection(Schema::RecentFolders);
    {
        const QSignalBlocker quiet(Combo1);
        for (const auto& [key, value] : entries) Combo1->addItem(ShownPath(value), value);
    }
    if (entries.empty()) return;
    // The first item is already the text, so setting it again raises no
    // change: open it in the tree here.
    setComboText(entries.front().second);
    Combo1_Change();
}

void frmFileOps::setComboText(const QString& path) {
    comboPath_ = path;
    const QSignalBlocker quiet(Combo1);
    Combo1->setEditText(ShownPath(path));
}

std::optional<QString> frmFileOps::ComboPath() const {
    const QString typed = Combo1->currentText();
    if (typed == ShownPath(comboPath_)) return comboPath_;
    // Picked from the list.
    for (int i = 0; i < Combo1->count(); ++i)
        if (Combo1->itemText(i) == typed) return Combo1->itemData(i).toString();
    // Typed: what the user left alone keeps its bytes.
    if (std::optional<QByteArray> bytes = MapEditedText(PathBytes(comboPath_), typed))
        return PathText(*bytes);
    return std::nullopt;
}

void frmFileOps::AddToCombo() {
    const QString text = ComboPath().value_or(Combo1->currentText());
    {
        // Removing or inserting items must not change the typed text.
        const QSignalBlocker quiet(Combo1);
        const int count = Combo1->count();
        for (int i = 0; i < count; ++i)
            if (i < Combo1->count() && Combo1->itemData(i).toString() == text)
                Combo1->removeItem(i);
    }
    setComboText(text);
    DoEvents();
    {
        const QSignalBlocker quiet(Combo1);
        Combo1->insertItem(0, ShownPath(text), text);
    }
    setComboText(text);
}

void frmFileOps::CopyFiles() {
    AddToCombo();
    const QByteArray dest = PathBytes(AddBackslash(comboPath_));
    DoEvents();
    ShellCopyOrMove(lines_, dest, CopyMode);
    refresh_ = true;
}

void frmFileOps::SaveRecentFolders() {
    const SettingsBatch batch;
    for (int i = 0; i < Combo1->count(); ++i)
        WriteSetting(Schema::RecentFolders, kRecentKey + QString::number(i),
                     Combo1->itemData(i).toString());
}

void frmFileOps::Combo1_Change() {
    if (syncing_) return;
    syncing_ = true;
    if (const std::optional<QString> path = ComboPath()) {
        // The tree shows what was typed; the text keeps its bytes from now on.
        const QString typed = Combo1->currentText();
        if (FolderTreeview1->SetSelectedFolder(*path) && typed == ShownPath(*path))
            comboPath_ = *path;
    }
    syncing_ = false;
}

void frmFileOps::Command1_Click() {
    Combo1_Change();
}

void frmFileOps::FolderTreeview1_SelectionChange(const Folder& folder, bool preChange, bool*) {
    if (preChange || syncing_) return;
    // Only folders that exist in the file system give a path.
    if (Platform::files().GetFileAttributes(folder.Path()).has_value()) setComboText(folder.Path());
}

void frmFileOps::Command3_Click() {
    // A destination that cannot be mapped back to bytes is never used.
    if (!ComboPath()) {
        SayNameCannotBeWritten(Combo1->currentText());
        return;
    }
    DeleteSection(Schema::RecentFolders);
    AddToCombo();
    DoEvents();
    CopyFiles();
    accept();
}

void frmFileOps::Command4_Click() {
    refresh_ = false;
    reject();
}

void frmFileOps::done(int result) {
    if (!closed_) {
        closed_ = true;
        SaveRecentFolders();
        if (refresh_) RefreshAfterCopy(comboPath_);
    }
    QDialog::done(result);
}
