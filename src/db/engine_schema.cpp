// Reading table and index definitions back from the file.
#include "db/recordset_impl.h"

namespace zek::db::detail {

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

} // namespace zek::db::detail
