// The database engine: SQLite behind the small data-access interface the rest of ZEK speaks.
//
// One work file is one SQLite file. Field types and text sizes are declared in the table's own
// definition (for example "TEXT(66)", "BOOLEAN", "CURRENCY"), so a reopened file knows them. Values
// travel as QVariant: an invalid QVariant is Null; Booleans are bool, Long and Currency qint64,
// Single double, Text and Memo QString.
//
// Every failure throws EngineError with a number and a description. Numbers follow the classic
// data-access error numbers where one fits (listed below), otherwise the SQLite result code. A failure
// SQLite reported also keeps SQLite's own result code, apart from the number.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

struct sqlite3;

namespace zek::db {

// Error numbers the engine raises itself.
enum EngineErrorNumber : int {
    ErrNoCurrentRecord = 3021,   // "No current record."
    ErrTableExists = 3010,       // "Table 'X' already exists."
    ErrFileNotFound = 3024,      // "Couldn't find file 'X'."
    ErrFileInUse = 3045,         // "Couldn't use 'X'; file already in use."
    ErrNotADatabase = 3343,      // "Unrecognized database format 'X'."
    ErrDatabaseExists = 3204,    // "Database already exists."
    ErrFieldTooSmall = 3163,     // "The field is too small to accept the amount of data ..."
    ErrItemNotFound = 3265,      // "Item not found in this collection."
    ErrTableNotFound = 3078,     // "The database engine can't find the input table or query 'X'. ..."
    ErrSyntax = 3075,            // a statement the engine cannot read
    ErrUpdateWithoutEdit = 3020, // "Update or CancelUpdate without AddNew or Edit."
    ErrInvalidOperation = 3219,  // "Invalid operation."
    ErrObjectClosed = 3420,      // "Object invalid or no longer set."
    // Further numbers the engine raises.
    ErrNoCurrentIndex = 3019,  // "Operation invalid without a current index."
    ErrNoTransaction = 3034,   // commit or rollback without a transaction
    ErrSelectNotAction = 3065, // "Cannot execute a select query."
    ErrRecordDeleted = 3167,   // "Record is deleted."
    ErrNoFieldDefined = 3264,  // "No field defined--cannot append TableDef or Index."
    ErrInvalidField = 3259,    // "Invalid field data type." (also an impossible size)
    ErrTypeConversion = 3421,  // "Data type conversion error."
    ErrNotAnIndex = 3800,      // "'X' is not an index in this table."
    ErrCannotOpen = 3051,      // the file cannot be opened for reading and writing
    ErrTextAfterEnd = 3142,    // "Characters found after end of SQL statement."
};

class EngineError : public std::runtime_error {
public:
    // sqliteCode: SQLite's extended result code when SQLite reported the failure, 0 when the engine
    // found it itself.
    EngineError(int number, const QString& description, int sqliteCode = 0);
    // The number shown to a person: one of EngineErrorNumber, or SQLite's code where none fits.
    int number() const { return m_number; }
    QString description() const { return m_description; }
    // SQLite's primary result code (SQLITE_LOCKED, ...) and its extended code; 0 when the failure
    // did not come from SQLite. Never derived from number(): 3078 & 0xff would read as SQLITE_LOCKED.
    int sqliteCode() const { return m_sqliteCode & 0xff; }
    int extendedCode() const { return m_sqliteCode; }

private:
    int m_number;
    QString m_description;
    int m_sqliteCode;
};

enum class FieldType { Boolean = 1, Long = 4, Currency = 5, Single = 6, Text = 10, Memo = 12 };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;                 // Text: 1..4096 characters; ignored for the other types
    bool allowZeroLength = false; // kept in the definition; the engine accepts "" either way
};

// An index's fields as one text: "+NAME" or "NAME" ascending, "-NAME" descending, several joined by ";".
struct IndexDef {
    QString name;
    QString fields;
    bool primary = false;
    bool unique = false;
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
    long attributes = 0; // 0x80000002 marks system and hidden tables
};

constexpr long SystemOrHiddenTable = 0x80000002L;

// One object of the file's schema as SQLite lists it.
struct SchemaObject {
    QString type; // "table", "index", "view" or "trigger"
    QString name;
    QString table; // the table an index or trigger belongs to
    bool virtualTable = false;
    bool withoutRowid = false; // a table kept in its key's order, without record numbers
    int storedColumns = 0;     // a table's columns, hidden and generated ones included
};

class Recordset;
namespace detail {
struct DatabaseAccess;
}

