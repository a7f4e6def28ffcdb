#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include "platform/Registry.h"

// Small routines shared across the program. Positions are 1-based in the
// descriptions; comparisons are exact and case-sensitive. "Backslash" means
// the native separator, '/'.

// Text after the last separator; empty when the path holds none.
QString GetFileName(const QString& path);
// Text after the last dot, case unchanged; empty when there is no dot.
QString GetExtension(const QString& name);
// The path with exactly one trailing separator added when missing; "" gives "/".
QString AddBackslash(const QString& path);
// Text before the first NUL; the whole text when it holds none.
QString StripNul(const QString& text);
// Returns the text before the first NUL and leaves the rest in list. A list
// without NUL is returned whole and list becomes empty.
QString TakeNulItem(QString& list);
// The program's data folder, standing in for the Windows directory, with a
// trailing separator.
QString GetWindowsDir();
// "1,023 bytes", "1.00KB", "977KB", "0.98MB", "1.00GB" ... (locale separators).
// Counts past the old 32-bit range carry on in GB, then TB.
QString FormatFileSize(qint64 bytes);
// The system's short date and time with seconds, one form everywhere.
QString FormatGeneralDate(const QDateTime& when);

// Registry access. result is left untouched when the value cannot be read.
long ReadRegValue(HKEY key, const QString& valueName, QVariant& result);
long WriteRegValue(HKEY key, const QString& valueName, quint32 type, const QVariant& value);
long WriteUserRegValue(const QString& keyPath, const QString& valueName, const QVariant& value,
                       quint32 type);
