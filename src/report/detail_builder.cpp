// Building the Detail report: the report defined on the Detail engine, its title lines, its rows in
// FILEDETTYPE, and page 1 shown. Only what the unchanged flags call for is done again.
#include "platform/prompt.h"
#include "report/detail_rows.h"
#include "report/report_build.h"

#include <optional>

namespace zek::report {

namespace {

using work::SettingsGroup;

constexpr int ThinRuleInterval = 5;
constexpr int ThickRuleInterval = 10;
constexpr int RightAligned = 1;
constexpr int LeftAligned = 0;

TitleLines titleLinesOf(const ReportTitles& titles) {
    return TitleLines{titles.firstTitle, titles.secondTitle, titles.firstFootnote, titles.secondFootnote};
}

// The report is defined again when its columns changed or the printer may have, and also when the
// report standing is not one of this selection's size or of the printer's page: its pages would
// not match its rows or its paper.
bool needsDefinition(work::WorkState& ws, const ReportEngine& engine, const BuildInputs& inputs) {
    return !ws.unchanged(SettingsGroup::DetailColumns) || inputs.printerCheck || !engine.isAvailable() ||
           engine.rowCount() != ws.scanResult ||
           (engine.pageHeight && engine.rowsPerPage() != rowsPerPageFor(engine.pageHeight()));
}

// FILEDETTYPE is written again when the selection or its order may have changed, and also when the
// column list did: the table must never hold columns the report no longer defines.
bool needsRows(work::WorkState& ws) {
    for (const SettingsGroup g :
         {SettingsGroup::Folders, SettingsGroup::QueryLines, SettingsGroup::SummaryColumns,
          SettingsGroup::Sorters, SettingsGroup::DetailColumns}) {
        if (!ws.unchanged(g))
            return true;
    }
    return !ws.database || !ws.databaseOpen ||
           !ws.database->hasTable(work::tableName(work::WorkTable::Filedettype));
}

// Closes any former report and creates this one with its columns. False when the engine refused
// (it has told the user).
bool defineReport(work::WorkState& ws, ReportEngine& engine) {
    const ReportColumns& columns = ws.settings.detailColumns;
    const ReportTitles& titles = ws.settings.detailTitles;
    int numeric = 0;
    for (const ReportColumn& column : columns)
        numeric += isNumericDetailColumn(column.name) ? 1 : 0;
    const int text = static_cast<int>(columns.size()) - numeric;

    if (engine.isAvailable())
        engine.rptClose();
    if (engine.rptCreate(QStringLiteral("Detail Report"), numeric, text, static_cast<double>(ws.scanResult),
                         ThinRuleInterval, ThickRuleInterval, titles.firstTitle, titles.secondTitle,
                         titles.firstFootnote, titles.secondFootnote) != 0)
        return false;
    for (size_t k = 0; k < columns.size(); ++k) {
        const ReportColumn& column = columns[k];
        const bool isNumeric = isNumericDetailColumn(column.name);
        const QString format = column.format.isEmpty() ? columnFormat(true, column.name) : column.format;
        engine.rptDefineColumn(static_cast<int>(k) + 1, isNumeric ? NumericType : TextType,
                               column.description, column.width, isNumeric ? RightAligned : LeftAligned,
                               format, true);
    }
    return true;
}

} // namespace

bool buildDetailReport(work::WorkState& ws, ReportEngine& engine, const BuildInputs& inputs) {
    if (needsDefinition(ws, engine, inputs) && !defineReport(ws, engine))
        return false;
    if (!ws.unchanged(SettingsGroup::DetailColumns) || !ws.unchanged(SettingsGroup::DetailTitles))
        engine.setTitleLines(titleLinesOf(ws.settings.detailTitles));

    try {
        if (needsRows(ws)) {
            db::Recordset* selection =
                ws.sqlRecordsets[static_cast<size_t>(work::SqlRecordset::Selection)].get();
            if (!selection || !selection->isOpen())
                throw db::EngineError(db::ErrObjectClosed,
                                      QStringLiteral("Object invalid or no longer set."));
            // Reading the selection from its start sorts it again, for seconds on a large file
            // table: the window repaints meanwhile.
            Breather breathe(engine.processEvents);
            std::optional<db::ProgressScope> duringStatements;
            if (ws.database)
                duringStatements.emplace(*ws.database, [&breathe] { breathe(); });
            ws.scanResult = rebuildDetailTable(ws, *selection, inputs, engine.processEvents);
        }
    } catch (const db::EngineError& e) {
        // One message, and no report left standing that looks like this selection's.
        platform::msgBox(buildFailureText(ReportKind::Detail, e.number(), e.description()),
                         platform::MbOkOnly | platform::MbCritical, platform::DefaultMessageTitle);
        engine.rptClose();
        return false;
    }

    engine.rptNewPage(1);
    return true;
}

} // namespace zek::report
