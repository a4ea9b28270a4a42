// The original SQL dialect on the engine: statement translation, LIKE, literals, grouping, errors.
#include "db/dialect.h"
#include "db/engine.h"
#include "support/engine_errors.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zek::db;
using zek::test::errorNumber;

namespace {

QStringList column(Recordset& rs, const QString& name) {
    QStringList out;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        out << rs.value(name).toString();
    return out;
}

} // namespace

class TestEngineDialect : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

    void addFile(const QString& name, const QString& ext, qint64 size, bool archive, int level,
                 const QString& path) {
        auto rs = m_db->openTable("Filetype");
        rs->addNew();
        rs->setValue("NAME", name);
        rs->setValue("EXTENSION", ext);
        rs->setValue("SIZE", size);
        rs->setValue("ARCHIVE", archive);
        rs->setValue("PATHLEVEL", level);
        rs->setValue("PATH", path);
        rs->update();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_db = Database::create(m_dir.filePath("dialect.zek"));
        TableDef t;
        t.name = QStringLiteral("FILETYPE");
        t.fields = {FieldDef{"PATH", FieldType::Text, 66, true},
                    FieldDef{"NAME", FieldType::Text, 8, true},
                    FieldDef{"EXTENSION", FieldType::Text, 3, true},
                    FieldDef{"SIZE", FieldType::Long, 0, false},
                    FieldDef{"ARCHIVE", FieldType::Boolean, 0, false},
                    FieldDef{"PATHLEVEL", FieldType::Single, 0, false}};
        m_db->createTable(t);
    }

    void init() {
        m_db->execute("Delete * from filetype");
        addFile("ALPHA", "TXT", 100, true, 1, "/a");
        addFile("beta", "txt", 2000, false, 2, "/a/b");
        addFile("A1", "DOC", 3000000000LL, true, 2, "/a/b");
        addFile("Zeta", "C", 50, false, 3, "/a/b/c");
    }

    void translateDialect_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("plain") << "Delete * from filetype"
                               << "DELETE FROM filetype";
        QTest::newRow("upper") << "DELETE * FROM FILETYPE"
                               << "DELETE FROM FILETYPE";
        QTest::newRow("spacing") << "  delete   *from   X"
                                 << "  DELETE FROM   X";
        QTest::newRow("tight") << "delete*from[X]"
                               << "DELETE FROM[X]";
        QTest::newRow("already") << "DELETE FROM X"
                                 << "DELETE FROM X";
        QTest::newRow("select") << "SELECT * FROM X"
                                << "SELECT * FROM X";
        QTest::newRow("not a delete") << "DELETE * FROMAGE"
                                      << "DELETE * FROMAGE";
    }
    void translateDialect() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(detail::translateDialect(in), out);
    }

    void likePatterns_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("match");
        QTest::newRow("star any run") << "A*"
                                      << "ALPHA" << true;
        QTest::newRow("star empty run") << "A*"
                                        << "A" << true;
        QTest::newRow("star middle") << "*PH*"
                                     << "alpha" << true;
        QTest::newRow("star no") << "B*"
                                 << "ALPHA" << false;
        QTest::newRow("question one") << "A?"
                                      << "A1" << true;
        QTest::newRow("question not zero") << "A?"
                                           << "A" << false;
        QTest::newRow("question not two") << "A?"
                                          << "A12" << false;
        QTest::newRow("hash digit") << "A#"
                                    << "A1" << true;
        QTest::newRow("hash letter") << "A#"
                                     << "AB" << false;
        QTest::newRow("list") << "[abc]*"
                              << "Beta" << true;
        QTest::newRow("list no") << "[abc]*"
                                 << "Zeta" << false;
        QTest::newRow("range") << "[a-m]ETA"
                               << "beta" << true;
        QTest::newRow("range no") << "[n-y]ETA"
                                  << "zeta" << false;
        QTest::newRow("negated") << "[!abc]*"
                                 << "Zeta" << true;
        QTest::newRow("negated no") << "[!abc]*"
                                    << "beta" << false;
        QTest::newRow("literal star in list") << "A[*]"
                                              << "A*" << true;
        QTest::newRow("literal star in list no") << "A[*]"
                                                 << "AB" << false;
        QTest::newRow("case") << "txt"
                              << "TXT" << true;
        QTest::newRow("unicode case") << "ÄRGER*"
                                      << "ärgerlich" << true;
        QTest::newRow("exact") << "TXT"
                               << "TXTX" << false;
        QTest::newRow("percent is literal") << "A%"
                                            << "AB" << false;
        QTest::newRow("underscore is literal") << "A_"
                                               << "AB" << false;
        QTest::newRow("backtrack") << "*a*b"
                                   << "xaxbxab" << true;
        QTest::newRow("backtrack no") << "*a*b"
                                      << "xaxbxa" << false;
        QTest::newRow("empty pattern") << ""
                                       << "" << true;
        QTest::newRow("unclosed bracket") << "A["
                                          << "A[" << true;
    }
    void likePatterns() {
        QFETCH(QString, pattern);
        QFETCH(QString, value);
        QFETCH(bool, match);
        QCOMPARE(detail::likeMatches(pattern, value), match);
    }

    void likeInStatements() {
        auto rs = m_db->openSql("SELECT * FROM FILETYPE WHERE NAME LIKE 'a*' ORDER BY NAME");
        QCOMPARE(column(*rs, "NAME"), QStringList({"A1", "ALPHA"}));
        rs = m_db->openSql("SELECT * FROM FILETYPE WHERE EXTENSION LIKE 'TXT' ORDER BY SIZE");
        QCOMPARE(column(*rs, "NAME"), QStringList({"ALPHA", "beta"}));
        rs = m_db->openSql("SELECT * FROM FILETYPE WHERE NAME LIKE '?#'");
        QCOMPARE(column(*rs, "NAME"), QStringList({"A1"}));
        rs = m_db->openSql("SELECT * FROM FILETYPE WHERE NAME LIKE '[!a]*' ORDER BY NAME");
        QCOMPARE(column(*rs, "NAME"), QStringList({"Zeta", "beta"})); // binary order: capitals first
        // Null never matches, either way round.
        m_db->execute("INSERT INTO FILETYPE (PATH) VALUES ('/n')");
        rs = m_db->openSql("SELECT COUNT(*) FROM FILETYPE WHERE NAME LIKE '*'");
        QCOMPARE(rs->value(0).toLongLong(), 4LL);
        rs = m_db->openSql("SELECT COUNT(*) FROM FILETYPE WHERE NOT (NAME LIKE '*')");
        QCOMPARE(rs->value(0).toLongLong(), 0LL);
    }

    void booleansAndNot() {
        auto rs = m_db->openSql("SELECT * FROM FILETYPE WHERE ARCHIVE = TRUE ORDER BY NAME");
        QCOMPARE(column(*rs, "NAME"), QStringList({"A1", "ALPHA"}));
        QCOMPARE(errorNumber([&] { rs->value("ARCHIVE"); }), int(ErrNoCurrentRecord)); // at EOF
        rs->moveFirst();
        QCOMPARE(rs->value("ARCHIVE").typeId(), int(QMetaType::Bool));
        QCOMPARE(rs->value("ARCHIVE").toBool(), true);
        rs = m_db->openSql("SELECT * FROM FILETYPE WHERE ARCHIVE = FALSE AND NOT (EXTENSION LIKE 'TXT')");
        QCOMPARE(column(*rs, "NAME"), QStringList({"Zeta"}));
        // The statement the condition lines build, as in the example of the query builder.
        rs = m_db->openSql(
            "SELECT * FROM FILETYPE WHERE NAME LIKE 'A*' AND SIZE >= 1024 OR NOT (EXTENSION LIKE "
            "'TXT') ORDER BY SIZE DESC,NAME");
        QCOMPARE(column(*rs, "NAME"), QStringList({"A1", "Zeta"}));
    }

    void groupingQueries() {
        auto rs = m_db->openSql("SELECT PATH, Sum(SIZE) As TOTALSIZE, PATHLEVEL, COUNT(*) As TOTALSEL  FROM "
                                "FILETYPE GROUP BY PATH, PATHLEVEL ORDER BY PATH DESC");
        QCOMPARE(rs->fieldCount(), 4);
        QCOMPARE(rs->fieldName(1), QStringLiteral("TOTALSIZE"));
        QCOMPARE(column(*rs, "PATH"), QStringList({"/a/b/c", "/a/b", "/a"}));
        rs->moveFirst();
        rs->moveNext();
        QCOMPARE(rs->value("totalsize").toLongLong(), 3000002000LL);
        QCOMPARE(rs->value("TOTALSEL").toLongLong(), 2LL);
        QCOMPARE(rs->value("PATHLEVEL").toDouble(), 2.0);
        rs = m_db->openSql(
            "SELECT EXTENSION, Sum(SIZE) As SELSIZE, COUNT(*) As SEL FROM FILETYPE WHERE (SIZE > 60) "
            "GROUP BY EXTENSION ORDER BY EXTENSION DESC");
        QCOMPARE(column(*rs, "EXTENSION"), QStringList({"txt", "TXT", "DOC"}));
        // A column list with a test on a number, and Jet's bracketed names.
        rs = m_db->openSql("SELECT [NAME], [SIZE] FROM [FILETYPE] WHERE [SIZE] > 1000 ORDER BY [SIZE]");
        QCOMPARE(column(*rs, "NAME"), QStringList({"beta", "A1"}));
    }

    void deleteStar() {
        QCOMPARE(m_db->execute("Delete * from filetype WHERE SIZE < 1000"), 2);
        QCOMPARE(m_db->execute("delete * FROM Filetype"), 2);
        auto rs = m_db->openSql("SELECT COUNT(*) FROM FILETYPE");
        QCOMPARE(rs->value(0).toLongLong(), 0LL);
    }

    void errorsCarryNumbers() {
        QCOMPARE(errorNumber([&] { m_db->openSql("SELECT * FROM NOSUCHTABLE"); }), int(ErrTableNotFound));
        QCOMPARE(errorNumber([&] { m_db->execute("Delete * from NOSUCHTABLE"); }), int(ErrTableNotFound));
        QCOMPARE(errorNumber([&] { m_db->openTable("NOSUCHTABLE"); }), int(ErrTableNotFound));
        QCOMPARE(errorNumber([&] { m_db->openSql("SELECT * FORM FILETYPE"); }), int(ErrSyntax));
        QCOMPARE(errorNumber([&] { m_db->execute("SELECT * FROM FILETYPE"); }), int(ErrSelectNotAction));
        QCOMPARE(errorNumber([&] { m_db->openSql("Delete * from filetype"); }), int(ErrInvalidOperation));
        // Anything else keeps SQLite's own code and message.
        try {
            m_db->openSql("SELECT NOSUCHFIELD FROM FILETYPE");
            QFAIL("no error");
        } catch (const EngineError& e) {
            QCOMPARE(e.number(), 1);
            QVERIFY(e.description().contains("NOSUCHFIELD"));
        }
        // Nothing was lost by the failures.
        auto rs = m_db->openSql("SELECT COUNT(*) FROM FILETYPE");
        QCOMPARE(rs->value(0).toLongLong(), 4LL);
    }

    void valuesAreBoundNeverPasted() {
        const QString evil = QStringLiteral("it's'; DROP TABLE FILETYPE; --");
        TableDef t;
        t.name = QStringLiteral("NOTES");
        t.fields = {FieldDef{"ZEK VERSION", FieldType::Text, 80, false},
                    FieldDef{"%TOTAL DISKSPACE", FieldType::Memo, 0, true}};
        m_db->createTable(t);
        auto rs = m_db->openTable("notes");
        rs->addNew();
        rs->setValue("ZEK VERSION", evil);
        rs->setValue("%TOTAL DISKSPACE", QStringLiteral("\"quoted\" [bracket]"));
        rs->update();
        rs->moveFirst();
        QCOMPARE(rs->value("zek version").toString(), evil);
        QCOMPARE(rs->value(1).toString(), QStringLiteral("\"quoted\" [bracket]"));
        rs->edit();
        rs->setValue(0, evil + evil);
        rs->update();
        QCOMPARE(rs->value(0).toString(), evil + evil);
        QVERIFY(m_db->hasTable("FILETYPE"));
        // The value is found again by FindFirst with a double-quoted text holding an apostrophe.
        rs->findFirst("[%TOTAL DISKSPACE] = \"\"\"quoted\"\" [bracket]\"");
        QVERIFY(!rs->noMatch());
        rs->close();
        m_db->deleteTable("NOTES");
    }
};

QTEST_MAIN(TestEngineDialect)
#include "test_engine_dialect.moc"
