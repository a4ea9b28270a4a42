#include "work/work_schema.h"

namespace zek::work {

namespace {

db::FieldDef text(const QString& name, int size, bool allowZeroLength = true) {
    return {name, db::FieldType::Text, size, allowZeroLength};
}
db::FieldDef typed(const QString& name, db::FieldType type) {
    return {name, type, 0, false};
}

const QStringList& summaryFigureNames() {
    static const QStringList names{"PATHLEVEL",  "PATHSUBAANT",   "SEL",      "SELSIZE",
                                   "UNSEL",      "UNSELSIZE",     "CUMULSEL", "CUMULSELSIZE",
                                   "CUMULUNSEL", "CUMULUNSELSIZE"};
    return names;
}

// A grouping field named after a text or figure of the file table keeps its type; any other is a mark.
db::FieldDef groupingFieldDef(const QString& grouping) {
    const FileFieldDef* field = findFileField(grouping);
    if (field && field->type == db::FieldType::Text)
        return text(grouping, field->size, false);
    if (field && field->type == db::FieldType::Long)
        return typed(grouping, db::FieldType::Long);
    return typed(grouping, db::FieldType::Boolean);
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

db::TableDef filetypeDef() {
    db::TableDef t{"FILETYPE", {}, {}, 0};
    for (const FileFieldDef& f : FileFields) {
        const QString name = f.name.toString();
        t.fields.push_back(f.type == db::FieldType::Text ? text(name, f.size) : typed(name, f.type));
    }
    return t;
}

db::TableDef infoversionDef() {
    return {"INFOVERSION",
            {text(InfoProgramVersionField, 80, false), text(InfoFormatVersionField, 80, false)},
            {},
            0};
}

db::TableDef drivedirlistDef() {
    return {"DRIVEDIRLIST", {text("DIRECTORY", HostPathSize), text("FOLDER", HostPathSize)}, {}, 0};
}

db::TableDef detailqueryDef() {
    return {"DETAILQUERY",
            {typed("DQCHOICE", db::FieldType::Boolean), text("DQBRACKETL", DqBracketSize),
             text("DQFIELD", 30), text("DQEVALUATION", 10), text("DQVALUE", DqValueSize),
             text("DQVALUECHOICE", 10), text("DQBRACKETR", DqBracketSize), text("DQCONNECTION", 10)},
            {},
            0};
}

db::TableDef dsfieldsDef() {
    return {"DSFIELDS",
            {typed("DS", db::FieldType::Boolean), text("DSFIELDNAME", 20), text("DSFIELDDESC", 40),
             typed("DSFIELDWIDTH", db::FieldType::Long), text("DSFIELDEXTRA", 20)},
            {},
            0};
}

db::TableDef summarysortDef() {
    return {"SUMMARYSORT", {text("SORTER", 20), typed("SORTERSTATUS", db::FieldType::Boolean)}, {}, 0};
}

db::TableDef reporttitlesDef() {
    return {"REPORTTITLES",
            {typed("DS", db::FieldType::Boolean), text("FIRST_TITLE", 100), text("SECOND_TITLE", 100),
             text("FIRST_FOOTNOTE", 100), text("SECOND_FOOTNOTE", 100)},
            {},
            0};
}

int detailTextSize(const QString& f) {
    if (const FileFieldDef* field = findFileField(f)) {
        switch (field->kind) {
        case FieldKind::Text:
            return field->size;
        case FieldKind::Size:
            // The largest 64-bit size with its separators ("9,223,372,036,854,775,807") and more.
            return 26;
        case FieldKind::Date:
        case FieldKind::Time:
            return 15;
        case FieldKind::Attribute: // a mark
        case FieldKind::None:
            return 1;
        }
    }
    if (f == "FILENUMBER")
        return 25;
    if (f.startsWith('%'))
        return 40;
    return 1;
}

QStringList reportFieldNames(const ReportColumns& columns, const QStringList& taken) {
    QStringList names;
    QStringList used = taken;
    for (const ReportColumn& c : columns) {
        QString name = c.name;
        // Field names are unique regardless of case; a repeat takes the first free "_2", "_3", ...
        for (int n = 2; used.contains(name, Qt::CaseInsensitive); ++n)
            name = c.name + QStringLiteral("_%1").arg(n);
        used.append(name);
        names.append(name);
    }
    return names;
}

db::TableDef filedettypeDef(const ReportColumns& detailColumns) {
    db::TableDef t{"FILEDETTYPE", {}, {}, 0};
    const QStringList names = reportFieldNames(detailColumns);
    for (size_t i = 0; i < detailColumns.size(); ++i)
        t.fields.push_back(text(names[static_cast<qsizetype>(i)], detailTextSize(detailColumns[i].name)));
    t.fields.push_back(typed("SEEKID", db::FieldType::Currency));
    t.indexes.push_back({"SEEKID", "SEEKID", false, false});
    return t;
}

db::TableDef filesuminttypeDef(const ReportColumns& summaryColumns, const QString& grouping, bool ascending) {
    db::TableDef t{"FILESUMINTTYPE", {}, {}, 0};
    bool groupingPresent = false;
    QStringList added;
    for (const ReportColumn& c : summaryColumns) {
        // A column listed twice needs its figure once.
        if (added.contains(c.name))
            continue;
        if (c.name == grouping) {
            t.fields.push_back(groupingFieldDef(grouping));
            groupingPresent = true;
            added.append(c.name);
        } else if (summaryFigureNames().contains(c.name)) {
            t.fields.push_back(typed(c.name, db::FieldType::Currency));
            added.append(c.name);
        }
    }
    if (!groupingPresent)
        t.fields.push_back(groupingFieldDef(grouping));
    t.indexes.push_back({"Ind_pathdesc", "-" + grouping, false, false});
    t.indexes.push_back({"Ind_path", (ascending ? "+" : "-") + grouping, false, false});
    return t;
}

db::TableDef filesumtypeDef(const ReportColumns& summaryColumns, const QString& grouping) {
    db::TableDef t{"FILESUMTYPE", {}, {}, 0};
    bool groupingIsColumn = false;
    for (const ReportColumn& c : summaryColumns)
        groupingIsColumn = groupingIsColumn || c.name == grouping;
    const QStringList names =
        reportFieldNames(summaryColumns, groupingIsColumn ? QStringList() : QStringList{grouping});
    for (size_t i = 0; i < summaryColumns.size(); ++i) {
        const ReportColumn& c = summaryColumns[i];
        t.fields.push_back(text(names[static_cast<qsizetype>(i)], c.name == grouping ? HostPathSize : 20));
    }
    // The engine shows field c - 1 in column c: a grouping field that is no column comes after them.
    if (!groupingIsColumn)
        t.fields.push_back(text(grouping, HostPathSize));
    t.fields.push_back(typed("SEEKID", db::FieldType::Currency));
    t.indexes.push_back({"SEEKID", "SEEKID", false, false});
    return t;
}

} // namespace zek::work
