// The tip database and the Tip of the Day steps without the window.
#include "app/startup.h"
#include "app/tip_database.h"
#include "db/engine.h"
#include "platform/profile.h"
#include "support/test_env.h"

#include <QtTest>

using namespace zek;
using zek::test::TestEnvironment;

namespace {

const QString QuickStart =
    "Quick Start.\r\n\r\nSelect Drive and folder (subdirectory); \r\nClick the Add-key;\r\n"
    "Click the Start-key.\r\n\r\nProcessing a whole drive can take some time!\r\n";
const QString Tip1 =
    "Create DEFAULT.ZEK.\r\n\r\nMake the settings for the WINDOWS Path Selection, Conditions & "
    "Sorting, Setup Detail Report and Setup Summary Report default.\r\n\r\nSave the database to "
    "default.zek in the subdirectory specified by the Database Path (menu Help, topic About).\r\n";
const QString Tip2 = "International Settings.\r\n\r\nThe way sizes, dates, times are displayed,\r\n"
                     "depend on the settings specified in Control Panel.\r\n";
const QString Tip3 =
    "Biggest files.\r\n\r\nGo to Sorting in the \"Conditions & Sorting\" WINDOW.\r\n"
    "Click on the most left arrow so it comes down and specify size.\r\n\r\n"
    "Go to the \"Path Selection\" WINDOW.\r\nSelect Drive and folder (subdirectory); \r\n"
    "Click the Add-key;\r\nClick the Start-key.\r\n\r\nThis operation can take some time!\r\n";

TipOfTheDay tipFor(const TestEnvironment& env) {
    TipOfTheDay tip;
    tip.workDirectory = env.workDirectory();
    tip.iniFileName = env.path("home/.config/zek/zek.ini");
    return tip;
}

QString tipNew(const TipOfTheDay& tip) {
    return platform::getPrivateProfileString("Tip", "TipNew", "missing", tip.iniFileName);
}

} // namespace

class TipDatabaseTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void createdWithTheFourTipsWordForWord() {
        TestEnvironment env;
        const QString path = tipDatabasePath(env.workDirectory());
        QCOMPARE(QFileInfo(path).fileName(), QString("zek295i.mdb"));
        ensureTipDatabase(env.workDirectory());
        QVERIFY(QFileInfo::exists(path));
        QVERIFY(!QFileInfo::exists(path + ".new"));

        auto database = db::Database::open(path);
        const db::TableDef def = database->tableDef("TIPOFDAY");
        QCOMPARE(def.fields.size(), size_t(2));
        QCOMPARE(def.fields[0].name, QString("TIPOFDAYINDEX"));
        QCOMPARE(def.fields[0].type, db::FieldType::Single);
        QCOMPARE(def.fields[1].name, QString("TIPOFDAYMEMO"));
        QCOMPARE(def.fields[1].type, db::FieldType::Memo);
        QCOMPARE(def.indexes.size(), size_t(1));
        QCOMPARE(def.indexes[0].name, QString("TIPOFDAYINDEX_INDEX"));
        // The engine keeps a primary index as a unique index of that name.
        QVERIFY(def.indexes[0].primary || def.indexes[0].unique);
        QCOMPARE(def.indexes[0].fields, QString("+TIPOFDAYINDEX"));

