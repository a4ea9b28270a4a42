#include "report/detail_rows.h"

#include "db/record_appender.h"
#include "report/cell_text.h"
#include "work/work_file.h"

#include <QElapsedTimer>
#include <QHash>

#include <string_view>
#include <vector>

namespace zek::report {

namespace {

// Rows between two looks at the clock, and the longest the window may wait for its events.
constexpr int RowsPerClockCheck = 256;
constexpr qint64 YieldIntervalMs = 50;
// Dates and times repeat a great deal; their texts are kept up to this many per column.
constexpr qsizetype MemoLimit = 1 << 16;

enum class CellKind { Copy, Size, Date, Time, Attribute, FileNumber, TotalShare, FreeShare, OccupiedShare };

// How one column's text comes from a selection record.
struct CellRule {
    CellKind kind = CellKind::Copy;
    int source = -1; // the selection's field; SIZE for the shares; -1 for FILENUMBER
    QString unit;    // SIZE: "KB", "MB" or blank
    QHash<qint64, QByteArray> memo;
};

int selectionField(const db::Recordset& selection, const QString& name) {
    for (int i = 0; i < selection.fieldCount(); ++i) {
        if (selection.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw db::EngineError(db::ErrItemNotFound, QStringLiteral("Item not found in this collection."));
}

CellRule ruleFor(const ReportColumn& column, const db::Recordset& selection) {
    const QString name = column.name.trimmed().toUpper();
    const QString sizeName = work::fileFieldName(work::FileField::Size);
    CellRule rule;
    if (name == FileNumberColumn) {
        rule.kind = CellKind::FileNumber;
        return rule;
    }
    if (name == TotalShareColumn || name == FreeShareColumn || name == OccupiedShareColumn) {
        rule.kind = name == TotalShareColumn  ? CellKind::TotalShare
                    : name == FreeShareColumn ? CellKind::FreeShare
                                              : CellKind::OccupiedShare;
        rule.source = selectionField(selection, sizeName);
        return rule;
    }
    rule.source = selectionField(selection, name);
    if (const work::FileFieldDef* field = work::findFileField(name)) {
        switch (field->kind) {
        case work::FieldKind::Size:
            rule.kind = CellKind::Size;
            rule.unit = column.extra.trimmed().toUpper();
            break;
        case work::FieldKind::Date:
            rule.kind = CellKind::Date;
            break;
        case work::FieldKind::Time:
            rule.kind = CellKind::Time;
            break;
        case work::FieldKind::Attribute:
            rule.kind = CellKind::Attribute;
            break;
        case work::FieldKind::Text:
        case work::FieldKind::None:
            break;
        }
    }
    return rule;
}

// Sizes and the disk figures are 64-bit: a 3,000,000,000-byte file is no negative number.
qint64 sizeOf(const QVariant& value) {
    return value.isValid() ? value.toLongLong() : 0;
}

// The text of one cell for report row `row`.
QByteArray cellText(CellRule& rule, const db::Recordset& record, long long row, const BuildInputs& in) {
    static const QByteArray set = attributeText(true).toUtf8();
    static const QByteArray unset = attributeText(false).toUtf8();
    if (rule.kind == CellKind::FileNumber)
        return QByteArray::number(row);

    const QVariant value = record.value(rule.source);
    switch (rule.kind) {
    case CellKind::Copy:
        return value.isValid() ? value.toString().toUtf8() : QByteArray();
    case CellKind::Size:
        return value.isValid() ? detailSizeText(value.toLongLong(), rule.unit, in.intl).toUtf8()
                               : QByteArray();
    case CellKind::Date:
    case CellKind::Time: {
        if (!value.isValid())
            return {};
        const qint64 number = value.toLongLong();
        if (const auto it = rule.memo.constFind(number); it != rule.memo.cend())
            return *it;
        if (rule.memo.size() >= MemoLimit)
            rule.memo.clear();
        const QString text =
            rule.kind == CellKind::Date ? shortDateText(number, in.intl) : timeText(number, in.intl);
        return *rule.memo.insert(number, text.toUtf8());
    }
    case CellKind::Attribute:
        return value.toBool() ? set : unset;
    case CellKind::TotalShare:
        return shareText(sizeOf(value), in.totalBytes, false, in.intl).toUtf8();
    case CellKind::FreeShare:
        return shareText(sizeOf(value), in.freeBytes, true, in.intl).toUtf8();
    case CellKind::OccupiedShare:
        return shareText(sizeOf(value), in.totalBytes - in.freeBytes, true, in.intl).toUtf8();
    case CellKind::FileNumber:
        break;
    }
    return {};
}

long long writeRows(work::WorkState& ws, db::Recordset& selection, const BuildInputs& inputs,
                    const std::function<void()>& yield) {
    const ReportColumns& columns = ws.settings.detailColumns;
    std::vector<CellRule> rules;
    rules.reserve(columns.size());
    for (const ReportColumn& column : columns)
        rules.push_back(ruleFor(column, selection));

    QStringList fields = work::reportFieldNames(columns);
    const int seekIdField = static_cast<int>(fields.size());
    fields.append(QStringLiteral("SEEKID"));
    db::RecordAppender appender(*ws.database, work::tableName(work::WorkTable::Filedettype), fields);

    // The texts of the row being written: the appender reads them until append().
    std::vector<QByteArray> cells(rules.size());
    QElapsedTimer sinceYield;
    sinceYield.start();
    long long row = 0;
    for (selection.moveFirst(); !selection.eof(); selection.moveNext()) {
        ++row;
        for (size_t c = 0; c < rules.size(); ++c) {
            cells[c] = cellText(rules[c], selection, row, inputs);
            appender.setText(static_cast<int>(c), std::string_view(cells[c].constData(), cells[c].size()));
        }
        appender.setInteger(seekIdField, row);
        appender.append();
        if (yield && row % RowsPerClockCheck == 0 && sinceYield.elapsed() >= YieldIntervalMs) {
            yield();
            sinceYield.restart();
        }
    }
    return row;
}

// After a rollback the table is the former one again (or none): its record set must not keep
// reading the table that was dropped.
void reopenFormerTable(work::WorkState& ws) {
    const work::WorkTable table = work::WorkTable::Filedettype;
    auto& records = ws.tables[static_cast<size_t>(table)];
    if (records)
        records->close();
    records.reset();
    ws.flag(table) = false;
    try {
        if (ws.database && ws.databaseOpen && ws.database->hasTable(work::tableName(table)))
            work::openedTable(ws, table);
    } catch (const db::EngineError&) {
        // The failure that led here is the one the user hears of; the report engine opens the
        // table again when it next shows a page, and reports then whatever still stands in its way.
    }
}

} // namespace

bool isNumericDetailColumn(const QString& name) {
    const QString n = name.trimmed().toUpper();
    return n == work::fileFieldName(work::FileField::Size) || n == FileNumberColumn ||
           n == TotalShareColumn || n == FreeShareColumn || n == OccupiedShareColumn;
}

long long rebuildDetailTable(work::WorkState& ws, db::Recordset& selection, const BuildInputs& inputs,
                             const std::function<void()>& yield) {
    if (!ws.database || !ws.databaseOpen)
        throw db::EngineError(db::ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
    try {
        db::Transaction transaction(*ws.database);
        work::recreateTable(ws, work::WorkTable::Filedettype,
                            work::filedettypeDef(ws.settings.detailColumns));
        const long long rows = writeRows(ws, selection, inputs, yield);
        transaction.commit();
        return rows;
    } catch (const db::EngineError&) {
        reopenFormerTable(ws);
        throw;
    }
}

} // namespace zek::report
