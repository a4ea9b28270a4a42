// Condition lines for tests: a row as the Conditions & Sorting grid holds it, encoded as the window
// stores it, and stored lines made directly.
#pragma once

#include "platform/intl.h"
#include "query/grid_row.h"
#include "work/query_line.h"

#include <QList>

namespace zek::test {

// What a row's boxes show. `unit` is the unit box ("  ", "KB", "MB") of a SIZE row or the AM/PM box
// of a TIME row; empty while the box is hidden.
struct ConditionRow {
    QString field = {};
    QString evaluation = {};
    QString value = {};
    QString unit = {};
    QString connection = {};
    QString bracketL = {};
    QString bracketR = {};
};

GridRowInput gridRowOf(const ConditionRow& row);
QueryLine conditionLine(const ConditionRow& row, const platform::IntlSettings& intl = {});
QueryLines conditionLines(const QList<ConditionRow>& rows, const platform::IntlSettings& intl = {});

// The list position of a condition field.
int fieldIndex(const QString& name);
// A stored text line: `field` LIKE 'entry'.
QueryLine storedTextLine(const QString& field, const QString& entry);
// Lines 1..count, line n holding NAME LIKE 'L<n>'.
QueryLines numberedLines(int count);

} // namespace zek::test
