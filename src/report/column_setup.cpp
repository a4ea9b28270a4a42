#include "report/column_setup.h"

#include "work/file_fields.h"

#include <algorithm>
#include <utility>

namespace zek::report {

QString positionRangeMessage(int count) {
    return QStringLiteral("Please specify a position between 1 and %1.").arg(count);
}

QString fieldChangedMessage(SetupKind kind) {
    return kind == SetupKind::Detail
               ? QStringLiteral("Field information has changed, accept changes?")
               : QStringLiteral("Summaryfield information has changed, accept changes?");
}

QString deleteFieldMessage(SetupKind kind) {
    return kind == SetupKind::Detail ? QStringLiteral("Delete original field information? ")
                                     : QStringLiteral("Delete original summaryfield information? ");
}

QStringList detailFieldNames() {
    QStringList names;
    for (const work::FileField f : work::ListedFileFields)
        names << work::fileFieldName(f);
    names << QStringLiteral("FILENUMBER") << QStringLiteral("%TOTAL DISKSPACE")
          << QStringLiteral("%FREE DISKSPACE") << QStringLiteral("%OCCUPIED DISKSPACE");
    return names;
}

QStringList summaryFieldNames(const QString& groupingField) {
    QStringList names{
        QStringLiteral("PATH"),       QStringLiteral("PATHLEVEL"),     QStringLiteral("PATHSUBAANT"),
        QStringLiteral("SEL"),        QStringLiteral("SELSIZE"),       QStringLiteral("UNSEL"),
        QStringLiteral("UNSELSIZE"),  QStringLiteral("CUMULSEL"),      QStringLiteral("CUMULSELSIZE"),
        QStringLiteral("CUMULUNSEL"), QStringLiteral("CUMULUNSELSIZE")};
    if (!groupingField.trimmed().isEmpty())
        names.front() = groupingField.trimmed();
    return names;
}

bool hasUnitList(SetupKind kind, const QString& name) {
    const QString n = name.trimmed();
    return kind == SetupKind::Detail ? n == QLatin1String("SIZE") : n.endsWith(QLatin1String("SIZE"));
}

QStringList unitChoices() {
    return {QStringLiteral("  "), QStringLiteral("KB"), QStringLiteral("MB")};
}

int unitIndex(const QString& extra) {
    const QString unit = extra.trimmed();
    if (unit == QLatin1String("KB"))
        return 1;
    if (unit == QLatin1String("MB"))
        return 2;
    return 0;
}

int widthSpinUp(int width) {
    return width < MaxColumnWidth ? std::min(width + WidthSpinStep, MaxColumnWidth) : width;
}

int widthSpinDown(int width) {
    return width >= MinColumnWidth ? std::max(width - WidthSpinStep, MinColumnWidth) : width;
}

int positionSpinUp(int position, int count) {
    return position < count ? position + 1 : position;
}

int positionSpinDown(int position) {
    return position > 1 ? position - 1 : position;
}

WidthCheck checkWidthText(const QString& text) {
    bool ok = false;
    const int width = text.trimmed().toInt(&ok);
    if (!ok || width == 0)
        return {WidthEntry::Empty, EmptyBoxWidth};
    if (width < MinColumnWidth || width > MaxColumnWidth)
        return {WidthEntry::OutOfRange, width};
    return {WidthEntry::Valid, width};
}

int positionInBox(const QString& text, int count) {
    bool ok = false;
    const int p = text.trimmed().toInt(&ok);
    return ok && p >= 1 && p <= count ? p : 0;
}

PendingEdits pendingEdits(const ReportColumn& stored, const ColumnEdits& edits) {
    PendingEdits pending;
    pending.field = edits.name != stored.name || edits.description != stored.description ||
                    edits.extra.trimmed() != stored.extra.trimmed();
    pending.width = edits.width != stored.width;
    return pending;
}

void acceptFieldEdits(ReportColumn& column, const ColumnEdits& edits, SetupKind kind) {
    column.name = edits.name;
    column.description = edits.description;
    if (edits.extra.trimmed() != column.extra.trimmed())
        column.extra = edits.extra.trimmed();
    column.format = columnFormat(kind == SetupKind::Detail, column.name);
}

int positionFromChoice(PositionChoice choice, int count, int number) {
    switch (choice) {
    case PositionChoice::AsFirst:
        return 1;
    case PositionChoice::AsLast:
        return count + 1;
    case PositionChoice::After:
        return number + 1;
    case PositionChoice::Before:
    case PositionChoice::AsNumber:
        break;
    }
    return number;
}

bool insertColumn(ReportColumns& columns, int p, SetupKind kind) {
    const int count = static_cast<int>(columns.size());
    if (p < 1 || p > count + 1)
        return false;
    ReportColumn column;
    if (p <= count) {
        column = columns[static_cast<size_t>(p - 1)];
    } else {
        column.width = NewColumnWidth;
        column.format = columnFormat(kind == SetupKind::Detail, column.name);
    }
    columns.insert(columns.begin() + (p - 1), column);
    return true;
}

// A column's format goes with its name, so whole columns change places.
bool promoteColumn(ReportColumns& columns, int& p) {
    if (p <= 1 || p > static_cast<int>(columns.size()))
        return false;
    std::swap(columns[static_cast<size_t>(p - 2)], columns[static_cast<size_t>(p - 1)]);
    --p;
    return true;
}

bool demoteColumn(ReportColumns& columns, int& p) {
    if (p < 1 || p >= static_cast<int>(columns.size()))
        return false;
    std::swap(columns[static_cast<size_t>(p - 1)], columns[static_cast<size_t>(p)]);
    ++p;
    return true;
}

bool deleteColumn(ReportColumns& columns, int& p) {
    if (p < 1 || p > static_cast<int>(columns.size()))
        return false;
    columns.erase(columns.begin() + (p - 1));
    p = std::min(p, static_cast<int>(columns.size()));
    return true;
}

} // namespace zek::report
