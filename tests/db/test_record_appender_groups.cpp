// The record appender writing its records in groups: every record reaches the table whole and in
// order, a group that fails takes only itself, and a record dropped half-set leaves nothing behind.
#include "db/record_appender.h"
#include "support/engine_errors.h"

#include <QTemporaryDir>
#include <QtTest>

#include <string>

using namespace zek::db;
using zek::test::errorNumber;

namespace {

// The values record `i` gets: texts of varying length (some not ASCII, some empty, some Null) and
// numbers that tell the records apart.
struct Values {
    bool nameNull;
    std::string name;
    qint64 size;
    bool levelNull;
    int level;
    bool hidden;
    std::string note;
};

Values valuesOf(int i) {
    Values v;
    v.nameNull = i % 7 == 3;
    v.name = i % 5 == 0 ? std::string() : (i % 2 ? "é" : "n") + std::to_string(i % 1000);
    v.size = qint64(i) * 4'000'000'007LL;
    v.levelNull = i % 4 == 1;
    v.level = i % 13;
    v.hidden = i % 3 == 0;
    v.note = std::string(std::size_t(i % 50) * 3, char('a' + i % 26));
    return v;
}

void setRecord(RecordAppender& a, const Values& v) {
    if (!v.nameNull)
        a.setText(0, v.name);
    a.setInteger(1, v.size);
    if (!v.levelNull)
        a.setInteger(2, v.level);
    a.setBoolean(3, v.hidden);
    a.setText(4, v.note);
}

} // namespace

class TestRecordAppenderGroups : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

    qint64 count() {
        auto rs = m_db->openSql("SELECT count(*) AS N FROM FILES");
        return rs->value("N").toLongLong();
    }

    // Every record of the table, in the order written, against valuesOf(first), valuesOf(first + 1)...
    void compareRecords(int first, int records) {
        auto rs = m_db->openSql("SELECT NAME, SIZE, LEVEL, HIDDEN, NOTE FROM FILES ORDER BY rowid");
        int i = first;
        for (; !rs->eof(); rs->moveNext(), ++i) {
            const Values v = valuesOf(i);
            const QByteArray at = QByteArray::number(i);
            QVERIFY2(rs->value("NAME").isValid() == !v.nameNull, at);
            if (!v.nameNull)
                QCOMPARE(rs->value("NAME").toString(), QString::fromStdString(v.name));
            QCOMPARE(rs->value("SIZE").toLongLong(), v.size);
            QVERIFY2(rs->value("LEVEL").isValid() == !v.levelNull, at);
            if (!v.levelNull) {
                QCOMPARE(rs->value("LEVEL").typeId(), int(QMetaType::Double));
                QCOMPARE(rs->value("LEVEL").toDouble(), double(v.level));
            }
            QCOMPARE(rs->value("HIDDEN").toBool(), v.hidden);
            QCOMPARE(rs->value("NOTE").toString(), QString::fromStdString(v.note));
        }
        QCOMPARE(i - first, records);
    }

private Q_SLOTS:
    void init() {
        static int n = 0;
        m_db = Database::create(m_dir.filePath(QStringLiteral("g%1.zek").arg(++n)));
        TableDef t;
        t.name = QStringLiteral("FILES");
        t.fields = {FieldDef{"NAME", FieldType::Text, 8, true}, FieldDef{"SIZE", FieldType::Long, 0, false},
                    FieldDef{"LEVEL", FieldType::Single, 0, false},
                    FieldDef{"HIDDEN", FieldType::Boolean, 0, false},
                    FieldDef{"NOTE", FieldType::Memo, 0, true}};
        m_db->createTable(t);
    }
    void cleanup() { m_db.reset(); }

    // visibleBeforeFlush: records in the table before flush().
    void everyRecordArrivesWholeAndInOrder_data() {
        QTest::addColumn<int>("perInsert");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("visibleBeforeFlush");
        QTest::newRow("one a statement") << 1 << 40 << 40;
        QTest::newRow("none gathered") << 32 << 0 << 0;
        QTest::newRow("fewer than a group") << 32 << 31 << 0;
        QTest::newRow("one group exactly") << 32 << 32 << 32;
        QTest::newRow("a group and one") << 32 << 33 << 32;
        QTest::newRow("groups and a rest") << 8 << 203 << 200;
        // Groups larger than a statement can take are made smaller, never refused.
        QTest::newRow("group beyond the statement's limit") << 1'000'000 << 7000 << 6912;
    }
    void everyRecordArrivesWholeAndInOrder() {
        QFETCH(int, perInsert);
        QFETCH(int, records);
        QFETCH(int, visibleBeforeFlush);
        RecordAppender a(*m_db, "FILES", {"NAME", "SIZE", "LEVEL", "HIDDEN", "NOTE"}, perInsert);
        Transaction t(*m_db); // one flush to disk, not one per statement
        for (int i = 0; i < records; ++i) {
            const Values v = valuesOf(i); // texts stay valid until append()
            setRecord(a, v);
            a.append();
        }
        QCOMPARE(count(), qint64(visibleBeforeFlush));
        a.flush();
        a.flush(); // nothing gathered: writes nothing twice
        t.commit();
        compareRecords(0, records);
    }

    void aFailedGroupTakesOnlyItself() {
        RecordAppender a(*m_db, "FILES", {"NAME", "SIZE", "LEVEL", "HIDDEN", "NOTE"}, 4);
        for (int i = 0; i < 4; ++i) {
            setRecord(a, valuesOf(i));
            a.append();
        }
        for (int i = 4; i < 7; ++i) {
            setRecord(a, valuesOf(i));
            a.append();
        }
        m_db->execute("PRAGMA query_only = 1");
        setRecord(a, valuesOf(7));
        QVERIFY(errorNumber([&] { a.append(); }) != 0);
        m_db->execute("PRAGMA query_only = 0");
        // The failed group is gone; the next records start a group of their own.
        for (int i = 4; i < 6; ++i) {
            setRecord(a, valuesOf(i));
            a.append();
        }
        a.flush();
        compareRecords(0, 6);
    }

    void aRecordDroppedHalfSetLeavesNothingBehind() {
        RecordAppender a(*m_db, "FILES", {"NAME", "SIZE", "LEVEL", "HIDDEN", "NOTE"}, 4);
        setRecord(a, valuesOf(0));
        a.append();
        // A record refused part-way: its memo was copied already, its name is too long.
        a.setText(4, std::string(300, 'x'));
        a.setInteger(2, 99);
        QCOMPARE(errorNumber([&] { a.setText(0, "ABCDEFGHI"); }), int(ErrFieldTooSmall));
        a.clear();
        for (int i = 1; i < 6; ++i) {
            setRecord(a, valuesOf(i));
            a.append();
        }
        a.flush();
        compareRecords(0, 6);
    }
};

QTEST_MAIN(TestRecordAppenderGroups)
#include "test_record_appender_groups.moc"
