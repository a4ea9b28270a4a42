// The statement built from the condition lines and sorters, and its run over a tree scanned with the
// folder walker: the worked example to the character, the edge cases of the clause, the records a
// condition selects and their order, the rejected statement, the empty selection, the work file
// that reopens the selection and a loaded file that gives the same statement; the report
// preconditions and the offer to build reports from a loaded file.
#include "query/statement_builder.h"
#include "report/report_preconditions.h"
#include "support/condition_lines.h"
#include "support/local_time.h"
#include "support/walker_fixture.h"

#include <QTest>

#include <ctime>
#include <sys/stat.h>

using namespace zek;
using namespace zek::query;
using namespace zek::report;
using namespace zek::test;

namespace {

using Row = ConditionRow;

Sorters sorters(const QString& a = {}, bool aUp = true, const QString& b = {}, bool bUp = true,
                const QString& c = {}, bool cUp = true) {
    return Sorters{Sorter{a, aUp}, Sorter{b, bUp}, Sorter{c, cUp}};
}

QString statementOf(const QueryLines& lines, const Sorters& s = {}) {
    SortKeys keys;
    return buildSelectStatement(buildWhereClause(lines), buildOrderByList(s, keys));
}

QString whereOf(const QList<Row>& rows) {
    return buildWhereClause(conditionLines(rows));
}

// The worked example: NAME = A*; SIZE >= 1 KB, connection OR; EXTENSION NOT = TXT; two empty lines.
QList<Row> exampleRows() {
    return {{"NAME", "=", "A*"},
            {"SIZE", ">=", "1", "KB", "OR"},
            {"EXTENSION", "NOT =", "TXT"},
            {"", "", ""},
            {"", "", ""}};
}

const QString ExampleStatement = "SELECT * FROM FILETYPE WHERE NAME LIKE 'A*' AND SIZE >= 1024 OR "
                                 "NOT (EXTENSION LIKE 'TXT') ORDER BY SIZE DESC,NAME";

bool setWriteTime(const QString& path, time_t write) {
    const struct timespec times[2] = {{write, 0}, {write, 0}};
    return utimensat(AT_FDCWD, raw(path).constData(), times, 0) == 0;
}

// One selected or scanned record, as far as these tests look at it.
struct Rec {
    QString where; // LONGPATH + LONGNAME: unique in the tree
    QString name, extension;
    qint64 size = 0;
};

QList<Rec> readAll(db::Recordset& rs) {
    QList<Rec> out;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        out << Rec{rs.value("LONGPATH").toString() + rs.value("LONGNAME").toString(),
                   rs.value("NAME").toString(), rs.value("EXTENSION").toString(),
                   rs.value("SIZE").toLongLong()};
    return out;
}

QStringList places(QList<Rec> recs) {
    QStringList out;
    for (const Rec& r : recs)
        out << r.where;
    out.sort();
    return out;
}

QStringList longNames(const QList<Rec>& recs) {
    QStringList out;
    for (const Rec& r : recs)
        out << r.where.section('/', -1);
    out.sort();
    return out;
}

DefaultPrinter printerNamed(const QString& name, int orientation = 1) {
    return DefaultPrinter{name, orientation};
}

} // namespace

Q_DECLARE_METATYPE(QList<Row>)

class TestStatementBuilder : public QObject {
    Q_OBJECT

    std::unique_ptr<WalkerFixture> f;
    QueryState qs;
    QList<bool> busyCalls;
    QString root;

    db::Recordset* selection() const {
        return f->ws.sqlRecordsets[static_cast<size_t>(work::SqlRecordset::Selection)].get();
    }
    QString selectionText() const {
        return f->ws.sqlTexts[static_cast<size_t>(work::SqlRecordset::Selection)];
    }

    SelectionOutcome select(const QList<Row>& rows, const Sorters& s = {},
                            const platform::IntlSettings& intl = {}) {
        f->ws.settings.queryLines = conditionLines(rows, intl);
        f->ws.settings.sorters = s;
        return buildQueryAndReports(f->ws, qs);
    }
    QList<Rec> selected() { return readAll(*selection()); }

private Q_SLOTS:
    void initTestCase() {
        // A fixed zone, so the local times below do not depend on the machine.
        qputenv("TZ", "ZEK-3");
        tzset();
    }

