// Appending many records to one table in a row: one prepared insert, values bound as they come
// (integers as integers, texts as UTF-8 bytes), no per-value conversions. The folder walker writes the
// file table through it; everything else writes through record sets.
//
// An appender made with `recordsPerInsert` above 1 gathers the records and writes them that many to
// one insert statement: most of a one-record insert's cost is running the statement, not storing the
// record (up to 128 records a statement). Its texts are copied as they are set, and the records reach the
// table at flush() (or when the next group is full): the owner flushes before it commits.
//
// The same rules hold as for a record set's AddNew/Update: field types and text sizes are checked
// (ErrFieldTooSmall, ErrTypeConversion), failures throw EngineError, and record sets on the table see
// the new records. The appender must go before its database is closed.
#pragma once

#include "db/engine.h"

#include <QByteArray>
#include <QStringList>

#include <memory>
#include <string_view>

namespace zek::db {

class RecordAppender {
public:
    // `fields` are the table's fields the appender sets, in the positions the setters take.
    RecordAppender(Database& db, const QString& table, const QStringList& fields, int recordsPerInsert = 1);
    ~RecordAppender();
    RecordAppender(const RecordAppender&) = delete;
    RecordAppender& operator=(const RecordAppender&) = delete;

    // Values of the next record; a field not set is Null. A text's bytes must stay valid until
    // append() or clear(); invalid UTF-8 is refused.
    void setText(int field, std::string_view utf8);
    // The same for a text whose code points the caller has counted already (utf8TextLength: valid
    // UTF-8, `length` >= 0), as for a folder's path set on every record of the folder.
    void setText(int field, std::string_view utf8, qsizetype length);
    void setInteger(int field, qint64 value);
    void setBoolean(int field, bool value);

    // Writes the record (gathering it, with `recordsPerInsert` above 1) and starts the next one with
    // every field Null. On a failure nothing is written (nor any record gathered with it) and the
    // values are cleared all the same.
    void append();
    // Writes the records gathered and not yet written; with one record per insert there are none.
    // Records still gathered when the appender goes are dropped.
    void flush();
    // Drops the values set so far for the next record.
    void clear();

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// While it lives, the connection leaves the tables' CHECK constraints (their text sizes) out of the
// statements it prepares. An appender checks every text's size itself, so a writer that is alone on
// the connection meanwhile (the scan) has each value checked once, not twice: a fifth of the cost of
// storing a record. Statements prepared before it and after it check as usual: changing the setting
// makes SQLite prepare every statement again when it next runs.
class SizeChecksInAppender {
public:
    explicit SizeChecksInAppender(Database& db);
    ~SizeChecksInAppender();
    SizeChecksInAppender(const SizeChecksInAppender&) = delete;
    SizeChecksInAppender& operator=(const SizeChecksInAppender&) = delete;

private:
    Database& m_db;
};

// Code points in a UTF-8 text, as text sizes count them; -1 when the bytes are not valid UTF-8.
qsizetype utf8TextLength(std::string_view utf8);

} // namespace zek::db
