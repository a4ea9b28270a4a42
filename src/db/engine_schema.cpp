// Table definitions: tables and indexes made from a TableDef, read back from the file, dropped.
#include "db/recordset_impl.h"

#include <algorithm>

namespace zek::db {

namespace detail {

QString storedIndexName(const QString& table, const QString& index) {
    return table + u':' + index;
}

QString canonicalTableName(sqlite3* db, const QString& name) {
    Stmt s(db, QByteArrayLiteral("SELECT name FROM main.sqlite_schema WHERE type = 'table' AND name = ?1 "
                                 "COLLATE NOCASE LIMIT 1"));
    s.bindText(1, name);
    ResetGuard guard(s);
    if (!s.step())
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)));
}

std::vector<Column> readColumns(sqlite3* db, const QString& table) {
    Stmt s(db, QByteArrayLiteral("SELECT name, type FROM pragma_table_info(?1, 'main') ORDER BY cid"));
    s.bindText(1, table);
    ResetGuard guard(s);
    std::vector<Column> columns;
    while (s.step()) {
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)));
        const QString type =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1)));
        columns.push_back(columnFromDeclaredType(name, type));
    }
    return columns;
}

std::vector<IndexInfo> readIndexes(sqlite3* db, const QString& table, const std::vector<Column>& columns) {
    // In creation order: the order of the index definitions in the schema.
    Stmt list(db, QByteArrayLiteral(
                      "SELECT il.name, il.\"unique\", il.origin FROM pragma_index_list(?1, 'main') AS il "
                      "LEFT JOIN main.sqlite_schema AS s ON s.type = 'index' AND s.name = il.name "
                      "ORDER BY s.rowid"));
    Stmt keys(db, QByteArrayLiteral("SELECT name, \"desc\", coll, cid FROM pragma_index_xinfo(?1, 'main') "
                                    "WHERE key = 1 ORDER BY seqno"));
    list.bindText(1, table);
    ResetGuard listGuard(list);
    const QString prefix = table + u':';
    std::vector<IndexInfo> indexes;
    while (list.step()) {
        IndexInfo info;
        info.sqliteName =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));
        info.unique = sqlite3_column_int(list.get(), 1) != 0;
        const QByteArray origin(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 2)));
        info.primary = origin == "pk";
        if (info.primary)
            info.name = QStringLiteral("PrimaryKey");
        else if (info.sqliteName.startsWith(prefix, Qt::CaseInsensitive))
            info.name = info.sqliteName.mid(prefix.size());
        else
            info.name = info.sqliteName;

        keys.bindText(1, info.sqliteName);
        ResetGuard keysGuard(keys);
        bool usable = true;
        while (keys.step()) {
            if (sqlite3_column_int(keys.get(), 3) < 0) {
                usable = false; // an index on an expression: not one the engine can use or describe
                continue;
            }
            IndexColumn col;
            col.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(keys.get(), 0)));
            col.desc = sqlite3_column_int(keys.get(), 1) != 0;
            col.collation =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(keys.get(), 2)));
            for (size_t i = 0; i < columns.size(); ++i) {
                if (columns[i].name.compare(col.name, Qt::CaseInsensitive) == 0) {
                    col.column = int(i);
                    break;
                }
            }
            info.columns.push_back(col);
        }
        if (usable && !info.columns.empty())
            indexes.push_back(std::move(info));
    }
    return indexes;
}

} // namespace detail

using namespace detail;

// ---- Database: table definitions ----------------------------------------------------------------

std::vector<TableDef> Database::tableDefs() const {
    requireOpen();
    Stmt s(m_db, QByteArrayLiteral("SELECT name FROM main.sqlite_schema WHERE type = 'table' "
                                   "AND lower(substr(name, 1, 7)) <> 'sqlite_' ORDER BY rowid"));
    QStringList names;
    {
        ResetGuard guard(s);
        while (s.step())
            names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)));
    }
    std::vector<TableDef> defs;
    defs.reserve(size_t(names.size()));
    for (const QString& name : names)
        defs.push_back(tableDef(name));
    return defs;
}

