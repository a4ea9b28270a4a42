// The state of the open work file, shared by every window: the database, its record sets with their
// open flags, the settings groups that the work file keeps, and the unchanged flags with their
// snapshots.
#pragma once

#include "db/engine.h"
#include "work/folder_list.h"
#include "work/query_line.h"
#include "work/report_columns.h"
#include "work/work_events.h"
#include "work/work_schema.h"

#include <array>
#include <functional>
#include <memory>

namespace zek::work {

// The settings that one inventory keeps in its work file.
struct WorkSettings {
    FolderList folders;
    QueryLines queryLines;
    ReportColumns detailColumns;
    ReportColumns summaryColumns;
    Sorters sorters;
    ReportTitles detailTitles;
    ReportTitles summaryTitles;

    bool operator==(const WorkSettings&) const = default;
};

// The seven settings groups, in the order of `UnchangedFlags`.
enum class SettingsGroup {
    Folders,
    QueryLines,
    DetailColumns,
    SummaryColumns,
    Sorters,
    DetailTitles,
    SummaryTitles
};
constexpr int SettingsGroupCount = 7;

// Record sets opened from SQL text: the current selection and the two summary selections.
enum class SqlRecordset { Selection, SummarySelected, SummaryUnselected };
constexpr int SqlRecordsetCount = 3;

// What the work file asks of the program, as opposed to what it tells (`WorkEvents`): requests with
// one answerer, set by the main window. Each may stay empty.
struct WorkFileHooks {
    // Let pending window messages run once.
    std::function<void()> processEvents;
    // Close the main window, which ends the program.
    std::function<void()> endProgram;
};

struct WorkState {
    QString workDirectory;

    std::unique_ptr<db::Database> database; // `WorkDatabase`
    bool databaseOpen = false;
    QString activeFileName;

    std::array<std::unique_ptr<db::Recordset>, WorkTableCount> tables;
    std::array<bool, WorkTableCount> tableFlags{};
    std::array<std::unique_ptr<db::Recordset>, SqlRecordsetCount> sqlRecordsets;
    std::array<bool, SqlRecordsetCount> sqlFlags{};
    std::array<QString, SqlRecordsetCount> sqlTexts;

    WorkSettings settings;
    // The snapshots behind `UnchangedFlags`, refreshed as the flags are.
    WorkSettings snapshot;
    std::array<bool, SettingsGroupCount> unchangedFlags{true, true, true, true, true, true, true};
    // The settings as the work file last stored them; a difference means unsaved changes.
    WorkSettings savedSettings;

    bool reportsBuilt = false;
    bool reportsCurrent = false;
    // 0 after a completed scan, -999 when no completed scan backs the reports, else the number of
    // records of the last selection.
    long long scanResult = -999;

    WorkEvents events;
    WorkFileHooks hooks;

    QString workingCopyName() const;
    db::Recordset* table(WorkTable t) const { return tables[static_cast<size_t>(t)].get(); }
    bool& flag(WorkTable t) { return tableFlags[static_cast<size_t>(t)]; }
    bool& unchanged(SettingsGroup g) { return unchangedFlags[static_cast<size_t>(g)]; }
};

constexpr long long NoCompletedScan = -999;

} // namespace zek::work
