// SQL record set: the rows of a SELECT in the original dialect.
//
// Rows are streamed from one statement, so a selection of a million records is never held in memory:
// MoveNext steps, MoveFirst runs the statement again, MoveLast steps to the end and counts. The
// record count is exact at any time (after MoveLast it is the number counted, before it one
// "SELECT count(*)" over the statement). FindFirst needs to go back and forth over the rows many
// times (the summary looks up every group of one selection in another), so its first call copies the
// rows once into a temporary table numbered in the record set's order; from then on the record set
// reads that copy, a snapshot of the rows as they were at that moment.
#include "db/dialect.h"
#include "db/recordset_impl.h"

#include <QSet>
#include <QtGlobal>

namespace zek::db::detail {

namespace {

// Below this many rows a scan is as quick as building an index for it.
constexpr qint64 kIndexThreshold = 64;

class SqlRecordset final : public RecordsetBase {
public:
    SqlRecordset(Database& db, const QString& sql);
    ~SqlRecordset() override { close(); }

    void close() override;
    bool isOpen() const override { return m_db != nullptr; }

    void moveFirst() override;
    void moveNext() override;
    void moveLast() override;
    bool eof() const override;
    long long recordCount() override;

    int fieldCount() const override { return int(m_columns.size()); }
    QString fieldName(int index) const override;
    QVariant value(int index) const override;
    QVariant value(const QString& name) const override;
    void setValue(const QString&, const QVariant&) override { readOnly(); }
    void setValue(int, const QVariant&) override { readOnly(); }

    void addNew() override { readOnly(); }
    void edit() override { readOnly(); }
    void update() override { readOnly(); }
    void cancelUpdate() override { readOnly(); }
    void deleteCurrent() override { readOnly(); }

    void setIndex(const QString&) override { readOnly(); }
    QString index() const override { return QString(); }
    void seek(const QString&, const QVariantList&) override { readOnly(); }
    bool noMatch() const override { return m_noMatch; }
    void findFirst(const QString& criteria) override;
    void release() override;

private:
    // Pending: the position is known but the statement is not on that row (after MoveLast, which
    // counts to the end, or after a failed copy); reading runs the statement again up to it.
    enum class State { Row, Eof, Pending };

    void requireOpen() const;
    void readOnly() const;
    void checkPosition(int index) const;
    quint64 generation() const { return DatabaseAccess::generation(*m_db); }
    void restart() const;
    bool stepStream() const;
    void makeReadable() const;
    void materialize();
    void indexFor(const QString& criteria);

    Database* m_db;
    QString m_sql; // translated, without a closing ";"
    mutable Stmt m_stmt;
    std::vector<Column> m_columns;
    FieldNames m_names;

    mutable State m_state = State::Eof;
    mutable qint64 m_rowNumber = -1; // 0-based position of the current row
    mutable bool m_pendingIsLast = false;
    mutable long long m_knownCount = -1;
    mutable quint64 m_countGen = 0;

    bool m_snapshot = false;
    QString m_temp;
    QStringList m_tempColumns;
    QSet<int> m_indexed;
    qint64 m_snapCount = 0;
    mutable Stmt m_snapRow;
    mutable std::vector<QVariant> m_row;
    mutable qint64 m_rowLoaded = -1;

