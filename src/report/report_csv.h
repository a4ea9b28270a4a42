// The two reports as CSV for a spreadsheet: comma-separated UTF-8, fields quoted where they must be
// (RFC 4180), a heading record of the column headings, then one record per report row. The values
// are raw rather than formatted: whole numbers without separators, dates YYYY-MM-DD, times
// HH:MM:SS, attributes 1 and 0, paths and names as stored.
#pragma once

#include "report/report_build.h"
#include "report/summary_groups.h"
#include "work/report_columns.h"

#include <QStringList>
#include <QVariant>

#include <functional>

class QIODevice;

namespace zek::report {

// One field, quoted when it holds a comma, a quotation mark, CR or LF, its quotation marks doubled.
QString csvField(const QString& text);
// One record: the fields joined by commas, ended by CR LF.
QString csvRecord(const QStringList& fields);

// A yyyymmdd date as "YYYY-MM-DD"; "" when the number is no date (0 where none is kept).
QString rawDateText(qint64 yyyymmdd);
// An hhmmss time as "HH:MM:SS"; "" when the number is no time.
QString rawTimeText(qint64 hhmmss);
// `part` as a percentage of `whole` with a decimal point and no grouping, trailing zeros dropped
// ("12.5", "0.000931"); "0" when the whole is 0.
QString rawShareText(qint64 part, qint64 whole);
// A stored number: whole numbers without separators or decimals, booleans 1 and 0, text as it is,
// "" for Null.
QString rawNumberText(const QVariant& value);

// Rows written so far.
using CsvProgress = std::function<void(qint64 rows)>;

// The Detail report's columns for every record of `selection` from its first, in its order: no
// row limit. The disk shares take their figures from `inputs`. Throws db::EngineError (a column
// whose field the selection lacks: ErrItemNotFound). Returns the number of rows.
qint64 writeDetailCsv(QIODevice& out, db::Recordset& selection, const ReportColumns& columns,
                      const BuildInputs& inputs, const CsvProgress& progress = {});

// The Summary report's columns from its figures (FILESUMINTTYPE as the last build left it), in the
// grouping direction, as the report lists its groups; a column without a figure stays empty.
// Throws db::EngineError. Returns the number of rows.
qint64 writeSummaryCsv(QIODevice& out, db::Database& db, const ReportColumns& columns,
                       const SummaryGrouping& grouping, const CsvProgress& progress = {});

} // namespace zek::report
