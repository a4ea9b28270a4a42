// Any SQL text through the dialect translation and the engine: a clear EngineError or a result,
// never a crash.
#include "db/dialect.h"
#include "db/engine.h"
#include "db/recordset_impl.h"
#include "fuzz_support.h"

#include <QFile>

#include <sqlite3.h>

using namespace zek;

namespace {

int g_dialectSteps = 0;

void addFileTable(db::Database& d) {
    d.createTable({"FILETYPE",
                   {{"PATH", db::FieldType::Text, 66, true},
                    {"NAME", db::FieldType::Text, 12, true},
                    {"SIZE", db::FieldType::Currency, 0, false},
                    {"HIDDEN", db::FieldType::Boolean, 0, false}},
                   {{"Ind_path", "+PATH;-NAME", false, false}},
                   0});
    d.execute("INSERT INTO FILETYPE VALUES ('C:\\X', 'A.TXT', 10, 0)");
    d.execute("INSERT INTO FILETYPE VALUES ('C:\\Y', 'B_C.DOC', 2000, 1)");
}

std::unique_ptr<db::Database> g_dialectDb;

// A fresh database with one small file table.
db::Database& dialectDatabase() {
    if (g_dialectDb)
        return *g_dialectDb;
    const QString path = fuzz::scratchDir() + QStringLiteral("/dialect.zek");
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    g_dialectDb = db::Database::create(path);
    addFileTable(*g_dialectDb);
    sqlite3* h = db::detail::DatabaseAccess::handle(*g_dialectDb);
    // The target must neither write files elsewhere nor run for ever.
    sqlite3_limit(h, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(h, SQLITE_LIMIT_LENGTH, 1 << 20);
    // Speed over safety for a scratch file: no disk flush per statement.
    sqlite3_exec(h, "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY", nullptr, nullptr, nullptr);
    sqlite3_progress_handler(
        h, 1000, [](void*) { return ++g_dialectSteps > 200 ? 1 : 0; }, nullptr);
    return *g_dialectDb;
}

} // namespace

int zek::fuzz::dialectInput(const uint8_t* data, size_t size) {
    const QString sql = QString::fromUtf8(fuzz::bytesOf(data, size));
    (void)db::detail::translateDialect(sql);
    (void)db::detail::translateCriteria(sql);
    const qsizetype half = sql.size() / 2;
    (void)db::detail::likeMatches(sql.left(half), sql.mid(half));

    // VACUUM INTO writes a file wherever the text says; the engine's own statements never vacuum.
    if (sql.contains(QStringLiteral("VACUUM"), Qt::CaseInsensitive))
        return 0;
    db::Database& db = dialectDatabase();
    g_dialectSteps = 0;
    try {
        db.execute(sql);
    } catch (const db::EngineError& e) {
        if (e.description().isEmpty())
            fuzz::fail("an engine error without a text", sql);
    }
    g_dialectSteps = 0;
    try {
        auto rs = db.openSql(sql);
        for (int i = 0; i < 3 && !rs->eof(); ++i) {
            for (int f = 0; f < rs->fieldCount(); ++f)
                (void)rs->value(f);
            rs->moveNext();
        }
        (void)rs->recordCount();
    } catch (const db::EngineError& e) {
        if (e.description().isEmpty())
            fuzz::fail("an engine error without a text", sql);
    }
    g_dialectSteps = 0;
    try {
        auto rs = db.openTable("FILETYPE");
        rs->findFirst(sql);
    } catch (const db::EngineError&) {
    }
    // A statement may leave a transaction open or drop the table: start the next input afresh.
    try {
        if (db.inTransaction())
            db.execute("ROLLBACK");
        if (!db.hasTable("FILETYPE"))
            addFileTable(db);
    } catch (const db::EngineError&) {
        // A pragma may have made the file read-only or the like: a new file for the next input.
        g_dialectDb.reset();
    }
    return 0;
}

ZEK_FUZZ_ENTRY(zek::fuzz::dialectInput)
