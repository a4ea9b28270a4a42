// The Detail report's rows: FILEDETTYPE written afresh from the selection, one record per selected
// file record, every value already the text the report shows.
#pragma once

#include "report/report_build.h"

#include <QString>

#include <functional>

namespace zek::report {

// Detail columns that are not fields of the file table: computed for each row.
inline const QString FileNumberColumn = QStringLiteral("FILENUMBER");
inline const QString TotalShareColumn = QStringLiteral("%TOTAL DISKSPACE");
inline const QString FreeShareColumn = QStringLiteral("%FREE DISKSPACE");
inline const QString OccupiedShareColumn = QStringLiteral("%OCCUPIED DISKSPACE");

// Columns the Detail report shows right-aligned as numbers ("9"); every other column is text ("A").
bool isNumericDetailColumn(const QString& name);

// Replaces FILEDETTYPE by one text field per column of ws.settings.detailColumns (then SEEKID) and
// writes one record per record of `selection` from its first, SEEKID and FILENUMBER 1, 2, ... in
// the selection's order. `yield`, when set, runs at most about every 50 ms. Returns the number of
// rows written.
//
// One transaction: on any failure the work file keeps its former FILEDETTYPE, its record set is
// opened again, and the db::EngineError reaches the caller (a column whose field the selection lacks
// is ErrItemNotFound).
long long rebuildDetailTable(work::WorkState& ws, db::Recordset& selection, const BuildInputs& inputs,
                             const std::function<void()>& yield);

} // namespace zek::report