    bool m_noMatch = false;
};

SqlRecordset::SqlRecordset(Database& db, const QString& sql) : m_db(&db) {
    QString text = translateDialect(sql).trimmed();
    while (text.endsWith(u';'))
        text.chop(1);
    m_sql = text.trimmed();
    const QByteArray utf8 = m_sql.toUtf8();
    qsizetype consumed = 0;
    m_stmt = Stmt(DatabaseAccess::handle(db), utf8, &consumed);
    if (!utf8.mid(consumed).trimmed().isEmpty())
        throw EngineError(ErrTextAfterEnd, QStringLiteral("Characters found after end of SQL statement."));
    sqlite3_stmt* s = m_stmt.get();
    if (sqlite3_column_count(s) == 0)
        throw invalidOperation(); // an action statement: that is what Execute is for
    for (int i = 0; i < sqlite3_column_count(s); ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(s, i));
        const char* decl = sqlite3_column_decltype(s, i);
        m_columns.push_back(columnFromDeclaredType(name, decl ? QString::fromUtf8(decl) : QString()));
        m_names.add(name, i);
    }
    restart();
    DatabaseAccess::attach(db, this);
}

void SqlRecordset::close() {
    if (!m_db)
        return;
    m_stmt.finalize();
    m_snapRow.finalize();
    if (m_snapshot) {
        const QByteArray drop = "DROP TABLE temp." + quoteIdentifier(m_temp).toUtf8();
        char* err = nullptr;
        if (sqlite3_exec(DatabaseAccess::handle(*m_db), drop.constData(), nullptr, nullptr, &err) !=
            SQLITE_OK) {
            // The copy goes with the connection at the latest; a failure here loses nothing.
            qWarning("Dropping the record set copy %s: %s", qPrintable(m_temp), err ? err : "");
        }
        sqlite3_free(err);
    }
    DatabaseAccess::detach(*m_db, this);
    m_db = nullptr;
}

void SqlRecordset::requireOpen() const {
    if (!m_db)
        throw objectClosed();
}

void SqlRecordset::readOnly() const {
    requireOpen();
    throw invalidOperation();
}

void SqlRecordset::checkPosition(int index) const {
    if (index < 0 || index >= int(m_columns.size()))
        throw itemNotFound();
}

void SqlRecordset::release() {
    if (m_db && !m_snapshot && m_state == State::Row) {
        sqlite3_reset(m_stmt.get());
        m_state = State::Pending;
        m_pendingIsLast = false;
    }
}

// ---- streaming ----------------------------------------------------------------------------------

void SqlRecordset::restart() const {
    sqlite3_reset(m_stmt.get());
    m_rowNumber = -1;
    m_state = State::Row;
    m_pendingIsLast = false;
    stepStream();
}

bool SqlRecordset::stepStream() const {
    bool row = false;
    try {
        row = m_stmt.step();
    } catch (...) {
        m_state = State::Eof;
        throw;
    }
    ++m_rowNumber;
    if (row) {
        m_state = State::Row;
        return true;
    }
    m_knownCount = m_rowNumber;
    m_countGen = generation();
    sqlite3_reset(m_stmt.get()); // releases the read
    m_state = State::Eof;
    return false;
}

void SqlRecordset::makeReadable() const {
    if (m_state == State::Eof)
        throw noCurrentRecord();
    if (m_snapshot) {
        if (m_rowLoaded == m_rowNumber)
            return;
        m_snapRow.bindInt64(1, m_rowNumber + 1);
        ResetGuard guard(m_snapRow);
        if (!m_snapRow.step())
            throw noCurrentRecord();
        m_row.resize(m_columns.size());
        for (size_t i = 0; i < m_columns.size(); ++i)
            m_row[i] = readColumn(m_snapRow.get(), int(i), m_columns[i]);
        m_rowLoaded = m_rowNumber;
        return;
    }
    if (m_state == State::Pending) {
        const qint64 target = m_rowNumber;
        restart();
        while (m_state == State::Row && m_rowNumber < target)
            stepStream();
        if (m_state != State::Row)
            throw noCurrentRecord();
    }
}

void SqlRecordset::moveFirst() {
    requireOpen();
    if (m_snapshot) {
        m_rowNumber = 0;
        m_state = m_snapCount > 0 ? State::Row : State::Eof;
        return;
    }
    restart();
}

void SqlRecordset::moveNext() {
    requireOpen();
    if (m_state == State::Eof)
        throw noCurrentRecord();
    if (m_snapshot) {
        ++m_rowNumber;
        if (m_rowNumber >= m_snapCount)
            m_state = State::Eof;
        return;
    }
    if (m_state == State::Pending && m_pendingIsLast) {
        ++m_rowNumber;
        m_state = State::Eof;
        return;
    }
    makeReadable();
    stepStream();
}

void SqlRecordset::moveLast() {
    requireOpen();
    if (m_snapshot) {
        m_rowNumber = m_snapCount - 1;
        m_state = m_snapCount > 0 ? State::Row : State::Eof;
        return;
    }
    if (m_state == State::Pending && m_pendingIsLast)
        return;
    if (m_state == State::Eof)
        restart();
    else
        makeReadable();
    if (m_state == State::Eof)
        return; // no rows
    const qint64 last = m_rowNumber;
    qint64 n = last;
    while (stepStream())
        n = m_rowNumber;
    m_rowNumber = n;
    m_state = State::Pending;
    m_pendingIsLast = true;
}

bool SqlRecordset::eof() const {
    requireOpen();
    return m_state == State::Eof;
}

long long SqlRecordset::recordCount() {
    requireOpen();
    if (m_snapshot)
        return m_snapCount;
    if (m_knownCount >= 0 && m_countGen == generation())
        return m_knownCount;
    const QString head = m_sql.left(6).toUpper();
    if (head.startsWith(QLatin1String("SELECT")) || head.startsWith(QLatin1String("WITH")) ||
        head.startsWith(QLatin1String("VALUES"))) {
        Stmt s(DatabaseAccess::handle(*m_db), QStringLiteral("SELECT count(*) FROM (%1)").arg(m_sql));
        s.step();
        m_knownCount = sqlite3_column_int64(s.get(), 0);
    } else {
        // Not a query that nests (a PRAGMA with rows, say): count by running a copy of it.
        Stmt s(DatabaseAccess::handle(*m_db), m_sql);
        m_knownCount = 0;
        while (s.step())
            ++m_knownCount;
    }
    m_countGen = generation();
    return m_knownCount;
}

// ---- fields -------------------------------------------------------------------------------------

QString SqlRecordset::fieldName(int index) const {
    requireOpen();
    checkPosition(index);
    return m_columns[size_t(index)].name;
}

QVariant SqlRecordset::value(int index) const {
    requireOpen();
    checkPosition(index);
    makeReadable();
    if (m_snapshot)
        return m_row[size_t(index)];
    return readColumn(m_stmt.get(), index, m_columns[size_t(index)]);
}

QVariant SqlRecordset::value(const QString& name) const {
    requireOpen();
    return value(m_names.require(name));
}

// ---- FindFirst ----------------------------------------------------------------------------------

void SqlRecordset::materialize() {
    if (m_snapshot)
        return;
    sqlite3* db = DatabaseAccess::handle(*m_db);
    const bool onRow = m_state != State::Eof;
    const qint64 keep = m_rowNumber;
    sqlite3_reset(m_stmt.get());
    if (onRow && m_state == State::Row) {
        m_state = State::Pending;
        m_pendingIsLast = false;
    }
    const QString name = QStringLiteral("zek_rs_%1").arg(DatabaseAccess::nextTempId(*m_db));
    {
        Stmt create(db, QStringLiteral("CREATE TEMP TABLE %1 AS %2").arg(quoteIdentifier(name), m_sql));
        create.step();
    }
    m_temp = name;
    m_snapshot = true; // from here on close() drops the copy
    m_stmt.finalize();
    {
        Stmt count(db, QStringLiteral("SELECT count(*) FROM temp.%1").arg(quoteIdentifier(name)));
        count.step();
        m_snapCount = sqlite3_column_int64(count.get(), 0);
    }
    {
        Stmt cols(db, QByteArrayLiteral("SELECT name FROM pragma_table_info(?1, 'temp') ORDER BY cid"));
        cols.bindText(1, name);
        while (cols.step())
            m_tempColumns << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(cols.get(), 0)));
    }
    m_snapRow = Stmt(db, QStringLiteral("SELECT * FROM temp.%1 WHERE rowid = ?1").arg(quoteIdentifier(name)));
    m_rowLoaded = -1;
    m_rowNumber = keep;
    m_state = onRow && keep < m_snapCount ? State::Row : State::Eof;
}

