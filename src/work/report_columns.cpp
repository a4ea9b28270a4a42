#include "work/report_columns.h"

namespace zek {

QString columnFormat(bool detail, const QString& name) {
    if (!detail)
        return NumberFormat;
    if (name == "FILENUMBER" || name == "SIZE")
        return NumberFormat;
    if (name.startsWith('%'))
        return PercentFormat;
    return TextFormat;
}

ReportColumns defaultDetailColumns() {
    struct Default {
        const char* name;
        int width;
    };
    static const Default defaults[] = {
        {"FILENUMBER", 480},
        {"LONGPATH", 3495},
        {"PATH", 3495},
        {"LONGNAME", 990},
        {"NAME", 990},
        {"EXTENSION", 450},
        {"SIZE", 990},
        {"DATE", 885},
        {"TIME", 585},
        {"CREATIONDATE", 885},
        {"CREATIONTIME", 585},
        {"ACCESSDATE", 885},
        {"ACCESSTIME", 585},
        {"ARCHIVE", 180},
        {"READONLY", 180},
        {"HIDDEN", 180},
        {"SYSTEM", 180},
        {"DIRECTORY", 180},
        {"COMPRESSED", 180},
        {"TEMPORARY", 180},
        {"%TOTAL DISKSPACE", 600},
        {"%FREE DISKSPACE", 600},
        {"%OCCUPIED DISKSPACE", 600},
    };
    ReportColumns columns;
    for (const Default& d : defaults) {
        const QString name = QString::fromLatin1(d.name);
        columns.push_back({name, name == "FILENUMBER" ? QStringLiteral("#") : name, d.width, QString(),
                           columnFormat(true, name)});
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
