#include "tools/CsvListing.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/Helpers.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

QString CsvListing(const FileListView& lv) {
    const FileListModel& model = *lv.Model();
    // The selection read once, as rows in the list's order.
    std::vector<bool> selected(model.Count(), false);
    for (const QModelIndex& i : lv.Selection()->selectedRows())
        if (i.row() >= 0 && i.row() < model.Count()) selected[i.row()] = true;

    QString out;
    for (int row = 0; row < model.Count(); ++row) {
        if (!selected[row]) continue;
        const ListItem& item = model.Item(row);
        if (item.Text == "..") continue;
        const std::optional<QDateTime> when = Platform::files().FileDateTime(item.RawKey);
        if (!when) continue;
        out += GetFileName(item.Key) + ',' + item.SubItems[0] + ',' + item.SubItems[1] + ',' +
               FormatGeneralDate(*when) + "\r\n";
    }
    return out;
}

void createcsv() {
    if (!frmMain::exists()) return;
    const QString text = CsvListing(*frmMain::instance()->ListView1);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}
