#pragma once

#include <QString>

class FileListView;

// The comma-separated listing of lv's selected files, in the list's order:
// name, size text, dimensions text, date modified, each line ended by CR LF.
// Nothing is quoted, so a comma in a field makes more fields. A file whose
// date cannot be read (gone since it was listed) has no line.
QString CsvListing(const FileListView& lv);

// Puts the listing of the main window's list on the clipboard.
void createcsv();