    void init() {
        f = std::make_unique<WalkerFixture>();
        qs = QueryState{};
        busyCalls.clear();
        qs.hooks.busy = [this](bool on) { busyCalls << on; };
        qs.hooks.defaultPrinter = [] { return printerNamed("PDF"); };

        // The tree: names that the example, the wildcards and the apostrophe tell apart.
        root = f->tree("inv");
        const QString sub = f->tree("inv/sub");
        struct File {
            QString path;
            qint64 size;
        };
        const QList<File> files{
            {root + "/Apple.txt", 2000}, {root + "/Avocado.doc", 500}, {root + "/ABC.TXT", 5000},
            {root + "/Banana.txt", 10},  {root + "/Cherry.md", 3000},  {root + "/O'Brien", 100},
            {root + "/OBrien", 100},     {root + "/OBrienX", 100},     {sub + "/Acorn.txt", 4096},
            {sub + "/Morning.dat", 11},  {sub + "/Afternoon.dat", 12}, {sub + "/Big.bin", 3 * 1048576LL}};
        for (const File& file : files)
            QVERIFY(makeFile(raw(file.path), file.size));
        QVERIFY(setWriteTime(sub + "/Morning.dat", localSeconds(1996, 12, 7, 9, 30, 0)));
        QVERIFY(setWriteTime(sub + "/Afternoon.dat", localSeconds(1996, 12, 7, 14, 30, 0)));
        f->choose({root});
        RecordingDisplay display;
        QCOMPARE(f->run(display), scan::ScanOutcome::Completed);
        f->prompter.clear();
    }
    void cleanup() { f.reset(); }

    // ---- the texts --------------------------------------------------------------------------

    void workedExample() {
        const QString statement =
            statementOf(conditionLines(exampleRows()), sorters("SIZE", false, "NAME", true, "", true));
        QCOMPARE(statement, ExampleStatement);
    }

    void orderByList() {
        SortKeys keys;
        QCOMPARE(buildOrderByList(sorters(), keys), QString("PATH,NAME,EXTENSION"));
        QCOMPARE(statementOf(QueryLines{}), QString("SELECT * FROM FILETYPE ORDER BY PATH,NAME,EXTENSION"));
        QCOMPARE(buildOrderByList(sorters(" ", false), keys), QString("PATH,NAME,EXTENSION"));

        QCOMPARE(buildOrderByList(sorters("SIZE", false, "NAME", true, "DATE", true), keys),
                 QString("SIZE DESC,NAME,DATE"));
        QCOMPARE(keys[0], (SortKey{SortDescending, "SIZE"}));
        QCOMPARE(keys[1], (SortKey{SortAscending, "NAME"}));
        QCOMPARE(keys[2], (SortKey{SortAscending, "DATE"}));

        // An empty sorter is skipped; the keys are filled from 0 and the rest keep the last run's.
        QCOMPARE(buildOrderByList(sorters("", true, "EXTENSION", false), keys), QString("EXTENSION DESC"));
        QCOMPARE(keys[0], (SortKey{SortDescending, "EXTENSION"}));
        QCOMPARE(keys[1], (SortKey{SortAscending, "NAME"}));
        QCOMPARE(keys[2], (SortKey{SortAscending, "DATE"}));
    }

