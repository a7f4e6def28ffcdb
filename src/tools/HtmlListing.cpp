#include "tools/HtmlListing.h"

#include "kit/Helpers.h"
#include "kit/NumberFormat.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kFont = QStringLiteral("<font face=arial, ms sans serif, tahoma size=-1>");

QString ruleRow() {
    return "<tr><td width=50% align=left valign=top height=2 bgcolor=black></td>"
           "<td width=50% align=right valign=top height=2 bgcolor=black></td></tr>" +
           kCrLf;
}

// A silver row of two bold cells, as the header and the summary are.
QString boldRow(const QString& left, const QString& right) {
    return "<tr height=20><td width=50% align=left valign=top bgcolor=silver>" + kFont + "<b>" +
           left + "</b></font></td><td width=50% align=right valign=top bgcolor=silver>" + kFont +
           "<b>" + right + "</b></font></td></tr>" + kCrLf;
}
}  // namespace

namespace HtmlListing {

QString FormatSize(qint64 n) {
    if (n < 1024) return FormatFileSize(n);
    return FormatFileSize(n) + " (" + FormatNumber(double(n), "#,##0") + " bytes)";
}

QString PathToFileUrl(const QString& path) {
    QString url = path;
    url.replace('\\', '/');
    // A path from the root already brings the third slash.
    return (url.startsWith('/') ? "file://" : "file:///") + url;
}

QString Head(const QString& folder) {
    return "<font face=arial, ms sans serif, tahoma size=+2><b>Contents of <br>" + folder +
           "</b></font>" + kCrLf + "<br>" + kCrLf +
           "<table width=80% cellspacing=0 cellpadding=3>" + kCrLf + ruleRow() +
           boldRow("Filename", "File Size") + ruleRow();
}

QString FileRow(const QString& text, const QString& key, qint64 size) {
    return "<tr><td width=50% align=left valign=top>" + kFont + "<a href=\"" + PathToFileUrl(key) +
           "\">" + text + "</a></font></td><td width=50% align=right valign=top>" + kFont +
           FormatSize(size) + "</font></td></tr>" + kCrLf;
}

QString Tail(int items, qint64 total) {
    return ruleRow() +
           boldRow(QString::number(items) + " Item(s)", FormatFileSize(total) + " Total") +
           ruleRow() + "</table>";
}

}  // namespace HtmlListing
