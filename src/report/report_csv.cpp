#include "report/report_csv.h"

#include "report/detail_rows.h"

#include "work/file_fields.h"
#include "work/work_schema.h"

#include <QDate>
#include <QElapsedTimer>
#include <QIODevice>
#include <QTextStream>
#include <QTime>

#include <vector>

namespace zek::report {

namespace {

// Progress is told at most this often.
constexpr qint64 ProgressIntervalMs = 100;

// How a column's raw value comes from a record.
enum class RawKind { Copy, Number, Date, Time, Attribute, FileNumber, TotalShare, FreeShare, OccupiedShare };

struct RawColumn {
    RawKind kind = RawKind::Copy;
    int source = -1; // the record's field; -1 for none
};

RawKind kindOfField(const QString& name) {
    const work::FileFieldDef* field = work::findFileField(name);
    switch (field ? field->kind : work::FieldKind::None) {
    case work::FieldKind::Text:
        return RawKind::Copy;
    case work::FieldKind::Date:
        return RawKind::Date;
    case work::FieldKind::Time:
        return RawKind::Time;
    case work::FieldKind::Attribute:
        return RawKind::Attribute;
    case work::FieldKind::Size:
    case work::FieldKind::None:
        break;
    }
    return RawKind::Number;
}

int fieldIndex(const db::Recordset& records, const QString& name) {
    for (int i = 0; i < records.fieldCount(); ++i) {
        if (records.fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

RawColumn detailColumn(const ReportColumn& column, const db::Recordset& selection) {
    const QString name = column.name.trimmed().toUpper();
    if (name == FileNumberColumn)
        return {RawKind::FileNumber, -1};
    RawColumn raw;
    if (name == TotalShareColumn || name == FreeShareColumn || name == OccupiedShareColumn) {
        raw.kind = name == TotalShareColumn  ? RawKind::TotalShare
                   : name == FreeShareColumn ? RawKind::FreeShare
                                             : RawKind::OccupiedShare;
        raw.source = fieldIndex(selection, work::fileFieldName(work::FileField::Size));
    } else {
        raw.kind = kindOfField(name);
        raw.source = fieldIndex(selection, name);
    }
    if (raw.source < 0)
        throw db::EngineError(db::ErrItemNotFound, QStringLiteral("Item not found in this collection."));
    return raw;
}

QString rawText(const RawColumn& column, const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return QString();
    switch (column.kind) {
    case RawKind::Copy:
        return value.toString();
    case RawKind::Date:
        return rawDateText(value.toLongLong());
    case RawKind::Time:
        return rawTimeText(value.toLongLong());
    case RawKind::Attribute:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return rawNumberText(value);
    }
}

QString rawDetailText(const RawColumn& column, const db::Recordset& record, qint64 row,
                      const BuildInputs& in) {
    if (column.kind == RawKind::FileNumber)
        return QString::number(row);
    const QVariant value = record.value(column.source);
    const qint64 size = value.isValid() ? value.toLongLong() : 0;
    switch (column.kind) {
    case RawKind::TotalShare:
        return rawShareText(size, in.totalBytes);
    case RawKind::FreeShare:
        return rawShareText(size, in.freeBytes);
    case RawKind::OccupiedShare:
        return rawShareText(size, in.totalBytes - in.freeBytes);
    default:
        return rawText(column, value);
    }
}

QStringList headings(const ReportColumns& columns) {
    QStringList texts;
    for (const ReportColumn& c : columns)
        texts << c.description;
    return texts;
}

// Tells the rows written at most every ProgressIntervalMs, and once at the end.
class ProgressTeller {
public:
    explicit ProgressTeller(const CsvProgress& progress) : m_progress(progress) { m_clock.start(); }
    void operator()(qint64 rows) {
        if (m_progress && m_clock.elapsed() >= ProgressIntervalMs) {
            m_progress(rows);
            m_clock.restart();
        }
    }
    void end(qint64 rows) {
        if (m_progress)
            m_progress(rows);
    }

private:
    const CsvProgress& m_progress;
    QElapsedTimer m_clock;
};

} // namespace

QString csvField(const QString& text) {
    static const QString special = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (const QChar c : text)
        quote = quote || special.contains(c);
    if (!quote)
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString csvRecord(const QStringList& fields) {
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u',';
        line += csvField(fields[i]);
    }
    return line + QStringLiteral("\r\n");
}

QString rawDateText(qint64 yyyymmdd) {
    const QDate date(static_cast<int>(yyyymmdd / 10000), static_cast<int>(yyyymmdd / 100 % 100),
                     static_cast<int>(yyyymmdd % 100));
    if (yyyymmdd <= 0 || !date.isValid())
        return QString();
    return date.toString(Qt::ISODate);
}

QString rawTimeText(qint64 hhmmss) {
    const int hours = static_cast<int>(hhmmss / 10000);
    const int minutes = static_cast<int>(hhmmss / 100 % 100);
    const int seconds = static_cast<int>(hhmmss % 100);
    if (hhmmss < 0 || !QTime::isValid(hours, minutes, seconds))
        return QString();
    return QTime(hours, minutes, seconds).toString(QStringLiteral("HH:mm:ss"));
}

QString rawShareText(qint64 part, qint64 whole) {
    if (whole == 0)
        return QStringLiteral("0");
    QString text = QString::number(static_cast<double>(part) / static_cast<double>(whole) * 100.0, 'f', 6);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

QString rawNumberText(const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (d == static_cast<double>(static_cast<qint64>(d)))
            return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'g', 15);
    }
    case QMetaType::QString:
        return value.toString();
    default:
        return QString::number(value.toLongLong());
    }
}

qint64 writeDetailCsv(QIODevice& out, db::Recordset& selection, const ReportColumns& columns,
                      const BuildInputs& inputs, const CsvProgress& progress) {
    std::vector<RawColumn> raw;
    for (const ReportColumn& column : columns)
        raw.push_back(detailColumn(column, selection));

    QTextStream stream(&out);
    stream << csvRecord(headings(columns));
    ProgressTeller tell(progress);
    QStringList cells;
    qint64 row = 0;
    for (selection.moveFirst(); !selection.eof(); selection.moveNext()) {
        ++row;
        cells.clear();
        for (const RawColumn& column : raw)
            cells << rawDetailText(column, selection, row, inputs);
        stream << csvRecord(cells);
        tell(row);
    }
    stream.flush();
    tell.end(row);
    return row;
}

qint64 writeSummaryCsv(QIODevice& out, db::Database& db, const ReportColumns& columns,
                       const SummaryGrouping& grouping, const CsvProgress& progress) {
    const QString table = work::tableName(work::WorkTable::Filesuminttype);
    // The order the report lists its groups in.
    std::unique_ptr<db::Recordset> figures =
        db.openSql("SELECT * FROM " + table + " ORDER BY [" + grouping.field + "]" +
                   (grouping.ascending ? "" : " DESC"));
    std::vector<RawColumn> raw;
    for (const ReportColumn& c : columns) {
        // The figures are numbers; the grouping field is whatever kind of field it is.
        const RawKind kind = c.name == grouping.field ? kindOfField(c.name) : RawKind::Number;
        raw.push_back({kind, fieldIndex(*figures, c.name)});
    }

    QTextStream stream(&out);
    stream << csvRecord(headings(columns));
    ProgressTeller tell(progress);
    QStringList cells;
    qint64 row = 0;
    for (; !figures->eof(); figures->moveNext()) {
        ++row;
        cells.clear();
        for (const RawColumn& column : raw)
            cells << (column.source >= 0 ? rawText(column, figures->value(column.source)) : QString());
        stream << csvRecord(cells);
        tell(row);
    }
    stream.flush();
    tell.end(row);
    return row;
}

} // namespace zek::report
