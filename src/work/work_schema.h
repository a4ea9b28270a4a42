// The tables of a work file: names, fields, types, sizes and indexes.
#pragma once

#include "db/engine.h"
#include "work/file_fields.h"
#include "work/report_columns.h"

namespace zek::work {

// The ten tables a work file may hold, in the order the work file reopens them.
enum class WorkTable {
    Filetype,
    Infoversion,
    Filedettype,
    Filesuminttype,
    Filesumtype,
    Drivedirlist,
    Detailquery,
    Dsfields,
    Summarysort,
    Reporttitles,
};
constexpr int WorkTableCount = 10;

QString tableName(WorkTable table);

inline const QString InfoProgramVersionField = QStringLiteral("ZEK VERSION");
inline const QString InfoFormatVersionField = QStringLiteral("ZEK DATABASE VERSION");

// A condition value holds up to 64 typed characters; quoted, with every apostrophe doubled, that
// is at most 130.
constexpr int DqValueSize = 130;
// The brackets of one side of a condition line.
constexpr int DqBracketSize = 20;

db::TableDef filetypeDef();
db::TableDef infoversionDef();
db::TableDef drivedirlistDef();
db::TableDef detailqueryDef();
db::TableDef dsfieldsDef();
db::TableDef summarysortDef();
db::TableDef reporttitlesDef();

// The report-table field of each column, in column order: the column's name, or for a column listed
// again (or named like one of `taken`) the name with "_2", "_3", ... so that every field is distinct.
QStringList reportFieldNames(const ReportColumns& columns, const QStringList& taken = {});

// The Detail report's rows: one text field per detail column, then SEEKID.
db::TableDef filedettypeDef(const ReportColumns& detailColumns);
// The Summary report's figures per group, and its formatted rows.
db::TableDef filesuminttypeDef(const ReportColumns& summaryColumns, const QString& groupingField,
                               bool ascending);
// FILESUMTYPE: one text field per summary column in column order (the engine shows field c - 1 in
// column c), then the grouping field when no column is named after it, then SEEKID.
db::TableDef filesumtypeDef(const ReportColumns& summaryColumns, const QString& groupingField);

// Text size of a report-table column named after a file field.
int detailTextSize(const QString& fieldName);

} // namespace zek::work
