// Writing through a table-type record set: AddNew, Edit, Update, CancelUpdate and Delete.
#include "db/recordset_table.h"

#include <algorithm>

namespace zek::db::detail {

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
    if (m_mode == Mode::AddNew)
        insertPending();
    else
        updatePending();
}

Stmt& TableRecordset::insertStatement() {
    if (!m_insert) {
        QStringList cols, params;
        for (size_t i = 0; i < m_columns.size(); ++i) {
            cols << quoteIdentifier(m_columns[i].name);
            params << QStringLiteral("?%1").arg(i + 1);
        }
        m_insert =
            Stmt(DatabaseAccess::handle(*m_db),
                 QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                     .arg(m_quotedTable, cols.join(QStringLiteral(", ")), params.join(QStringLiteral(", "))));
    }
    return m_insert;
}

void TableRecordset::insertPending() {
    const quint64 before = generation();
    const bool listCurrent = m_listValid && m_listGen == before;
    const bool countCurrent = m_count >= 0 && m_countGen == before;
    Stmt& insert = insertStatement();
    {
        ResetGuard guard(insert);
        for (size_t i = 0; i < m_pending.size(); ++i)
            insert.bind(int(i) + 1, m_pending[i]);
        insert.step();
    }
    m_mode = Mode::None;
    const qint64 rowid = sqlite3_last_insert_rowid(DatabaseAccess::handle(*m_db));
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
}

Stmt& TableRecordset::updateStatement() {
    auto it = m_updates.find(m_changed);
    if (it == m_updates.end()) {
        QStringList sets;
        int n = 0;
        for (size_t i = 0; i < m_columns.size(); ++i) {
            if (m_changed[i])
                sets << QStringLiteral("%1 = ?%2").arg(quoteIdentifier(m_columns[i].name)).arg(++n);
        }
        Stmt s(DatabaseAccess::handle(*m_db), QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                                                  .arg(m_quotedTable, sets.join(QStringLiteral(", ")))
                                                  .arg(n + 1));
        it = m_updates.emplace(m_changed, std::move(s)).first;
    }
    return it->second;
}

// Edit: writes only the fields that were set.
void TableRecordset::updatePending() {
    if (std::find(m_changed.begin(), m_changed.end(), 1) == m_changed.end()) {
        m_mode = Mode::None;
        return;
    }
    const quint64 before = generation();
    const bool listCurrent = m_listValid && m_listGen == before;
    const bool countCurrent = m_count >= 0 && m_countGen == before;
    Stmt& s = updateStatement();
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
        changedRows = sqlite3_changes(DatabaseAccess::handle(*m_db));
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

} // namespace zek::db::detail
