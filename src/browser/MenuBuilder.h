#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <vector>

#include "browser/CommandTables.h"
#include "kit/MenuArray.h"

class QMenuBar;

// Fills a window's menu bar from its tables: one MenuArray per control array
// (submenus included) in `menus`, every item reporting its caption to
// `highlighted` when the mouse is over it and its array and index to
// `dispatch` when chosen. A checkable item's mark is left as it was: the
// handler reads it and sets it itself.
void BuildMenuBar(QMenuBar* bar, const std::vector<TopMenuDef>& tops,
                  const std::vector<MenuItemDef>& items, QHash<QString, MenuArray>& menus,
                  const std::function<void(const QString& caption)>& highlighted,
                  const std::function<void(const QString& array, int index)>& dispatch);
