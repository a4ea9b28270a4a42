// Work files from strangers: a file that is damaged or carries code or a layout of its own is
// refused before anything of it runs, and the work file in use stays as it was.
#include "db/engine.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"
#include "work/work_schema.h"

#include <QFile>
#include <QtTest>

#include <sqlite3.h>

using namespace zek;
using namespace zek::work;
using zek::test::ScriptedPrompter;
using zek::test::TestEnvironment;

namespace {

// Runs SQL on a file through SQLite directly, as someone preparing a hostile file would.
void rawExec(const QString& file, const QString& sql) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

int rootPage(const QString& file, const QString& table) {
    auto db = db::Database::open(file, false);
    auto rs = db->openSql("SELECT rootpage FROM sqlite_schema WHERE name = '" + table + "'");
    return rs->value(0).toInt();
}

int pageSize(const QString& file) {
    auto db = db::Database::open(file, false);
    return db->openSql("PRAGMA page_size")->value(0).toInt();
}

// Names with "pwned" in FILETYPE: what the triggers below would leave behind.
long long pwnedRows(const QString& file) {
    auto db = db::Database::open(file, false);
    return db->openSql("SELECT * FROM FILETYPE WHERE NAME = 'pwned'")->recordCount();
}

struct Session {
    TestEnvironment env;
    ScriptedPrompter prompter;
    WorkState ws;
    QString current;

    Session() {
        ws.workDirectory = env.workDirectory();
        QString name;
        openWorkFile(ws, "INIT", name);
        current = env.path("current.zek");
        prompter.saveAnswers.push_back(current);
        saveOrSaveAs(ws, "SAVE");
        db::Recordset* files = ws.table(WorkTable::Filetype);
        files->addNew();
        files->setValue("NAME", "kept.txt");
        files->update();
    }
    ~Session() { closeWorkFile(ws); }

    // A work file as the program saves it, with settings in every settings table.
    QString validFile(const QString& name) {
        const QString file = env.path(name);
        ws.settings.folders.append("/srv/data", "/SRV/DATA");
        ws.settings.detailTitles.firstTitle = "O'Brien's files";
        const bool saved = saveWorkFile(ws, file);
        ws.settings.folders.clear();
        ws.settings.detailTitles.firstTitle.clear();
        ws.savedSettings = ws.settings;
        if (!saved)
            qFatal("could not save %s", qPrintable(file));
        return file;
    }
};

} // namespace

class HostileWorkFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aValidFileStillOpens() {
        Session s;
        const QString file = s.validFile("good.zek");
        rawExec(file, "CREATE TABLE MYNOTES (NOTE TEXT(50)); CREATE INDEX MYNOTES_I ON MYNOTES (NOTE)");
        QString name = file;
        s.prompter.messageAnswers.push_back(platform::IdNo);
        openWorkFile(s.ws, "LOAD", name);
        QCOMPARE(s.prompter.texts(), QStringList{"Save active " + s.current + " ZEK database?"});
        QCOMPARE(s.ws.activeFileName, file);
        QCOMPARE(s.ws.settings.detailTitles.firstTitle, QString("O'Brien's files"));
    }

    void hostileFilesAreRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // part of the refusal after the error number
        QTest::newRow("trigger writing a row") << "trigger"
                                               << "it holds the trigger 'T_SAVE'";
        QTest::newRow("view") << "view"
                              << "it holds the view 'V'";
        QTest::newRow("missing column") << "missing"
                                        << "in table 'DRIVEDIRLIST', field 'FOLDER' is missing";
        QTest::newRow("extra column") << "extra"
                                      << "in table 'REPORTTITLES', field 'EXTRA' is unknown";
        QTest::newRow("retyped column") << "retyped"
                                        << "in table 'SUMMARYSORT', field 'SORTERSTATUS' has the wrong type";
        QTest::newRow("computed column") << "generated"
                                         << "table 'INFOVERSION' has hidden or computed columns";
        QTest::newRow("report table without SEEKID") << "report"
                                                     << "in table 'FILEDETTYPE', field 'SEEKID' is missing";
        QTest::newRow("table without record numbers") << "norowid"
                                                      << "table 'SUMMARYSORT' has no record numbers";
        QTest::newRow("virtual table") << "virtual"
                                       << "it holds the virtual table 'NOTES'";
        QTest::newRow("not a database") << "text"
                                        << "Unrecognized database format";
        QTest::newRow("truncated") << "truncated"
                                   << "Unrecognized database format";
        QTest::newRow("corrupted page") << "corrupted"
                                        << "Unrecognized database format";
    }
    void hostileFilesAreRefused() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        Session s;
        const QString chosen = s.validFile(kind + ".zek");
        const QString trigger = "BEGIN INSERT INTO FILETYPE (NAME) VALUES ('pwned'); UPDATE INFOVERSION SET "
                                "\"ZEK VERSION\" = 'x'; END";
        if (kind == "trigger") {
            rawExec(chosen, "CREATE TRIGGER T_SAVE AFTER DELETE ON DRIVEDIRLIST " + trigger +
                                "; CREATE TRIGGER T_READ AFTER INSERT ON REPORTTITLES " + trigger);
        } else if (kind == "view") {
            rawExec(chosen, "CREATE VIEW V AS SELECT * FROM FILETYPE");
        } else if (kind == "missing") {
            rawExec(chosen, "ALTER TABLE DRIVEDIRLIST DROP COLUMN FOLDER");
        } else if (kind == "extra") {
            rawExec(chosen, "ALTER TABLE REPORTTITLES ADD COLUMN EXTRA TEXT(10)");
        } else if (kind == "retyped") {
            rawExec(
                chosen,
                "DROP TABLE SUMMARYSORT; CREATE TABLE SUMMARYSORT (SORTER TEXT(20), SORTERSTATUS TEXT(5))");
        } else if (kind == "norowid") {
            rawExec(chosen, "DROP TABLE SUMMARYSORT; CREATE TABLE SUMMARYSORT (SORTER TEXT(20) PRIMARY KEY, "
                            "SORTERSTATUS BOOLEAN) WITHOUT ROWID");
        } else if (kind == "generated") {
            rawExec(
                chosen,
                "ALTER TABLE INFOVERSION ADD COLUMN G INTEGER GENERATED ALWAYS AS (length(\"ZEK VERSION\"))");
        } else if (kind == "report") {
            rawExec(chosen, "CREATE TABLE FILEDETTYPE (NAME TEXT(12))");
        } else if (kind == "virtual") {
            rawExec(chosen, "CREATE VIRTUAL TABLE NOTES USING fts4(body)");
        } else if (kind == "text") {
            writeBytes(chosen, QByteArray("SQLite format 3\0 and then only words", 36).repeated(200));
        } else if (kind == "truncated") {
            const QByteArray whole = fileBytes(chosen);
            writeBytes(chosen, whole.left(whole.size() / 2));
        } else if (kind == "corrupted") {
            // The table's root page claims to be a kind of page SQLite never writes.
            const int root = rootPage(chosen, "DRIVEDIRLIST");
            QByteArray bytes = fileBytes(chosen);
            const qsizetype at = qsizetype(root - 1) * pageSize(chosen);
            QVERIFY(at + 64 < bytes.size());
            bytes[at] = char(0x07);
            bytes.replace(at + 8, 16, QByteArray(16, char(0xff)));
            writeBytes(chosen, bytes);
        }
        const QByteArray before = fileBytes(chosen);
        QString name = chosen;
        s.prompter.messageAnswers.push_back(platform::IdNo); // the record added is not saved
        openWorkFile(s.ws, "LOAD", name);

        QCOMPARE(s.prompter.messages.size(), 2);
        const QString refusal = s.prompter.messages[1].text;
        const QString start = "Error during open ZEK database: " + chosen + ". Error number :3343 / ";
        QVERIFY2(refusal.startsWith(start), qPrintable(refusal));
        QVERIFY2(refusal.contains(reason), qPrintable(refusal));
        QVERIFY2(!refusal.contains(".load"), qPrintable(refusal));
        // The file is untouched and the work file in use stays, with its record.
        QCOMPARE(fileBytes(chosen), before);
        QVERIFY(!QFile::exists(s.ws.workingCopyName() + ".load"));
        QCOMPARE(s.ws.activeFileName, s.current);
        QVERIFY(s.ws.databaseOpen);
        db::Recordset* files = s.ws.table(WorkTable::Filetype);
        files->moveFirst();
        QCOMPARE(files->value("NAME").toString(), QString("kept.txt"));
        files->moveNext();
        QVERIFY(files->eof());
        if (kind == "trigger")
            QCOMPARE(pwnedRows(chosen), 0);
    }

    // A template that carries a trigger is refused as well; the trigger never runs, not even when
    // the settings tables it watches are rewritten.
    void aHostileTemplateIsRefused() {
        Session s;
        const QString templateFile = QDir(s.ws.workDirectory).filePath(TemplateFileName);
        s.validFile("x.zek");
        QVERIFY(QFile::copy(s.env.path("x.zek"), templateFile));
        rawExec(templateFile, "CREATE TRIGGER T AFTER DELETE ON DRIVEDIRLIST BEGIN INSERT INTO FILETYPE "
                              "(NAME) VALUES ('pwned'); END");
        QString name;
        s.prompter.messageAnswers.push_back(platform::IdNo); // the record added is not saved
        openWorkFile(s.ws, "NEW", name);
        QCOMPARE(s.prompter.messages.size(), 2);
        QCOMPARE(s.prompter.messages[1].text, "Error during open ZEK database: " + s.ws.workingCopyName() +
                                                  ". Error number :3343 / '" + templateFile +
                                                  "' is not a ZEK work file: it holds the trigger 'T'.");
        QVERIFY(!s.ws.databaseOpen);
        QVERIFY(s.ws.activeFileName.isEmpty());
        QCOMPARE(pwnedRows(s.ws.workingCopyName()), 0);
    }

    // Below the work file, the engine itself: whatever a file's schema holds, no trigger fires, and
    // the engine's own functions cannot be called from the file's schema.
    void theEngineRunsNoCodeOfTheFile() {
        TestEnvironment env;
        const QString file = env.path("raw.zek");
        rawExec(file, "CREATE TABLE T (A TEXT(10)); CREATE TABLE LOG (N INTEGER); "
                      "CREATE TRIGGER W AFTER INSERT ON T BEGIN INSERT INTO LOG VALUES (1); END");
        auto db = db::Database::open(file, true);
        QCOMPARE(db->execute("INSERT INTO T VALUES ('a')"), 1);
        QCOMPARE(db->openSql("SELECT * FROM LOG")->recordCount(), 0);
        // Ordinary statements keep the engine's LIKE.
        QCOMPARE(db->openSql("SELECT * FROM T WHERE A LIKE 'A*'")->recordCount(), 1);
        // No statement can write the schema behind SQLite's back.
        QVERIFY_THROWS_EXCEPTION(db::EngineError,
                                 db->execute("PRAGMA writable_schema = ON; UPDATE "
                                             "sqlite_schema SET sql = 'x' WHERE name = 'T'"));
        db->close();

        // A schema that calls the engine's LIKE (here in a CHECK) is not a file the engine reads.
        const QString checked = env.path("check.zek");
        rawExec(checked, "CREATE TABLE C (A TEXT(10) CHECK (A LIKE 'x%'))");
        try {
            db::Database::open(checked, true);
            QFAIL("a schema calling the engine's LIKE was opened");
        } catch (const db::EngineError& e) {
            QCOMPARE(e.number(), int(db::ErrNotADatabase));
        }
    }
};

QTEST_MAIN(HostileWorkFileTest)
#include "test_hostile_work_files.moc"
