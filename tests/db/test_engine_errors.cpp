// Engine errors keep the program's number and SQLite's result code apart: a number such as 3078
// must never be read as an SQLite code (3078 & 0xff is SQLITE_LOCKED).
#include "db/engine.h"
#include "db/recordset_impl.h"
#include "support/engine_errors.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace zek::db;
using zek::test::engineError;

class TestEngineErrors : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

private Q_SLOTS:
    void init() {
        QVERIFY(m_dir.isValid());
        QFile::remove(m_dir.filePath("errors.zek"));
        m_db = Database::create(m_dir.filePath("errors.zek"));
        TableDef t;
        t.name = QStringLiteral("ITEMS");
        t.fields = {FieldDef{"NAME", FieldType::Text, 4, false}};
        m_db->createTable(t);
        m_db->execute("INSERT INTO ITEMS (NAME) VALUES ('a'), ('b'), ('c')");
    }

    void cleanup() { m_db.reset(); }

    void numberAndSqliteCodeApart() {
        const struct {
            const char* what;
            std::function<void(Database&)> call;
            int number;
            int sqliteCode;
            int extendedCode;
        } cases[] = {
            // Found by the engine itself: no SQLite code, whatever the number.
            {"missing table, engine", [](Database& db) { db.openTable("NOSUCHTABLE"); }, ErrTableNotFound, 0,
             0},
            {"no current record", [](Database& db) { db.openSql("SELECT * FROM ITEMS WHERE 0")->moveNext(); },
             ErrNoCurrentRecord, 0, 0},
            // Reported by SQLite and given a classic number: both kept.
            {"missing table, SQLite", [](Database& db) { db.execute("Delete * from NOSUCHTABLE"); },
             ErrTableNotFound, SQLITE_ERROR, SQLITE_ERROR},
            {"syntax", [](Database& db) { db.openSql("SELECT * FORM ITEMS"); }, ErrSyntax, SQLITE_ERROR,
             SQLITE_ERROR},
            {"text too long", [](Database& db) { db.execute("INSERT INTO ITEMS (NAME) VALUES ('abcde')"); },
             ErrFieldTooSmall, SQLITE_CONSTRAINT, SQLITE_CONSTRAINT_CHECK},
            // No classic number: the number is SQLite's code.
            {"unknown field", [](Database& db) { db.openSql("SELECT NOSUCHFIELD FROM ITEMS"); }, SQLITE_ERROR,
             SQLITE_ERROR, SQLITE_ERROR},
        };
        for (const auto& c : cases) {
            const auto error = engineError([&] { c.call(*m_db); });
            QVERIFY2(error, c.what);
            QCOMPARE(error->number(), c.number);
            QCOMPARE(error->sqliteCode(), c.sqliteCode);
            QCOMPARE(error->extendedCode(), c.extendedCode);
        }
    }

    void fileInUseKeepsSqlitesCode() {
        const auto error = engineError([&] { Database::open(m_db->path()); });
        QVERIFY(error);
        QCOMPARE(error->number(), int(ErrFileInUse));
        QCOMPARE(error->sqliteCode(), SQLITE_BUSY);
    }

    // Only a lock is worth a second try; a missing table (3078) fails at once.
    void onlyALockIsRetried() {
        int calls = 0;
        const auto missing = engineError([&] {
            detail::retryReleasingReads(*m_db, [&] {
                ++calls;
                m_db->openTable("NOSUCHTABLE");
            });
        });
        QVERIFY(missing);
        QCOMPARE(missing->number(), int(ErrTableNotFound));
        QCOMPARE(calls, 1);

        calls = 0;
        QVERIFY(engineError([&] {
            detail::retryReleasingReads(*m_db, [&] {
                ++calls;
                m_db->execute("Delete * from NOSUCHTABLE");
            });
        }));
        QCOMPARE(calls, 1);

        // A read left open mid-way locks the table against DROP: released, the second try succeeds.
        auto rs = m_db->openSql("SELECT NAME FROM ITEMS ORDER BY NAME");
        rs->moveNext();
        detail::Stmt drop(detail::DatabaseAccess::handle(*m_db), QStringLiteral("DROP TABLE ITEMS"));
        calls = 0;
        detail::retryReleasingReads(*m_db, [&] {
            ++calls;
            return drop.step();
        });
        QCOMPARE(calls, 2);
        QVERIFY(!m_db->hasTable("ITEMS"));
    }
};

QTEST_MAIN(TestEngineErrors)
#include "test_engine_errors.moc"