bool Database::hasTable(const QString& name) const {
    requireOpen();
    return !canonicalTableName(m_db, name).isEmpty();
}

TableDef Database::tableDef(const QString& name) const {
    requireOpen();
    const QString table = canonicalTableName(m_db, name);
    if (table.isEmpty())
        throw itemNotFound();
    TableDef def;
    def.name = table;
    const std::vector<Column> columns = readColumns(m_db, table);
    for (const Column& c : columns) {
        FieldDef f;
        f.name = c.name;
        f.type = c.type;
        f.size = c.type == FieldType::Text ? c.size : 0;
        // The engine accepts "" in every text field, so that is what the definition reports.
        f.allowZeroLength = c.type == FieldType::Text || c.type == FieldType::Memo;
        def.fields.push_back(f);
    }
    for (const IndexInfo& info : readIndexes(m_db, table, columns)) {
        IndexDef idx;
        idx.name = info.name;
        idx.primary = info.primary;
        idx.unique = info.unique;
        QStringList parts;
        for (const IndexColumn& c : info.columns)
            parts << (c.desc ? u'-' : u'+') + c.name;
        idx.fields = parts.join(u';');
        def.indexes.push_back(idx);
    }
    return def;
}

namespace {

EngineError noFieldDefined() {
    return EngineError(ErrNoFieldDefined,
                       QStringLiteral("No field defined--cannot append TableDef or Index."));
}

// One column of CREATE TABLE: the field's declared type, and for text a check of its size.
QString columnDefinition(FieldDef field) {
    switch (field.type) {
    case FieldType::Boolean:
    case FieldType::Long:
    case FieldType::Currency:
    case FieldType::Single:
    case FieldType::Memo:
        break;
    case FieldType::Text:
        if (field.size == 0)
            field.size = 50; // the engine's default text size
        if (field.size < 1 || field.size > 4096)
            throw EngineError(
                ErrInvalidField,
                QStringLiteral("Invalid field size %1 for '%2'.").arg(field.size).arg(field.name));
        break;
    default:
        throw EngineError(ErrInvalidField, QStringLiteral("Invalid field data type."));
    }
    if (field.name.isEmpty())
        throw EngineError(ErrInvalidField, QStringLiteral("A field needs a name."));
    QString column = quoteIdentifier(field.name) + u' ' + declaredType(field);
    if (field.type == FieldType::Text) {
        // Holds SQL statements to the size as well, not only values set through a record set.
        column +=
            QStringLiteral(" CHECK (length(%1) <= %2)").arg(quoteIdentifier(field.name)).arg(field.size);
    }
    return column;
}

// CREATE INDEX for one index of the new table; every field it names must be one of the table's.
QString indexStatement(const QString& table, const std::vector<FieldDef>& fields, const IndexDef& idx) {
    QStringList keys;
    for (const QString& part : idx.fields.split(u';', Qt::SkipEmptyParts)) {
        QString field = part.trimmed();
        bool desc = false;
        if (field.startsWith(u'+') || field.startsWith(u'-')) {
            desc = field.startsWith(u'-');
            field = field.mid(1).trimmed();
        }
        if (field.isEmpty())
            continue;
        const bool known = std::any_of(fields.begin(), fields.end(), [&](const FieldDef& f) {
            return f.name.compare(field, Qt::CaseInsensitive) == 0;
        });
        if (!known)
            throw itemNotFound();
        keys << quoteIdentifier(field) + (desc ? QStringLiteral(" DESC") : QString());
    }
    if (keys.isEmpty())
        throw noFieldDefined();
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(idx.unique || idx.primary ? QStringLiteral("UNIQUE ") : QString(),
             quoteIdentifier(storedIndexName(table, idx.name)), quoteIdentifier(table),
             keys.join(QStringLiteral(", ")));
}

// The statements that make the table and its indexes; checks the whole definition first.
QStringList creationStatements(const QString& name, const TableDef& def) {
    QStringList columns;
    for (const FieldDef& f : def.fields)
        columns << columnDefinition(f);
    QStringList statements;
    statements << QStringLiteral("CREATE TABLE %1 (%2)")
                      .arg(quoteIdentifier(name), columns.join(QStringLiteral(", ")));
    for (const IndexDef& idx : def.indexes)
        statements << indexStatement(name, def.fields, idx);
    return statements;
}

} // namespace

