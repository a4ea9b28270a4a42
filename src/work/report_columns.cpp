#include "work/report_columns.h"

#include "work/file_fields.h"

namespace zek {

QString columnFormat(bool detail, const QString& name) {
    if (!detail)
        return NumberFormat;
    if (name == "FILENUMBER" || name == work::fileField(work::FileField::Size).name)
        return NumberFormat;
    if (name.startsWith('%'))
        return PercentFormat;
    return TextFormat;
}

namespace {

// Width in twips of a file field's Detail column when nothing else is stored.
int defaultDetailWidth(work::FileField field) {
    switch (field) {
    case work::FileField::LongPath:
    case work::FileField::Path:
        return 3495;
    case work::FileField::Extension:
        return 450;
    default:
        break;
    }
    switch (work::fileField(field).kind) {
    case work::FieldKind::Date:
        return 885;
    case work::FieldKind::Time:
        return 585;
    case work::FieldKind::Attribute:
        return 180;
    default:
        return 990;
    }
}

ReportColumn defaultDetailColumn(const QString& name, const QString& description, int width) {
    return {name, description, width, QString(), columnFormat(true, name)};
}

} // namespace

// The file number, every listed file field, then the three disk space shares.
ReportColumns defaultDetailColumns() {
    ReportColumns columns;
    columns.push_back(defaultDetailColumn(QStringLiteral("FILENUMBER"), QStringLiteral("#"), 480));
    for (const work::FileField f : work::ListedFileFields) {
        const QString name = work::fileFieldName(f);
        columns.push_back(defaultDetailColumn(name, name, defaultDetailWidth(f)));
    }
    for (const char* share : {"%TOTAL DISKSPACE", "%FREE DISKSPACE", "%OCCUPIED DISKSPACE"}) {
        const QString name = QString::fromLatin1(share);
        columns.push_back(defaultDetailColumn(name, name, 600));
    }
    return columns;
}

ReportColumns defaultSummaryColumns() {
    static const char* const names[] = {"PATH",         "PATHLEVEL",  "PATHSUBAANT",   "SEL",
                                        "SELSIZE",      "UNSEL",      "UNSELSIZE",     "CUMULSEL",
                                        "CUMULSELSIZE", "CUMULUNSEL", "CUMULUNSELSIZE"};
    ReportColumns columns;
    for (const char* n : names) {
        const QString name = QString::fromLatin1(n);
        columns.push_back({name, name, 990, QString(), NumberFormat});
    }
    return columns;
}

} // namespace zek
