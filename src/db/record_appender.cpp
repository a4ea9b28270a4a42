#include "db/record_appender.h"

#include "db/recordset_impl.h"

#include <algorithm>
#include <cstring>

namespace zek::db {

using detail::Column;

struct RecordAppender::Impl {
    Database& db;
    std::vector<Column> columns; // the set fields, in the setters' positions
    detail::Stmt insert;

    explicit Impl(Database& d) : db(d) {}

    const Column& column(int field) const {
        if (field < 0 || std::size_t(field) >= columns.size())
            throw EngineError(ErrItemNotFound, QStringLiteral("Item not found in this collection."));
        return columns[std::size_t(field)];
    }
};

RecordAppender::RecordAppender(Database& db, const QString& table, const QStringList& fields)
    : m(std::make_unique<Impl>(db)) {
    if (!db.isOpen())
        throw EngineError(ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
    const QString name = detail::canonicalTableName(detail::DatabaseAccess::handle(db), table);
    if (name.isEmpty()) {
        throw detail::tableNotFoundError(table);
    }
    const std::vector<Column> all = detail::readColumns(detail::DatabaseAccess::handle(db), name);
    QStringList quoted, params;
    for (const QString& field : fields) {
        const auto it = std::find_if(all.begin(), all.end(), [&](const Column& c) {
            return c.name.compare(field, Qt::CaseInsensitive) == 0;
        });
        if (it == all.end()) {
            throw EngineError(ErrItemNotFound,
                              QStringLiteral("Item not found in this collection. (%1.%2)").arg(name, field));
        }
        m->columns.push_back(*it);
        quoted << detail::quoteIdentifier(it->name);
        params << QStringLiteral("?%1").arg(params.size() + 1);
    }
    m->insert = detail::Stmt(detail::DatabaseAccess::handle(db),
                             QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(detail::quoteIdentifier(name), quoted.join(u", "), params.join(u", ")));
}

RecordAppender::~RecordAppender() = default;

void RecordAppender::setText(int field, std::string_view utf8) {
    const Column& c = m->column(field);
    if (c.typed && c.type != FieldType::Text && c.type != FieldType::Memo)
        throw detail::conversionError();
    const qsizetype length = utf8TextLength(utf8);
    if (length < 0)
        throw detail::conversionError();
    if (c.typed && c.type == FieldType::Text && length > c.size)
        throw detail::fieldTooSmallError();
    sqlite3_bind_text64(m->insert.get(), field + 1, utf8.data(), sqlite3_uint64(utf8.size()), SQLITE_STATIC,
                        SQLITE_UTF8);
}

void RecordAppender::setInteger(int field, qint64 value) {
    const Column& c = m->column(field);
    if (!c.typed || c.type == FieldType::Long || c.type == FieldType::Currency)
        sqlite3_bind_int64(m->insert.get(), field + 1, value);
    else if (c.type == FieldType::Single)
        sqlite3_bind_double(m->insert.get(), field + 1, double(value));
    else if (c.type == FieldType::Boolean)
        sqlite3_bind_int(m->insert.get(), field + 1, value != 0 ? 1 : 0);
    else // a number for a text field would be stored as its digits; the walker never means that
        throw detail::conversionError();
}

void RecordAppender::setBoolean(int field, bool value) {
    const Column& c = m->column(field);
    if (c.typed && c.type != FieldType::Boolean)
        throw detail::conversionError();
    sqlite3_bind_int(m->insert.get(), field + 1, value ? 1 : 0);
}

void RecordAppender::append() {
    detail::ResetGuard guard(m->insert); // resets and clears the values, whatever happens
    m->insert.step();
    detail::DatabaseAccess::bump(m->db); // record sets on the table drop their cached positions
}

void RecordAppender::clear() {
    m->insert.reset();
}

qsizetype utf8TextLength(std::string_view utf8) {
    qsizetype points = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        // Most texts are plain ASCII: eight bytes at a time while no byte has its high bit set.
        while (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL)
                break;
            p += 8;
            points += 8;
        }
        if (p == end)
            break;
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
        } else {
            int more;
            unsigned int cp;
            if ((b & 0xE0) == 0xC0) {
                more = 1;
                cp = b & 0x1F;
            } else if ((b & 0xF0) == 0xE0) {
                more = 2;
                cp = b & 0x0F;
            } else if ((b & 0xF8) == 0xF0) {
                more = 3;
                cp = b & 0x07;
            } else {
                return -1;
            }
            if (end - p <= more)
                return -1;
            for (int i = 1; i <= more; ++i) {
                if ((p[i] & 0xC0) != 0x80)
                    return -1;
                cp = (cp << 6) | (p[i] & 0x3F);
            }
            // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
            static constexpr unsigned int least[] = {0, 0x80, 0x800, 0x10000};
            if (cp < least[more] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
                return -1;
            p += more + 1;
        }
        ++points;
    }
    return points;
}

} // namespace zek::db
