// The database: connection, exclusive open, table definitions, statements and transactions.
#include "db/engine.h"

#include "db/dialect.h"
#include "db/recordset_impl.h"
#include "platform/unique_fd.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace zek::db {

using namespace detail;

EngineError::EngineError(int number, const QString& description, int sqliteCode)
    : std::runtime_error(QStringLiteral("%1: %2").arg(number).arg(description).toStdString()),
      m_number(number), m_description(description), m_sqliteCode(sqliteCode) {}

Recordset::~Recordset() = default;

namespace detail {
void DatabaseAccess::detach(Database& db, Recordset* rs) {
    auto& v = db.m_recordsets;
    v.erase(std::remove(v.begin(), v.end(), rs), v.end());
}
} // namespace detail

namespace {

// Marks the file as a ZEK work file in SQLite's header ("ZEK" and a format number).
constexpr int kApplicationId = 0x5A454B03;

EngineError fileInUse(const QString& path, int sqliteCode) {
    return EngineError(ErrFileInUse, QStringLiteral("Couldn't use '%1'; file already in use.").arg(path),
                       sqliteCode);
}

EngineError notADatabase(const QString& path, int sqliteCode = 0) {
    return EngineError(ErrNotADatabase, QStringLiteral("Unrecognized database format '%1'.").arg(path),
                       sqliteCode);
}

// Failures while a file is being opened name the file, as a person needs to know which one.
EngineError openError(sqlite3* db, int rc, const QString& path) {
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return fileInUse(path, rc);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return notADatabase(path, rc);
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
        return EngineError(ErrCannotOpen,
                           QStringLiteral("The database engine cannot open the file '%1': %2.")
                               .arg(path, QString::fromUtf8(sqlite3_errmsg(db))),
                           rc);
    default:
        return sqliteError(db, rc);
    }
}

void runOnOpen(sqlite3* db, const char* sql, const QString& path) {
    Stmt s;
    try {
        s = Stmt(db, QByteArray(sql));
        while (s.step()) {
        }
    } catch (const EngineError&) {
        throw openError(db, sqlite3_extended_errcode(db), path);
    }
}

} // namespace

// ---- Database -----------------------------------------------------------------------------------

Database::Database(sqlite3* db, QString path) : m_db(db), m_path(std::move(path)) {}

Database::~Database() {
    closeHandle(false);
}

