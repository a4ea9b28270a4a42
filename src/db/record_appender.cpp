#include "db/record_appender.h"

#include "db/recordset_impl.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace zek::db {

using detail::Column;
using detail::DatabaseAccess;

// A value gathered for a record not yet written.
struct GatheredValue {
    enum class Kind : quint8 { Null, Integer, Real, Text };
    Kind kind = Kind::Null;
    quint32 at = 0; // Text: where its bytes start in the gathered text, and how many
    quint32 length = 0;
    qint64 integer = 0;
    double real = 0;
};

struct RecordAppender::Impl {
    Database& db;
    std::vector<Column> columns; // the set fields, in the setters' positions
    detail::Stmt insert;         // one record
    // Gathering: `perInsert` records to one statement. The values of the records gathered, then
    // those of the record being set; their texts, one after the other.
    int perInsert = 1;
    detail::Stmt insertMany;
    std::vector<GatheredValue> values;
    std::string text;
    int gathered = 0;
    std::size_t recordTextStart = 0; // where the texts of the record being set begin

    explicit Impl(Database& d) : db(d) {}

    const Column& column(int field) const {
        if (field < 0 || std::size_t(field) >= columns.size())
            throw EngineError(ErrItemNotFound, QStringLiteral("Item not found in this collection."));
        return columns[std::size_t(field)];
    }
    bool gathering() const { return perInsert > 1; }
    GatheredValue& slot(int field) {
        return values[std::size_t(gathered) * columns.size() + std::size_t(field)];
    }

    void bindInteger(const Column& c, int field, qint64 value) {
        if (!gathering()) {
            if (c.typed && c.type == FieldType::Single)
                sqlite3_bind_double(insert.get(), field + 1, double(value));
            else
                sqlite3_bind_int64(insert.get(), field + 1, value);
            return;
        }
        GatheredValue& v = slot(field);
        if (c.typed && c.type == FieldType::Single) {
            v.kind = GatheredValue::Kind::Real;
            v.real = double(value);
        } else {
            v.kind = GatheredValue::Kind::Integer;
            v.integer = value;
        }
    }

    // Binds the gathered values of `count` records, from record `first`, to `stmt`.
    void bindGathered(detail::Stmt& stmt, int first, int count) {
        const std::size_t fields = columns.size();
        for (int r = 0; r < count; ++r) {
            const GatheredValue* v = &values[std::size_t(first + r) * fields];
            const int base = int(std::size_t(r) * fields) + 1;
            for (std::size_t f = 0; f < fields; ++f, ++v) {
                const int index = base + int(f);
                switch (v->kind) {
                case GatheredValue::Kind::Null:
                    sqlite3_bind_null(stmt.get(), index);
                    break;
                case GatheredValue::Kind::Integer:
                    sqlite3_bind_int64(stmt.get(), index, v->integer);
                    break;
                case GatheredValue::Kind::Real:
                    sqlite3_bind_double(stmt.get(), index, v->real);
                    break;
                case GatheredValue::Kind::Text:
                    sqlite3_bind_text64(stmt.get(), index, text.data() + v->at, v->length, SQLITE_STATIC,
                                        SQLITE_UTF8);
                    break;
                }
            }
        }
    }

    // Writes the gathered records: a full group with one statement, fewer one at a time. They are
    // dropped whatever happens.
    void writeGathered() {
        struct Dropper {
            Impl& m;
            ~Dropper() { m.dropGathered(); }
        } dropper{*this};
        if (gathered == 0)
            return;
        if (gathered == perInsert) {
            detail::ResetGuard guard(insertMany);
            bindGathered(insertMany, 0, gathered);
            insertMany.step();
        } else {
            for (int r = 0; r < gathered; ++r) {
                detail::ResetGuard guard(insert);
                bindGathered(insert, r, 1);
                insert.step();
            }
        }
        DatabaseAccess::bump(db);
    }

    void dropGathered() {
        std::fill(values.begin(), values.end(), GatheredValue{});
        text.clear();
        gathered = 0;
        recordTextStart = 0;
    }

    // Empties the record being set.
    void clearRecord() {
        const std::size_t fields = columns.size();
        std::fill_n(values.begin() + std::ptrdiff_t(std::size_t(gathered) * fields), fields, GatheredValue{});
        text.resize(recordTextStart);
    }
};

