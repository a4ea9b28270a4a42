#include "support/condition_lines.h"

#include "query/row_encoding.h"

namespace zek::test {

GridRowInput gridRowOf(const ConditionRow& row) {
    GridRowInput g;
    g.field = row.field;
    g.fieldIndex = fieldIndex(row.field);
    g.evaluationText = row.evaluation;
    g.valueText = row.value;
    g.bracketL = row.bracketL;
    g.bracketR = row.bracketR;
    g.connection = row.connection;
    g.connectionIndex = static_cast<int>(connectionList().indexOf(row.connection));
    if (!row.unit.isEmpty()) {
        static const QStringList units{"  ", "KB", "MB"};
        static const QStringList amPm{"AM", "PM"};
        g.valueChoiceVisible = true;
        g.valueChoiceText = row.unit;
        g.valueChoiceIndex = static_cast<int>(
            fieldKind(row.field) == FieldKind::Time ? amPm.indexOf(row.unit) : units.indexOf(row.unit));
    }
    return g;
}

QueryLine conditionLine(const ConditionRow& row, const platform::IntlSettings& intl) {
    return encodeGridRow(gridRowOf(row), intl);
}

QueryLines conditionLines(const QList<ConditionRow>& rows, const platform::IntlSettings& intl) {
    QueryLines lines;
    for (const ConditionRow& r : rows)
        lines.append(conditionLine(r, intl));
    return lines;
}

int fieldIndex(const QString& name) {
    return static_cast<int>(conditionFieldList().indexOf(name));
}

QueryLine storedTextLine(const QString& field, const QString& entry) {
    QueryLine l;
    l.field = field;
    l.fieldIndex = fieldIndex(field);
    l.evaluation = "LIKE";
    l.value = "'" + entry + "'";
    return l;
}

QueryLines numberedLines(int count) {
    QueryLines lines;
    lines.reset(0);
    for (int n = 1; n <= count; ++n)
        lines.append(storedTextLine("NAME", QString("L%1").arg(n)));
    return lines;
}

} // namespace zek::test