    void whereClause() {
        // No field and no bracket: no " WHERE " at all.
        QCOMPARE(statementOf(conditionLines({{"", "", ""}, {"", "", ""}})),
                 QString("SELECT * FROM FILETYPE ORDER BY PATH,NAME,EXTENSION"));
        // A bracket on a line without a field goes in alone; its right bracket and connection do not.
        QCOMPARE(statementOf(conditionLines({{"", "", "", "", "OR", " ( ", ")"}})),
                 QString("SELECT * FROM FILETYPE WHERE ( ORDER BY PATH,NAME,EXTENSION"));
        // One line: the default connection's " AND " goes; a chosen "OR" stays.
        QCOMPARE(whereOf({{"NAME", "=", "A*"}}), QString("NAME LIKE 'A*'"));
        QCOMPARE(whereOf({{"NAME", "=", "A*", "", "AND"}}), QString("NAME LIKE 'A*'"));
        QCOMPARE(whereOf({{"NAME", "=", "A*", "", "OR"}}), QString("NAME LIKE 'A*' OR "));
        QCOMPARE(whereOf({{"NAME", "=", "A*", "", "AND NOT"}}), QString("NAME LIKE 'A*' AND NOT "));
        // Only the last " AND " is removed.
        QCOMPARE(whereOf({{"NAME", "=", "A*"}, {"", "", ""}, {"SIZE", ">", "1", "  "}, {"", "", ""}}),
                 QString("NAME LIKE 'A*' AND SIZE > 1"));
        // Negated evaluations.
        QCOMPARE(whereOf({{"NAME", "NOT =", "AB"}}), QString("NOT (NAME LIKE 'AB')"));
        QCOMPARE(whereOf({{"SIZE", "NOT =", "0", "  "}}), QString("NOT (SIZE = 0)"));
        QCOMPARE(whereOf({{"HIDDEN", "=", "SET"}}), QString("HIDDEN = TRUE"));
        QCOMPARE(whereOf({{"HIDDEN", "NOT =", "SET"}}), QString("HIDDEN = FALSE"));
        QCOMPARE(whereOf({{"NAME", "=", "MY_FILE"}}), QString("NAME LIKE 'MY_FILE'"));
        // Brackets trimmed, around the condition, then the connection.
        QCOMPARE(whereOf({{"NAME", "=", "A*", "", "OR", " (( ", ") "},
                          {"EXTENSION", "=", "TXT", "", "", "", "))"}}),
                 QString("((NAME LIKE 'A*') OR EXTENSION LIKE 'TXT'))"));
        // Sizes, dates and times as the engine reads them.
        QCOMPARE(whereOf({{"SIZE", "=", "1.5", "KB"}}), QString("SIZE = 1536"));
        QCOMPARE(whereOf({{"SIZE", "=", "2", "MB"}}), QString("SIZE = 2097152"));
        QCOMPARE(whereOf({{"SIZE", "=", "1,024", "  "}}), QString("SIZE = 1024"));
        QCOMPARE(whereOf({{"DATE", ">=", "12-07-96"}}), QString("DATE >= 19961207"));
        QCOMPARE(whereOf({{"TIME", "<", "09:30"}}), QString("TIME < 093000"));
        // The apostrophe stays inside the literal.
        QCOMPARE(whereOf({{"NAME", "=", "O'BRIEN"}}), QString("NAME LIKE 'O''BRIEN'"));
    }

    // ---- runs over the scanned tree -------------------------------------------------------------

    void exampleSelectsWhatItMeans() {
        const QList<Rec> all = readAll(*f->ws.database->openSql("SELECT * FROM FILETYPE"));
        QVERIFY(all.size() >= 13);
        QCOMPARE(select(exampleRows(), sorters("SIZE", false, "NAME", true)), SelectionOutcome::Selected);
        QCOMPARE(qs.selectStatement, ExampleStatement);
        QCOMPARE(qs.orderByList, QString("SIZE DESC,NAME"));
        QCOMPARE(qs.whereClause, QString("NAME LIKE 'A*' AND SIZE >= 1024 OR NOT (EXTENSION LIKE 'TXT')"));

        // AND before OR, LIKE ignoring case with "*".
        QList<Rec> expected;
        for (const Rec& r : all) {
            const bool startsWithA = r.name.startsWith(u'A', Qt::CaseInsensitive);
            const bool txt = r.extension.compare(QStringLiteral("TXT"), Qt::CaseInsensitive) == 0;
            if ((startsWithA && r.size >= 1024) || !txt)
                expected << r;
        }
        const QList<Rec> got = selected();
        QCOMPARE(places(got), places(expected));
        QVERIFY(longNames(got).contains("Apple.txt"));
        QVERIFY(longNames(got).contains("Acorn.txt"));
        QVERIFY(!longNames(got).contains("Banana.txt"));
        QVERIFY(longNames(got).contains("ABC.TXT"));
        QVERIFY(longNames(got).contains("Avocado.doc"));
        for (qsizetype i = 1; i < got.size(); ++i) {
            const Rec& a = got[i - 1];
            const Rec& b = got[i];
            QVERIFY2(a.size > b.size || (a.size == b.size && a.name <= b.name),
                     qPrintable(a.where + " " + b.where));
        }
        QCOMPARE(f->ws.scanResult, static_cast<long long>(expected.size()));
        QCOMPARE(selectionText(), ExampleStatement);
        QVERIFY(f->ws.sqlFlags[static_cast<size_t>(work::SqlRecordset::Selection)]);
        QCOMPARE(busyCalls, (QList<bool>{true, false}));
        QVERIFY(f->prompter.messages.isEmpty());
    }