void Database::createTable(const TableDef& def) {
    requireOpen();
    const QString name = def.name.trimmed();
    if (name.isEmpty())
        throw EngineError(ErrInvalidOperation, QStringLiteral("A table needs a name."));
    if (hasTable(name))
        throw EngineError(ErrTableExists, QStringLiteral("Table '%1' already exists.").arg(name));
    if (def.fields.empty())
        throw noFieldDefined();
    runAllOrNothing(creationStatements(name, def));
    DatabaseAccess::bump(*this);
}

// All or nothing: a failing index leaves no half-made table behind.
void Database::runAllOrNothing(const QStringList& statements) {
    run("SAVEPOINT zek_create_table");
    try {
        for (const QString& sql : statements) {
            Stmt s(m_db, sql);
            s.step();
        }
        run("RELEASE zek_create_table");
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK TO zek_create_table; RELEASE zek_create_table", nullptr, nullptr,
                     nullptr);
        throw;
    }
}

void Database::deleteTable(const QString& name) {
    requireOpen();
    const QString table = canonicalTableName(m_db, name);
    if (table.isEmpty())
        throw itemNotFound();
    Stmt s(m_db, QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(table)));
    retryReleasingReads(*this, [&] { return s.step(); });
    DatabaseAccess::bump(*this);
}

std::vector<SchemaObject> Database::schemaObjects() const {
    requireOpen();
    Stmt s(m_db,
           QByteArrayLiteral("SELECT type, name, tbl_name, sql FROM main.sqlite_schema ORDER BY rowid"));
    Stmt count(m_db, QByteArrayLiteral("SELECT count(*) FROM pragma_table_xinfo(?1, 'main')"));
    ResetGuard guard(s);
    std::vector<SchemaObject> objects;
    const auto text = [](sqlite3_stmt* st, int i) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
    };
    while (s.step()) {
        SchemaObject o;
        o.type = text(s.get(), 0);
        o.name = text(s.get(), 1);
        o.table = text(s.get(), 2);
        const QString sql = text(s.get(), 3).simplified();
        // Table options follow the closing bracket of the column list ("WITHOUT ROWID, STRICT").
        o.withoutRowid =
            o.type == QStringLiteral("table") &&
            sql.mid(sql.lastIndexOf(u')')).contains(QStringLiteral("WITHOUT ROWID"), Qt::CaseInsensitive);
        o.virtualTable = sql.startsWith(QStringLiteral("CREATE VIRTUAL"), Qt::CaseInsensitive);
        // A virtual table's columns come from its module, which need not exist here: not asked.
        if (o.type == QStringLiteral("table") && !o.virtualTable) {
            count.bindText(1, o.name);
            ResetGuard countGuard(count);
            if (count.step())
                o.storedColumns = sqlite3_column_int(count.get(), 0);
        }
        objects.push_back(o);
    }
    return objects;
}

void Database::checkIntegrity() {
    requireOpen();
    const auto damaged = [this](const QString& detail, int code) {
        return EngineError(ErrNotADatabase,
                           QStringLiteral("Unrecognized database format '%1': %2.").arg(m_path, detail),
                           code);
    };
    QString first;
    try {
        // One line is enough to refuse the file; the check stops there.
        Stmt s(m_db, QByteArrayLiteral("PRAGMA main.quick_check(1)"));
        ResetGuard guard(s);
        if (s.step())
            first = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)));
    } catch (const EngineError& e) {
        throw damaged(e.description(), e.extendedCode());
    }
    if (first != QStringLiteral("ok"))
        throw damaged(first.isEmpty() ? QStringLiteral("the integrity check gave no answer") : first,
                      SQLITE_CORRUPT);
}

} // namespace zek::db
