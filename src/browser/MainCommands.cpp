// The main window's menu bar and command toolbar, built from the command
// tables, and the handlers each menu array dispatches to.
#include <QMenuBar>

#include "browser/CommandTables.h"
#include "browser/FolderTreeview.h"
#include "browser/Icons.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"

MenuArray& frmMain::Menu(const QString& array) {
    return menus_[array];
}

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    connect(bar, &QMenuBar::hovered, this, [this](QAction* a) { IM_MenuHighlighted(a->text()); });
    for (const TopMenuDef& top : TopMenus()) {
        QMenu* m = bar->addMenu(top.caption);
        m->setObjectName(top.control);
        menus_[top.array].menu = m;
    }
    // Items arrive array by array in display order; a submenu's items follow
    // the item that opens it, so its menu exists by then.
    for (const MenuItemDef& def : MenuItems()) {
        MenuArray& arr = menus_[def.array];
        QMenu* parent = arr.menu;
        if (!parent) continue;
        QAction* a = nullptr;
        if (QString(def.caption) == "-") {
            a = parent->addSeparator();
        } else if (def.submenu) {
            QMenu* sub = parent->addMenu(Icons::Menu(def.caption), def.caption);
            sub->setObjectName(def.submenu);
            menus_[def.submenu].menu = sub;
            connect(sub, &QMenu::hovered, this,
                    [this](QAction* h) { IM_MenuHighlighted(h->text()); });
            a = sub->menuAction();
        } else {
            a = parent->addAction(Icons::Menu(def.caption), def.caption);
            if (*def.shortcut) a->setShortcut(QKeySequence(def.shortcut));
            const QString array = def.array;
            const int index = def.index;
            connect(a, &QAction::triggered, this, [this, a, array, index] {
                // Check marks follow the program's state, not the click:
                // handlers read the mark as it was and set it themselves.
                if (a->isCheckable()) a->setChecked(!a->isChecked());
                dispatch(array, index);
            });
        }
        a->setData(def.index);
        arr.Add(def.index, a);
    }
    for (auto it = menus_.begin(); it != menus_.end(); ++it)
        if (it->menu && it->menu->parent() == bar)
            connect(it->menu, &QMenu::hovered, this,
                    [this](QAction* h) { IM_MenuHighlighted(h->text()); });

    for (int i : {0, 1, 7}) mnuviewa()(i)->setCheckable(true);
    for (int i : {0, 1}) mnuprev()(i)->setCheckable(true);
    for (int i = 0; i <= 3; ++i) mnuviewaa()(i)->setCheckable(true);
    mnuprev()(0)->setChecked(true);
    mnuviewaa()(3)->setChecked(true);
}

void frmMain::buildToolbar1() {
    for (const ToolButtonDef& b : ToolbarButtons()) {
        if (b.toolTip) {
            Toolbar1->AddButton(QString(), b.toolTip, Icons::Toolbar(b.image));
        } else {
            Toolbar1->AddSeparator();
        }
    }
}

void frmMain::dispatch(const QString& array, int index) {
    if (array == "mnufilea")
        mnufilea_Click(index);
    else if (array == "mnuedita")
        mnuedita_Click(index);
    else if (array == "mnuviewa")
        mnuviewa_Click(index);
    else if (array == "mnuprev")
        mnuPrev_Click(index);
    else if (array == "mnuviewaa")
        mnuviewaa_Click(index);
    else if (array == "mnuorgan")
        mnuorgan_Click(index);
    else if (array == "mnutoolsa")
        mnutoolsa_Click(index);
    else if (array == "mnuabouta")
        mnuabouta_Click(index);
}

void frmMain::mnufilea_Click(int Index) {
    switch (Index) {
        case 0: {
            const Folder up = FolderTreeview1->SelectedFolder().Parent();
            if (!up.IsNull()) FolderTreeview1->SetSelectedFolder(up.Path());
            break;
        }
        case 7:
            close();
            break;
        default:
            break;
    }
}

void frmMain::mnuedita_Click(int Index) {
    switch (Index) {
        case 9:
            SelAll();
            break;
        case 10:
            InvertSelAll();
            break;
        default:
            break;
    }
}

void frmMain::mnuviewa_Click(int Index) {
    switch (Index) {
        case 0:
            ToolbarVisible = !mnuviewa()(0)->isChecked();
            WriteSetting("Browser Options", "Toolbar Visible", ToolbarVisible);
            SetUpSlitter();
            break;
        case 1:
            StatusBarVisible = !mnuviewa()(1)->isChecked();
            WriteSetting("Browser Options", "StatusBar Visible", StatusBarVisible);
            SetUpSlitter();
            break;
        case 7:
            DoHiddenFiles(mnuviewa()(7)->isChecked());
            break;
        case 9:
            ListFiles();
            break;
        default:
            break;
    }
}

void frmMain::mnuviewaa_Click(int Index) {
    SetView(Index);
}
void frmMain::mnutoolsa_Click(int) {}
void frmMain::mnuabouta_Click(int) {}

void frmMain::Toolbar1_ButtonClick(int Index) {
    switch (Index) {
        case 1:
            mnufilea_Click(0);
            break;
        case 4:
            mnuviewa_Click(9);
            break;
        default:
            break;
    }
}

void frmMain::IM_MenuHighlighted(const QString& MenuCaption) {
    HelpState state;
    state.toolbarVisible = ToolbarVisible;
    state.statusBarVisible = StatusBarVisible;
    state.showHidden = ShowHidden;
    StatusBar1->Panels(1).SetText(MenuHelpText(MenuCaption, state));
}
