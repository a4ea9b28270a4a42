// The editing rules of the two report setup windows (Setup Detail Report, Setup Summary Report):
// the field names each offers, the width and position spinners, the checks of the number boxes, the
// pending-edit comparison of the shown column and the list commands Add, Promote, Demote and Delete.
// Positions are 1-based; 0 means "no column shown" (an empty list).
#pragma once

#include "work/report_columns.h"

#include <QString>
#include <QStringList>

namespace zek::report {

enum class SetupKind { Detail, Summary };

inline constexpr int MinColumnWidth = 100;
inline constexpr int MaxColumnWidth = 9999;
inline constexpr int WidthSpinStep = 20;
// What a width box holding 0, or no number at all, becomes.
inline constexpr int EmptyBoxWidth = 180;
// The width of an entry Add puts past the end of the list.
inline constexpr int NewColumnWidth = 990;

inline const QString PositionErrorTitle = QStringLiteral("Position fill error");
inline const QString WidthRangeMessage = QStringLiteral("Please specify a width between 100 and 9999.");
inline const QString QueryInformationTitle = QStringLiteral("Query information");
inline const QString AddFieldCaption = QStringLiteral("Add Field in Grid");

// "Please specify a position between 1 and <count>."
QString positionRangeMessage(int count);
QString fieldChangedMessage(SetupKind kind);
inline const QString WidthChangedMessage = QStringLiteral("Fieldwidth has changed, accept changes? ");
QString deleteFieldMessage(SetupKind kind);

// The names the field-name list offers: every file field, the file number and the three disk
// space shares (Detail); the grouping field, then the Summary figures (Summary). The grouping field
// takes the place of PATH, the grouping the Summary report uses when no sorter is set.
QStringList detailFieldNames();
QStringList summaryFieldNames(const QString& groupingField = QStringLiteral("PATH"));

// The unit list belongs to size columns: SIZE in the Detail report, any name ending in "SIZE" in the
// Summary report.
bool hasUnitList(SetupKind kind, const QString& name);
// Blank, "KB", "MB".
QStringList unitChoices();
// The list position of a stored unit: 1 "KB", 2 "MB", 0 for anything else.
int unitIndex(const QString& extra);

// The spinners. Width: up adds 20 below 9999 (at most 9999), down takes 20 from 100 or more (at
// least 100). Position: up below the count, down above 1.
int widthSpinUp(int width);
int widthSpinDown(int width);
int positionSpinUp(int position, int count);
int positionSpinDown(int position);

// What a width box holds.
enum class WidthEntry {
    Valid,      // a width from 100 to 9999
    Empty,      // 0 or no number: the box becomes "180"
    OutOfRange, // any other number
};
struct WidthCheck {
    WidthEntry entry;
    int width; // the width the box stands for (180 for Empty)
};
WidthCheck checkWidthText(const QString& text);

// The position a box holds when it names a column, else 0.
int positionInBox(const QString& text, int count);

// The edit boxes of the shown column.
struct ColumnEdits {
    QString name;
    QString description;
    QString extra; // "" when the unit list is hidden
    int width = 0;
};

// Which of the two questions the edits of the shown column raise.
struct PendingEdits {
    bool field = false; // name, description or unit differ
    bool width = false;
    bool any() const { return field || width; }
};
PendingEdits pendingEdits(const ReportColumn& stored, const ColumnEdits& edits);

// OK to the first question: name, description and unit (a unit equal but for blanks keeps its
// stored form); the format follows the name.
void acceptFieldEdits(ReportColumn& column, const ColumnEdits& edits, SetupKind kind);

// The position dialog's choices.
enum class PositionChoice { AsFirst, AsLast, Before, After, AsNumber };
// The insert position a choice gives: 1, count + 1, the number, the number + 1, the number.
int positionFromChoice(PositionChoice choice, int count, int number);

// Add at p (1..count + 1): the columns from p on move one place down and the new column at p starts
// as a copy of the one that moved down; past the end it starts empty (no name, no heading, the
// default width). False, and nothing changes, for any other p (0 is the dialog's Cancel).
bool insertColumn(ReportColumns& columns, int p, SetupKind kind);
// Swap the column at p with the one before (Promote) or after it (Demote); p follows its column.
// False at the ends.
bool promoteColumn(ReportColumns& columns, int& p);
bool demoteColumn(ReportColumns& columns, int& p);
// Remove the column at p; p stays, or moves to the new last column (0 when none is left).
bool deleteColumn(ReportColumns& columns, int& p);

} // namespace zek::report
