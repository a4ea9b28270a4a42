// Internal pieces of the database engine shared by engine.cpp and the record set implementations:
// statement ownership, error translation, declared types and value conversion.
#pragma once

#include "db/engine.h"

#include <sqlite3.h>

#include <QByteArray>
#include <QHash>

namespace zek::db::detail {

// Owns one prepared statement; finalized when the object goes.
class Stmt {
public:
    Stmt() = default;
    Stmt(sqlite3* db, const QString& sql);
    // consumed, when given, receives how many bytes of utf8Sql the first statement took.
    Stmt(sqlite3* db, const QByteArray& utf8Sql, qsizetype* consumed = nullptr);
    ~Stmt();
    Stmt(Stmt&& other) noexcept;
    Stmt& operator=(Stmt&& other) noexcept;
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    explicit operator bool() const { return m_stmt != nullptr; }
    void finalize();

    // One step: true when a row is ready, false when done. Failures throw (after a reset).
    bool step();
    // Resets the statement and clears its bindings, so it holds no read open.
    void reset();
    void bind(int index, const QVariant& value);
    void bindInt64(int index, qint64 value);
    void bindText(int index, const QString& value);

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

// Resets a statement when the scope ends, whatever way it ends.
class ResetGuard {
public:
    explicit ResetGuard(Stmt& stmt) : m_stmt(stmt) {}
    ~ResetGuard() { m_stmt.reset(); }
    ResetGuard(const ResetGuard&) = delete;
    ResetGuard& operator=(const ResetGuard&) = delete;

private:
    Stmt& m_stmt;
};

// "The field is too small ..." (ErrFieldTooSmall); sqliteCode when SQLite refused the value.
EngineError fieldTooSmallError(int sqliteCode = 0);
// "The database engine can't find the input table or query 'name'. ..." (ErrTableNotFound).
EngineError tableNotFoundError(const QString& name, int sqliteCode = 0);
// "Data type conversion error." (ErrTypeConversion).
EngineError conversionError();

// The error for a failed SQLite call: a classic number where one fits, else the extended code.
EngineError sqliteError(sqlite3* db, int rc);
[[noreturn]] void throwSqlite(sqlite3* db, int rc);

QString quoteIdentifier(const QString& name);

// Field types travel in the declared type of each column ("TEXT(66)", "LONG", ...).
QString declaredType(const FieldDef& field);
struct Column {
    QString name;
    FieldType type = FieldType::Memo;
    int size = 0;
    bool typed = true; // false: no declared type the engine knows; values come back as stored
};
Column columnFromDeclaredType(const QString& name, const QString& declared);

// Index definitions as read back from the file. Indexes are stored under "TABLE:NAME", since SQLite
// index names are unique per file while each table has its own ("SEEKID" on two tables).
struct IndexColumn {
    QString name;
    int column = -1; // position in the table's columns
    bool desc = false;
    QString collation;
};
struct IndexInfo {
    QString name;       // as the program knows it
    QString sqliteName; // as stored
    bool unique = false;
    bool primary = false;
    std::vector<IndexColumn> columns;
};
QString storedIndexName(const QString& table, const QString& index);
// The table's name as stored, matched without regard to case; empty when there is no such table.
QString canonicalTableName(sqlite3* db, const QString& name);
std::vector<Column> readColumns(sqlite3* db, const QString& table);
std::vector<IndexInfo> readIndexes(sqlite3* db, const QString& table, const std::vector<Column>& columns);

// Converts a value given for a field to the value stored; checks text sizes. Throws EngineError.
QVariant convertForField(const Column& column, const QVariant& value);
// Reads one result column as the QVariant of its field type (invalid QVariant for Null).
QVariant readColumn(sqlite3_stmt* stmt, int index, const Column& column);
// Text length as the engine counts it (code points, as SQLite's length() does).
qsizetype textLength(const QString& text);

// Field positions by name, without regard to case; the exact spelling is looked up first (no folding).
class FieldNames {
public:
    void add(const QString& name, int position);
    int find(const QString& name) const;    // -1 when unknown
    int require(const QString& name) const; // throws ErrItemNotFound when unknown

private:
    QHash<QString, int> m_exact;
    QHash<QString, int> m_folded;
};

// What the engine's own record sets offer the database beyond the public interface.
class RecordsetBase : public Recordset {
public:
    // Lets go of any statement left open mid-way (SQLite refuses to drop a table while a read is
    // open); the record set keeps its position and picks it up again on the next read.
    virtual void release() = 0;
};

// Access to the Database's private bookkeeping for the record sets.
struct DatabaseAccess {
    // The connection, for the engine's own statements; kept out of the public interface.
    static sqlite3* handle(const Database& db) { return db.m_db; }
    static quint64 generation(const Database& db) { return db.m_generation; }
    static quint64 bump(Database& db) { return ++db.m_generation; }
    static void attach(Database& db, Recordset* rs) { db.m_recordsets.push_back(rs); }
    static void detach(Database& db, Recordset* rs);
    static int nextTempId(Database& db) { return ++db.m_tempCounter; }
    static void releaseReads(Database& db) {
        for (Recordset* rs : db.m_recordsets) {
            if (auto* base = dynamic_cast<RecordsetBase*>(rs))
                base->release();
        }
    }
};

std::unique_ptr<Recordset> openTableRecordset(Database& db, const QString& table);
std::unique_ptr<Recordset> openSqlRecordset(Database& db, const QString& sql);

// Runs f; if SQLite reports a table locked by an open read of this connection, releases the
// record sets' open reads and runs f once more. Any other failure, whatever its number, goes on.
template <typename F> auto retryReleasingReads(Database& db, F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const EngineError& e) {
        if (e.sqliteCode() != SQLITE_LOCKED)
            throw;
    }
    DatabaseAccess::releaseReads(db);
    return f();
}

EngineError noCurrentRecord();
EngineError itemNotFound();
EngineError objectClosed();
EngineError invalidOperation();

} // namespace zek::db::detail
