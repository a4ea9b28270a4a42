// Table-type record set: all records of one table in the order of its current index.
//
// The ordered list of rowids is built on the first move that needs it, never at open: the folder walk
// only appends, and a million appends must not pay for a list nobody reads. Writes keep the list where
// that is cheap (an append in rowid order, a delete) and otherwise mark it stale. The current record
// is known by its rowid and read with one prepared statement. Seek and FindFirst ask SQLite for the
// first matching rowid in index order, so they use the index and need no list.
#include "db/dialect.h"
#include "db/recordset_impl.h"

#include <algorithm>
#include <map>

namespace zek::db::detail {

namespace {

EngineError recordDeleted() {
    return EngineError(ErrRecordDeleted, QStringLiteral("Record is deleted."));
}

EngineError updateWithoutEdit() {
    return EngineError(ErrUpdateWithoutEdit,
                       QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
}

class TableRecordset final : public RecordsetBase {
public:
    TableRecordset(Database& db, QString table, std::vector<Column> columns, std::vector<IndexInfo> indexes);
    ~TableRecordset() override { close(); }

    void close() override;
    bool isOpen() const override { return m_db != nullptr; }

    void moveFirst() override;
    void moveNext() override;
    void moveLast() override;
    void moveToEnd(bool last);
    bool eof() const override;
    long long recordCount() override;

    int fieldCount() const override { return int(m_columns.size()); }
    QString fieldName(int index) const override;
    QVariant value(int index) const override;
    QVariant value(const QString& name) const override;
    void setValue(const QString& name, const QVariant& value) override;
    void setValue(int index, const QVariant& value) override;

    void addNew() override;
    void edit() override;
    void update() override;
    void cancelUpdate() override;
    void deleteCurrent() override;

    void setIndex(const QString& indexName) override;
    QString index() const override;
    void seek(const QString& comparison, const QVariantList& keys) override;
    bool noMatch() const override { return m_noMatch; }
    void findFirst(const QString& criteria) override;
    void release() override {} // every statement is reset right after its use

private:
    enum class Pos { Record, Deleted, Eof };
    enum class Mode { None, AddNew, Edit };

    void requireOpen() const;
    void checkPosition(int index) const;
    quint64 generation() const { return DatabaseAccess::generation(*m_db); }
    QString orderBy(bool reverse) const;
    void setRecord(qint64 rowid, qint64 listPos);
    void setEof();
    // The first rowid of "SELECT rowid ... WHERE where ORDER BY ... LIMIT 1"; false when none.
    bool firstRowid(const QString& where, bool reverse, const QVariantList& binds, qint64* rowid) const;
    void ensureList() const;
    qint64 locate(qint64 rowid) const;
    void loadRow() const;
    void abandonPending();

    Database* m_db;
    QString m_table;
    QString m_quotedTable;
    std::vector<Column> m_columns;
    FieldNames m_names;
    std::vector<IndexInfo> m_indexes;
    int m_currentIndex = -1;

    Pos m_pos = Pos::Eof;
    qint64 m_rowid = -1; // Record: the current record; Deleted: the record that followed, -1 for none

    mutable std::vector<qint64> m_list;
    mutable bool m_listValid = false;
    mutable quint64 m_listGen = 0;
    mutable qint64 m_listPos = -1; // where m_rowid stands in the list, -1 when not known

    mutable std::vector<QVariant> m_row;
    mutable qint64 m_rowRowid = -1;
    mutable quint64 m_rowGen = 0;
    mutable bool m_rowValid = false;

    long long m_count = -1;
    quint64 m_countGen = 0;

    Mode m_mode = Mode::None;
    std::vector<QVariant> m_pending;
    std::vector<char> m_changed;
    bool m_noMatch = false;

    mutable Stmt m_selectRow;
    Stmt m_insert;
    Stmt m_delete;
    std::map<std::vector<char>, Stmt> m_updates; // one statement per set of changed fields
};

TableRecordset::TableRecordset(Database& db, QString table, std::vector<Column> columns,
                               std::vector<IndexInfo> indexes)
    : m_db(&db), m_table(std::move(table)), m_columns(std::move(columns)), m_indexes(std::move(indexes)) {
    m_quotedTable = quoteIdentifier(m_table);
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_names.add(m_columns[i].name, int(i));
    m_pending.resize(m_columns.size());
    m_changed.resize(m_columns.size(), 0);
    // On the first record (found through the rowid order, so no list is built here).
    qint64 first = -1;
    if (firstRowid(QString(), false, {}, &first))
        setRecord(first, -1);
    DatabaseAccess::attach(db, this);
}

void TableRecordset::close() {
    if (!m_db)
        return;
    m_selectRow.finalize();
    m_insert.finalize();
    m_delete.finalize();
    m_updates.clear();
    DatabaseAccess::detach(*m_db, this);
    m_db = nullptr;
    m_list.clear();
    m_list.shrink_to_fit();
}

void TableRecordset::requireOpen() const {
    if (!m_db)
        throw objectClosed();
}

void TableRecordset::checkPosition(int index) const {
    if (index < 0 || index >= int(m_columns.size()))
        throw itemNotFound();
}

QString TableRecordset::orderBy(bool reverse) const {
    QStringList keys;
    if (m_currentIndex >= 0) {
        for (const IndexColumn& c : m_indexes[size_t(m_currentIndex)].columns) {
            QString key = quoteIdentifier(c.name);
            if (!c.collation.isEmpty() &&
                c.collation.compare(QLatin1String("BINARY"), Qt::CaseInsensitive) != 0)
                key += QStringLiteral(" COLLATE ") + c.collation;
            if (c.desc != reverse)
                key += QStringLiteral(" DESC");
            keys << key;
        }
    }
    // Records with equal keys keep the order they were added in.
    keys << (reverse ? QStringLiteral("rowid DESC") : QStringLiteral("rowid"));
    return keys.join(QStringLiteral(", "));
}

void TableRecordset::setRecord(qint64 rowid, qint64 listPos) {
    m_pos = Pos::Record;
    m_rowid = rowid;
    m_listPos = listPos;
}

void TableRecordset::setEof() {
    m_pos = Pos::Eof;
    m_rowid = -1;
    m_listPos = -1;
}

bool TableRecordset::firstRowid(const QString& where, bool reverse, const QVariantList& binds,
                                qint64* rowid) const {
    QString sql = QStringLiteral("SELECT rowid FROM ") + m_quotedTable;
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    sql += QStringLiteral(" ORDER BY ") + orderBy(reverse) + QStringLiteral(" LIMIT 1");
    Stmt s(DatabaseAccess::handle(*m_db), sql);
    for (int i = 0; i < binds.size(); ++i)
        s.bind(i + 1, binds[i]);
    if (!s.step())
        return false;
    *rowid = sqlite3_column_int64(s.get(), 0);
    return true;
}

void TableRecordset::ensureList() const {
    if (m_listValid && m_listGen == generation())
        return;
    m_list.clear();
    Stmt s(DatabaseAccess::handle(*m_db),
           QStringLiteral("SELECT rowid FROM %1 ORDER BY %2").arg(m_quotedTable, orderBy(false)));
    while (s.step())
        m_list.push_back(sqlite3_column_int64(s.get(), 0));
    m_listValid = true;
    m_listGen = generation();
    m_listPos = -1;
}

qint64 TableRecordset::locate(qint64 rowid) const {
    ensureList();
    if (m_listPos >= 0 && m_listPos < qint64(m_list.size()) && m_list[size_t(m_listPos)] == rowid)
        return m_listPos;
    const auto it = std::find(m_list.begin(), m_list.end(), rowid);
    m_listPos = it == m_list.end() ? -1 : qint64(it - m_list.begin());
    return m_listPos;
}

void TableRecordset::loadRow() const {
    if (m_rowValid && m_rowRowid == m_rowid && m_rowGen == generation())
        return;
    if (!m_selectRow) {
        QStringList cols;
        for (const Column& c : m_columns)
            cols << quoteIdentifier(c.name);
        m_selectRow =
            Stmt(DatabaseAccess::handle(*m_db), QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?1")
                                                    .arg(cols.join(QStringLiteral(", ")), m_quotedTable));
    }
    m_selectRow.bindInt64(1, m_rowid);
    ResetGuard guard(m_selectRow);
    if (!m_selectRow.step())
        throw recordDeleted();
    m_row.resize(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_row[i] = readColumn(m_selectRow.get(), int(i), m_columns[i]);
    m_rowRowid = m_rowid;
    m_rowGen = generation();
    m_rowValid = true;
}

void TableRecordset::abandonPending() {
    // Moving away from a pending AddNew or Edit drops it, as the original engine did.
    m_mode = Mode::None;
}

// ---- navigation ---------------------------------------------------------------------------------

void TableRecordset::moveFirst() {
    moveToEnd(false);
}

void TableRecordset::moveLast() {
    moveToEnd(true);
}

// The first (last = false) or the last record in the current order: from the ordered list when it
// is up to date, otherwise asked of SQLite without building the list.
void TableRecordset::moveToEnd(bool last) {
    requireOpen();
    abandonPending();
    if (m_listValid && m_listGen == generation()) {
        if (m_list.empty())
            setEof();
        else if (last)
            setRecord(m_list.back(), qint64(m_list.size()) - 1);
        else
            setRecord(m_list.front(), 0);
        return;
    }
    qint64 rowid = -1;
    if (firstRowid(QString(), last, {}, &rowid))
        setRecord(rowid, -1);
    else
        setEof();
}

void TableRecordset::moveNext() {
    requireOpen();
    abandonPending();
    switch (m_pos) {
    case Pos::Eof:
        throw noCurrentRecord();
    case Pos::Record: {
        const qint64 at = locate(m_rowid);
        if (at < 0)
            throw recordDeleted(); // removed behind this record set's back
        if (at + 1 < qint64(m_list.size()))
            setRecord(m_list[size_t(at + 1)], at + 1);
        else
            setEof();
        break;
    }
    case Pos::Deleted: {
        // Onto the record that followed the deleted one.
        const qint64 at = m_rowid < 0 ? -1 : locate(m_rowid);
        if (at < 0)
            setEof();
        else
            setRecord(m_rowid, at);
        break;
    }
    }
}

bool TableRecordset::eof() const {
    requireOpen();
    return m_pos == Pos::Eof;
}

long long TableRecordset::recordCount() {
    requireOpen();
    if (m_listValid && m_listGen == generation())
        return qint64(m_list.size());
    if (m_count >= 0 && m_countGen == generation())
        return m_count;
    Stmt s(DatabaseAccess::handle(*m_db), QStringLiteral("SELECT count(*) FROM %1").arg(m_quotedTable));
    s.step();
    m_count = sqlite3_column_int64(s.get(), 0);
    m_countGen = generation();
    return m_count;
}

// ---- fields -------------------------------------------------------------------------------------

QString TableRecordset::fieldName(int index) const {
    requireOpen();
    checkPosition(index);
    return m_columns[size_t(index)].name;
}

QVariant TableRecordset::value(int index) const {
    requireOpen();
    checkPosition(index);
    if (m_mode != Mode::None)
        return m_pending[size_t(index)];
    if (m_pos != Pos::Record)
        throw noCurrentRecord();
    loadRow();
    return m_row[size_t(index)];
}

QVariant TableRecordset::value(const QString& name) const {
    requireOpen();
    return value(m_names.require(name));
}

void TableRecordset::setValue(const QString& name, const QVariant& value) {
    requireOpen();
    setValue(m_names.require(name), value);
}

void TableRecordset::setValue(int index, const QVariant& value) {
    requireOpen();
    checkPosition(index);
    if (m_mode == Mode::None)
        throw updateWithoutEdit();
    m_pending[size_t(index)] = convertForField(m_columns[size_t(index)], value);
    m_changed[size_t(index)] = 1;
}

// ---- writing ------------------------------------------------------------------------------------

void TableRecordset::addNew() {
    requireOpen();
    for (QVariant& v : m_pending)
        v = QVariant();
    std::fill(m_changed.begin(), m_changed.end(), 0);
    m_mode = Mode::AddNew;
}

void TableRecordset::edit() {
    requireOpen();
    abandonPending();
    if (m_pos != Pos::Record)
        throw noCurrentRecord();
    loadRow();
    m_pending = m_row;
    std::fill(m_changed.begin(), m_changed.end(), 0);
    m_mode = Mode::Edit;
}

void TableRecordset::update() {
    requireOpen();
    if (m_mode == Mode::None)
        throw updateWithoutEdit();
    sqlite3* db = DatabaseAccess::handle(*m_db);
    const quint64 before = generation();
    const bool listCurrent = m_listValid && m_listGen == before;
    const bool countCurrent = m_count >= 0 && m_countGen == before;

    if (m_mode == Mode::AddNew) {
        if (!m_insert) {
            QStringList cols, params;
            for (size_t i = 0; i < m_columns.size(); ++i) {
                cols << quoteIdentifier(m_columns[i].name);
                params << QStringLiteral("?%1").arg(i + 1);
            }
            m_insert = Stmt(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(m_quotedTable, cols.join(QStringLiteral(", ")),
                                         params.join(QStringLiteral(", "))));
        }
        {
            ResetGuard guard(m_insert);
            for (size_t i = 0; i < m_pending.size(); ++i)
                m_insert.bind(int(i) + 1, m_pending[i]);
            m_insert.step();
        }
        m_mode = Mode::None;
        const qint64 rowid = sqlite3_last_insert_rowid(db);
        const quint64 after = DatabaseAccess::bump(*m_db);
        // Without an index the new record goes last: the list can simply grow.
        if (listCurrent && m_currentIndex < 0 && (m_list.empty() || rowid > m_list.back())) {
            m_list.push_back(rowid);
            m_listGen = after;
        } else {
            m_listValid = false;
        }
        if (countCurrent) {
            ++m_count;
            m_countGen = after;
        }
        if (m_rowValid && m_rowGen == before)
            m_rowGen = after;
        return;
    }

    // Edit: write only the fields that were set.
    if (std::find(m_changed.begin(), m_changed.end(), 1) == m_changed.end()) {
        m_mode = Mode::None;
        return;
    }
    auto it = m_updates.find(m_changed);
    if (it == m_updates.end()) {
        QStringList sets;
        int n = 0;
        for (size_t i = 0; i < m_columns.size(); ++i) {
            if (m_changed[i])
                sets << QStringLiteral("%1 = ?%2").arg(quoteIdentifier(m_columns[i].name)).arg(++n);
        }
        Stmt s(db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                       .arg(m_quotedTable, sets.join(QStringLiteral(", ")))
                       .arg(n + 1));
        it = m_updates.emplace(m_changed, std::move(s)).first;
    }
    Stmt& s = it->second;
    int changedRows = 0;
    {
        ResetGuard guard(s);
        int n = 0;
        for (size_t i = 0; i < m_columns.size(); ++i) {
            if (m_changed[i])
                s.bind(++n, m_pending[i]);
        }
        s.bindInt64(n + 1, m_rowid);
        s.step();
        changedRows = sqlite3_changes(db);
    }
    m_mode = Mode::None;
    const quint64 after = DatabaseAccess::bump(*m_db);
    if (changedRows == 0)
        throw recordDeleted();
    bool keyChanged = false;
    if (m_currentIndex >= 0) {
        for (const IndexColumn& c : m_indexes[size_t(m_currentIndex)].columns)
            keyChanged = keyChanged || c.column < 0 || m_changed[size_t(c.column)];
    }
    if (listCurrent && !keyChanged)
        m_listGen = after;
    else
        m_listValid = false;
    if (countCurrent)
        m_countGen = after;
    m_row = m_pending;
    m_rowRowid = m_rowid;
    m_rowGen = after;
    m_rowValid = true;
}

void TableRecordset::cancelUpdate() {
    requireOpen();
    if (m_mode == Mode::None)
        throw updateWithoutEdit();
    m_mode = Mode::None;
}

void TableRecordset::deleteCurrent() {
    requireOpen();
    abandonPending();
    if (m_pos != Pos::Record)
        throw noCurrentRecord();
    const qint64 at = locate(m_rowid);
    const quint64 before = generation();
    if (!m_delete)
        m_delete = Stmt(DatabaseAccess::handle(*m_db),
                        QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(m_quotedTable));
    int changedRows = 0;
    {
        ResetGuard guard(m_delete);
        m_delete.bindInt64(1, m_rowid);
        m_delete.step();
        changedRows = sqlite3_changes(DatabaseAccess::handle(*m_db));
    }
    const quint64 after = DatabaseAccess::bump(*m_db);
    if (changedRows == 0)
        throw recordDeleted();
    if (m_count >= 0 && m_countGen == before) {
        --m_count;
        m_countGen = after;
    }
    m_pos = Pos::Deleted;
    m_rowValid = false;
    if (at < 0) {
        m_rowid = -1;
        m_listPos = -1;
        return;
    }
    m_list.erase(m_list.begin() + at);
    m_listGen = after;
    m_rowid = at < qint64(m_list.size()) ? m_list[size_t(at)] : -1;
    m_listPos = m_rowid < 0 ? -1 : at;
}

// ---- index, seek, find --------------------------------------------------------------------------

void TableRecordset::setIndex(const QString& indexName) {
    requireOpen();
    abandonPending();
    int found = -1;
    if (!indexName.isEmpty()) {
        for (size_t i = 0; i < m_indexes.size(); ++i) {
            if (m_indexes[i].name.compare(indexName, Qt::CaseInsensitive) == 0) {
                found = int(i);
                break;
            }
        }
        if (found < 0)
            throw EngineError(ErrNotAnIndex,
                              QStringLiteral("'%1' is not an index in this table.").arg(indexName));
    }
    m_currentIndex = found;
    m_listValid = false;
    m_noMatch = false;
    moveFirst();
}

QString TableRecordset::index() const {
    return m_currentIndex < 0 ? QString() : m_indexes[size_t(m_currentIndex)].name;
}

void TableRecordset::seek(const QString& comparison, const QVariantList& keys) {
    requireOpen();
    abandonPending();
    if (m_currentIndex < 0)
        throw EngineError(ErrNoCurrentIndex, QStringLiteral("Operation invalid without a current index."));
    const std::vector<IndexColumn>& cols = m_indexes[size_t(m_currentIndex)].columns;
    const QString op = comparison.trimmed();
    const bool forward = op == QLatin1String("=") || op == QLatin1String(">=") || op == QLatin1String(">");
    const bool backward = op == QLatin1String("<=") || op == QLatin1String("<");
    if ((!forward && !backward) || keys.isEmpty() || keys.size() > qsizetype(cols.size()))
        throw EngineError(ErrInvalidOperation, QStringLiteral("Invalid operation."));

    // Keys take their field's type; a key is not held to a text field's size.
    QVariantList binds;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const IndexColumn& c = cols[size_t(i)];
        Column column = c.column >= 0 ? m_columns[size_t(c.column)] : Column{};
        if (column.type == FieldType::Text)
            column.type = FieldType::Memo;
        binds << convertForField(column, keys[i]);
    }
    auto expr = [&](qsizetype i) {
        QString e = quoteIdentifier(cols[size_t(i)].name);
        const QString& coll = cols[size_t(i)].collation;
        if (!coll.isEmpty() && coll.compare(QLatin1String("BINARY"), Qt::CaseInsensitive) != 0)
            e += QStringLiteral(" COLLATE ") + coll;
        return e;
    };
    auto eq = [&](qsizetype i) { return QStringLiteral("%1 IS ?%2").arg(expr(i)).arg(i + 1); };
    // Strictly after the key in index order (Null sorts first ascending, last descending).
    auto after = [&](qsizetype i) {
        const bool keyNull = !binds[i].isValid();
        if (!cols[size_t(i)].desc)
            return keyNull ? QStringLiteral("%1 IS NOT NULL").arg(expr(i))
                           : QStringLiteral("%1 > ?%2").arg(expr(i)).arg(i + 1);
        return keyNull ? QStringLiteral("0")
                       : QStringLiteral("(%1 < ?%2 OR %1 IS NULL)").arg(expr(i)).arg(i + 1);
    };
    auto before = [&](qsizetype i) {
        const bool keyNull = !binds[i].isValid();
        if (!cols[size_t(i)].desc)
            return keyNull ? QStringLiteral("0")
                           : QStringLiteral("(%1 < ?%2 OR %1 IS NULL)").arg(expr(i)).arg(i + 1);
        return keyNull ? QStringLiteral("%1 IS NOT NULL").arg(expr(i))
                       : QStringLiteral("%1 > ?%2").arg(expr(i)).arg(i + 1);
    };
    QStringList alternatives;
    QStringList equalPrefix;
    if (op != QLatin1String("=")) {
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QStringList parts = equalPrefix;
            parts << (forward ? after(i) : before(i));
            alternatives << QStringLiteral("(") + parts.join(QStringLiteral(" AND ")) + QStringLiteral(")");
            equalPrefix << eq(i);
        }
    } else {
        for (qsizetype i = 0; i < keys.size(); ++i)
            equalPrefix << eq(i);
    }
    if (op == QLatin1String("=") || op == QLatin1String(">=") || op == QLatin1String("<="))
        alternatives << QStringLiteral("(") + equalPrefix.join(QStringLiteral(" AND ")) + QStringLiteral(")");
    qint64 rowid = -1;
    if (firstRowid(alternatives.join(QStringLiteral(" OR ")), backward, binds, &rowid)) {
        m_noMatch = false;
        setRecord(rowid, -1);
    } else {
        m_noMatch = true;
        setEof();
    }
}

void TableRecordset::findFirst(const QString& criteria) {
    requireOpen();
    abandonPending();
    qint64 rowid = -1;
    if (firstRowid(QStringLiteral("(") + translateCriteria(criteria) + QStringLiteral(")"), false, {},
                   &rowid)) {
        m_noMatch = false;
        setRecord(rowid, -1);
    } else {
        m_noMatch = true;
        setEof();
    }
}

} // namespace

std::unique_ptr<Recordset> openTableRecordset(Database& db, const QString& name) {
    const QString table = canonicalTableName(DatabaseAccess::handle(db), name);
    if (table.isEmpty()) {
        throw tableNotFoundError(name);
    }
    std::vector<Column> columns = readColumns(DatabaseAccess::handle(db), table);
    std::vector<IndexInfo> indexes = readIndexes(DatabaseAccess::handle(db), table, columns);
    return std::make_unique<TableRecordset>(db, table, std::move(columns), std::move(indexes));
}

} // namespace zek::db::detail
