// The texts of report cells: sizes, dates, times, attribute marks, disk-space shares and counts,
// written with the separators and patterns of the "intl" settings. The Detail and Summary reports
// store these texts in their report tables.
#pragma once

#include "platform/intl.h"

#include <QString>

namespace zek::report {

// "standard": digits grouped by three, two decimals ("1,234,567.89").
QString standardText(double value, const platform::IntlSettings& intl);
// "standard" without its decimal part: a whole number with separators ("1,234,567").
QString standardWholeText(double value, const platform::IntlSettings& intl);

// A size in bytes in a Detail cell: "KB" (/1024) and "MB" (/1048576) in "standard", any other unit
// whole bytes "#,##0".
QString detailSizeText(qint64 bytes, const QString& unit, const platform::IntlSettings& intl);
// A size in a Summary cell: "KB" and "MB" as in the Detail report, any other unit "standard" without
// its decimal part.
QString summarySizeText(qint64 bytes, const QString& unit, const platform::IntlSettings& intl);

// A yyyymmdd date in the short-date pattern; "" when the number is no date (0 for a file system
// that keeps no such date).
QString shortDateText(qint64 yyyymmdd, const platform::IntlSettings& intl);
// An hhmmss time: "short time" (hours and minutes, 24-hour) when the clock is 24-hour (iTime 1),
// else "medium time" (12-hour hours and minutes with the AM/PM designator); "" when it is no time.
QString timeText(qint64 hhmmss, const platform::IntlSettings& intl);

// "X" for a set attribute, one blank otherwise.
QString attributeText(bool set);

// `part` as a percentage of `whole`, two decimals, the whole part grouped when `grouped`
// ("###,###,##0.00") or not ("#0.00"); 0 when the whole is 0.
QString shareText(qint64 part, qint64 whole, bool grouped, const platform::IntlSettings& intl);

// A cell's text on one line of its own, for the report's text forms (the text export and the
// clipboard, where a tab or a line end would start another cell or row): control characters and
// line separators (a name on disk may hold a tab or a line feed) are written as their pictures, a
// tab as U+2409, a line feed as U+240A. Every other character stays.
QString oneLineText(const QString& cell);

} // namespace zek::report