void SqlRecordset::indexFor(const QString& criteria) {
    // "FIELD = value" (or <, >): an index on FIELD turns each search into a lookup.
    if (m_snapCount < kIndexThreshold)
        return;
    const QString c = criteria.trimmed();
    for (int i = 0; i < m_tempColumns.size(); ++i) {
        const QString& col = m_tempColumns[i];
        qsizetype len = -1;
        if (c.startsWith(col, Qt::CaseInsensitive))
            len = col.size();
        else if (c.startsWith(u'[' + col + u']', Qt::CaseInsensitive))
            len = col.size() + 2;
        if (len < 0)
            continue;
        const QString rest = c.mid(len).trimmed();
        if (rest.isEmpty() || (rest[0] != u'=' && rest[0] != u'<' && rest[0] != u'>'))
            continue;
        if (m_indexed.contains(i))
            return;
        Stmt s(DatabaseAccess::handle(*m_db),
               QStringLiteral("CREATE INDEX temp.%1 ON %2 (%3)")
                   .arg(quoteIdentifier(QStringLiteral("%1_%2").arg(m_temp).arg(i)), quoteIdentifier(m_temp),
                        quoteIdentifier(col)));
        s.step();
        m_indexed.insert(i);
        return;
    }
}

void SqlRecordset::findFirst(const QString& criteria) {
    requireOpen();
    materialize();
    const QString where = translateCriteria(criteria);
    indexFor(where);
    Stmt s(DatabaseAccess::handle(*m_db),
           QStringLiteral("SELECT rowid FROM temp.%1 WHERE (%2) ORDER BY rowid LIMIT 1")
               .arg(quoteIdentifier(m_temp), where));
    if (s.step()) {
        m_noMatch = false;
        m_rowNumber = sqlite3_column_int64(s.get(), 0) - 1;
        m_state = State::Row;
    } else {
        m_noMatch = true;
        m_state = State::Eof;
    }
}

} // namespace

std::unique_ptr<Recordset> openSqlRecordset(Database& db, const QString& sql) {
    return std::make_unique<SqlRecordset>(db, sql);
}

} // namespace zek::db::detail
