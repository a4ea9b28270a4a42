#include "work/query_line.h"

namespace zek {

const QStringList& conditionFieldList() {
    static const QStringList list = [] {
        QStringList fields{""}; // the empty entry: no field
        for (const work::FileField f : work::ListedFileFields)
            fields << work::fileFieldName(f);
        return fields;
    }();
    return list;
}

const QStringList& connectionList() {
    static const QStringList list{"", "AND", "OR", "AND NOT", "OR NOT"};
    return list;
}

FieldKind fieldKind(const QString& fieldName) {
    const work::FileFieldDef* field = work::findFileField(QStringView(fieldName).trimmed());
    return field ? field->kind : FieldKind::None;
}

namespace {

int trimmedPosition(const QStringList& list, const QString& text) {
    const QString wanted = text.trimmed();
    for (int i = 0; i < list.size(); ++i) {
        if (list[i].trimmed() == wanted)
            return i;
    }
    return 0;
}

} // namespace

void restoreLinePositions(QueryLine& line, const QString& storedValueChoice) {
    line.fieldIndex = trimmedPosition(conditionFieldList(), line.field);
    const FieldKind kind = fieldKind(line.field);
    const QString eval = line.evaluation.trimmed();
    switch (kind) {
    case FieldKind::None:
        line.evaluation.clear();
        line.evaluationIndex = 0;
        break;
    case FieldKind::Text:
    case FieldKind::Attribute:
        line.evaluationIndex = (eval == "NOT =" || eval == "NOT LIKE") ? 1 : 0;
        break;
    case FieldKind::Size:
    case FieldKind::Date:
    case FieldKind::Time: {
        static const QStringList evaluations{"=", "NOT =", "<", "<=", ">", ">="};
        const int pos = static_cast<int>(evaluations.indexOf(eval));
        line.evaluationIndex = pos < 0 ? 0 : pos;
        break;
    }
    }
    // Time lines on a 12-hour clock get their AM/PM position when the grid shows them.
    if (kind == FieldKind::Size) {
        const QString stored = storedValueChoice.trimmed();
        if (stored == "1") {
            line.valueChoice = "KB";
            line.valueChoiceIndex = 1;
        } else if (stored == "2") {
            line.valueChoice = "MB";
            line.valueChoiceIndex = 2;
        } else {
            line.valueChoice = "  ";
            line.valueChoiceIndex = 0;
        }
    } else {
        line.valueChoice.clear();
        line.valueChoiceIndex = -1;
    }
    line.connectionIndex = trimmedPosition(connectionList(), line.connection);
}

QueryLine storedForm(const QueryLine& line) {
    QueryLine stored;
    stored.choice = line.choice != 0 ? 1 : 0;
    stored.bracketL = line.bracketL.trimmed();
    stored.field = line.field.trimmed();
    stored.evaluation = line.evaluation.trimmed();
    stored.value = line.value.trimmed();
    stored.bracketR = line.bracketR.trimmed();
    stored.connection = line.connection.trimmed();
    restoreLinePositions(stored, QString::number(line.valueChoiceIndex));
    return stored;
}

} // namespace zek