        // In the order written.
        auto table = database->openTable("TIPOFDAY");
        QList<double> indexes;
        QStringList memos;
        for (; !table->eof(); table->moveNext()) {
            indexes << table->value("TIPOFDAYINDEX").toDouble();
            memos << table->value("TIPOFDAYMEMO").toString();
        }
        QCOMPARE(indexes, (QList<double>{-1, 1, 2, 3}));
        QCOMPARE(memos, (QStringList{QuickStart, Tip1, Tip2, Tip3}));
    }

    void firstRunThenRandomTips() {
        TestEnvironment env;
        TipOfTheDay tip = tipFor(env);
        bool randomAsked = false;
        auto random = [&] {
            randomAsked = true;
            return 0.0;
        };
        QCOMPARE(openTipOfTheDay(tip, random).value_or("none"), QuickStart);
        QVERIFY(!randomAsked);
        QCOMPARE(tip.currentTip, -1);
        QCOMPARE(tip.tipCount, 3);
        QCOMPARE(tipNew(tip), QString("0"));

        // Int(Rnd * TipCount) + 1; a source that answers 1 still gives the last tip.
        const QList<QPair<double, QString>> cases{{0.0, Tip1}, {0.34, Tip2}, {0.999, Tip3}, {1.0, Tip3}};
        for (const auto& [r, expected] : cases) {
            TipOfTheDay again = tipFor(env);
            QCOMPARE(openTipOfTheDay(again, [r = r] { return r; }).value_or("none"), expected);
        }
        // The program's own source lands on one of the rotating tips.
        TipOfTheDay clock = tipFor(env);
        QVERIFY(openTipOfTheDay(clock).has_value());
        QVERIFY(clock.currentTip >= 1 && clock.currentTip <= 3);
    }

    void nextTipAfterTheFirstRunTipAndWrapping() {
        TestEnvironment env;
        TipOfTheDay tip = tipFor(env);
        openTipOfTheDay(tip);
        QCOMPARE(tip.currentTip, -1);
        QCOMPARE(nextTip(tip).value_or("none"), Tip1);
        QCOMPARE(nextTip(tip).value_or("none"), Tip2);
        QCOMPARE(nextTip(tip).value_or("none"), Tip3);
        QCOMPARE(nextTip(tip).value_or("none"), Tip1);
        QCOMPARE(tip.currentTip, 1);
    }

    void closeWritesTipstart() {
        TestEnvironment env;
        AppState app;
        readStartupSettings(app);
        QVERIFY(closeTipOfTheDay(app.iniFileName, false));
        QCOMPARE(platform::getPrivateProfileString("Tip", "Tipstart", "x", app.iniFileName), QString("No"));
        readMainWindowSettings(app);
        QCOMPARE(app.tipStart, QString("NO"));
        QVERIFY(closeTipOfTheDay(app.iniFileName, true));
        QCOMPARE(platform::getPrivateProfileString("Tip", "Tipstart", "x", app.iniFileName), QString(" "));
        readMainWindowSettings(app);
        QCOMPARE(app.tipStart, QString(" "));

        platform::HostError error;
        QVERIFY(!closeTipOfTheDay(env.path("home/.config/zek/zek.ini/below"), true, &error));
        QVERIFY(error.number != 0);
    }

    void anExistingDatabaseIsUsedAsItIs() {
        TestEnvironment env;
        TipOfTheDay tip = tipFor(env);
        ensureTipDatabase(env.workDirectory());
        {
            auto database = db::Database::open(tipDatabasePath(env.workDirectory()));
            database->execute("DELETE FROM TIPOFDAY WHERE TIPOFDAYINDEX > 1");
            database->execute("UPDATE TIPOFDAY SET TIPOFDAYMEMO = 'Mine.' WHERE TIPOFDAYINDEX = 1");
        }
        platform::writePrivateProfileString("Tip", "TipNew", "0", tip.iniFileName);
        QCOMPARE(openTipOfTheDay(tip, [] { return 0.9; }).value_or("none"), QString("Mine."));
        QCOMPARE(tip.tipCount, 1);
        QCOMPARE(nextTip(tip).value_or("none"), QString("Mine."));

        // Without rotating tips nothing is shown.
        {
            auto database = db::Database::open(tipDatabasePath(env.workDirectory()));
            database->execute("DELETE FROM TIPOFDAY WHERE TIPOFDAYINDEX > 0");
        }
        TipOfTheDay empty = tipFor(env);
        QVERIFY(!openTipOfTheDay(empty).has_value());
        QCOMPARE(empty.tipCount, 0);
    }

    void brokenDatabaseFailsWithAnEngineError() {
        TestEnvironment env;
        QFile junk(tipDatabasePath(env.workDirectory()));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("this is no database at all, just some text long enough to be read as one");
        junk.close();
        TipOfTheDay tip = tipFor(env);
        try {
            openTipOfTheDay(tip);
            QFAIL("no error");
        } catch (const db::EngineError& e) {
            QCOMPARE(e.number(), int(db::ErrNotADatabase));
        }

        // A database without the table.
        QVERIFY(QFile::remove(tipDatabasePath(env.workDirectory())));
        db::Database::create(tipDatabasePath(env.workDirectory()))->close();
        try {
            openTipOfTheDay(tip);
            QFAIL("no error");
        } catch (const db::EngineError& e) {
            QVERIFY(e.number() != 0);
            QVERIFY(!e.description().isEmpty());
        }
    }

    void interruptedCreationIsRepeated() {
        TestEnvironment env;
        const QString path = tipDatabasePath(env.workDirectory());
        QFile leftover(path + ".new");
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("half");
        leftover.close();
        TipOfTheDay tip = tipFor(env);
        QCOMPARE(openTipOfTheDay(tip).value_or("none"), QuickStart);
        QVERIFY(!QFileInfo::exists(path + ".new"));

        // A work directory that cannot take the file: an error, and no file left behind.
        TipOfTheDay nowhere = tipFor(env);
        nowhere.workDirectory = env.path("missing/folder");
        QVERIFY_THROWS_EXCEPTION(db::EngineError, openTipOfTheDay(nowhere));
        QVERIFY(!QFileInfo::exists(env.path("missing")));
    }

    void failedTipNewWriteIsReportedAndTheTipShown() {
        TestEnvironment env;
        TipOfTheDay tip = tipFor(env);
        tip.iniFileName = env.path("blocker/zek.ini");
        QFile blocker(env.path("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        platform::HostError error;
        QCOMPARE(openTipOfTheDay(tip, {}, &error).value_or("none"), QuickStart);
        QVERIFY(error.number != 0);
    }
};

QTEST_MAIN(TipDatabaseTest)
#include "test_tip_database.moc"
