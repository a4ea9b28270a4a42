#include "support/report_tables.h"

#include "work/work_schema.h"

namespace zek::test {

namespace {

ReportColumns columnsNamed(const QStringList& names) {
    ReportColumns columns;
    for (const QString& name : names)
        columns.push_back(ReportColumn{name, name, 990, {}, {}});
    return columns;
}

void writeTable(work::WorkState& ws, work::WorkTable table, const db::TableDef& def,
                const std::vector<QVariantList>& rows) {
    auto& open = ws.tables[static_cast<size_t>(table)];
    if (open)
        open->close();
    open.reset();
    ws.flag(table) = false;
    if (ws.database->hasTable(def.name))
        ws.database->deleteTable(def.name);
    ws.database->createTable(def);
    db::Transaction transaction(*ws.database);
    std::unique_ptr<db::Recordset> records = ws.database->openTable(def.name);
    for (size_t r = 0; r < rows.size(); ++r) {
        records->addNew();
        for (int c = 0; c < rows[r].size(); ++c)
            records->setValue(c, rows[r][c]);
        records->setValue(QStringLiteral("SEEKID"), static_cast<qint64>(r + 1));
        records->update();
    }
    records->close();
    transaction.commit();
}

} // namespace

void writeDetailTable(work::WorkState& ws, const QStringList& columns,
                      const std::vector<QVariantList>& rows) {
    writeTable(ws, work::WorkTable::Filedettype, work::filedettypeDef(columnsNamed(columns)), rows);
}

void writeSummaryTable(work::WorkState& ws, const QStringList& columns,
                       const std::vector<QVariantList>& rows) {
    writeTable(ws, work::WorkTable::Filesumtype, work::filesumtypeDef(columnsNamed(columns), columns.first()),
               rows);
}

} // namespace zek::test