class Database {
public:
    // Creates a new, empty database file; fails with ErrDatabaseExists when the file exists.
    static std::unique_ptr<Database> create(const QString& path);
    // Opens an existing database. Exclusive: no other connection, in this process or another, can
    // open the file until this one is closed (ErrFileInUse). A file that is not a database fails
    // with ErrNotADatabase; a missing file with ErrFileNotFound.
    static std::unique_ptr<Database> open(const QString& path, bool exclusive = true);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }

    // Table definitions in creation order, without SQLite's own tables.
    std::vector<TableDef> tableDefs() const;
    bool hasTable(const QString& name) const; // case-insensitive
    TableDef tableDef(const QString& name) const;
    void createTable(const TableDef& def);
    // Every object of the schema, SQLite's own tables included, in creation order.
    std::vector<SchemaObject> schemaObjects() const;
    // SQLite's quick integrity check over the whole file; a damaged file fails with ErrNotADatabase.
    void checkIntegrity();
    void deleteTable(const QString& name);

    // Runs a statement in the original dialect ("Delete * from filetype"); returns rows affected.
    // Statements and criteria take LIKE with "*", "?", "#" and "[...]", ignoring case.
    int execute(const QString& sql);

    // Table-type record set: all records of the table, in the current index's order (rowid order
    // without an index); supports Seek.
    std::unique_ptr<Recordset> openTable(const QString& name);
    // SQL record set on a SELECT in the original dialect.
    std::unique_ptr<Recordset> openSql(const QString& sql);

    // Transactions batch many writes; a Transaction object rolls back unless committed.
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    // While set, `tick` is called every few thousand steps of any statement this connection runs,
    // so that a long query can let a window repaint. It runs on the thread that runs the statement
    // and must not use this database. An empty function removes it.
    void setProgressHandler(std::function<void()> tick);

private:
    friend struct detail::DatabaseAccess;
    explicit Database(sqlite3* db, QString path);
    static std::unique_ptr<Database> openHandle(const QString& path, bool create, bool exclusive);
    void closeHandle(bool report);
    void run(const char* sql);
    void runAllOrNothing(const QStringList& statements);
    void requireOpen() const;

    sqlite3* m_db = nullptr;
    QString m_path;
    // Open record sets, closed with the database so no statement outlives the connection.
    std::vector<Recordset*> m_recordsets;
    // Bumped by every write through this object; record sets compare it to drop cached positions.
    quint64 m_generation = 0;
    int m_transactionDepth = 0;
    int m_tempCounter = 0;
    std::function<void()> m_progress;
};

class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    void commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    Database& m_db;
    bool m_done = false;
};

// A progress handler for as long as it lives.
class ProgressScope {
public:
    ProgressScope(Database& db, std::function<void()> tick) : m_db(db) {
        m_db.setProgressHandler(std::move(tick));
    }
    ~ProgressScope() {
        if (m_db.isOpen())
            m_db.setProgressHandler({});
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    Database& m_db;
};

class Recordset {
public:
    virtual ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Navigation. After open the record set is on its first record (EOF when empty). MoveFirst and
    // MoveLast on an empty set leave it at EOF; MoveNext at EOF fails with ErrNoCurrentRecord.
    // RecordCount is always the full count (an SQL record set counts with one extra query until it
    // has been read to the end).
    virtual void moveFirst() = 0;
    virtual void moveNext() = 0;
    virtual void moveLast() = 0;
    virtual bool eof() const = 0;
    virtual long long recordCount() = 0;

    // Fields of the current record, by name (case-insensitive) or by position.
    virtual int fieldCount() const = 0;
    virtual QString fieldName(int index) const = 0;
    virtual QVariant value(int index) const = 0;
    virtual QVariant value(const QString& name) const = 0;
    // During AddNew or Edit: set a field of the pending record. Text longer than its field's size
    // fails with ErrFieldTooSmall.
    virtual void setValue(const QString& name, const QVariant& value) = 0;
    virtual void setValue(int index, const QVariant& value) = 0;

    virtual void addNew() = 0;
    virtual void edit() = 0;
    // Writes the pending record. After AddNew the current record stays where it was.
    virtual void update() = 0;
    virtual void cancelUpdate() = 0;
    virtual void deleteCurrent() = 0;

    // Table type only: the current index by name, and Seek "=" or ">=" on its leading fields, in the
    // index's order (a descending field's ">=" finds the first record at or after the key in that
    // order). NoMatch is true after a Seek or FindFirst that found nothing; the position is then EOF.
    virtual void setIndex(const QString& indexName) = 0;
    virtual QString index() const = 0;
    virtual void seek(const QString& comparison, const QVariantList& keys) = 0;
    virtual bool noMatch() const = 0;

    // Moves to the first record that satisfies the criteria ("PATH = \"C:\\X\"", "SIZE > 10").
    virtual void findFirst(const QString& criteria) = 0;

protected:
    Recordset() = default;
};

} // namespace zek::db