namespace {

constexpr int MaxRecordsPerInsert = 128;

QString insertStatement(const QString& table, const QStringList& quoted, int records) {
    QStringList rows;
    int n = 0;
    for (int r = 0; r < records; ++r) {
        QStringList params;
        for (qsizetype f = 0; f < quoted.size(); ++f)
            params << QStringLiteral("?%1").arg(++n);
        rows << QStringLiteral("(%1)").arg(params.join(u", "));
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(detail::quoteIdentifier(table), quoted.join(u", "), rows.join(u", "));
}

} // namespace

RecordAppender::RecordAppender(Database& db, const QString& table, const QStringList& fields,
                               int recordsPerInsert)
    : m(std::make_unique<Impl>(db)) {
    if (!db.isOpen())
        throw EngineError(ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
    const QString name = detail::canonicalTableName(detail::DatabaseAccess::handle(db), table);
    if (name.isEmpty()) {
        throw detail::tableNotFoundError(table);
    }
    const std::vector<Column> all = detail::readColumns(detail::DatabaseAccess::handle(db), name);
    QStringList quoted;
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
    }
    sqlite3* handle = detail::DatabaseAccess::handle(db);
    m->insert = detail::Stmt(handle, insertStatement(name, quoted, 1));
    // A statement may hold only so many values, and one of a few hundred records takes longer to
    // prepare than it saves.
    const int limit = sqlite3_limit(handle, SQLITE_LIMIT_VARIABLE_NUMBER, -1);
    const int fieldCount = std::max(1, int(fields.size()));
    m->perInsert = std::clamp(recordsPerInsert, 1, std::clamp(limit / fieldCount, 1, MaxRecordsPerInsert));
    if (m->gathering()) {
        m->insertMany = detail::Stmt(handle, insertStatement(name, quoted, m->perInsert));
        m->values.resize(std::size_t(m->perInsert) * m->columns.size());
    }
}

RecordAppender::~RecordAppender() = default;

void RecordAppender::setText(int field, std::string_view utf8) {
    setText(field, utf8, utf8TextLength(utf8));
}

void RecordAppender::setText(int field, std::string_view utf8, qsizetype length) {
    const Column& c = m->column(field);
    if (c.typed && c.type != FieldType::Text && c.type != FieldType::Memo)
        throw detail::conversionError();
    if (length < 0)
        throw detail::conversionError();
    if (c.typed && c.type == FieldType::Text && length > c.size)
        throw detail::fieldTooSmallError();
    if (!m->gathering()) {
        sqlite3_bind_text64(m->insert.get(), field + 1, utf8.data(), sqlite3_uint64(utf8.size()),
                            SQLITE_STATIC, SQLITE_UTF8);
        return;
    }
    GatheredValue& v = m->slot(field);
    v.kind = GatheredValue::Kind::Text;
    v.at = quint32(m->text.size());
    v.length = quint32(utf8.size());
    m->text.append(utf8);
}

void RecordAppender::setInteger(int field, qint64 value) {
    const Column& c = m->column(field);
    if (!c.typed || c.type == FieldType::Long || c.type == FieldType::Currency || c.type == FieldType::Single)
        m->bindInteger(c, field, value);
    else if (c.type == FieldType::Boolean)
        m->bindInteger(c, field, value != 0 ? 1 : 0);
    else // a number for a text field would be stored as its digits; the walker never means that
        throw detail::conversionError();
}

void RecordAppender::setBoolean(int field, bool value) {
    const Column& c = m->column(field);
    if (c.typed && c.type != FieldType::Boolean)
        throw detail::conversionError();
    m->bindInteger(c, field, value ? 1 : 0);
}

void RecordAppender::append() {
    if (m->gathering()) {
        ++m->gathered;
        m->recordTextStart = m->text.size();
        if (m->gathered == m->perInsert)
            m->writeGathered();
        return;
    }
    detail::ResetGuard guard(m->insert); // resets and clears the values, whatever happens
    m->insert.step();
    detail::DatabaseAccess::bump(m->db); // record sets on the table drop their cached positions
}

void RecordAppender::flush() {
    if (m->gathering())
        m->writeGathered();
}

void RecordAppender::clear() {
    if (m->gathering())
        m->clearRecord();
    else
        m->insert.reset();
}

SizeChecksInAppender::SizeChecksInAppender(Database& db) : m_db(db) {
    sqlite3* handle = DatabaseAccess::handle(db);
    if (!handle)
        throw detail::objectClosed();
    const int rc = sqlite3_exec(handle, "PRAGMA ignore_check_constraints = ON", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw detail::sqliteError(handle, rc);
}

SizeChecksInAppender::~SizeChecksInAppender() {
    // Setting a flag fails only when memory runs out; even then record sets check sizes themselves.
    if (sqlite3* handle = DatabaseAccess::handle(m_db))
        sqlite3_exec(handle, "PRAGMA ignore_check_constraints = OFF", nullptr, nullptr, nullptr);
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
