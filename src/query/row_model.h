// The condition grid without its window: what each of the five rows shows, how a row is set up for
// its field, how a stored line is shown in a row, and the line commands (scroll, add, demote,
// promote, delete) over the lines. The window copies its controls into a `ConditionGrid`, runs one
// of these routines and shows the rows again.
#pragma once

#include "platform/intl.h"
#include "query/grid_row.h"
#include "work/query_line.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace zek {

constexpr int GridRowCount = 5;
constexpr int InitialQueryLineCount = 5;
constexpr int ValueMaxLength = 64;

// The evaluation lists.
const QStringList& equalityEvaluations(); // "=", "NOT ="
const QStringList& orderEvaluations();    // "=", "NOT =", "<", "<=", ">", ">="
// The unit list of a SIZE row: "  " (bytes), "KB", "MB".
const QStringList& sizeUnits();

// A value box mask in the masked edit's notation: "&" any character, "#" a digit, "A" a letter or
// digit; every other character is a literal. The box's text holds the literals and "_" in every
// "#" and "A" place not yet filled; "&" places not filled are left out, because "_" may be typed
// there and must stay what the user typed (so a text field's box text is just what was typed).
QString maskedText(const QString& mask, const QString& input);
// A mask's text with nothing filled in ("__/__/__").
inline QString untouchedMask(const QString& mask) {
    return maskedText(mask, QString());
}

// What one row of the grid shows.
struct GridRowState {
    int lineNumber = 0; // the choice button's caption and tag
    bool marked = false;
    QString bracketL;
    int fieldIndex = 0;
    QStringList evaluations{QString()};
    int evaluationIndex = 0;
    QString mask; // "" for a plain box
    int maxLength = ValueMaxLength;
    bool valueEnabled = false;
    QString valueText; // as `maskedText` gives it: literals and "_" for unfilled digit places
    bool valueChoiceVisible = false;
    QStringList valueChoices;
    int valueChoiceIndex = -1;
    QString bracketR;
    int connectionIndex = 0;

    QString field() const { return conditionFieldList().value(fieldIndex); }
    bool operator==(const GridRowState&) const = default;
};

// SetupRowForField: the value box emptied, then mask, length, evaluation list and unit or AM/PM box
// set for `field` (which need not be the field the row shows: choosing the empty field keeps the
// previous set-up).
void setupRowForField(GridRowState& row, const QString& field, const platform::IntlSettings& intl);
// SetupRowForField for the field the row shows.
inline void setupRowForField(GridRowState& row, const platform::IntlSettings& intl) {
    setupRowForField(row, row.field(), intl);
}

// ShowLineInRow: the row showing stored line `line` numbered `lineNumber`.
GridRowState showLineInRow(const QueryLine& line, int lineNumber, const platform::IntlSettings& intl);
// ClearRow: an empty line numbered `lineNumber`.
GridRowState clearRow(int lineNumber, const platform::IntlSettings& intl);

// The value texts a stored line shows.
QString dateValueText(const QString& stored, const platform::IntlSettings& intl);
// The time and, on a 12-hour clock, the AM (0) or PM (1) position; -1 on a 24-hour clock.
QString timeValueText(const QString& stored, const platform::IntlSettings& intl, int* amPmIndex);
QString sizeValueText(const QString& stored, int unitIndex, const platform::IntlSettings& intl);

// The control values of a row, as the row encoding takes them.
GridRowInput gridRowInput(const GridRowState& row);

// Turns one row's control values into its stored line (StoreGridRows' per-row encoding).
using RowEncoder = std::function<QueryLine(const GridRowInput&)>;

// The window state of the grid.
struct ConditionGrid {
    std::array<GridRowState, GridRowCount> rows;
    int currentRow = 1;                              // 1-based row that last had the focus
    QString currentColumn = QStringLiteral("KEUZE"); // the column that last had the focus

    int currentLine() const { return rows[static_cast<size_t>(currentRow - 1)].lineNumber; }
};

// Gives `lines` at least the initial five lines.
void ensureInitialLines(QueryLines& lines);
// StoreGridRows: each row's controls, encoded, overwrite the line the row shows.
void storeGridRows(const ConditionGrid& grid, QueryLines& lines, const RowEncoder& encode);
// Rows 0 to 4 show lines first .. first + 4 (first is kept inside the list).
void showLinesFrom(ConditionGrid& grid, const QueryLines& lines, int first,
                   const platform::IntlSettings& intl);

// The scroll bar moved to `value`. True when the rows show other lines now; the current row may
// have moved either way.
bool scrollGrid(ConditionGrid& grid, QueryLines& lines, int value, const platform::IntlSettings& intl,
                const RowEncoder& encode);
// Add at position p (1 to count + 1; 0 is Cancel): an empty line p, the lines from p on one place
// down. Returns the row that shows the new line, -1 when nothing was added.
int addLine(ConditionGrid& grid, QueryLines& lines, int p, const platform::IntlSettings& intl,
            const RowEncoder& encode);
// Demote / Promote: the current row's line content one line down / up. False when nothing moved.
bool demoteLine(ConditionGrid& grid, QueryLines& lines, const platform::IntlSettings& intl,
                const RowEncoder& encode);
bool promoteLine(ConditionGrid& grid, QueryLines& lines, const platform::IntlSettings& intl,
                 const RowEncoder& encode);
// Delete: the current row shows its line emptied; the line stays in the list.
void deleteLine(ConditionGrid& grid, const platform::IntlSettings& intl);

} // namespace zek
