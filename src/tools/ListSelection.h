#pragma once

#include <vector>

class FileListView;

// Which rows of the list are selected, read once from the selection's
// ranges: a row with any selected cell counts. Asking row by row (or Qt's
// selectedRows()) walks every range for every row, and a selection made one
// row at a time has as many ranges as rows.
std::vector<bool> SelectedRows(const FileListView& lv);
