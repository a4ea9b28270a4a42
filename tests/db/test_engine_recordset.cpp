// Record sets of the engine: table type (order, AddNew/Edit/Update/Delete, index, Seek, FindFirst)
// and SQL type (streaming, MoveLast and RecordCount, FindFirst).
#include "db/engine.h"
#include "support/engine_errors.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zek::db;
using zek::test::errorNumber;

namespace {

// The names of the records from the current one to the end.
QStringList rest(Recordset& rs, const QString& field = QStringLiteral("NAME")) {
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << rs.value(field).toString();
    return out;
}

QStringList all(Recordset& rs, const QString& field = QStringLiteral("NAME")) {
    rs.moveFirst();
    return rest(rs, field);
}

} // namespace

class TestEngineRecordset : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

    void add(Recordset& rs, const QString& name, qint64 size, const QString& path = QString()) {
        rs.addNew();
        rs.setValue("NAME", name);
        rs.setValue("SIZE", size);
        if (!path.isNull())
            rs.setValue("PATH", path);
        rs.update();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init() {
        static int n = 0;
        m_db = Database::create(m_dir.filePath(QStringLiteral("rs%1.zek").arg(++n)));
        TableDef t;
        t.name = QStringLiteral("ITEMS");
        t.fields = {FieldDef{"NAME", FieldType::Text, 20, true}, FieldDef{"SIZE", FieldType::Long, 0, false},
                    FieldDef{"PATH", FieldType::Text, 66, true}};
        t.indexes = {IndexDef{"BySize", "SIZE", false, false}, IndexDef{"BySizeDesc", "-SIZE", false, false},
                     IndexDef{"ByPathSize", "+PATH;-SIZE", false, false}};
        m_db->createTable(t);
        auto rs = m_db->openTable("ITEMS");
        add(*rs, "c", 30, "/x");
        add(*rs, "a", 10, "/y");
        add(*rs, "d", 40, "/x");
        add(*rs, "b", 20, "/y");
    }

    void cleanup() { m_db.reset(); }

    void tableOrderAndMoves() {
        auto rs = m_db->openTable("items");
        QVERIFY(!rs->eof());
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("c")); // on the first record at open
        QCOMPARE(rs->index(), QString());
        QCOMPARE(rest(*rs), QStringList({"c", "a", "d", "b"})); // the order they were added in
        QCOMPARE(errorNumber([&] { rs->moveNext(); }), int(ErrNoCurrentRecord));
        QCOMPARE(errorNumber([&] { rs->value(0); }), int(ErrNoCurrentRecord));
        rs->moveLast();
        QCOMPARE(rs->value("name").toString(), QStringLiteral("b"));
        QCOMPARE(rs->recordCount(), 4LL);
        QCOMPARE(rs->fieldCount(), 3);
        QCOMPARE(rs->fieldName(2), QStringLiteral("PATH"));
        QCOMPARE(rs->value(1).toLongLong(), 20LL);
        QCOMPARE(errorNumber([&] { rs->value("NOSUCH"); }), int(ErrItemNotFound));
        QCOMPARE(errorNumber([&] { rs->value(3); }), int(ErrItemNotFound));

        rs->setIndex("BYSIZEDESC");
        QCOMPARE(rs->index(), QStringLiteral("BySizeDesc"));
        QCOMPARE(rest(*rs), QStringList({"d", "c", "b", "a"})); // setIndex went to the first record
        rs->setIndex("BySize");
        QCOMPARE(all(*rs), QStringList({"a", "b", "c", "d"}));
        rs->setIndex("ByPathSize");
        QCOMPARE(all(*rs), QStringList({"d", "c", "b", "a"}));
        QCOMPARE(errorNumber([&] { rs->setIndex("Nope"); }), int(ErrNotAnIndex));
        rs->setIndex(QString());
        QCOMPARE(all(*rs), QStringList({"c", "a", "d", "b"}));

        auto empty = m_db->openSql("SELECT * FROM ITEMS WHERE SIZE > 1000");
        QVERIFY(empty->eof());
        empty->moveFirst(); // moving on an empty set is harmless, and stays at EOF
        empty->moveLast();
        QVERIFY(empty->eof());
        QCOMPARE(empty->recordCount(), 0LL);
    }

    void addNewKeepsPosition() {
        auto rs = m_db->openTable("ITEMS");
        rs->moveNext(); // on "a"
        add(*rs, "e", 50);
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("a"));
        QCOMPARE(rest(*rs), QStringList({"a", "d", "b", "e"})); // the new record is part of the set
        QCOMPARE(rs->recordCount(), 5LL);

        // Under an index the new record takes its place in the index order.
        rs->setIndex("BySize");
        rs->moveNext(); // on "b" (20)
        add(*rs, "f", 25);
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("b"));
        QCOMPARE(rest(*rs), QStringList({"b", "f", "c", "d", "e"}));

        // The folder walk: a fresh record set on an empty table, many appends, then a read.
        m_db->execute("Delete * from ITEMS");
        auto walk = m_db->openTable("ITEMS");
        QVERIFY(walk->eof());
        {
            Transaction tx(*m_db);
            for (int i = 0; i < 500; ++i)
                add(*walk, QString::number(i), i);
            tx.commit();
        }
        QVERIFY(walk->eof()); // stays where it was: nowhere
        walk->moveFirst();
        QCOMPARE(walk->value("NAME").toString(), QStringLiteral("0"));
        QCOMPARE(walk->recordCount(), 500LL);
        walk->moveLast();
        QCOMPARE(walk->value("SIZE").toLongLong(), 499LL);
    }

    void editUpdateAndCancel() {
        auto rs = m_db->openTable("ITEMS");
        rs->setIndex("BySize"); // a, b, c, d
        rs->moveNext();         // b
        QCOMPARE(errorNumber([&] { rs->setValue("NAME", "x"); }), int(ErrUpdateWithoutEdit));
        QCOMPARE(errorNumber([&] { rs->update(); }), int(ErrUpdateWithoutEdit));
        rs->edit();
        rs->setValue("NAME", "B2");
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("B2")); // the pending value
        rs->cancelUpdate();
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("b"));
        rs->edit();
        rs->setValue("NAME", "B2");
        rs->setValue("SIZE", 35); // moves it in the index order
        rs->update();
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("B2")); // still the current record
        QCOMPARE(rs->value("SIZE").toLongLong(), 35LL);
        QCOMPARE(rest(*rs), QStringList({"B2", "d"}));
        QCOMPARE(all(*rs), QStringList({"a", "c", "B2", "d"}));
        QCOMPARE(errorNumber([&] { rs->edit(); }), int(ErrNoCurrentRecord)); // at EOF

        // A pending AddNew is dropped by a move.
        rs->moveFirst();
        rs->addNew();
        rs->setValue("NAME", "lost");
        rs->moveNext();
        QCOMPARE(rs->recordCount(), 4LL);
        // A failed Update keeps the AddNew pending, so it can be corrected.
        rs->addNew();
        rs->setValue("NAME", "ok");
        // (The engine runs no triggers, so a unique index makes the write fail.)
        m_db->execute("CREATE UNIQUE INDEX OneSize ON ITEMS (SIZE)");
        rs->setValue("SIZE", 35);
        QVERIFY(errorNumber([&] { rs->update(); }) != 0);
        rs->setValue("SIZE", 5);
        rs->update();
        QCOMPARE(rs->recordCount(), 5LL);
    }

    void deleteCurrent() {
        auto rs = m_db->openTable("ITEMS");
        rs->setIndex("BySize"); // a, b, c, d
        rs->moveNext();         // b
        rs->deleteCurrent();
        QCOMPARE(errorNumber([&] { rs->value("NAME"); }), int(ErrNoCurrentRecord));
        QCOMPARE(errorNumber([&] { rs->deleteCurrent(); }), int(ErrNoCurrentRecord));
        QVERIFY(!rs->eof());
        rs->moveNext(); // to the record that followed
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("c"));
        rs->moveLast();
        rs->deleteCurrent();
        rs->moveNext();
        QVERIFY(rs->eof());
        QCOMPARE(all(*rs), QStringList({"a", "c"}));
        QCOMPARE(rs->recordCount(), 2LL);

        // Delete everything while walking, as a cleanup loop does.
        rs->moveFirst();
        while (!rs->eof()) {
            rs->deleteCurrent();
            rs->moveNext();
        }
        QCOMPARE(rs->recordCount(), 0LL);

        // Deleting after a Seek (the position was found without the list).
        add(*rs, "x", 1);
        add(*rs, "y", 2);
        add(*rs, "z", 3);
        rs->seek("=", {2});
        rs->deleteCurrent();
        rs->moveNext();
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("z"));
    }

    void changesByOthersAreSeen() {
        auto rs = m_db->openTable("ITEMS");
        auto other = m_db->openTable("ITEMS");
        QCOMPARE(all(*rs).size(), 4);
        add(*other, "e", 50);
        QCOMPARE(all(*rs), QStringList({"c", "a", "d", "b", "e"}));
        m_db->execute("Delete * from items where SIZE < 25");
        QCOMPARE(all(*rs), QStringList({"c", "d", "e"}));
        QCOMPARE(rs->recordCount(), 3LL);
    }

    void seekAscending() {
        auto rs = m_db->openTable("ITEMS");
        QCOMPARE(errorNumber([&] { rs->seek("=", {10}); }), int(ErrNoCurrentIndex));
        rs->setIndex("BySize"); // 10 a, 20 b, 30 c, 40 d
        rs->seek("=", {30});
        QVERIFY(!rs->noMatch());
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("c"));
        QCOMPARE(rest(*rs), QStringList({"c", "d"})); // and on in index order
        rs->seek("=", {25});
        QVERIFY(rs->noMatch());
        QVERIFY(rs->eof());
        rs->seek(">=", {25});
        QVERIFY(!rs->noMatch());
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("c"));
        rs->seek(">=", {20});
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("b"));
        rs->seek(">=", {0}); // the first tip after the first run: -1 + 1
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("a"));
        rs->seek(">=", {41});
        QVERIFY(rs->noMatch());
        QVERIFY(rs->eof());
        rs->seek(">", {20});
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("c"));
        rs->seek("<=", {25});
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("b"));
        rs->seek("<", {10});
        QVERIFY(rs->noMatch());
        rs->seek("=", {QStringLiteral("40")}); // a key given as text is taken as the field's type
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("d"));
        QCOMPARE(errorNumber([&] { rs->seek("~", {1}); }), int(ErrInvalidOperation));
    }

    void seekDescendingAndCompound() {
        auto rs = m_db->openTable("ITEMS");
        rs->setIndex("BySizeDesc"); // 40 d, 30 c, 20 b, 10 a
        rs->seek(">=", {25});       // the first at or after 25 in descending order: 20
        QVERIFY(!rs->noMatch());
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("b"));
        QCOMPARE(rest(*rs), QStringList({"b", "a"}));
        rs->seek(">=", {40});
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("d"));
        rs->seek(">=", {5});
        QVERIFY(rs->noMatch());
        rs->seek("=", {10});
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("a"));

        // "+PATH;-SIZE": /x 40 d, /x 30 c, /y 20 b, /y 10 a
        rs->setIndex("ByPathSize");
        rs->seek("=", {"/y"});
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("b"));
        rs->seek("=", {"/x", 30});
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("c"));
        rs->seek(">=", {"/x", 35});
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("c"));
        rs->seek(">=", {"/x", 25}); // past every /x record: the first /y
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("b"));
        rs->seek(">=", {"/w"});
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("d"));
        rs->seek("=", {"/X"}); // text keys compare exactly
        QVERIFY(rs->noMatch());
        QCOMPARE(errorNumber([&] { rs->seek("=", {"/x", 1, 2}); }), int(ErrInvalidOperation));
    }

    void seekPagesOfAReport() {
        // The viewers: SEEKID 1..n, seek "=" the first row of a page, then read on.
        TableDef t;
        t.name = QStringLiteral("FILEDETTYPE");
        t.fields = {FieldDef{"NAME", FieldType::Text, 8, true},
                    FieldDef{"SEEKID", FieldType::Currency, 0, false}};
        t.indexes = {IndexDef{"SEEKID", "SEEKID", false, false}};
        m_db->createTable(t);
        auto rs = m_db->openTable("Filedettype");
        {
            Transaction tx(*m_db);
            for (int i = 1000; i >= 1; --i) { // added in reverse: the index gives the order
                rs->addNew();
                rs->setValue("SEEKID", i);
                rs->setValue("NAME", QString::number(i));
                rs->update();
            }
            tx.commit();
        }
        rs->setIndex("SEEKID");
        for (int page : {3, 1, 20}) {
            rs->seek("=", {(page - 1) * 50 + 1});
            QVERIFY(!rs->noMatch());
            for (int r = (page - 1) * 50 + 1; r <= page * 50; ++r) {
                QCOMPARE(rs->value("SEEKID").toLongLong(), qint64(r));
                rs->moveNext();
            }
        }
        QVERIFY(rs->eof());
        rs->seek("=", {1001});
        QVERIFY(rs->noMatch());
    }

    void findFirstOnTable() {
        auto rs = m_db->openTable("ITEMS");
        rs->findFirst("PATH = \"/y\"");
        QVERIFY(!rs->noMatch());
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("a")); // first in rowid order
        rs->setIndex("BySizeDesc");
        rs->findFirst("PATH = \"/y\"");
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("b")); // first in index order
        QCOMPARE(rest(*rs), QStringList({"b", "a"}));
        rs->findFirst("SIZE > 10 AND PATH = '/y'");
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("b"));
        rs->findFirst("SIZE > 100");
        QVERIFY(rs->noMatch());
        QVERIFY(rs->eof());
        // A Windows-style path in double quotes: the backslash is an ordinary character.
        add(*rs, "w", 5, "C:\\X");
        rs->findFirst("PATH = \"C:\\X\"");
        QVERIFY(!rs->noMatch());
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("w"));
        rs->findFirst("NAME LIKE \"[!abc]\"");
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("d"));
        QCOMPARE(errorNumber([&] { rs->findFirst("NOSUCH = 1"); }), 1);
    }

    void sqlStreamingAndCounts() {
        auto rs = m_db->openSql("SELECT * FROM ITEMS ORDER BY SIZE DESC");
        QVERIFY(!rs->eof());
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("d"));
        QCOMPARE(rs->recordCount(), 4LL);                            // complete at any time
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("d")); // counting did not move
        rs->moveNext();
        QCOMPARE(rs->value(0).toString(), QStringLiteral("c"));
        rs->moveLast();
        QCOMPARE(rs->recordCount(), 4LL);
        QCOMPARE(rs->value("NAME").toString(), QStringLiteral("a"));
        rs->moveNext();
        QVERIFY(rs->eof());
        QCOMPARE(errorNumber([&] { rs->moveNext(); }), int(ErrNoCurrentRecord));
        rs->moveFirst();
        QCOMPARE(rest(*rs), QStringList({"d", "c", "b", "a"}));
        // MoveLast and straight on to the next: EOF, without reading the last row.
        rs->moveFirst();
        rs->moveLast();
        rs->moveNext();
        QVERIFY(rs->eof());
        // MoveFirst runs the statement again and sees the table as it now is.
        m_db->execute("INSERT INTO ITEMS (NAME, SIZE) VALUES ('e', 50)");
        QCOMPARE(all(*rs), QStringList({"e", "d", "c", "b", "a"}));
        QCOMPARE(rs->recordCount(), 5LL);
        // Read-only.
        QCOMPARE(errorNumber([&] { rs->edit(); }), int(ErrInvalidOperation));
        QCOMPARE(errorNumber([&] { rs->addNew(); }), int(ErrInvalidOperation));
        QCOMPARE(errorNumber([&] { rs->seek("=", {1}); }), int(ErrInvalidOperation));
        QCOMPARE(errorNumber([&] { m_db->openSql("SELECT 1; SELECT 2"); }), int(ErrTextAfterEnd));
        // SQLite stops reading at a zero character: the rest is refused, in either kind of statement.
        const QString zero = QStringLiteral("SELECT 1") + QChar(0) + QStringLiteral(" junk");
        QCOMPARE(errorNumber([&] { m_db->openSql(zero); }), int(ErrTextAfterEnd));
        QCOMPARE(errorNumber([&] { m_db->execute(QString(QChar(0)) + "DELETE FROM ITEMS"); }),
                 int(ErrTextAfterEnd));
        QCOMPARE(errorNumber([&] {
                     m_db->execute("DELETE FROM ITEMS WHERE 0;" + QString(QChar(0)) + "DELETE FROM ITEMS");
                 }),
                 int(ErrTextAfterEnd));
        rs = m_db->openSql("SELECT NAME FROM ITEMS;"); // a closing ";" is fine
        QCOMPARE(rs->recordCount(), 5LL);
    }

    void sqlStreamOpenDuringWrites() {
        // A selection read half-way while other tables are written, committed, dropped and made anew
        // (the report builders do this while the selection stays open).
        auto rs = m_db->openSql("SELECT NAME FROM ITEMS ORDER BY NAME");
        rs->moveNext(); // on "b", with the statement open
        TableDef t;
        t.name = QStringLiteral("REPORT");
        t.fields = {FieldDef{"X", FieldType::Long, 0, false}};
        for (int round = 0; round < 2; ++round) {
            if (m_db->hasTable("REPORT"))
                m_db->deleteTable("REPORT");
            m_db->createTable(t);
            Transaction tx(*m_db);
            m_db->execute("INSERT INTO REPORT (X) VALUES (1)");
            tx.commit();
        }
        m_db->execute("DROP TABLE REPORT");
        QCOMPARE(rs->value(0).toString(), QStringLiteral("b"));
        QCOMPARE(rest(*rs), QStringList({"b", "c", "d"}));
    }

    void sqlFindFirst() {
        auto rs = m_db->openSql(
            "SELECT PATH, Sum(SIZE) As SELSIZE, COUNT(*) As SEL FROM ITEMS GROUP BY PATH ORDER BY PATH DESC");
        rs->findFirst("PATH = \"/x\"");
        QVERIFY(!rs->noMatch());
        QCOMPARE(rs->value("SELSIZE").toLongLong(), 70LL);
        QCOMPARE(rs->value("SEL").toLongLong(), 2LL);
        rs->moveNext();
        QVERIFY(rs->eof());
        rs->findFirst("PATH = \"/y\"");
        QCOMPARE(rs->value("SELSIZE").toLongLong(), 30LL);
        rs->moveNext();
        QCOMPARE(rs->value("PATH").toString(), QStringLiteral("/x"));
        rs->findFirst("PATH = \"/z\"");
        QVERIFY(rs->noMatch());
        QVERIFY(rs->eof());
        rs->findFirst("SELSIZE > 10");
        QCOMPARE(rs->value("PATH").toString(), QStringLiteral("/y")); // first in the record set's order
        QCOMPARE(rs->recordCount(), 2LL);
        rs->moveLast();
        QCOMPARE(rs->value("PATH").toString(), QStringLiteral("/x"));
        rs->moveFirst();
        QCOMPARE(rs->value("PATH").toString(), QStringLiteral("/y"));

        // Many groups, each looked up in turn, as the summary does.
        m_db->execute("Delete * from ITEMS");
        auto table = m_db->openTable("ITEMS");
        {
            Transaction tx(*m_db);
            for (int i = 0; i < 2000; ++i)
                add(*table, QString::number(i), i,
                    QStringLiteral("/d%1").arg(i % 500, 3, 10, QLatin1Char('0')));
            tx.commit();
        }
        auto totals =
            m_db->openSql("SELECT PATH, Sum(SIZE) As TOTALSIZE FROM ITEMS GROUP BY PATH ORDER BY PATH DESC");
        auto selected =
            m_db->openSql("SELECT PATH, Sum(SIZE) As SELSIZE FROM ITEMS WHERE (SIZE >= 1000) GROUP BY PATH "
                          "ORDER BY PATH DESC");
        int groups = 0;
        for (; !totals->eof(); totals->moveNext()) {
            const QString path = totals->value("PATH").toString();
            selected->findFirst("PATH = \"" + path + "\"");
            QVERIFY(!selected->noMatch());
            const int k = path.mid(2).toInt();
            QCOMPARE(selected->value("SELSIZE").toLongLong(), qint64(1000 + k + 1500 + k));
            QCOMPARE(totals->value("TOTALSIZE").toLongLong(), qint64(4 * k + 3000));
            ++groups;
        }
        QCOMPARE(groups, 500);
    }
};

QTEST_MAIN(TestEngineRecordset)
#include "test_engine_recordset.moc"