    void likeIgnoresCaseAndTakesWildcards() {
        QCOMPARE(select({{"LONGNAME", "=", "APPLE*"}}), SelectionOutcome::Selected);
        QCOMPARE(longNames(selected()), QStringList({"Apple.txt"}));
        QCOMPARE(select({{"NAME", "=", "B?NANA"}}), SelectionOutcome::Selected);
        QCOMPARE(longNames(selected()), QStringList({"Banana.txt"}));
        QCOMPARE(select({{"EXTENSION", "=", "TXT"}, {"NAME", "NOT =", "A*"}}), SelectionOutcome::Selected);
        QCOMPARE(longNames(selected()), QStringList({"Banana.txt"}));
        QCOMPARE(select({{"SIZE", ">", "2", "MB"}}), SelectionOutcome::Selected);
        QCOMPARE(longNames(selected()), QStringList({"Big.bin"}));
    }

    void apostropheSelectsOnlyItsFile() {
        QCOMPARE(select({{"NAME", "=", "O'BRIEN"}}), SelectionOutcome::Selected);
        QCOMPARE(longNames(selected()), QStringList({"O'Brien"}));
        QCOMPARE(select({{"LONGNAME", "=", "O'BRIEN"}}), SelectionOutcome::Selected);
        QCOMPARE(longNames(selected()), QStringList({"O'Brien"}));
        // A value written to break out of the literal is only a name that no file has.
        QCOMPARE(select({{"NAME", "=", "X' OR 'A'='A"}}), SelectionOutcome::Empty);
        QCOMPARE(f->prompter.texts(), QStringList({NoFilesInSelectionText}));
    }

    void datesAndTimes() {
        QCOMPARE(select({{"DATE", "=", "12-07-96"}, {"TIME", "=", "09:30"}}), SelectionOutcome::Selected);
        QCOMPARE(longNames(selected()), QStringList({"Morning.dat"}));
        QCOMPARE(select({{"DATE", "=", "12-07-96"}, {"TIME", ">", "12:00"}}), SelectionOutcome::Selected);
        QCOMPARE(longNames(selected()), QStringList({"Afternoon.dat"}));

        // With a 12-hour clock, 02:30 PM is what the walker recorded as 14:30.
        platform::IntlSettings twelve;
        twelve.iTime = 0;
        QCOMPARE(select({{"TIME", "=", "02:30", "PM"}, {"DATE", "<", "01-01-00"}}, {}, twelve),
                 SelectionOutcome::Selected);
        QCOMPARE(longNames(selected()), QStringList({"Afternoon.dat"}));
        QCOMPARE(select({{"TIME", "=", "09:30", "AM"}, {"DATE", "<", "01-01-00"}}, {}, twelve),
                 SelectionOutcome::Selected);
        QCOMPARE(longNames(selected()), QStringList({"Morning.dat"}));
    }

    void zeroRecords() {
        QCOMPARE(select({{"NAME", "=", "ZZZ*"}}), SelectionOutcome::Empty);
        QCOMPARE(f->ws.scanResult, 0LL);
        QCOMPARE(f->prompter.messages.size(), 1);
        QCOMPARE(f->prompter.messages[0].text, QString("No files in selection, please reselect."));
        QCOMPARE(f->prompter.messages[0].style, platform::MbOkOnly);
        QCOMPARE(f->prompter.messages[0].title, platform::DefaultMessageTitle);
        QCOMPARE(busyCalls, (QList<bool>{true, false}));
    }

