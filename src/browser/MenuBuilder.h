#pragma once

#include <QHash>
#include <QString>
#include <functional>

#include "browser/CommandTables.h"
#include "kit/MenuArray.h"

class QMenuBar;
class Toolbar;

// Fills a window's menu bar from its command table: one MenuArray per control
// array (submenus included) in `menus`, every item reporting its caption to
// `highlighted` when the mouse is over it and its array and index to
// `dispatch` when chosen. A checkable item's mark is left as it was: the
// handler reads it and sets it itself.
void BuildMenuBar(QMenuBar* bar, const CommandTable& table, QHash<QString, MenuArray>& menus,
                  const std::function<void(const QString& caption)>& highlighted,
                  const std::function<void(const QString& array, int index)>& dispatch);

// Fills a toolbar with the table's buttons in index order; an index that no
// command's button has is a separator.
void BuildToolbar(Toolbar* bar, const CommandTable& table);
