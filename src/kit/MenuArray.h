#pragma once

#include <QAction>
#include <QMap>
#include <QMenu>

// A control array of menu items: items addressed by their index, which
// separators hold too. An index the array lacks gives null.
class MenuArray {
public:
    QAction* operator()(int index) const { return items_.value(index, nullptr); }
    void Add(int index, QAction* action) { items_.insert(index, action); }
    void Remove(int index) { items_.remove(index); }
    QList<int> Indexes() const { return items_.keys(); }
    int UBound() const { return items_.isEmpty() ? -1 : items_.lastKey(); }

    // The menu that shows the items.
    QMenu* menu = nullptr;

private:
    QMap<int, QAction*> items_;
};
