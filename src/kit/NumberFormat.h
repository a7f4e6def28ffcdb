#pragma once

#include <QLocale>
#include <QString>

// Formats a number with one of the picture patterns the program uses:
// "#,##0", "0.00", "0.0", "0", "###.##", "###,###,##0.#", "###,###,###".
//   '0'  a digit always shown      '#'  a digit shown only when significant
//   ','  in the integer part: thousands grouping     '.'  the decimal point
// Halves round away from zero, on the number's shortest decimal form (so
// 1.15 with "0.0" gives 1.2). The decimal point is written whenever the
// pattern has one, even with no digits around it: 0.25 with "###.##" gives
// ".25", 2 gives "2.". A pattern without '0' writes "" for zero.
// Separators come from the locale (QLocale() by default).
QString FormatNumber(double value, const QString& pattern, const QLocale& locale = QLocale());
