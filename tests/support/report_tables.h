// Report record tables for tests: FILEDETTYPE and FILESUMTYPE written through the work file's own
// table definitions, one record per report row with SEEKID 1, 2, ...
#pragma once

#include "work/work_state.h"

#include <QStringList>
#include <QVariant>

#include <vector>

namespace zek::test {

// Columns named after file (Detail) or summary (Summary) fields; a cell that is an invalid QVariant
// is stored as Null. Replaces a table of the same name and leaves it closed.
void writeDetailTable(work::WorkState& ws, const QStringList& columns, const std::vector<QVariantList>& rows);
void writeSummaryTable(work::WorkState& ws, const QStringList& columns,
                       const std::vector<QVariantList>& rows);

} // namespace zek::test
