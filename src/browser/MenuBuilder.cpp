#include "browser/MenuBuilder.h"

#include <QMenuBar>

#include "browser/Icons.h"
#include "kit/Toolbar.h"

void BuildMenuBar(QMenuBar* bar, const CommandTable& table, QHash<QString, MenuArray>& menus,
                  const std::function<void(const QString& caption)>& highlighted,
                  const std::function<void(const QString& array, int index)>& dispatch) {
    const auto hover = [highlighted](QAction* a) { highlighted(a->text()); };
    QObject::connect(bar, &QMenuBar::hovered, bar, hover);
    for (const TopMenuDef& top : table.menus) {
        QMenu* m = bar->addMenu(top.caption);
        m->setObjectName(top.control);
        QObject::connect(m, &QMenu::hovered, m, hover);
        menus[top.array].menu = m;
    }
    // Items arrive array by array in display order; a submenu's items follow
    // the item that opens it, so its menu exists by then.
    for (const CommandDef& def : table.commands) {
        MenuArray& arr = menus[def.array];
        QMenu* parent = arr.menu;
        if (!parent) continue;
        QAction* a = nullptr;
        if (QString(def.caption) == "-") {
            a = parent->addSeparator();
        } else if (def.submenu) {
            QMenu* sub = parent->addMenu(Icons::Get(def.icon), def.caption);
            sub->setObjectName(def.submenu);
            QObject::connect(sub, &QMenu::hovered, sub, hover);
            menus[def.submenu].menu = sub;
            a = sub->menuAction();
        } else {
            a = parent->addAction(Icons::Get(def.icon), def.caption);
            if (*def.shortcut) a->setShortcut(QKeySequence(def.shortcut));
            a->setCheckable(def.check != Check::None);
            a->setChecked(def.check == Check::Ticked);
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

void BuildToolbar(Toolbar* bar, const CommandTable& table) {
    for (int i = 1, count = ButtonCount(table); i <= count; ++i) {
        if (const CommandDef* c = ButtonCommand(table, i))
            bar->AddButton(QString(), c->button.toolTip, Icons::Get(ButtonPic(*c)));
        else
            bar->AddSeparator();
    }
}
