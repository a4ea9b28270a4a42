#include "db/work_schema.h"

namespace zek::db {

namespace {

FieldDef text(const QString& name, int size, bool allowZeroLength = true) {
    return {name, FieldType::Text, size, allowZeroLength};
}
FieldDef typed(const QString& name, FieldType type) {
    return {name, type, 0, false};
}

const QStringList& summaryFigureNames() {
    static const QStringList names{"PATHLEVEL",  "PATHSUBAANT",   "SEL",      "SELSIZE",
                                   "UNSEL",      "UNSELSIZE",     "CUMULSEL", "CUMULSELSIZE",
                                   "CUMULUNSEL", "CUMULUNSELSIZE"};
    return names;
}

FieldDef groupingFieldDef(const QString& grouping) {
    if (grouping == "LONGPATH")
        return text(grouping, HostPathSize, false);
    if (grouping == "LONGNAME")
        return text(grouping, HostNameSize, false);
    if (grouping == "PATH")
        return text(grouping, HostPathSize, false);
    if (grouping == "NAME")
        return text(grouping, 8, false);
    if (grouping == "EXTENSION")
        return text(grouping, 3, false);
    static const QStringList longs{"SIZE",         "DATE",       "TIME",      "CREATIONDATE",
                                   "CREATIONTIME", "ACCESSDATE", "ACCESSTIME"};
    if (longs.contains(grouping))
        return typed(grouping, FieldType::Long);
    return typed(grouping, FieldType::Boolean);
}

} // namespace

QString tableName(WorkTable table) {
    switch (table) {
    case WorkTable::Filetype:
        return "FILETYPE";
    case WorkTable::Infoversion:
        return "INFOVERSION";
    case WorkTable::Filedettype:
        return "FILEDETTYPE";
    case WorkTable::Filesuminttype:
        return "FILESUMINTTYPE";
    case WorkTable::Filesumtype:
        return "FILESUMTYPE";
    case WorkTable::Drivedirlist:
        return "DRIVEDIRLIST";
    case WorkTable::Detailquery:
        return "DETAILQUERY";
    case WorkTable::Dsfields:
        return "DSFIELDS";
    case WorkTable::Summarysort:
        return "SUMMARYSORT";
    case WorkTable::Reporttitles:
        return "REPORTTITLES";
    }
    return {};
}

TableDef filetypeDef() {
    TableDef t{"FILETYPE", {}, {}, 0};
    t.fields = {
        text("PATH", HostPathSize),
        text("LONGPATH", HostPathSize),
        typed("PATHLEVEL", FieldType::Single),
        typed("PATHNUMBER", FieldType::Single),
        text("NAME", 8),
        text("LONGNAME", HostNameSize),
        text("EXTENSION", 3),
        typed("SIZE", FieldType::Long),
        typed("DATE", FieldType::Long),
        typed("TIME", FieldType::Long),
        typed("CREATIONDATE", FieldType::Long),
        typed("CREATIONTIME", FieldType::Long),
        typed("ACCESSDATE", FieldType::Long),
        typed("ACCESSTIME", FieldType::Long),
        typed("ARCHIVE", FieldType::Boolean),
        typed("SYSTEM", FieldType::Boolean),
        typed("HIDDEN", FieldType::Boolean),
        typed("READONLY", FieldType::Boolean),
        typed("DIRECTORY", FieldType::Boolean),
        typed("COMPRESSED", FieldType::Boolean),
        typed("TEMPORARY", FieldType::Boolean),
    };
    return t;
}

TableDef infoversionDef() {
    return {"INFOVERSION",
            {text(InfoProgramVersionField, 80, false), text(InfoFormatVersionField, 80, false)},
            {},
            0};
}

TableDef drivedirlistDef() {
    return {"DRIVEDIRLIST", {text("DIRECTORY", HostPathSize), text("FOLDER", HostPathSize)}, {}, 0};
}

TableDef detailqueryDef() {
    return {"DETAILQUERY",
            {typed("DQCHOICE", FieldType::Boolean), text("DQBRACKETL", 20), text("DQFIELD", 30),
             text("DQEVALUATION", 10), text("DQVALUE", DqValueSize), text("DQVALUECHOICE", 10), text("DQBRACKETR", 20),
             text("DQCONNECTION", 10)},
            {},
            0};
}

TableDef dsfieldsDef() {
    return {"DSFIELDS",
            {typed("DS", FieldType::Boolean), text("DSFIELDNAME", 20), text("DSFIELDDESC", 40),
             typed("DSFIELDWIDTH", FieldType::Long), text("DSFIELDEXTRA", 20)},
            {},
            0};
}

TableDef summarysortDef() {
    return {"SUMMARYSORT", {text("SORTER", 20), typed("SORTERSTATUS", FieldType::Boolean)}, {}, 0};
}

TableDef reporttitlesDef() {
    return {"REPORTTITLES",
            {typed("DS", FieldType::Boolean), text("FIRST_TITLE", 100), text("SECOND_TITLE", 100),
             text("FIRST_FOOTNOTE", 100), text("SECOND_FOOTNOTE", 100)},
            {},
            0};
}

int detailTextSize(const QString& f) {
    if (f == "LONGPATH" || f == "PATH")
        return HostPathSize;
    if (f == "LONGNAME")
        return HostNameSize;
    if (f == "NAME")
        return 8;
    if (f == "EXTENSION")
        return 3;
    if (f == "SIZE")
        return 14;
    if (f == "DATE" || f == "TIME" || f == "CREATIONDATE" || f == "CREATIONTIME" || f == "ACCESSDATE" ||
        f == "ACCESSTIME")
        return 15;
    if (f == "FILENUMBER")
        return 25;
    if (f.startsWith('%'))
        return 40;
    return 1; // the seven attribute marks
}

TableDef filedettypeDef(const ReportColumns& detailColumns) {
    TableDef t{"FILEDETTYPE", {}, {}, 0};
    for (const ReportColumn& c : detailColumns)
        t.fields.push_back(text(c.name, detailTextSize(c.name)));
    t.fields.push_back(typed("SEEKID", FieldType::Currency));
    t.indexes.push_back({"SEEKID", "SEEKID", false, false});
    return t;
}

TableDef filesuminttypeDef(const ReportColumns& summaryColumns, const QString& grouping, bool ascending) {
    TableDef t{"FILESUMINTTYPE", {}, {}, 0};
    bool groupingPresent = false;
    for (const ReportColumn& c : summaryColumns) {
        if (c.name == grouping) {
            t.fields.push_back(groupingFieldDef(grouping));
            groupingPresent = true;
        } else if (summaryFigureNames().contains(c.name)) {
            t.fields.push_back(typed(c.name, FieldType::Currency));
        }
    }
    if (!groupingPresent)
        t.fields.push_back(groupingFieldDef(grouping));
    t.indexes.push_back({"Ind_pathdesc", "-" + grouping, false, false});
    t.indexes.push_back({"Ind_path", (ascending ? "+" : "-") + grouping, false, false});
    return t;
}

TableDef filesumtypeDef(const ReportColumns& summaryColumns, const QString& grouping) {
    TableDef t{"FILESUMTYPE", {}, {}, 0};
    bool groupingIsColumn = false;
    for (const ReportColumn& c : summaryColumns)
        groupingIsColumn = groupingIsColumn || c.name == grouping;
    if (!groupingIsColumn)
        t.fields.push_back(text(grouping, HostPathSize));
    for (const ReportColumn& c : summaryColumns)
        t.fields.push_back(text(c.name, c.name == grouping ? HostPathSize : 20));
    t.fields.push_back(typed("SEEKID", FieldType::Currency));
    t.indexes.push_back({"SEEKID", "SEEKID", false, false});
    return t;
}

} // namespace zek::db
