// The table-type record set, shared by its reading and its writing halves.
#pragma once

#include "db/recordset_impl.h"

#include <map>

namespace zek::db::detail {

// "Record is deleted." (ErrRecordDeleted) and "Update or CancelUpdate without AddNew or Edit."
EngineError recordDeleted();
EngineError updateWithoutEdit();

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
    // Update after AddNew and after Edit; each keeps the cached list, count and row where it can.
    void insertPending();
    void updatePending();
    Stmt& insertStatement();
    Stmt& updateStatement(); // for the fields set since Edit

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

} // namespace zek::db::detail