    void rejectedStatement_data() {
        QTest::addColumn<QList<Row>>("rows");
        QTest::newRow("lone bracket") << QList<Row>{{"", "", "", "", "", "("}};
        QTest::newRow("unclosed bracket") << QList<Row>{{"NAME", "=", "A*", "", "", "("}};
        QTest::newRow("dangling OR") << QList<Row>{{"NAME", "=", "A*", "", "OR"}};
        QTest::newRow("field without value") << QList<Row>{{"NAME", "=", ""}};
        QTest::newRow("size without value") << QList<Row>{{"SIZE", ">=", "", "  "}};
        QTest::newRow("untouched date box") << QList<Row>{{"DATE", "=", "__-__-__"}};
        QTest::newRow("untouched time box") << QList<Row>{{"TIME", "NOT =", "__:__"}};
    }
    void rejectedStatement() {
        QFETCH(QList<Row>, rows);
        // A selection from an earlier run, which the rejected one must leave in place.
        QCOMPARE(select({{"NAME", "=", "APPLE"}}), SelectionOutcome::Selected);
        db::Recordset* before = selection();
        const QString beforeText = selectionText();
        const long long beforeCount = f->ws.scanResult;
        busyCalls.clear();

        QCOMPARE(select(rows), SelectionOutcome::Rejected);
        QCOMPARE(f->prompter.messages.size(), 1);
        const QString text = f->prompter.messages[0].text;
        QVERIFY2(text.startsWith("Error # " + QString::number(db::ErrSyntax) + " : "), qPrintable(text));
        QVERIFY(text.endsWith("\r\n" + qs.selectStatement));
        QCOMPARE(busyCalls, (QList<bool>{true, false}));
        QCOMPARE(selection(), before);
        QCOMPARE(selectionText(), beforeText);
        QCOMPARE(f->ws.scanResult, beforeCount);
        QCOMPARE(longNames(selected()), QStringList({"Apple.txt"}));
    }

    void selectionReopensWithTheWorkFile() {
        QCOMPARE(select({{"EXTENSION", "=", "DAT"}}), SelectionOutcome::Selected);
        QCOMPARE(f->ws.scanResult, 2LL);
        QVERIFY(work::saveWorkFile(f->ws, f->env.path("saved.zek")));
        QVERIFY(selection());
        QVERIFY(selection()->isOpen());
        QCOMPARE(selection()->recordCount(), 2LL);
        QCOMPARE(longNames(selected()), QStringList({"Afternoon.dat", "Morning.dat"}));
    }

    void loadedFileGivesTheSameStatement() {
        QList<Row> rows = exampleRows();
        rows[3] = {"NAME", "NOT =", "O'BRIEN", "", "AND NOT"};
        rows[4] = {"DATE", "<", "12-07-96", "", "", "(", ")"};
        f->ws.settings.queryLines = conditionLines(rows);
        f->ws.settings.sorters = sorters("SIZE", false, "NAME");
        QCOMPARE(buildQueryAndReports(f->ws, qs), SelectionOutcome::Selected);
        const QString statement = qs.selectStatement;
        const long long count = f->ws.scanResult;
        const QString file = f->env.path("inventory.zek");
        QVERIFY(work::saveWorkFile(f->ws, file));

        // Another work directory: the first working copy is held open.
        work::WorkState other;
        other.workDirectory = f->env.path("work2");
        QDir().mkpath(other.workDirectory);
        QueryState otherQuery;
        otherQuery.hooks.defaultPrinter = [] { return printerNamed("PDF"); };
        QObject::connect(&other.events, &work::WorkEvents::storedFileOpened,
                         [&] { confirmReportCreation(other, otherQuery); });
        f->prompter.messageAnswers = {platform::IdYes};
        QString name = file;
        work::openWorkFile(other, "LOAD", name);
        QVERIFY(!other.activeFileName.isEmpty());
        QCOMPARE(otherQuery.selectStatement, statement);
        QCOMPARE(other.sqlTexts[static_cast<size_t>(work::SqlRecordset::Selection)], statement);
        QVERIFY(other.sqlRecordsets[static_cast<size_t>(work::SqlRecordset::Selection)]);
        QCOMPARE(other.sqlRecordsets[static_cast<size_t>(work::SqlRecordset::Selection)]->recordCount(),
                 count);
        work::closeWorkFile(other);
    }

    // ---- preconditions and the offer ----------------------------------------------------------

