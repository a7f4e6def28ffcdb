#include "tools/CsvListing.h"

#include <QClipboard>
#include <QGuiApplication>

#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/frmMain.h"
#include "kit/Helpers.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

QString CsvListing(const FileListView& lv) {
    const FileListModel& model = *lv.Model();
    QString out;
    // The lines give each file's size: every one must be in.
    lv.Model()->Complete();
    for (int row : lv.SelectedRows()) {
        const ListItem& item = model.Item(row);
        if (item.Text() == "..") continue;
        const std::optional<QDateTime> when = Platform::files().FileDateTime(item.RawKey());
        if (!when) continue;
        out += GetFileName(item.Key()) + ',' + item.SubItem(1) + ',' + item.SubItem(2) + ',' +
               FormatGeneralDate(*when) + "\r\n";
    }
    return out;
}

void createcsv() {
    if (!frmMain::Exists()) return;
    const QString text = CsvListing(*frmMain::Instance()->ListView1);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}
