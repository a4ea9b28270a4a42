// One condition line of the Conditions & Sorting window, and the three sorters.
#pragma once

#include "work/file_fields.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace zek {

struct QueryLine {
    int choice = 0; // 1 when the line is marked
    QString bracketL;
    QString field;
    int fieldIndex = 0;
    QString evaluation; // stored form ("LIKE", "NOT LIKE", "=", "<", ...)
    int evaluationIndex = 0;
    QString value; // stored form: the literal the statement carries
    QString valueChoice;
    int valueChoiceIndex = -1; // -1 while the unit / AM-PM box is hidden
    QString bracketR;
    QString connection;
    int connectionIndex = 0;

    bool operator==(const QueryLine&) const = default;
};

// Lines numbered from 1; slot 0 exists and is never used.
struct QueryLines {
    std::vector<QueryLine> lines = std::vector<QueryLine>(1);

    int count() const { return static_cast<int>(lines.size()) - 1; }
    QueryLine& line(int number) { return lines.at(static_cast<size_t>(number)); }
    const QueryLine& line(int number) const { return lines.at(static_cast<size_t>(number)); }
    void clear() { lines.assign(1, QueryLine{}); }
    void append(const QueryLine& l) { lines.push_back(l); }
    // A fresh grid: `count` empty lines.
    void reset(int count) { lines.assign(static_cast<size_t>(count) + 1, QueryLine{}); }
    bool operator==(const QueryLines&) const = default;
};

struct Sorter {
    QString text;          // the sort field, "" when the sorter is not set
    bool ascending = true; // the direction button shows the ascending picture
    bool operator==(const Sorter&) const = default;
};

using Sorters = std::array<Sorter, 3>;

// The field list of every condition row and every sorter: no field, then the listed file fields.
// The list position is `FieldIndex`.
const QStringList& conditionFieldList();
// The connection list of every condition row.
const QStringList& connectionList();

using work::FieldKind;
FieldKind fieldKind(const QString& fieldName);

// A line read back from the work file carries only texts; rebuild its list positions from them.
void restoreLinePositions(QueryLine& line, const QString& storedValueChoice);

// The line as the work file keeps it and gives it back: texts trimmed, the mark a flag, the list
// positions rebuilt from the texts as loading does. The grid holds positions of its own (an
// attribute's "NOT =", a time's AM/PM) that loading does not take from the file; two lines with the
// same stored form are the same condition.
QueryLine storedForm(const QueryLine& line);

} // namespace zek
