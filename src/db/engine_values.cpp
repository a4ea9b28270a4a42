// Statements, error translation, declared field types and value conversion.
#include "db/recordset_impl.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace zek::db::detail {

// ---- errors -------------------------------------------------------------------------------------

namespace {

const char* const kFieldTooSmall =
    "The field is too small to accept the amount of data you attempted to add. "
    "Try inserting or pasting less data.";

QString unquoteName(QString name) {
    if (name.startsWith(QLatin1String("main.")))
        name = name.mid(5);
    return name;
}

} // namespace

EngineError fieldTooSmallError(int sqliteCode) {
    return EngineError(ErrFieldTooSmall, QString::fromLatin1(kFieldTooSmall), sqliteCode);
}

EngineError tableNotFoundError(const QString& name, int sqliteCode) {
    return EngineError(ErrTableNotFound,
                       QStringLiteral("The database engine can't find the input table or query "
                                      "'%1'. Make sure it exists and that its name is spelled "
                                      "correctly.")
                           .arg(name),
                       sqliteCode);
}

EngineError conversionError() {
    return EngineError(ErrTypeConversion, QStringLiteral("Data type conversion error."));
}

EngineError sqliteError(sqlite3* db, int rc) {
    const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int primary = rc & 0xff;
    if (rc == SQLITE_CONSTRAINT_CHECK && msg.contains(QLatin1String("length(")))
        return fieldTooSmallError(rc);
    if (primary == SQLITE_ERROR) {
        static const QLatin1String noTable("no such table: ");
        if (msg.startsWith(noTable)) {
            const QString name = unquoteName(msg.mid(noTable.size()));
            return tableNotFoundError(name, rc);
        }
        static const QRegularExpression exists(QStringLiteral("^table (.*) already exists$"));
        const auto m = exists.match(msg);
        if (m.hasMatch())
            return EngineError(ErrTableExists,
                               QStringLiteral("Table '%1' already exists.").arg(m.captured(1)), rc);
        if (msg.contains(QLatin1String("syntax error")) ||
            msg.startsWith(QLatin1String("incomplete input")) ||
            msg.startsWith(QLatin1String("unrecognized token")))
            return EngineError(ErrSyntax, msg, rc);
    }
    return EngineError(rc, msg, rc);
}

void throwSqlite(sqlite3* db, int rc) {
    throw sqliteError(db, rc);
}

EngineError noCurrentRecord() {
    return EngineError(ErrNoCurrentRecord, QStringLiteral("No current record."));
}
EngineError itemNotFound() {
    return EngineError(ErrItemNotFound, QStringLiteral("Item not found in this collection."));
}
EngineError objectClosed() {
    return EngineError(ErrObjectClosed, QStringLiteral("Object invalid or no longer set."));
}
EngineError invalidOperation() {
    return EngineError(ErrInvalidOperation, QStringLiteral("Invalid operation."));
}

// ---- field names --------------------------------------------------------------------------------

void FieldNames::add(const QString& name, int position) {
    // Of two names that differ only in case, the first wins a lookup in another spelling.
    if (!m_exact.contains(name))
        m_exact.insert(name, position);
    const QString folded = name.toCaseFolded();
    if (!m_folded.contains(folded))
        m_folded.insert(folded, position);
}

int FieldNames::find(const QString& name) const {
    const auto it = m_exact.constFind(name);
    if (it != m_exact.constEnd())
        return it.value();
    return m_folded.value(name.toCaseFolded(), -1);
}

int FieldNames::require(const QString& name) const {
    const int position = find(name);
    if (position < 0)
        throw itemNotFound();
    return position;
}

// ---- statements ---------------------------------------------------------------------------------

Stmt::Stmt(sqlite3* db, const QString& sql) : Stmt(db, sql.toUtf8()) {}

Stmt::Stmt(sqlite3* db, const QByteArray& utf8Sql, qsizetype* consumed) : m_db(db) {
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v3(db, utf8Sql.constData(), int(utf8Sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &m_stmt, &tail);
    if (consumed)
        *consumed = tail ? qsizetype(tail - utf8Sql.constData()) : utf8Sql.size();
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throwSqlite(db, rc);
    }
    if (!m_stmt)
        throw EngineError(ErrSyntax, QStringLiteral("The statement is empty."));
}

Stmt::~Stmt() {
    finalize();
}

Stmt::Stmt(Stmt&& other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt) {
    other.m_stmt = nullptr;
}

