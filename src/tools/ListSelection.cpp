#include "tools/ListSelection.h"

#include <QItemSelectionModel>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"

std::vector<bool> SelectedRows(const FileListView& lv) {
    const int count = lv.Model()->Count();
    std::vector<bool> out(count, false);
    for (const QItemSelectionRange& range : lv.Selection()->selection())
        for (int row = std::max(range.top(), 0); row <= range.bottom() && row < count; ++row)
            out[row] = true;
    return out;
}
