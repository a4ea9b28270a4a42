// Table-type record set: all records of one table in the order of its current index.
//
// The ordered list of rowids is built on the first move that needs it, never at open: the folder walk
// only appends, and a million appends must not pay for a list nobody reads. Writes keep the list where
// that is cheap (an append in rowid order, a delete) and otherwise mark it stale. The current record
// is known by its rowid and read with one prepared statement. Seek and FindFirst ask SQLite for the
// first matching rowid in index order, so they use the index and need no list.
#include "db/recordset_table.h"

#include "db/dialect.h"

#include <algorithm>

namespace zek::db::detail {

EngineError recordDeleted() {
    return EngineError(ErrRecordDeleted, QStringLiteral("Record is deleted."));
}

EngineError updateWithoutEdit() {
    return EngineError(ErrUpdateWithoutEdit,
                       QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
}

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