std::unique_ptr<Database> Database::openHandle(const QString& path, bool create, bool exclusive) {
    // SQLite's memory statistics cost a global lock on every allocation, and nothing reads them.
    // Settable only before SQLite starts; later the call is refused and changes nothing.
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    Q_UNUSED(configured);
    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE |
                      (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    std::unique_ptr<Database> db(new Database(raw, path)); // closes the handle on every failure below
    if (rc != SQLITE_OK)
        throw openError(raw, rc, path);
    if (sqlite3_db_readonly(raw, "main") == 1)
        throw EngineError(
            ErrCannotOpen,
            QStringLiteral("The database engine cannot open the file '%1': it is read-only.").arg(path));
    // Definitions name their columns exactly: a misspelt quoted name must fail, not become a text.
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // A work file comes from anyone: its schema is data, never code. Triggers and views never run
    // (the engine makes neither), schema objects may call only harmless functions, and no statement
    // can write the schema or the file's pages behind SQLite's back.
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    registerDialectFunctions(raw);
    if (exclusive)
        runOnOpen(raw, "PRAGMA locking_mode = EXCLUSIVE", path);
    // Reading the schema makes a file that is not a database, or is cut short, fail here and not later.
    runOnOpen(raw, "SELECT count(*) FROM main.sqlite_schema", path);
    // A rollback journal that is deleted at commit: a scan killed half-way leaves a file that opens, and
    // the closed work file is one self-contained file that may be copied.
    runOnOpen(raw, "PRAGMA journal_mode = DELETE", path);
    runOnOpen(raw, "PRAGMA synchronous = NORMAL", path);
    runOnOpen(raw, "PRAGMA cache_size = -16384", path);
    // Damaged pages are found when read, not trusted.
    runOnOpen(raw, "PRAGMA cell_size_check = ON", path);
    // A new file takes 8 KiB pages (settable only before its first page is written): a scan appends
    // hundreds of thousands of records, and pages twice the default size halve the pages to split,
    // link and write. Larger pages save more there, but the Summary's grouping then takes memory in
    // proportion to them (three times as much at 64 KiB). A file made before keeps the pages it has.
    if (create)
        runOnOpen(raw, "PRAGMA page_size = 8192", path);
    if (exclusive) {
        // Take the write lock now; in exclusive locking mode it is held until the connection closes.
        runOnOpen(raw, "BEGIN EXCLUSIVE", path);
        runOnOpen(raw, "COMMIT", path);
    }
    return db;
}

std::unique_ptr<Database> Database::create(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    // O_EXCL: of two callers creating the same file, exactly one succeeds.
    platform::UniqueFd fd(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd) {
        const int err = errno;
        if (err == EEXIST)
            throw EngineError(ErrDatabaseExists, QStringLiteral("Database already exists."));
        throw EngineError(ErrCannotOpen,
                          QStringLiteral("The database engine cannot create the file '%1': %2.")
                              .arg(path, QString::fromLocal8Bit(std::strerror(err))));
    }
    fd.reset();
    try {
        auto db = openHandle(path, true, true);
        // Writes the first page, so the new file carries SQLite's header from the start.
        db->run(QByteArray("PRAGMA application_id = " + QByteArray::number(kApplicationId)).constData());
        return db;
    } catch (...) {
        QFile::remove(path);
        throw;
    }
}

std::unique_ptr<Database> Database::open(const QString& path, bool exclusive) {
    const QFileInfo info(path);
    if (!info.exists())
        throw EngineError(ErrFileNotFound, QStringLiteral("Couldn't find file '%1'.").arg(path));
    // SQLite takes an empty file for an empty database; for us it is a file cut short.
    if (info.isDir() || (info.isFile() && info.size() == 0))
        throw notADatabase(path);
    return openHandle(path, false, exclusive);
}

void Database::closeHandle(bool report) {
    if (!m_db)
        return;
    const std::vector<Recordset*> open = m_recordsets;
    for (Recordset* rs : open)
        rs->close();
    m_recordsets.clear();
    std::optional<EngineError> failure;
    if (!sqlite3_get_autocommit(m_db)) {
        // Closing with a transaction pending abandons it.
        const int rc = sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            failure = sqliteError(m_db, rc);
    }
    const int rc = sqlite3_close(m_db);
    if (rc != SQLITE_OK) {
        if (!failure)
            failure = sqliteError(m_db, rc);
        sqlite3_close_v2(m_db); // frees the handle once the last statement goes
    }
    m_db = nullptr;
    m_transactionDepth = 0;
    if (failure) {
        if (report)
            throw *failure;
        qWarning("Closing database '%s': %s", qPrintable(m_path), failure->what());
    }
}

void Database::close() {
    closeHandle(true);
}

void Database::requireOpen() const {
    if (!m_db)
        throw objectClosed();
}

void Database::run(const char* sql) {
    requireOpen();
    Stmt s(m_db, QByteArray(sql));
    while (s.step()) {
    }
}

int Database::execute(const QString& sql) {
    requireOpen();
    const QByteArray utf8 = translateDialect(sql).toUtf8();
    const char* p = utf8.constData();
    const char* end = p + utf8.size();
    const qint64 before = sqlite3_total_changes64(m_db);
    bool ranAny = false;
    while (p < end) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        const int rc = sqlite3_prepare_v2(m_db, p, int(end - p), &raw, &tail);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(raw);
            throwSqlite(m_db, rc);
        }
        const char* start = p;
        if (!raw && tail == p) {
            // SQLite reads a text only up to a zero character; what follows one would never run.
            throw EngineError(ErrTextAfterEnd,
                              QStringLiteral("Characters found after end of SQL statement."));
        }
        p = tail;
        if (!raw)
            continue; // only blanks or a comment
        // Adopt the prepared statement so it is finalized on every path.
        struct Adopt {
            sqlite3_stmt* raw;
            ~Adopt() { sqlite3_finalize(raw); }
        } adopt{raw};
        if (sqlite3_column_count(raw) > 0 && sqlite3_stmt_readonly(raw)) {
            const QByteArray head = QByteArray(start, int(tail - start)).trimmed().left(6).toUpper();
            if (head == "SELECT")
                throw EngineError(ErrSelectNotAction, QStringLiteral("Cannot execute a select query."));
        }
        int step = SQLITE_ROW;
        while (step == SQLITE_ROW)
            step = sqlite3_step(raw);
        if ((step & 0xff) == SQLITE_LOCKED) {
            // A record set's read left open mid-way holds the table (DROP TABLE): let go, try again.
            sqlite3_reset(raw);
            DatabaseAccess::releaseReads(*this);
            step = SQLITE_ROW;
            while (step == SQLITE_ROW)
                step = sqlite3_step(raw);
        }
        ranAny = true;
        if (step != SQLITE_DONE) {
            EngineError error = sqliteError(m_db, step);
            DatabaseAccess::bump(*this);
            throw error;
        }
    }
    if (!ranAny)
        throw EngineError(ErrSyntax, QStringLiteral("The statement is empty."));
    if (sqlite3_get_autocommit(m_db))
        m_transactionDepth = 0;
    DatabaseAccess::bump(*this);
    return int(sqlite3_total_changes64(m_db) - before);
}

