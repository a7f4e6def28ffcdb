#include "tools/frmOrganize.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "browser/FolderTreeview.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/DoEvents.h"
#include "kit/Forms.h"
#include "kit/Helpers.h"
#include "kit/InputBox.h"
#include "kit/MsgBox.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/Twips.h"
#include "kit/Version.h"
#include "platform/PathText.h"

namespace {
constexpr int kKeyRole = Qt::UserRole;
}  // namespace

frmOrganize::frmOrganize() {
    setObjectName("frmOrganize");
    setWindowTitle("Orgainze Favorites");
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(PxX(7800), PxY(5400));

    Label1[0] = new QLabel("Favorite Folders", this);
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setAccessibleName("Favorite Folders");
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setColumnCount(1);
    Label1[0]->setBuddy(TreeView1);

    Label1[1] = new QLabel("Folder Tree", this);
    FolderTreeview1 = new FolderTreeview(this);
    FolderTreeview1->setObjectName("FolderTreeview1");
    FolderTreeview1->setAccessibleName("Folder Tree");
    Label1[1]->setBuddy(FolderTreeview1);
    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    Label2->setTextFormat(Qt::PlainText);
    Label2->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    const char* captions[] = {"Add", "&Close", "Delete"};
    for (int i = 0; i < 3; ++i) {
        Command1[i] = new QPushButton(captions[i], this);
        Command1[i]->setAutoDefault(false);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1[0], 0, 0);
    grid->addWidget(Label1[1], 0, 1);
    grid->addWidget(TreeView1, 1, 0);
    grid->addWidget(FolderTreeview1, 1, 1);
    grid->addWidget(Label2, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1[0]);
    buttons->addWidget(Command1[2]);
    buttons->addStretch();
    buttons->addWidget(Command1[1]);
    grid->addLayout(buttons, 3, 0, 1, 2);

    connect(FolderTreeview1, &FolderTreeview::FolderClick, this,
            [this](const Folder& f, qint32 loc) { FolderTreeview1_FolderClick(f, loc); });
    connect(TreeView1, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* n) { TreeView1_NodeClick(n); });
    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this,
            [this] { TreeView1_NodeClick(SelectedItem()); });
}

void frmOrganize::Form_Load() {
    // Flipped from the tree's own look: the selection reaches across the row.
    TreeView1->setAllColumnsShowFocus(!TreeView1->allColumnsShowFocus());
    if (!ShowHidden) FolderTreeview1->SetShowHidden(false);
    if (frmMain::Exists()) {
        const QString folder = frmMain::Instance()->FolderTreeview1->SelectedFolder().Path();
        if (FolderTreeview1->SetSelectedFolder(folder))
            FolderTreeview1->SelectedFolder().SetExpanded(true);
    }
    CentreOnScreen(*this);
    GetFolders();
}

void frmOrganize::GetFolders() {
    for (const auto& [name, path] : ReadSection(Schema::FavoriteFolders)) {
        if (FindKey(path)) continue;  // keys stay unique, as the tree demands
        auto* node = new QTreeWidgetItem(TreeView1, QStringList{name});
        node->setData(0, kKeyRole, path);
    }
}

QString frmOrganize::Key(const QTreeWidgetItem* node) {
    return node ? node->data(0, kKeyRole).toString() : QString();
}

QTreeWidgetItem* frmOrganize::FindKey(const QString& key) const {
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i)
        if (Key(TreeView1->topLevelItem(i)) == key) return TreeView1->topLevelItem(i);
    return nullptr;
}

QTreeWidgetItem* frmOrganize::SelectedItem() const {
    const QList<QTreeWidgetItem*> selected = TreeView1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void frmOrganize::FolderTreeview1_FolderClick(const Folder& folder, qint32) {
    Label2->setText(ShownPath(folder.Path()));
}

void frmOrganize::TreeView1_NodeClick(QTreeWidgetItem* Node) {
    if (Node) TreeView1->setToolTip(ShownPath(Key(Node)));
}

void frmOrganize::AddFav() {
    const QString path = FolderTreeview1->SelectedFolder().Path();
    const QString name = InputBox(
        "Select a name for the favorite you want to add. It should be a friendly name you can "
        "associate with the selected folder.",
        "Add Favorite", ShownPath(path));
    if (name.isEmpty() || path.isEmpty()) return;
    if (FindKey(path)) {
        MsgBox(
            "That folder already exists as a favorite.\r\n\r\nPlease select another folder and "
            "try again.",
            vbInformation, kAppName);
        return;
    }
    auto* node = new QTreeWidgetItem(TreeView1, QStringList{name});
    node->setData(0, kKeyRole, path);
}

void frmOrganize::Command1_Click(int Index) {
    switch (Index) {
        case 0:
            AddFav();
            break;
        case 1:
            close();
            break;
        case 2:
            if (TreeView1->topLevelItemCount() == 0) break;
            if (MsgBox("Are you sure you want to delete the select folder?", vbYesNo | vbQuestion,
                       "Delete Favorite Folder") == vbYes)
                delete SelectedItem();  // nothing when no node is selected
            break;
        default:
            break;
    }
}

void frmOrganize::SaveFolders() {
    SettingsBatch batch;
    DeleteSection(Schema::FavoriteFolders);
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* node = TreeView1->topLevelItem(i);
        WriteSetting(Schema::FavoriteFolders, node->text(0), Key(node));
    }
}

void frmOrganize::Form_QueryUnload(qint16& Cancel, qint16) {
    Cancel = 0;
    SaveFolders();
    DoEvents();
    if (!frmMain::Exists()) return;
    frmMain& main = *frmMain::Instance();
    main.SetMenus();
    main.GetDrives(main.Toolbar2);
    main.GetToolbarFolders();
}

void frmOrganize::Form_Unload(qint16&) {}

// Escape closes the window the way its close box does.
void frmOrganize::reject() {
    close();
}

void frmOrganize::closeEvent(QCloseEvent* e) {
    if (!unloading_) {
        unloading_ = true;
        qint16 cancel = 0;
        Form_QueryUnload(cancel, 0);
        Form_Unload(cancel);
    }
    e->accept();
}