Stmt& Stmt::operator=(Stmt&& other) noexcept {
    if (this != &other) {
        finalize();
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

void Stmt::finalize() {
    if (m_stmt) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

bool Stmt::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    EngineError error = sqliteError(m_db, rc);
    sqlite3_reset(m_stmt);
    throw error;
}

void Stmt::reset() {
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

void Stmt::bindInt64(int index, qint64 value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

void Stmt::bindText(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text64(m_stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
}

void Stmt::bind(int index, const QVariant& value) {
    if (!value.isValid() || value.typeId() == QMetaType::Nullptr) {
        sqlite3_bind_null(m_stmt, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        sqlite3_bind_int(m_stmt, index, value.toBool() ? 1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        sqlite3_bind_int64(m_stmt, index, value.toLongLong());
        break;
    case QMetaType::ULongLong:
    case QMetaType::ULong:
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            sqlite3_bind_double(m_stmt, index, value.toDouble());
        else
            sqlite3_bind_int64(m_stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default:
        bindText(index, value.toString());
        break;
    }
}

// ---- declared types -----------------------------------------------------------------------------

QString quoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString declaredType(const FieldDef& field) {
    switch (field.type) {
    case FieldType::Boolean:
        return QStringLiteral("BOOLEAN");
    case FieldType::Long:
        return QStringLiteral("LONG");
    case FieldType::Currency:
        return QStringLiteral("CURRENCY");
    case FieldType::Single:
        return QStringLiteral("SINGLE");
    case FieldType::Text:
        return QStringLiteral("TEXT(%1)").arg(field.size);
    case FieldType::Memo:
        // "MEMO" alone would give the column numeric affinity, and SQLite would turn the text "0123"
        // into the number 123; the word TEXT keeps stored texts exactly as given.
        return QStringLiteral("MEMO TEXT");
    }
    return QString();
}

Column columnFromDeclaredType(const QString& name, const QString& declared) {
    Column c;
    c.name = name;
    const QString t = declared.trimmed().toUpper();
    static const QRegularExpression sizeRe(QStringLiteral("\\(\\s*(\\d+)"));
    const auto sm = sizeRe.match(t);
    const int size = sm.hasMatch() ? sm.captured(1).toInt() : 0;
    const QString base = t.section(u'(', 0, 0).trimmed();
    if (base.isEmpty()) {
        c.typed = false;
    } else if (base.startsWith(QLatin1String("MEMO"))) {
        c.type = FieldType::Memo;
    } else if (base == QLatin1String("BOOLEAN") || base == QLatin1String("BOOL") ||
               base == QLatin1String("BIT") || base == QLatin1String("YESNO")) {
        c.type = FieldType::Boolean;
    } else if (base == QLatin1String("LONG") || base.contains(QLatin1String("INT"))) {
        c.type = FieldType::Long;
    } else if (base == QLatin1String("CURRENCY") || base == QLatin1String("MONEY")) {
        c.type = FieldType::Currency;
    } else if (base == QLatin1String("SINGLE") || base.contains(QLatin1String("REAL")) ||
               base.contains(QLatin1String("FLOA")) || base.contains(QLatin1String("DOUB"))) {
        c.type = FieldType::Single;
    } else if (base.contains(QLatin1String("TEXT")) || base.contains(QLatin1String("CHAR")) ||
               base.contains(QLatin1String("CLOB"))) {
        c.type = size > 0 ? FieldType::Text : FieldType::Memo;
        c.size = size;
    } else {
        c.typed = false;
    }
    return c;
}

// ---- values -------------------------------------------------------------------------------------

qsizetype textLength(const QString& text) {
    qsizetype n = text.size();
    const QChar* p = text.constData();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (p[i].isHighSurrogate() && p[i + 1].isLowSurrogate()) {
            --n;
            ++i;
        }
    }
    return n;
}

namespace {

bool isInteger(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloating(const QVariant& v) {
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

bool parseBool(const QString& text, bool* out) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0) {
        *out = true;
        return true;
    }
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0) {
        *out = false;
        return true;
    }
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (ok)
        *out = d != 0.0;
    return ok;
}

bool doubleToInt64(double d, qint64* out) {
    if (!std::isfinite(d) || d >= 9.2233720368547758e18 || d < -9.2233720368547758e18)
        return false;
    *out = qint64(std::llround(d));
    return true;
}

bool parseInt64(const QString& text, qint64* out) {
    const QString t = text.trimmed();
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (ok) {
        *out = v;
        return true;
    }
    const double d = t.toDouble(&ok);
    return ok && doubleToInt64(d, out);
}

QVariant toInteger(const QVariant& v) {
    if (v.typeId() == QMetaType::Bool)
        return QVariant(qint64(v.toBool() ? 1 : 0));
    if (isInteger(v)) {
        if ((v.typeId() == QMetaType::ULongLong || v.typeId() == QMetaType::ULong) &&
            v.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            throw conversionError();
        return QVariant(v.toLongLong());
    }
    qint64 out = 0;
    if (isFloating(v)) {
        if (!doubleToInt64(v.toDouble(), &out))
            throw conversionError();
        return QVariant(out);
    }
    if (v.canConvert<QString>() && parseInt64(v.toString(), &out))
        return QVariant(out);
    throw conversionError();
}

} // namespace

QVariant convertForField(const Column& column, const QVariant& value) {
    if (!value.isValid() || value.typeId() == QMetaType::Nullptr)
        return QVariant();
    if (!column.typed)
        return value;
    switch (column.type) {
    case FieldType::Boolean: {
        if (value.typeId() == QMetaType::Bool)
            return value;
        if (isInteger(value) || isFloating(value))
            return QVariant(value.toDouble() != 0.0);
        bool b = false;
        if (value.canConvert<QString>() && parseBool(value.toString(), &b))
            return QVariant(b);
        throw conversionError();
    }
    case FieldType::Long:
    case FieldType::Currency:
        return toInteger(value);
    case FieldType::Single: {
        if (value.typeId() == QMetaType::Bool)
            return QVariant(value.toBool() ? 1.0 : 0.0);
        if (isInteger(value) || isFloating(value))
            return QVariant(value.toDouble());
        bool ok = false;
        const double d = value.toString().trimmed().toDouble(&ok);
        if (!ok)
            throw conversionError();
        return QVariant(d);
    }
    case FieldType::Text:
    case FieldType::Memo: {
        QString text;
        if (value.typeId() == QMetaType::QString)
            text = value.toString();
        else if (value.typeId() == QMetaType::Bool)
            text = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        else if (value.canConvert<QString>())
            text = value.toString();
        else
            throw conversionError();
        if (column.type == FieldType::Text && textLength(text) > column.size)
            throw fieldTooSmallError();
        return QVariant(text);
    }
    }
    return value;
}

QVariant readColumn(sqlite3_stmt* stmt, int index, const Column& column) {
    const int storage = sqlite3_column_type(stmt, index);
    if (storage == SQLITE_NULL)
        return QVariant();
    auto text = [&] {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
        return QString::fromUtf8(p, sqlite3_column_bytes(stmt, index));
    };
    if (storage == SQLITE_BLOB &&
        (!column.typed || (column.type != FieldType::Text && column.type != FieldType::Memo))) {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, index));
        return QVariant(QByteArray(p, sqlite3_column_bytes(stmt, index)));
    }
    if (!column.typed) {
        if (storage == SQLITE_INTEGER)
            return QVariant(qint64(sqlite3_column_int64(stmt, index)));
        if (storage == SQLITE_FLOAT)
            return QVariant(sqlite3_column_double(stmt, index));
        return QVariant(text());
    }
    switch (column.type) {
    case FieldType::Boolean:
        if (storage == SQLITE_INTEGER)
            return QVariant(sqlite3_column_int64(stmt, index) != 0);
        if (storage == SQLITE_FLOAT)
            return QVariant(sqlite3_column_double(stmt, index) != 0.0);
        {
            bool b = false;
            const QString t = text();
            return parseBool(t, &b) ? QVariant(b) : QVariant(t);
        }
    case FieldType::Long:
    case FieldType::Currency: {
        if (storage == SQLITE_INTEGER)
            return QVariant(qint64(sqlite3_column_int64(stmt, index)));
        qint64 out = 0;
        if (storage == SQLITE_FLOAT)
            return doubleToInt64(sqlite3_column_double(stmt, index), &out)
                       ? QVariant(out)
                       : QVariant(sqlite3_column_double(stmt, index));
        const QString t = text();
        return parseInt64(t, &out) ? QVariant(out) : QVariant(t);
    }
    case FieldType::Single: {
        if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)
            return QVariant(sqlite3_column_double(stmt, index));
        const QString t = text();
        bool ok = false;
        const double d = t.trimmed().toDouble(&ok);
        return ok ? QVariant(d) : QVariant(t);
    }
    case FieldType::Text:
    case FieldType::Memo:
        return QVariant(text());
    }
    return QVariant();
}

} // namespace zek::db::detail
