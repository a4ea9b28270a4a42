// The record appender: typed values straight into one table, with the same checks and errors as a
// record set's AddNew/Update, and record sets that see what it wrote.
#include "db/record_appender.h"
#include "support/engine_errors.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zek::db;
using zek::test::errorNumber;

class TestRecordAppender : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

private Q_SLOTS:
    void init() {
        static int n = 0;
        m_db = Database::create(m_dir.filePath(QStringLiteral("a%1.zek").arg(++n)));
        TableDef t;
        t.name = QStringLiteral("FILES");
        t.fields = {FieldDef{"NAME", FieldType::Text, 8, true}, FieldDef{"SIZE", FieldType::Long, 0, false},
                    FieldDef{"LEVEL", FieldType::Single, 0, false},
                    FieldDef{"HIDDEN", FieldType::Boolean, 0, false},
                    FieldDef{"NOTE", FieldType::Memo, 0, true}};
        m_db->createTable(t);
    }

    void recordsAreWrittenTypedAndSeenByOpenRecordsets() {
        auto rs = m_db->openTable("files");
        QCOMPARE(rs->recordCount(), 0); // counted before: the appends must make it count again

        RecordAppender a(*m_db, "files", {"NAME", "size", "LEVEL", "HIDDEN"});
        a.setText(0, "Café");
        a.setInteger(1, 3'000'000'000LL);
        a.setInteger(2, 2);
        a.setBoolean(3, true);
        a.append();
        a.setText(0, ""); // an empty text, not Null
        a.append();       // the other fields were not set again: Null

        QCOMPARE(rs->recordCount(), 2);
        rs->moveFirst();
        QCOMPARE(rs->value("NAME").toString(), QString("Café"));
        QCOMPARE(rs->value("SIZE").toLongLong(), 3'000'000'000LL);
        QCOMPARE(rs->value("LEVEL").typeId(), int(QMetaType::Double));
        QCOMPARE(rs->value("LEVEL").toDouble(), 2.0);
        QCOMPARE(rs->value("HIDDEN").toBool(), true);
        QVERIFY(!rs->value("NOTE").isValid());
        rs->moveNext();
        QVERIFY(rs->value("NAME").isValid());
        QCOMPARE(rs->value("NAME").toString(), QString());
        QVERIFY(!rs->value("SIZE").isValid());
        QVERIFY(!rs->value("HIDDEN").isValid());
    }

    void refusedValuesWriteNothingAndLeaveTheNextRecordClean() {
        RecordAppender a(*m_db, "FILES", {"NAME", "SIZE", "HIDDEN", "NOTE"});
        a.setInteger(1, 7);
        // Nine characters for an eight-character field; eight two-byte characters fit.
        QCOMPARE(errorNumber([&] { a.setText(0, "ABCDEFGHI"); }), int(ErrFieldTooSmall));
        a.clear();
        a.setText(0, "éééééééé");
        a.append();
        QCOMPARE(errorNumber([&] { a.setText(0, "bad\xff"); }), int(ErrTypeConversion));
        QCOMPARE(errorNumber([&] { a.setText(1, "12"); }), int(ErrTypeConversion));
        QCOMPARE(errorNumber([&] { a.setInteger(0, 12); }), int(ErrTypeConversion));
        QCOMPARE(errorNumber([&] { a.setBoolean(1, true); }), int(ErrTypeConversion));
        QCOMPARE(errorNumber([&] { a.setText(4, "x"); }), int(ErrItemNotFound));
        a.clear();
        const std::string memo(5000, 'm'); // a memo has no size limit
        a.setText(3, memo);
        a.append();

        auto rs = m_db->openSql("SELECT NAME, SIZE, length(NOTE) AS L FROM FILES ORDER BY NAME");
        rs->moveLast();
        QCOMPARE(rs->recordCount(), 2);
        rs->moveFirst();
        QVERIFY(!rs->value("NAME").isValid());
        QVERIFY(!rs->value("SIZE").isValid()); // the 7 of the refused record went with it
        QCOMPARE(rs->value("L").toInt(), 5000);
        rs->moveNext();
        QCOMPARE(rs->value("NAME").toString(), QString("éééééééé"));
        QVERIFY(!rs->value("SIZE").isValid());
    }

    // The scan leaves size checks to its appender: they hold inside that scope, and the engine's own
    // come back after it.
    void sizeChecksLeftToTheAppenderComeBackAfterIt() {
        auto update = [&] {
            return errorNumber([&] { m_db->execute("UPDATE FILES SET NAME = 'ABCDEFGHI'"); });
        };
        {
            SizeChecksInAppender checks(*m_db);
            RecordAppender a(*m_db, "FILES", {"NAME"}, 32);
            QCOMPARE(errorNumber([&] { a.setText(0, "ABCDEFGHI"); }), int(ErrFieldTooSmall));
            a.clear();
            a.setText(0, "ABCDEFGH");
            a.append();
            a.flush();
        }
        QCOMPARE(update(), int(ErrFieldTooSmall));
        RecordAppender after(*m_db, "FILES", {"NAME"});
        QCOMPARE(errorNumber([&] { after.setText(0, "ABCDEFGHI"); }), int(ErrFieldTooSmall));
        QCOMPARE(m_db->openSql("SELECT NAME FROM FILES")->value("NAME").toString(), QString("ABCDEFGH"));
    }

    void unknownTablesAndFieldsAreRefused() {
        QCOMPARE(errorNumber([&] { RecordAppender(*m_db, "NOPE", {"NAME"}); }), int(ErrTableNotFound));
        QCOMPARE(errorNumber([&] {
                     RecordAppender(*m_db, "FILES", {"NAME", "COLOUR"});
                 }),
                 int(ErrItemNotFound));
    }

    // A long statement calls the progress handler while it runs, and none after its scope.
    void longStatementsTickWhileAProgressScopeLives() {
        {
            Transaction t(*m_db);
            RecordAppender a(*m_db, "files", {"NAME", "SIZE"});
            for (int i = 0; i < 50000; ++i) {
                a.setText(0, "f");
                a.setInteger(1, (i * 7919) % 50000);
                a.append();
            }
            t.commit();
        }
        int ticks = 0;
        {
            ProgressScope scope(*m_db, [&ticks] { ++ticks; });
            auto rs = m_db->openSql("SELECT SIZE, COUNT(*) AS N FROM FILES GROUP BY SIZE ORDER BY SIZE DESC");
            QCOMPARE(rs->value("SIZE").toLongLong(), 49999);
        }
        QVERIFY(ticks > 0);
        const int seen = ticks;
        auto rs = m_db->openSql("SELECT SIZE FROM FILES ORDER BY SIZE");
        rs->moveLast();
        QCOMPARE(ticks, seen);
    }

    void utf8LengthsCountCodePointsAndRefuseMalformedBytes() {
        QCOMPARE(utf8TextLength(""), 0);
        QCOMPARE(utf8TextLength("plain ascii, longer than a word"), 31);
        QCOMPARE(utf8TextLength("0123456789é"), 11);                      // after a whole ASCII word
        QCOMPARE(utf8TextLength("\xe2\x82\xac and \xf0\x9f\x98\x80"), 7); // € and an emoji: one each
        QCOMPARE(utf8TextLength("\xc0\x80"), -1);                         // overlong NUL
        QCOMPARE(utf8TextLength("\xed\xa0\x80"), -1);                     // a surrogate
        QCOMPARE(utf8TextLength("abcdefgh\xe2\x82"), -1);                 // cut short at the end
        QCOMPARE(utf8TextLength("\xf4\x90\x80\x80"), -1);                 // past U+10FFFF
        QCOMPARE(utf8TextLength("a\x80"), -1);                            // a lone continuation byte
    }
};

QTEST_GUILESS_MAIN(TestRecordAppender)
#include "test_record_appender.moc"