    void preconditions() {
        work::WorkState& ws = f->ws;
        QVERIFY(!ws.settings.detailColumns.empty());
        QVERIFY(!ws.settings.summaryColumns.empty());

        qs.hooks.defaultPrinter = [] { return printerNamed("Office", 2); };
        QVERIFY(checkReportPreconditions(ws, qs));
        QCOMPARE(qs.printerName, QString("Office"));
        QCOMPARE(qs.printerOrientation, QString("Landscape"));
        qs.hooks.defaultPrinter = [] { return printerNamed("PDF", 7); };
        QVERIFY(checkReportPreconditions(ws, qs));
        QCOMPARE(qs.printerOrientation, QString("Portrait"));
        QVERIFY(f->prompter.messages.isEmpty());

        // The first failing check decides, in this order.
        const work::WorkSettings good = ws.settings;
        ws.settings.folders.clear();
        ws.settings.detailColumns.clear();
        qs.hooks.defaultPrinter = [] { return printerNamed(""); };
        QVERIFY(!checkReportPreconditions(ws, qs));
        qs.hooks.defaultPrinter = nullptr;
        QVERIFY(!checkReportPreconditions(ws, qs));
        qs.hooks.defaultPrinter = [] { return printerNamed("PDF"); };
        QVERIFY(!checkReportPreconditions(ws, qs));
        ws.settings.folders = good.folders;
        QVERIFY(!checkReportPreconditions(ws, qs));
        ws.settings.detailColumns = good.detailColumns;
        ws.settings.summaryColumns = {ReportColumn{" ", "", 990, "", ""}};
        QVERIFY(!checkReportPreconditions(ws, qs));
        QCOMPARE(f->prompter.texts(),
                 QStringList({"Please Specify a default printer.", "Please Specify a default printer.",
                              "You have to add drives and directories first.",
                              "Please specify a Field in 'Field in Grid' of 'Query & Detail'.",
                              "Please specify a Field in 'Summaryfield in Grid' of 'Summary'."}));
        QCOMPARE(f->prompter.messages[0].style, platform::MbOkOnly | platform::MbExclamation);
        QCOMPARE(f->prompter.messages[2].style, platform::MbOkOnly);
        QCOMPARE(f->prompter.messages[2].title, platform::DefaultMessageTitle);
    }

    void confirmAnsweredNo() {
        int historic = 0;
        QObject context;
        connect(&f->ws.events, &work::WorkEvents::reportsOfferedFromLoadedFile, &context,
                [&] { ++historic; });
        f->ws.reportsBuilt = f->ws.reportsCurrent = false;
        f->ws.unchangedFlags.fill(true);
        f->ws.settings.queryLines = conditionLines(exampleRows());
        f->prompter.messageAnswers = {platform::IdNo};
        confirmReportCreation(f->ws, qs);
        QCOMPARE(historic, 1);
        QVERIFY(f->ws.reportsBuilt && f->ws.reportsCurrent);
        QCOMPARE(f->prompter.messages.size(), 1);
        QCOMPARE(f->prompter.messages[0].text,
                 QString("Create a report based on the information of the loaded database ?"));
        QCOMPARE(f->prompter.messages[0].style, platform::MbYesNo | platform::MbQuestion);
        QCOMPARE(f->prompter.messages[0].title, QString("Reports creation"));
        QVERIFY(qs.selectStatement.isEmpty());
        QVERIFY(!selection());
        QCOMPARE(f->ws.unchangedFlags, (std::array<bool, 7>{true, true, true, true, true, true, true}));
    }

    void confirmAnsweredYes() {
        f->ws.unchangedFlags.fill(true);
        f->ws.scanResult = 0;
        f->ws.settings.queryLines = conditionLines(exampleRows());
        f->ws.settings.sorters = sorters("SIZE", false, "NAME");
        f->prompter.messageAnswers = {platform::IdYes};
        confirmReportCreation(f->ws, qs);
        QCOMPARE(qs.selectStatement, ExampleStatement);
        QVERIFY(selection());
        QCOMPARE(f->ws.unchangedFlags, (std::array<bool, 7>{}));
        QCOMPARE(f->ws.scanResult, work::NoCompletedScan);
        QCOMPARE(f->prompter.messages.size(), 1);
        QCOMPARE(qs.printerName, QString("PDF"));
    }

    void confirmYesWithoutPrinter() {
        f->ws.unchangedFlags.fill(true);
        f->ws.scanResult = 0;
        qs.hooks.defaultPrinter = [] { return printerNamed(""); };
        f->prompter.messageAnswers = {platform::IdYes};
        confirmReportCreation(f->ws, qs);
        QCOMPARE(f->prompter.texts(),
                 QStringList({"Create a report based on the information of the loaded database ?",
                              "Please Specify a default printer."}));
        QVERIFY(qs.selectStatement.isEmpty());
        QCOMPARE(f->ws.scanResult, 0LL);
        QCOMPARE(f->ws.unchangedFlags, (std::array<bool, 7>{true, true, true, true, true, true, true}));
    }
};

QTEST_MAIN(TestStatementBuilder)
#include "test_statement_builder.moc"
