#include "query/row_model.h"

#include "query/row_encoding.h"
#include "query/value_validation.h"

#include <QLocale>

#include <algorithm>
#include <utility>

namespace zek {

namespace {

bool isPlaceholder(QChar m) {
    return m == QLatin1Char('&') || m == QLatin1Char('#') || m == QLatin1Char('A');
}

bool fitsPlaceholder(QChar m, QChar c) {
    if (m == QLatin1Char('#'))
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (m == QLatin1Char('A'))
        return c.isLetterOrNumber();
    return c.isPrint();
}

int clampIndex(int index, const QStringList& list) {
    if (list.isEmpty())
        return -1;
    return std::clamp(index, 0, static_cast<int>(list.size()) - 1);
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

bool allDigits(const QString& s) {
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

// One row takes over the content of another (Demote and Promote inside the grid); the line number
// stays with the row.
void takeContent(GridRowState& target, const GridRowState& source, const platform::IntlSettings& intl) {
    target.marked = source.marked;
    target.bracketL = source.bracketL;
    target.fieldIndex = source.fieldIndex;
    setupRowForField(target, intl);
    target.evaluationIndex = std::max(0, clampIndex(source.evaluationIndex, target.evaluations));
    target.valueText = target.mask.isEmpty() ? source.valueText : maskedText(target.mask, source.valueText);
    target.valueChoiceVisible = source.valueChoiceVisible;
    if (source.valueChoiceVisible && target.valueChoices.isEmpty())
        target.valueChoices = source.valueChoices;
    target.valueChoiceIndex =
        source.valueChoiceVisible ? clampIndex(source.valueChoiceIndex, target.valueChoices) : -1;
    target.bracketR = source.bracketR;
    target.connectionIndex = source.connectionIndex;
}

void swapContents(GridRowState& a, GridRowState& b, const platform::IntlSettings& intl) {
    const GridRowState oldA = a;
    takeContent(a, b, intl);
    takeContent(b, oldA, intl);
}

} // namespace

const QStringList& equalityEvaluations() {
    static const QStringList list{"=", "NOT ="};
    return list;
}

const QStringList& orderEvaluations() {
    static const QStringList list{"=", "NOT =", "<", "<=", ">", ">="};
    return list;
}

const QStringList& sizeUnits() {
    static const QStringList list{"  ", "KB", "MB"};
    return list;
}

QString maskedText(const QString& mask, const QString& input) {
    QString out;
    qsizetype j = 0;
    for (QChar m : mask) {
        if (!isPlaceholder(m)) {
            out += m;
            if (j < input.size() && input.at(j) == m)
                ++j;
            continue;
        }
        const bool anyCharacter = m == QLatin1Char('&');
        QChar placed = QLatin1Char('_');
        bool filled = false;
        while (j < input.size()) {
            const QChar c = input.at(j++);
            if ((!anyCharacter && c == QLatin1Char('_')) || fitsPlaceholder(m, c)) {
                placed = c;
                filled = true;
                break;
            }
        }
        if (filled || !anyCharacter)
            out += placed;
    }
    return out;
}

void setupRowForField(GridRowState& row, const QString& field, const platform::IntlSettings& intl) {
    row.mask.clear();
    if (!row.valueText.trimmed().isEmpty())
        row.valueText.clear();
    row.maxLength = ValueMaxLength;
    row.evaluations.clear();
    row.valueChoices.clear();
    row.valueChoiceVisible = false;
    row.valueChoiceIndex = -1;

    const QString f = field.trimmed();
    switch (fieldKind(f)) {
    case FieldKind::None:
        row.valueEnabled = false;
        row.evaluations = QStringList{QString()};
        row.evaluationIndex = 0;
        return;
    case FieldKind::Text:
        row.evaluations = equalityEvaluations();
        if (f == QLatin1String("NAME"))
            row.maxLength = 8;
        else if (f == QLatin1String("EXTENSION"))
            row.maxLength = 3;
        row.mask = QString(row.maxLength, QLatin1Char('&'));
        break;
    case FieldKind::Size:
        row.evaluations = orderEvaluations();
        row.valueChoices = sizeUnits();
        row.valueChoiceVisible = true;
        row.valueChoiceIndex = 0;
        break;
    case FieldKind::Date:
        row.evaluations = orderEvaluations();
        row.mask =
            QStringLiteral("##") + intl.sDate + QStringLiteral("##") + intl.sDate + QStringLiteral("##");
        break;
    case FieldKind::Time:
        row.evaluations = orderEvaluations();
        row.mask = QStringLiteral("##") + intl.sTime + QStringLiteral("##");
        if (intl.iTime != 1) {
            row.valueChoices = QStringList{intl.s1159, intl.s2359};
            row.valueChoiceVisible = true;
            row.valueChoiceIndex = 0;
        }
        break;
    case FieldKind::Attribute:
        row.evaluations = equalityEvaluations();
        row.mask = QStringLiteral("AAA");
        row.maxLength = 3;
        row.valueText = QStringLiteral("SET");
        break;
    }
    if (!row.mask.isEmpty())
        row.valueText = maskedText(row.mask, row.valueText);
    row.evaluationIndex = 0;
    row.valueEnabled = true;
}

QString dateValueText(const QString& stored, const platform::IntlSettings& intl) {
    const QString v = stored.trimmed();
    if (v.size() != 8 || !allDigits(v))
        return QString();
    const QString order = shortDateOrder(intl);
    QStringList parts;
    for (QChar letter : order) {
        if (letter == QLatin1Char('d'))
            parts.append(v.right(2));
        else if (letter == QLatin1Char('M'))
            parts.append(v.mid(4, 2));
        else
            parts.append(v.mid(2, 2)); // the box holds a two-digit year
    }
    return parts.join(intl.sDate);
}

QString timeValueText(const QString& stored, const platform::IntlSettings& intl, int* amPmIndex) {
    const bool twentyFour = intl.iTime == 1;
    int choice = twentyFour ? -1 : 0;
    QString v = stored.trimmed();
    if (allDigits(v) && v.size() < 6)
        v = v.rightJustified(6, QLatin1Char('0'));
    QString text;
    if (v.size() == 6 && allDigits(v)) {
        int hour = v.left(2).toInt();
        const QString minutes = v.mid(2, 2);
        if (!twentyFour) {
            // Noon is 12 PM and midnight 12 AM, so every shown time passes the 01:00-12:59 check.
            choice = hour >= 12 ? 1 : 0;
            hour %= 12;
            if (hour == 0)
                hour = 12;
        }
        text = twoDigits(hour) + intl.sTime + minutes;
    }
    if (amPmIndex)
        *amPmIndex = choice;
    return text;
}

QString sizeValueText(const QString& stored, int unitIndex, const platform::IntlSettings& intl) {
    const QString v = stored.trimmed();
    if (v.isEmpty())
        return QString();
    bool ok = false;
    const qlonglong bytes = v.toLongLong(&ok);
    QString text;
    if (ok && unitIndex != 1 && unitIndex != 2) {
        text = QString::number(bytes);
    } else {
        const double number = ok ? static_cast<double>(bytes) : QLocale::c().toDouble(v, &ok);
        if (!ok)
            return QString();
        const double divisor = unitIndex == 2 ? 1048576.0 : unitIndex == 1 ? 1024.0 : 1.0;
        text = QString::number(number / divisor, 'f', QLocale::FloatingPointShortest);
        text.replace(QLatin1Char('.'), intl.sDecimal);
    }
    return insertGroupSeparators(text, intl);
}

GridRowState showLineInRow(const QueryLine& line, int lineNumber, const platform::IntlSettings& intl) {
    GridRowState row;
    row.lineNumber = lineNumber;
    row.marked = line.choice != 0;
    row.bracketL = line.bracketL;
    row.fieldIndex = std::max(0, clampIndex(line.fieldIndex, conditionFieldList()));
    setupRowForField(row, intl);
    row.evaluationIndex = std::max(0, clampIndex(line.evaluationIndex, row.evaluations));

    int choice = line.valueChoiceIndex;
    QString text;
    switch (fieldKind(row.field())) {
    case FieldKind::Date:
        text = dateValueText(line.value, intl);
        break;
    case FieldKind::Time:
        text = timeValueText(line.value, intl, &choice);
        break;
    case FieldKind::Size:
        text = sizeValueText(line.value, line.valueChoiceIndex, intl);
        break;
    case FieldKind::Attribute:
        text = QStringLiteral("SET");
        row.evaluationIndex = line.value.trimmed() == QLatin1String("TRUE") ? 0 : 1;
        break;
    case FieldKind::Text:
    case FieldKind::None:
        text = textEntryFromValue(line.value);
        break;
    }
    row.valueText = row.mask.isEmpty() ? text : maskedText(row.mask, text);

    if (choice != -1 && !row.valueChoices.isEmpty()) {
        row.valueChoiceVisible = true;
        row.valueChoiceIndex = clampIndex(choice, row.valueChoices);
    } else {
        row.valueChoiceVisible = false;
        row.valueChoiceIndex = -1;
    }
    row.bracketR = line.bracketR;
    row.connectionIndex = std::max(0, clampIndex(line.connectionIndex, connectionList()));
    return row;
}

GridRowState clearRow(int lineNumber, const platform::IntlSettings& intl) {
    GridRowState row;
    row.lineNumber = lineNumber;
    setupRowForField(row, intl);
    return row;
}

GridRowInput gridRowInput(const GridRowState& row) {
    GridRowInput in;
    in.marked = row.marked;
    in.bracketL = row.bracketL;
    in.fieldIndex = row.fieldIndex;
    in.field = row.field();
    in.evaluationIndex = row.evaluationIndex;
    in.evaluationText = row.evaluations.value(row.evaluationIndex);
    in.valueText = row.valueText;
    in.valueChoiceVisible = row.valueChoiceVisible;
    in.valueChoiceIndex = row.valueChoiceVisible ? row.valueChoiceIndex : -1;
    in.valueChoiceText = row.valueChoiceVisible ? row.valueChoices.value(row.valueChoiceIndex) : QString();
    in.bracketR = row.bracketR;
    in.connectionIndex = row.connectionIndex;
    in.connection = connectionList().value(row.connectionIndex);
    return in;
}

void ensureInitialLines(QueryLines& lines) {
    if (lines.lines.empty())
        lines.lines.resize(1);
    while (lines.count() < InitialQueryLineCount)
        lines.append(QueryLine{});
}

void storeGridRows(const ConditionGrid& grid, QueryLines& lines, const RowEncoder& encode) {
    for (const GridRowState& row : grid.rows) {
        if (row.lineNumber >= 1 && row.lineNumber <= lines.count())
            lines.line(row.lineNumber) = encode(gridRowInput(row));
    }
}

void showLinesFrom(ConditionGrid& grid, const QueryLines& lines, int first,
                   const platform::IntlSettings& intl) {
    first = std::clamp(first, 1, std::max(1, lines.count() - GridRowCount + 1));
    for (int r = 0; r < GridRowCount; ++r) {
        const int n = first + r;
        grid.rows[static_cast<size_t>(r)] =
            n <= lines.count() ? showLineInRow(lines.line(n), n, intl) : clearRow(n, intl);
    }
}

bool scrollGrid(ConditionGrid& grid, QueryLines& lines, int value, const platform::IntlSettings& intl,
                const RowEncoder& encode) {
    const int current = grid.currentLine();
    if (value > current) {
        if (grid.currentRow < GridRowCount) {
            ++grid.currentRow;
            return false;
        }
        storeGridRows(grid, lines, encode);
        showLinesFrom(grid, lines, value - (GridRowCount - 1), intl);
        return true;
    }
    if (value < current) {
        if (grid.currentRow > 1) {
            --grid.currentRow;
            return false;
        }
        storeGridRows(grid, lines, encode);
        showLinesFrom(grid, lines, std::max(1, value), intl);
        return true;
    }
    return false;
}

int addLine(ConditionGrid& grid, QueryLines& lines, int p, const platform::IntlSettings& intl,
            const RowEncoder& encode) {
    const int count = lines.count();
    if (p < 1 || p > count + 1)
        return -1;
    storeGridRows(grid, lines, encode);
    lines.lines.insert(lines.lines.begin() + p, QueryLine{});
    const int newCount = count + 1;
    const int first = p + (GridRowCount - 1) > newCount ? newCount - (GridRowCount - 1) : p;
    showLinesFrom(grid, lines, first, intl);
    const int row = p - first;
    grid.rows[static_cast<size_t>(row)] = clearRow(p, intl);
    grid.currentRow = row + 1;
    return row;
}

bool demoteLine(ConditionGrid& grid, QueryLines& lines, const platform::IntlSettings& intl,
                const RowEncoder& encode) {
    const int n = grid.currentLine();
    if (n < 1 || n >= lines.count())
        return false;
    const auto r = static_cast<size_t>(grid.currentRow - 1);
    if (grid.currentRow < GridRowCount) {
        swapContents(grid.rows[r], grid.rows[r + 1], intl);
        return true;
    }
    storeGridRows(grid, lines, encode);
    std::swap(lines.line(n), lines.line(n + 1));
    grid.rows[r] = showLineInRow(lines.line(n), n, intl);
    return true;
}

bool promoteLine(ConditionGrid& grid, QueryLines& lines, const platform::IntlSettings& intl,
                 const RowEncoder& encode) {
    const int n = grid.currentLine();
    if (n <= 1 || n > lines.count())
        return false;
    const auto r = static_cast<size_t>(grid.currentRow - 1);
    if (grid.currentRow > 1) {
        swapContents(grid.rows[r], grid.rows[r - 1], intl);
        return true;
    }
    storeGridRows(grid, lines, encode);
    std::swap(lines.line(n), lines.line(n - 1));
    grid.rows[r] = showLineInRow(lines.line(n), n, intl);
    return true;
}

void deleteLine(ConditionGrid& grid, const platform::IntlSettings& intl) {
    GridRowState& row = grid.rows[static_cast<size_t>(grid.currentRow - 1)];
    row = clearRow(row.lineNumber, intl);
}

} // namespace zek
