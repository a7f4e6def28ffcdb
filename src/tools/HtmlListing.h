#pragma once

#include <QString>

// The pieces of the HTML listing, a two-column table of linked file names
// and sizes under a heading. Lines end in CR LF; the table is rule, header,
// rule, one row per file, rule, summary, rule.
namespace HtmlListing {
// "1,023 bytes"; from 1024 on the unit and the count: "2.50KB (2,560 bytes)".
QString FormatSize(qint64 n);
// "file:///" and the path with its separators as '/', nothing escaped.
QString PathToFileUrl(const QString& path);
// The heading naming folder, the table's start and the header between rules.
QString Head(const QString& folder);
// One file's row: a link to key showing text, and the file's size.
QString FileRow(const QString& text, const QString& key, qint64 size);
// The summary between rules and the table's end (no line break after it):
// items files in all, total bytes of those listed, formatted in full.
QString Tail(int items, qint64 total);
}  // namespace HtmlListing
