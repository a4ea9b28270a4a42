// The statement builder: the condition lines and the three sorters become one SQL statement over the
// file table,
//
//     "SELECT * FROM FILETYPE" [" WHERE " clause] " ORDER BY " list
//
// which is opened on the work file as the selection record set; the report builders read their rows
// from it. The clause is a plain concatenation of the stored lines: nothing here checks it, and the
// engine is the only judge of its syntax. When the engine rejects it, the user is told once, with
// the engine's error number and description and the statement, and the reports stay as they were.
#pragma once

#include "platform/printer_choice.h"
#include "work/query_line.h"
#include "work/work_state.h"

#include <QString>

#include <array>
#include <functional>

namespace zek::query {

inline const QString DefaultOrderByList = QStringLiteral("PATH,NAME,EXTENSION");
inline const QString NoFilesInSelectionText = QStringLiteral("No files in selection, please reselect.");

// `SortKey`.`Direction`.
constexpr int SortAscending = 1;
constexpr int SortDescending = 2;

struct SortKey {
    int direction = SortAscending;
    QString sortField;
    bool operator==(const SortKey&) const = default;
};

// `SortKeys`, from 0: one per sorter that is set, in sorter order. A run overwrites only as many
// entries as it has sorters; the rest keep what an earlier run put there.
using SortKeys = std::array<SortKey, 3>;

// The program's printer; an empty name means there is none.
using DefaultPrinter = platform::PrinterChoice;

// What the statement builder asks of the desktop, set once by the owner of the state. Each hook may
// stay empty.
struct QueryHooks {
    // The hourglass pointer on (true) and back to normal (false).
    std::function<void(bool)> busy;
    // The default printer of the print system (the windows fill this; the core links no printing).
    std::function<DefaultPrinter()> defaultPrinter;
    // Builds the Detail and then the Summary report from the selection just opened (the owner of
    // the report engines fills this; the statement builder knows no reports).
    std::function<void()> buildReports;
    // Lets the windows repaint while the selection is opened and counted, which takes seconds on a
    // large file table.
    std::function<void()> processEvents;
};

// The state of the statement builder, kept from one run to the next.
struct QueryState {
    QString orderByList;     // `OrderByList`
    QString whereClause;     // `WhereClause`
    QString selectStatement; // `SelectStatement`
    SortKeys sortKeys;
    // The default printer as the last precondition check found it, kept for the report viewers'
    // printer-change check.
    QString printerName;
    QString printerOrientation; // "Portrait" or "Landscape"
    QueryHooks hooks;
};

// The ORDER BY list of the sorters: field names joined by bare commas, " DESC" after a descending
// one, "PATH,NAME,EXTENSION" when no sorter is set. Fills sortKeys from 0.
QString buildOrderByList(const Sorters& sorters, SortKeys& sortKeys);
// The WHERE clause of lines 1 to count: brackets, conditions ("NOT (" ... ")" for a negated
// evaluation), connections (" AND " when none is chosen); a trailing " AND " is removed, no other.
// In a value compared with LIKE, "#" and "[" stand for themselves: "*" and "?" are the only
// wildcards a condition value has.
QString buildWhereClause(const QueryLines& lines);
QString buildSelectStatement(const QString& whereClause, const QString& orderByList);

enum class SelectionOutcome {
    Selected, // the selection holds records; ws.scanResult is their number
    Empty,    // no record matched: "No files in selection, please reselect."
    Rejected, // the engine refused the statement; the user was told, nothing changed
};

// The message for a statement the engine rejected.
QString selectionErrorText(int number, const QString& description, const QString& statement);

// `BuildQueryAndReports`: builds the three texts from ws.settings (sorters and condition lines, as
// last stored), opens the statement as the selection record set (flag and SQL text kept in ws, so
// the work file closes and reopens it) and puts its record count into ws.scanResult; with records
// selected it runs the buildReports hook. On a rejection the previous selection record set stays as
// it was.
SelectionOutcome buildQueryAndReports(work::WorkState& ws, QueryState& qs);

} // namespace zek::query
