// Appending many records to one table in a row: one prepared insert, values bound as they come
// (integers as integers, texts as UTF-8 bytes), no per-value conversions. The folder walker writes the
// file table through it; everything else writes through record sets.
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
    RecordAppender(Database& db, const QString& table, const QStringList& fields);
    ~RecordAppender();
    RecordAppender(const RecordAppender&) = delete;
    RecordAppender& operator=(const RecordAppender&) = delete;

    // Values of the next record; a field not set is Null. A text's bytes must stay valid until
    // append() or clear(); invalid UTF-8 is refused.
    void setText(int field, std::string_view utf8);
    void setInteger(int field, qint64 value);
    void setBoolean(int field, bool value);

    // Writes the record and starts the next one with every field Null. On a failure nothing is
    // written and the values are cleared all the same.
    void append();
    // Drops the values set so far.
    void clear();

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// Code points in a UTF-8 text, as text sizes count them; -1 when the bytes are not valid UTF-8.
qsizetype utf8TextLength(std::string_view utf8);

} // namespace zek::db