std::unique_ptr<Recordset> Database::openTable(const QString& name) {
    requireOpen();
    return openTableRecordset(*this, name);
}

std::unique_ptr<Recordset> Database::openSql(const QString& sql) {
    requireOpen();
    return openSqlRecordset(*this, sql);
}

// ---- transactions -------------------------------------------------------------------------------

// The outermost level is a plain transaction; inner levels are savepoints, so a nested commit hands
// its work to the level around it and a nested rollback undoes only its own work.
void Database::beginTransaction() {
    requireOpen();
    if (sqlite3_get_autocommit(m_db))
        m_transactionDepth = 0;
    if (m_transactionDepth == 0)
        run("BEGIN");
    else
        run(QByteArray("SAVEPOINT zek_tx_" + QByteArray::number(m_transactionDepth)).constData());
    ++m_transactionDepth;
}

void Database::commit() {
    requireOpen();
    if (sqlite3_get_autocommit(m_db) || m_transactionDepth == 0) {
        m_transactionDepth = 0;
        throw EngineError(ErrNoTransaction,
                          QStringLiteral("You tried to commit or rollback a transaction without "
                                         "first beginning a transaction."));
    }
    if (m_transactionDepth == 1)
        run("COMMIT");
    else
        run(QByteArray("RELEASE zek_tx_" + QByteArray::number(m_transactionDepth - 1)).constData());
    --m_transactionDepth;
}

void Database::rollback() {
    requireOpen();
    if (sqlite3_get_autocommit(m_db) || m_transactionDepth == 0) {
        m_transactionDepth = 0;
        throw EngineError(ErrNoTransaction,
                          QStringLiteral("You tried to commit or rollback a transaction without "
                                         "first beginning a transaction."));
    }
    DatabaseAccess::bump(*this);
    if (m_transactionDepth == 1) {
        run("ROLLBACK");
    } else {
        const QByteArray name = "zek_tx_" + QByteArray::number(m_transactionDepth - 1);
        run(QByteArray("ROLLBACK TO " + name).constData());
        run(QByteArray("RELEASE " + name).constData());
    }
    --m_transactionDepth;
}

bool Database::inTransaction() const {
    return m_db && !sqlite3_get_autocommit(m_db);
}

void Database::setProgressHandler(std::function<void()> tick) {
    requireOpen();
    m_progress = std::move(tick);
    if (!m_progress) {
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
        return;
    }
    // About every ten thousand virtual-machine steps: a fraction of a millisecond.
    sqlite3_progress_handler(
        m_db, 10000,
        [](void* self) {
            static_cast<Database*>(self)->m_progress();
            return 0; // never interrupts the statement
        },
        this);
}

Transaction::Transaction(Database& db) : m_db(db) {
    m_db.beginTransaction();
}

Transaction::~Transaction() {
    if (m_done || !m_db.isOpen() || !m_db.inTransaction())
        return;
    try {
        m_db.rollback();
    } catch (const EngineError& e) {
        // A destructor cannot throw; the failure is reported here instead.
        qWarning("Rolling back a transaction failed: %s", e.what());
    }
}

void Transaction::commit() {
    m_db.commit();
    m_done = true;
}

} // namespace zek::db
