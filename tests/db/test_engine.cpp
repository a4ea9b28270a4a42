// The database engine: files, locking, table definitions, values and transactions.
#include "db/engine.h"
#include "support/engine_errors.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

using namespace zek::db;
using zek::test::errorNumber;

namespace {

// When started with ZEK_ENGINE_TRY_OPEN set, this program only tries to open that file and reports
// the outcome in its exit code (0 opened, 1 file in use, 2 any other error): the other process of
// the exclusive-open test. It runs before QTEST_MAIN's main.
const int tryOpenHelper = [] {
    const QByteArray path = qgetenv("ZEK_ENGINE_TRY_OPEN");
    if (path.isEmpty())
        return 0;
    int code = 0;
    try {
        auto db = Database::open(QString::fromLocal8Bit(path));
        db->close();
    } catch (const EngineError& e) {
        code = e.number() == ErrFileInUse ? 1 : 2;
    }
    std::_Exit(code);
}();

// With ZEK_ENGINE_DIE_WRITING set, the program writes into that file's table ITEMS in a transaction
// large enough to reach the file, and dies before committing: a scan killed half-way.
const int dieWritingHelper = [] {
    const QByteArray path = qgetenv("ZEK_ENGINE_DIE_WRITING");
    if (path.isEmpty())
        return 0;
    try {
        auto db = Database::open(QString::fromLocal8Bit(path));
        db->execute(QStringLiteral("PRAGMA cache_size = 10")); // pages spill into the file before commit
        auto rs = db->openTable(QStringLiteral("ITEMS"));
        db->beginTransaction();
        for (int i = 0; i < 20000; ++i) {
            rs->addNew();
            rs->setValue(0, QStringLiteral("uncommitted record %1").arg(i));
            rs->update();
        }
        db->execute(QStringLiteral("Delete * from ITEMS WHERE NAME LIKE 'committed*'"));
        std::_Exit(0); // here, with the database still open: no commit, no close
    } catch (const EngineError&) {
        std::_Exit(2);
    }
}();

int runHelper(const char* variable, const QString& path) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(variable), path);
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(), {});
    if (!p.waitForFinished(30000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

int openFromOtherProcess(const QString& path) {
    return runHelper("ZEK_ENGINE_TRY_OPEN", path);
}

template <typename F> QString errorText(F&& f) {
    try {
        f();
    } catch (const EngineError& e) {
        return e.description();
    }
    return QString();
}

FieldDef field(const QString& name, FieldType type, int size = 0) {
    FieldDef f;
    f.name = name;
    f.type = type;
    f.size = size;
    return f;
}

TableDef sampleTable() {
    TableDef t;
    t.name = QStringLiteral("FILESUMINTTYPE");
    t.fields = {field("PATH", FieldType::Text, 66),
                field("SEL", FieldType::Currency),
                field("%TOTAL DISKSPACE", FieldType::Text, 40),
                field("PATHLEVEL", FieldType::Single),
                field("ARCHIVE", FieldType::Boolean),
                field("SIZE", FieldType::Long),
                field("NOTES", FieldType::Memo)};
    t.indexes = {IndexDef{QStringLiteral("Ind_pathdesc"), QStringLiteral("-PATH"), false, false},
                 IndexDef{QStringLiteral("Ind_path"), QStringLiteral("+PATH;-SIZE"), false, true}};
    return t;
}

} // namespace

class TestEngine : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString file(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void createOpenClose() {
        const QString path = file("create.zek");
        {
            auto db = Database::create(path);
            QVERIFY(db->isOpen());
            QCOMPARE(db->path(), path);
            db->createTable(sampleTable());
            db->close();
            QVERIFY(!db->isOpen());
            QCOMPARE(errorNumber([&] { db->tableDefs(); }), int(ErrObjectClosed));
        }
        // SQLite's own header, so other tools recognise the file.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(16), QByteArray("SQLite format 3\0", 16));
        f.close();

        auto db = Database::open(path);
        QVERIFY(db->hasTable("filesuminttype"));
        QVERIFY(!db->hasTable("FILETYPE"));
        db->close();
        // The journal goes with the close: the closed file is complete by itself.
        QVERIFY(!QFile::exists(path + "-journal"));
        QVERIFY(!QFile::exists(path + "-wal"));
    }

    void createRefusesExistingFile() {
        const QString path = file("exists.zek");
        Database::create(path)->close();
        QCOMPARE(errorNumber([&] { Database::create(path); }), int(ErrDatabaseExists));
        QCOMPARE(errorText([&] { Database::create(path); }), QStringLiteral("Database already exists."));
    }

    void openErrors() {
        const QString missing = file("missing.zek");
        QCOMPARE(errorNumber([&] { Database::open(missing); }), int(ErrFileNotFound));
        QCOMPARE(errorText([&] { Database::open(missing); }),
                 QStringLiteral("Couldn't find file '%1'.").arg(missing));
        QVERIFY(!QFile::exists(missing)); // not created by the attempt

        const QString text = file("text.zek");
        QFile t(text);
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("This is a plain text file, not a database of any kind.\n");
        t.close();
        QCOMPARE(errorNumber([&] { Database::open(text); }), int(ErrNotADatabase));
        QCOMPARE(errorText([&] { Database::open(text); }),
                 QStringLiteral("Unrecognized database format '%1'.").arg(text));

        const QString empty = file("empty.zek");
        QFile e(empty);
        QVERIFY(e.open(QIODevice::WriteOnly));
        e.close();
        QCOMPARE(errorNumber([&] { Database::open(empty); }), int(ErrNotADatabase));

        // A database cut short (a copy broken off half-way) fails at open, not at the first read.
        const QString whole = file("whole.zek");
        {
            auto db = Database::create(whole);
            db->createTable(sampleTable());
            auto rs = db->openTable("FILESUMINTTYPE");
            Transaction tx(*db);
            for (int i = 0; i < 2000; ++i) {
                rs->addNew();
                rs->setValue("PATH", QStringLiteral("/some/folder/%1").arg(i));
                rs->update();
            }
            tx.commit();
        }
        QFile w(whole);
        QVERIFY(w.open(QIODevice::ReadOnly));
        const QByteArray bytes = w.readAll();
        QVERIFY(bytes.size() > 8192);
        const QString cut = file("cut.zek");
        QFile c(cut);
        QVERIFY(c.open(QIODevice::WriteOnly));
        c.write(bytes.left(bytes.size() / 2));
        c.close();
        QCOMPARE(errorNumber([&] { Database::open(cut); }), int(ErrNotADatabase));
    }

    void exclusiveInThisProcess() {
        const QString path = file("lock1.zek");
        auto first = Database::create(path);
        QCOMPARE(errorNumber([&] { Database::open(path); }), int(ErrFileInUse));
        QCOMPARE(errorText([&] { Database::open(path); }),
                 QStringLiteral("Couldn't use '%1'; file already in use.").arg(path));
        QCOMPARE(errorNumber([&] { Database::open(path, false); }), int(ErrFileInUse));
        // The failed attempts did not disturb the holder.
        first->createTable(sampleTable());
        first->close();
        auto second = Database::open(path);
        QVERIFY(second->hasTable("FILESUMINTTYPE"));
    }

    void exclusiveAgainstOtherProcess() {
        const QString path = file("lock2.zek");
        Database::create(path)->close();
        QCOMPARE(openFromOtherProcess(path), 0);
        {
            auto db = Database::open(path);
            QCOMPARE(openFromOtherProcess(path), 1);
            db->createTable(sampleTable()); // still ours after the other process gave up
            QCOMPARE(openFromOtherProcess(path), 1);
        }
        // Closing (here by destruction) releases the file.
        QCOMPARE(openFromOtherProcess(path), 0);
    }

    void killedWriterLeavesAFileThatOpens() {
        const QString path = file("killed.zek");
        {
            auto db = Database::create(path);
            TableDef t;
            t.name = QStringLiteral("ITEMS");
            t.fields = {field("NAME", FieldType::Text, 40)};
            db->createTable(t);
            auto rs = db->openTable("ITEMS");
            Transaction tx(*db);
            for (int i = 0; i < 500; ++i) {
                rs->addNew();
                rs->setValue(0, QStringLiteral("committed %1").arg(i));
                rs->update();
            }
            tx.commit();
        }
        QCOMPARE(runHelper("ZEK_ENGINE_DIE_WRITING", path), 0);
        QVERIFY(QFile::exists(path + "-journal")); // the writer died with its journal in place
        auto db = Database::open(path);            // rolls the half-done transaction back
        auto rs = db->openSql("SELECT COUNT(*), Sum(NAME LIKE 'committed*') FROM ITEMS");
        QCOMPARE(rs->value(0).toLongLong(), 500LL);
        QCOMPARE(rs->value(1).toLongLong(), 500LL);
        rs = db->openSql("PRAGMA integrity_check");
        QCOMPARE(rs->value(0).toString(), QStringLiteral("ok"));
    }

    void tableDefinitionsRoundTrip() {
        const QString path = file("defs.zek");
        {
            auto db = Database::create(path);
            db->createTable(sampleTable());
            TableDef second;
            second.name = QStringLiteral("INFOVERSION");
            second.fields = {field("ZEK VERSION", FieldType::Text, 80),
                             field("ZEK DATABASE VERSION", FieldType::Text, 80)};
            db->createTable(second);
            // A second table with an index of the same name as another table's.
            TableDef third;
            third.name = QStringLiteral("FILESUMTYPE");
            third.fields = {field("PATH", FieldType::Text, 66), field("SEEKID", FieldType::Currency)};
            third.indexes = {IndexDef{QStringLiteral("SEEKID"), QStringLiteral("SEEKID"), false, false}};
            db->createTable(third);
            TableDef fourth = third;
            fourth.name = QStringLiteral("FILEDETTYPE");
            db->createTable(fourth);
        }
        auto db = Database::open(path);
        const std::vector<TableDef> defs = db->tableDefs();
        QCOMPARE(int(defs.size()), 4);
        QCOMPARE(defs[0].name, QStringLiteral("FILESUMINTTYPE"));
        QCOMPARE(defs[1].name, QStringLiteral("INFOVERSION"));
        QCOMPARE(defs[3].name, QStringLiteral("FILEDETTYPE"));
        QCOMPARE(defs[0].attributes, 0L);

        const TableDef t = db->tableDef("filesuminttype");
        const TableDef want = sampleTable();
        QCOMPARE(t.fields.size(), want.fields.size());
        for (size_t i = 0; i < want.fields.size(); ++i) {
            QCOMPARE(t.fields[i].name, want.fields[i].name);
            QCOMPARE(int(t.fields[i].type), int(want.fields[i].type));
            QCOMPARE(t.fields[i].size, want.fields[i].size);
        }
        QCOMPARE(t.fields[0].size, 66);
        QCOMPARE(t.fields[2].size, 40);
        QCOMPARE(int(t.indexes.size()), 2);
        QCOMPARE(t.indexes[0].name, QStringLiteral("Ind_pathdesc"));
        QCOMPARE(t.indexes[0].fields, QStringLiteral("-PATH"));
        QVERIFY(!t.indexes[0].unique);
        QCOMPARE(t.indexes[1].name, QStringLiteral("Ind_path"));
        QCOMPARE(t.indexes[1].fields, QStringLiteral("+PATH;-SIZE"));
        QVERIFY(t.indexes[1].unique);

        QCOMPARE(db->tableDef("FILEDETTYPE").indexes[0].name, QStringLiteral("SEEKID"));
        QCOMPARE(db->tableDef("FILEDETTYPE").indexes[0].fields, QStringLiteral("+SEEKID"));
        QCOMPARE(db->tableDef("FILESUMTYPE").indexes[0].name, QStringLiteral("SEEKID"));

        QCOMPARE(errorNumber([&] { db->tableDef("NOPE"); }), int(ErrItemNotFound));
        QCOMPARE(errorNumber([&] { db->createTable(sampleTable()); }), int(ErrTableExists));
        TableDef lower = sampleTable();
        lower.name = QStringLiteral("FileSumIntType");
        QCOMPARE(errorNumber([&] { db->createTable(lower); }), int(ErrTableExists));

        db->deleteTable("filedettype");
        QVERIFY(!db->hasTable("FILEDETTYPE"));
        QVERIFY(db->hasTable("FILESUMTYPE")); // its own "SEEKID" index is untouched
        QCOMPARE(db->tableDef("FILESUMTYPE").indexes.size(), size_t(1));
        QCOMPARE(errorNumber([&] { db->deleteTable("FILEDETTYPE"); }), int(ErrItemNotFound));

        TableDef empty;
        empty.name = QStringLiteral("EMPTY");
        QCOMPARE(errorNumber([&] { db->createTable(empty); }), int(ErrNoFieldDefined));
        // A failing index leaves no table behind.
        TableDef badIndex;
        badIndex.name = QStringLiteral("BADINDEX");
        badIndex.fields = {field("A", FieldType::Long)};
        badIndex.indexes = {IndexDef{QStringLiteral("I"), QStringLiteral("NOSUCHFIELD"), false, false}};
        QVERIFY(errorNumber([&] { db->createTable(badIndex); }) != 0);
        QVERIFY(!db->hasTable("BADINDEX"));
    }

    void valuesAndTypes() {
        auto db = Database::create(file("values.zek"));
        db->createTable(sampleTable());
        auto rs = db->openTable("FILESUMINTTYPE");
        QVERIFY(rs->eof());
        const qint64 big = 3000000000LL;
        rs->addNew();
        rs->setValue("PATH", QStringLiteral("/home/ÄÖÜ"));
        rs->setValue("SEL", big * 1000);
        rs->setValue("SIZE", big);
        rs->setValue("PATHLEVEL", 2.5);
        rs->setValue("ARCHIVE", true);
        rs->setValue("NOTES", QStringLiteral("0123")); // stays text, leading zero kept
        rs->setValue("%TOTAL DISKSPACE", QString());   // empty text, not Null
        rs->update();
        rs->addNew();
        rs->setValue("PATH", QStringLiteral("nulls"));
        rs->setValue("SIZE", QVariant());
        rs->setValue("ARCHIVE", 0);     // a number on a Boolean field
        rs->setValue("SEL", true);      // a Boolean on a Long field
        rs->setValue("PATHLEVEL", "7"); // text holding a number
        rs->update();
        // The record current before the AddNews was none (EOF), and stays so.
        QVERIFY(rs->eof());
        rs->moveFirst();
        QVERIFY(!rs->eof());
        QCOMPARE(rs->value("SIZE").typeId(), int(QMetaType::LongLong));
        QCOMPARE(rs->value("SIZE").toLongLong(), big);
        QCOMPARE(rs->value("sel").toLongLong(), big * 1000);
        QCOMPARE(rs->value("PATHLEVEL").typeId(), int(QMetaType::Double));
        QCOMPARE(rs->value("PATHLEVEL").toDouble(), 2.5);
        QCOMPARE(rs->value("ARCHIVE").typeId(), int(QMetaType::Bool));
        QCOMPARE(rs->value("ARCHIVE").toBool(), true);
        QCOMPARE(rs->value("PATH").toString(), QStringLiteral("/home/ÄÖÜ"));
        QCOMPARE(rs->value("NOTES").typeId(), int(QMetaType::QString));
        QCOMPARE(rs->value("NOTES").toString(), QStringLiteral("0123"));
        QVERIFY(rs->value("%TOTAL DISKSPACE").isValid());
        QCOMPARE(rs->value("%TOTAL DISKSPACE").toString(), QString());
        rs->moveNext();
        QVERIFY(!rs->value("SIZE").isValid()); // Null
        QVERIFY(!rs->value("NOTES").isValid());
        QCOMPARE(rs->value("ARCHIVE").toBool(), false);
        QCOMPARE(rs->value("ARCHIVE").typeId(), int(QMetaType::Bool));
        QCOMPARE(rs->value("SEL").toLongLong(), 1LL);
        QCOMPARE(rs->value("PATHLEVEL").toDouble(), 7.0);

        // A value that cannot become the field's type.
        rs->addNew();
        QCOMPARE(errorNumber([&] { rs->setValue("SIZE", "many"); }), int(ErrTypeConversion));
        rs->cancelUpdate();

        // 64-bit sums in SQL.
        auto sum = db->openSql("SELECT Sum(SIZE) As TOTAL FROM FILESUMINTTYPE");
        QCOMPARE(sum->value("TOTAL").toLongLong(), big);
        db->execute("INSERT INTO FILESUMINTTYPE (PATH, SIZE) VALUES ('x', 5000000000)");
        sum->moveFirst();
        QCOMPARE(sum->value(0).toLongLong(), big + 5000000000LL);
    }

    void textSizeIsEnforced() {
        auto db = Database::create(file("size.zek"));
        db->createTable(sampleTable());
        auto rs = db->openTable("FILESUMINTTYPE");
        const QString tooSmall =
            QStringLiteral("The field is too small to accept the amount of data you attempted "
                           "to add. Try inserting or pasting less data.");
        rs->addNew();
        rs->setValue("PATH", QString(66, u'x')); // exactly the size is fine
        QCOMPARE(errorNumber([&] { rs->setValue("PATH", QString(67, u'x')); }), int(ErrFieldTooSmall));
        QCOMPARE(errorText([&] { rs->setValue("PATH", QString(67, u'x')); }), tooSmall);
        // Characters, not bytes or UTF-16 units: 66 emoji fit in Text(66).
        QString emoji;
        for (int i = 0; i < 66; ++i)
            emoji += QString::fromUcs4(U"\U0001F600", 1);
        rs->setValue("PATH", emoji);
        rs->update();
        rs->moveFirst();
        QCOMPARE(rs->value("PATH").toString(), emoji);

        // SQL statements are held to the same size.
        const QString sql =
            QStringLiteral("INSERT INTO FILESUMINTTYPE (PATH) VALUES ('%1')").arg(QString(67, u'y'));
        QCOMPARE(errorNumber([&] { db->execute(sql); }), int(ErrFieldTooSmall));
        QCOMPARE(errorText([&] { db->execute(sql); }), tooSmall);
        QCOMPARE(rs->recordCount(), 1LL);
    }

    void transactions() {
        auto db = Database::create(file("tx.zek"));
        db->createTable(sampleTable());
        auto count = [&] {
            auto rs = db->openSql("SELECT COUNT(*) FROM FILESUMINTTYPE");
            return rs->value(0).toLongLong();
        };
        QVERIFY(!db->inTransaction());
        {
            Transaction tx(*db);
            QVERIFY(db->inTransaction());
            db->execute("INSERT INTO FILESUMINTTYPE (PATH) VALUES ('a')");
        } // not committed: rolled back
        QVERIFY(!db->inTransaction());
        QCOMPARE(count(), 0LL);
        {
            Transaction tx(*db);
            db->execute("INSERT INTO FILESUMINTTYPE (PATH) VALUES ('a')");
            tx.commit();
        }
        QCOMPARE(count(), 1LL);

        // Nested: the inner rollback undoes only the inner work.
        db->beginTransaction();
        db->execute("INSERT INTO FILESUMINTTYPE (PATH) VALUES ('b')");
        db->beginTransaction();
        db->execute("INSERT INTO FILESUMINTTYPE (PATH) VALUES ('c')");
        db->rollback();
        QVERIFY(db->inTransaction());
        db->beginTransaction();
        db->execute("INSERT INTO FILESUMINTTYPE (PATH) VALUES ('d')");
        db->commit();
        db->commit();
        QVERIFY(!db->inTransaction());
        QCOMPARE(count(), 3LL);
        auto rs = db->openSql("SELECT PATH FROM FILESUMINTTYPE ORDER BY PATH");
        QStringList paths;
        for (; !rs->eof(); rs->moveNext())
            paths << rs->value(0).toString();
        QCOMPARE(paths, QStringList({"a", "b", "d"}));

        QCOMPARE(errorNumber([&] { db->commit(); }), int(ErrNoTransaction));
        QCOMPARE(errorNumber([&] { db->rollback(); }), int(ErrNoTransaction));

        // Closing with a transaction pending abandons it.
        const QString path = db->path();
        rs.reset();
        db->beginTransaction();
        db->execute("Delete * from FILESUMINTTYPE");
        db->close();
        db = Database::open(path);
        QCOMPARE(count(), 3LL);
    }

    void closingTheDatabaseClosesItsRecordsets() {
        auto db = Database::create(file("closeall.zek"));
        db->createTable(sampleTable());
        db->execute("INSERT INTO FILESUMINTTYPE (PATH) VALUES ('a')");
        auto table = db->openTable("FILESUMINTTYPE");
        auto sql = db->openSql("SELECT * FROM FILESUMINTTYPE");
        table->findFirst("PATH = \"a\"");
        sql->findFirst("PATH = \"a\"");
        db->close();
        QVERIFY(!table->isOpen());
        QVERIFY(!sql->isOpen());
        QCOMPARE(errorNumber([&] { table->moveFirst(); }), int(ErrObjectClosed));
        QCOMPARE(errorNumber([&] { sql->value(0); }), int(ErrObjectClosed));
        // The file is free again.
        Database::open(db->path())->close();
    }
};

QTEST_MAIN(TestEngine)
#include "test_engine.moc"
