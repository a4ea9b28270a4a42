#include "app/batch_list.h"

#include "work/file_fields.h"

namespace zek::batch {

namespace {

QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// yyyymmdd as YYYY-MM-DD, hhmmss as HH:MM:SS; anything else as it is.
QString digitsWithSeparators(const QString& digits, int length, QChar separator, int first) {
    if (digits.size() != length)
        return digits;
    return digits.left(first) + separator + digits.mid(first, 2) + separator + digits.right(2);
}

} // namespace

QString listedValue(const QString& field, const QVariant& value) {
    if (value.isNull())
        return QString();
    const work::FileFieldDef* def = work::findFileField(field);
    switch (def ? def->kind : work::FieldKind::None) {
    case work::FieldKind::Date:
        return digitsWithSeparators(QString::number(value.toLongLong()), 8, u'-', 4);
    case work::FieldKind::Time:
        return digitsWithSeparators(QString::number(value.toLongLong()).rightJustified(6, u'0'), 6, u':', 2);
    case work::FieldKind::Attribute:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case work::FieldKind::Size:
        return QString::number(value.toLongLong());
    case work::FieldKind::Text:
    case work::FieldKind::None:
        break;
    }
    return escaped(value.toString());
}

void listRecords(db::Recordset& records, QTextStream& out) {
    QStringList names;
    for (const work::FileField f : work::ListedFileFields)
        names.append(work::fileFieldName(f));
    out << names.join(u'\t') << '\n';
    for (; !records.eof(); records.moveNext()) {
        QStringList values;
        for (const QString& name : names)
            values.append(listedValue(name, records.value(name)));
        out << values.join(u'\t') << '\n';
    }
    out.flush();
}

} // namespace zek::batch
