#include "browser/MenuBuilder.h"

#include <QMenuBar>

#include "browser/Icons.h"

void BuildMenuBar(QMenuBar* bar, const std::vector<TopMenuDef>& tops,
                  const std::vector<MenuItemDef>& items, QHash<QString, MenuArray>& menus,
                  const std::function<void(const QString& caption)>& highlighted,
                  const std::function<void(const QString& array, int index)>& dispatch) {
    const auto hover = [highlighted](QAction* a) { highlighted(a->text()); };
    QObject::connect(bar, &QMenuBar::hovered, bar, hover);
    for (const TopMenuDef& top : tops) {
        QMenu* m = bar->addMenu(top.caption);
        m->setObjectName(top.control);
        QObject::connect(m, &QMenu::hovered, m, hover);
        menus[top.array].menu = m;
    }
    // Items arrive array by array in display order; a submenu's items follow
    // the item that opens it, so its menu exists by then.
    for (const MenuItemDef& def : items) {
        MenuArray& arr = menus[def.array];
        QMenu* parent = arr.menu;
        if (!parent) continue;
        QAction* a = nullptr;
        if (QString(def.caption) == "-") {
            a = parent->addSeparator();
        } else if (def.submenu) {
            QMenu* sub = parent->addMenu(Icons::Menu(def.caption), def.caption);
            sub->setObjectName(def.submenu);
            QObject::connect(sub, &QMenu::hovered, sub, hover);
            menus[def.submenu].menu = sub;
            a = sub->menuAction();
        } else {
            a = parent->addAction(Icons::Menu(def.caption), def.caption);
            if (*def.shortcut) a->setShortcut(QKeySequence(def.shortcut));
            const QString array = def.array;
            const int index = def.index;
            QObject::connect(a, &QAction::triggered, a, [a, array, index, dispatch] {
                if (a->isCheckable()) a->setChecked(!a->isChecked());
                dispatch(array, index);
            });
        }
        a->setData(def.index);
        arr.Add(def.index, a);
    }
}
