#include "work/work_file_check.h"

#include "work/work_schema.h"

#include <optional>

namespace zek::work {

namespace {

[[noreturn]] void refuse(const QString& shownName, const QString& reason) {
    throw db::EngineError(db::ErrNotADatabase,
                          QStringLiteral("'%1' is not a ZEK work file: %2.").arg(shownName, reason));
}

std::optional<WorkTable> workTableNamed(const QString& name) {
    for (int t = 0; t < WorkTableCount; ++t) {
        const auto table = static_cast<WorkTable>(t);
        if (tableName(table).compare(name, Qt::CaseInsensitive) == 0)
            return table;
    }
    return std::nullopt;
}

// The fixed layout of a settings table; nothing for the report tables, whose fields follow the
// columns chosen.
std::optional<db::TableDef> fixedLayout(WorkTable table) {
    switch (table) {
    case WorkTable::Filetype:
        return filetypeDef();
    case WorkTable::Infoversion:
        return infoversionDef();
    case WorkTable::Drivedirlist:
        return drivedirlistDef();
    case WorkTable::Detailquery:
        return detailqueryDef();
    case WorkTable::Dsfields:
        return dsfieldsDef();
    case WorkTable::Summarysort:
        return summarysortDef();
    case WorkTable::Reporttitles:
        return reporttitlesDef();
    case WorkTable::Filedettype:
    case WorkTable::Filesuminttype:
    case WorkTable::Filesumtype:
        break;
    }
    return std::nullopt;
}

const db::FieldDef* fieldNamed(const std::vector<db::FieldDef>& fields, const QString& name) {
    for (const db::FieldDef& f : fields) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

// Why the table's fields are not the ones the program gives it; empty when they are.
QString layoutMismatch(WorkTable table, const db::TableDef& found) {
    if (const std::optional<db::TableDef> expected = fixedLayout(table)) {
        for (const db::FieldDef& f : expected->fields) {
            const db::FieldDef* have = fieldNamed(found.fields, f.name);
            if (!have)
                return QStringLiteral("field '%1' is missing").arg(f.name);
            if (have->type != f.type)
                return QStringLiteral("field '%1' has the wrong type").arg(f.name);
        }
        for (const db::FieldDef& f : found.fields) {
            if (!fieldNamed(expected->fields, f.name))
                return QStringLiteral("field '%1' is unknown").arg(f.name);
        }
        return {};
    }
    // Report tables: text columns (and figures in the summary's working table) ending in SEEKID.
    if (found.fields.empty())
        return QStringLiteral("it has no fields");
    for (const db::FieldDef& f : found.fields) {
        const bool seekId = f.name.compare(QStringLiteral("SEEKID"), Qt::CaseInsensitive) == 0;
        bool fits = false;
        if (table == WorkTable::Filesuminttype)
            fits = f.type == db::FieldType::Currency || f.type == db::FieldType::Text ||
                   f.type == db::FieldType::Long || f.type == db::FieldType::Boolean;
        else
            fits = seekId ? f.type == db::FieldType::Currency : f.type == db::FieldType::Text;
        if (!fits)
            return QStringLiteral("field '%1' has the wrong type").arg(f.name);
    }
    if (table != WorkTable::Filesuminttype && !fieldNamed(found.fields, QStringLiteral("SEEKID")))
        return QStringLiteral("field 'SEEKID' is missing");
    return {};
}

} // namespace

void checkWorkFileLayout(db::Database& database, const QString& shownName) {
    // The whole file first: a damaged page found later would stop a scan or a save half-way.
    database.checkIntegrity();
    for (const db::SchemaObject& o : database.schemaObjects()) {
        const QString what = QStringLiteral("%1 '%2'").arg(o.type, o.name);
        if (o.type == QStringLiteral("trigger") || o.type == QStringLiteral("view"))
            refuse(shownName, QStringLiteral("it holds the %1").arg(what));
        if (o.type != QStringLiteral("table"))
            continue; // indexes: SQLite's own checks them, and they run no code of ours
        if (o.name.startsWith(QStringLiteral("sqlite_"), Qt::CaseInsensitive) && !o.virtualTable)
            continue; // SQLite's own tables (statistics, sequences)
        if (o.virtualTable)
            refuse(shownName, QStringLiteral("it holds the virtual table '%1'").arg(o.name));
        const std::optional<WorkTable> table = workTableNamed(o.name);
        // A table of the user's own is data the program never reads; it travels with the file.
        if (!table)
            continue;
        // The record sets walk the program's tables by record number.
        if (o.withoutRowid)
            refuse(shownName, QStringLiteral("table '%1' has no record numbers").arg(o.name));
        const db::TableDef def = database.tableDef(o.name);
        // Generated and hidden columns do not show among the fields, yet compute on every read.
        if (o.storedColumns != int(def.fields.size()))
            refuse(shownName, QStringLiteral("table '%1' has hidden or computed columns").arg(o.name));
        const QString mismatch = layoutMismatch(*table, def);
        if (!mismatch.isEmpty())
            refuse(shownName, QStringLiteral("in table '%1', %2").arg(o.name, mismatch));
    }
}

} // namespace zek::work
