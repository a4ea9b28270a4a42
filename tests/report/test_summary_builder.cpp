// The Summary report built from a real work file: figures per group and their cumulation over the
// folder tree, the rows the report shows, when the tables are built again, and a failed build.
#include "db/record_appender.h"
#include "report/report_build.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QtTest>

using namespace zek;
using namespace zek::report;
using zek::test::ScriptedPrompter;
using zek::test::TestEnvironment;

namespace {

struct Entry {
    QString path; // ends in "/"
    int level;    // 0 for the chosen folder's own entries
    QString name;
    QString extension;
    qint64 size;
    bool directory = false;
};

std::string_view bytes(const QByteArray& text) {
    return std::string_view(text.constData(), size_t(text.size()));
}

const QString TxtOnly = QStringLiteral("EXTENSION = 'TXT'");

// A chosen folder /r/ holding the folders A, A.old, A-2, "A B" and A(1); A holds A/B. Selected are
// the .TXT files.
std::vector<Entry> folderTree() {
    std::vector<Entry> entries;
    for (const char* sibling : {"A", "A.old", "A-2", "A B", "A(1)"})
        entries.push_back({"/r/", 0, sibling, "", 0, true});
    entries.push_back({"/r/A/", 1, "a1.txt", "TXT", 60});
    entries.push_back({"/r/A/", 1, "a2.txt", "TXT", 40});
    entries.push_back({"/r/A/", 1, "B", "", 0, true});
    entries.push_back({"/r/A/B/", 2, "b1.txt", "TXT", 50});
    for (const char* name : {"b1.dat", "b2.dat", "b3.dat"})
        entries.push_back({"/r/A/B/", 2, name, "DAT", 10});
    for (const char* sibling : {"A.old", "A-2", "A B", "A(1)"}) {
        const QString path = QStringLiteral("/r/%1/").arg(sibling);
        entries.push_back({path, 1, "x.txt", "TXT", 7});
        entries.push_back({path, 1, "y.dat", "DAT", 3});
    }
    return entries;
}

ReportColumns columnsNamed(const QStringList& names, const QString& unit = {}) {
    ReportColumns columns;
    for (const QString& name : names)
        columns.push_back(ReportColumn{name, name + " heading", 990, unit, {}});
    return columns;
}

// The figures of FILESUMINTTYPE, in this order.
const QStringList FigureNames{"SEL",          "SELSIZE",    "UNSEL",          "UNSELSIZE", "CUMULSEL",
                              "CUMULSELSIZE", "CUMULUNSEL", "CUMULUNSELSIZE", "PATHLEVEL", "PATHSUBAANT"};
using Figures = QList<qint64>;

struct Session {
    TestEnvironment env;
    ScriptedPrompter prompter;
    work::WorkState ws;
    ReportEngine engine{ReportKind::Summary, ws};
    BuildInputs inputs;

    Session() {
        ws.workDirectory = env.workDirectory();
        QString name;
        work::openWorkFile(ws, "INIT", name);
        prompter.clear();
        engine.pageHeight = [] { return PageMargins + HeaderHeight + 50 * (RowPitch + RuleHeight); };
        ws.settings.summaryColumns = defaultSummaryColumns();
        // A first build always builds the tables.
        ws.unchanged(work::SettingsGroup::Folders) = false;
    }
    ~Session() { work::closeWorkFile(ws); }

    void add(const std::vector<Entry>& entries) {
        db::Transaction transaction(*ws.database);
        db::RecordAppender appender(
            *ws.database, "FILETYPE",
            {"PATH", "LONGPATH", "PATHLEVEL", "NAME", "LONGNAME", "EXTENSION", "SIZE", "DIRECTORY"});
        for (const Entry& e : entries) {
            const QByteArray path = e.path.toUtf8();
            const QByteArray name = e.name.toUtf8();
            const QByteArray shortName = e.name.left(8).toUtf8();
            const QByteArray extension = e.extension.toUtf8();
            appender.setText(0, bytes(path));
            appender.setText(1, bytes(path));
            appender.setInteger(2, e.level);
            appender.setText(3, bytes(shortName));
            appender.setText(4, bytes(name));
            appender.setText(5, bytes(extension));
            appender.setInteger(6, e.size);
            appender.setBoolean(7, e.directory);
            appender.append();
        }
        transaction.commit();
    }

    void groupBy(const QString& field, bool ascending) { ws.settings.sorters[0] = Sorter{field, ascending}; }

    bool build(const QString& where) {
        inputs.whereClause = where;
        return buildSummaryReport(ws, engine, inputs);
    }

    // FILESUMINTTYPE by group; a figure the table has no field for reads -1.
    QMap<QString, Figures> figures(const QString& grouping = "PATH") {
        QMap<QString, Figures> byGroup;
        auto records = ws.database->openSql("SELECT * FROM FILESUMINTTYPE");
        QStringList fields;
        for (int i = 0; i < records->fieldCount(); ++i)
            fields << records->fieldName(i);
        for (; !records->eof(); records->moveNext()) {
            Figures row;
            for (const QString& name : FigureNames)
                row << (fields.contains(name) ? records->value(name).toLongLong() : -1);
            byGroup.insert(records->value(grouping).toString(), row);
        }
        return byGroup;
    }

    // The report's cells of one column, down the first page.
    QStringList pageColumn(int column) const {
        QStringList texts;
        for (int r = 0; r < std::min<int>(engine.rowCount(), int(engine.page().rows.size())); ++r)
            texts << engine.page().rows[size_t(r)].value(column - 1);
        return texts;
    }

    QStringList storedFields(const QString& table) const {
        QStringList names;
        for (const db::FieldDef& f : ws.database->tableDef(table).fields)
            names << f.name;
        return names;
    }

    void settle() { ws.unchangedFlags.fill(true); }
};

} // namespace

class SummaryBuilderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every folder takes its own figures plus those of the folders below it; siblings whose names
    // sort between "A" and "A/B" byte by byte ("A.old", "A-2", "A B", "A(1)") take nothing of A/B
    // and nothing of each other. The folder entry B counts in A's group, where it lies.
    void cumulationOverTheFolderTree_data() {
        QTest::addColumn<QString>("grouping");
        QTest::newRow("PATH") << "PATH";
        QTest::newRow("LONGPATH") << "LONGPATH";
    }
    void cumulationOverTheFolderTree() {
        QFETCH(QString, grouping);
        Session s;
        s.add(folderTree());
        s.groupBy(grouping, true);
        s.ws.settings.summaryColumns.front().name = grouping;
        QVERIFY(s.build(TxtOnly));
        QVERIFY(s.prompter.messages.isEmpty());

        const QMap<QString, Figures> f = s.figures(grouping);
        QCOMPARE(f.size(), 7);
        //                                sel sz unsel sz  cumul: sel  sz  unsel  sz lvl sub
        QCOMPARE(f["/r/A/B/"], Figures({1, 50, 3, 30, 1, 50, 3, 30, 2, 0}));
        QCOMPARE(f["/r/A/"], Figures({2, 100, 1, 0, 3, 150, 4, 30, 1, 1}));
        for (const char* sibling : {"/r/A.old/", "/r/A-2/", "/r/A B/", "/r/A(1)/"})
            QCOMPARE(f[sibling], Figures({1, 7, 1, 3, 1, 7, 1, 3, 1, 0}));
        QCOMPARE(f["/r/"], Figures({0, 0, 5, 0, 7, 178, 13, 42, 0, 6}));

        // Ascending, byte by byte; the figures as the report shows them.
        QCOMPARE(s.engine.rowCount(), 7);
        QCOMPARE(s.pageColumn(1),
                 QStringList({"/r/", "/r/A B/", "/r/A(1)/", "/r/A-2/", "/r/A.old/", "/r/A/", "/r/A/B/"}));
        QCOMPARE(s.pageColumn(3), QStringList({"6", "0", "0", "0", "0", "1", "0"}));      // PATHSUBAANT
        QCOMPARE(s.pageColumn(9), QStringList({"178", "7", "7", "7", "7", "150", "50"})); // CUMULSELSIZE
        QCOMPARE(s.engine.caption(), QString("Summary Report - (Page 1 of 1)"));
        QCOMPARE(s.engine.column(1).dataType, TextType);
        QCOMPARE(s.engine.column(2).dataType, NumericType);
        QCOMPARE(s.engine.column(2).alignment, 1);
        QCOMPARE(s.engine.headings().value(3), QString("SEL"));
    }

    void emptyConditionLeavesNothingUnselected() {
        Session s;
        s.add(folderTree());
        QVERIFY(s.build(""));
        const QMap<QString, Figures> f = s.figures();
        for (const Figures& group : f) {
            QCOMPARE(group[2], qint64(0)); // UNSEL
            QCOMPARE(group[3], qint64(0)); // UNSELSIZE
        }
        QCOMPARE(f["/r/A/"], Figures({3, 100, 0, 0, 7, 180, 0, 0, 1, 1}));
    }

    // Grouping by a field other than a folder: no cumulation, rows in the chosen direction.
    void groupingByExtension_data() {
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("ascending") << true << QStringList({"", "DAT", "TXT"});
        QTest::newRow("descending") << false << QStringList({"TXT", "DAT", ""});
    }
    void groupingByExtension() {
        QFETCH(bool, ascending);
        QFETCH(QStringList, order);
        Session s;
        s.add(folderTree());
        s.groupBy("EXTENSION", ascending);
        s.ws.settings.summaryColumns = columnsNamed(FigureNames);
        s.ws.settings.summaryColumns.insert(s.ws.settings.summaryColumns.begin(),
                                            ReportColumn{"EXTENSION", "Ext", 450, {}, {}});
        QVERIFY(s.build(TxtOnly));

        const QMap<QString, Figures> f = s.figures("EXTENSION");
        QCOMPARE(f["TXT"], Figures({7, 178, 0, 0, 7, 178, 0, 0, 0, 0}));
        QCOMPARE(f["DAT"], Figures({0, 0, 7, 42, 0, 0, 7, 42, 0, 0}));
        QCOMPARE(f[""], Figures({0, 0, 6, 0, 0, 0, 6, 0, 0, 0}));
        QCOMPARE(s.pageColumn(1), order);
        QCOMPARE(s.engine.column(1).dataType, TextType);
    }

    // A grouping field that is no column: every column still shows its own figure.
    void groupingFieldThatIsNoColumn() {
        Session s;
        s.add(folderTree());
        s.groupBy("EXTENSION", false);
        s.ws.settings.summaryColumns = columnsNamed({"SEL", "SELSIZE"});
        QVERIFY(s.build(TxtOnly));
        QCOMPARE(s.storedFields("FILESUMTYPE"), QStringList({"SEL", "SELSIZE", "EXTENSION", "SEEKID"}));
        QCOMPARE(s.engine.page().rows[0], QStringList({"7", "178"}));
        QCOMPARE(s.engine.page().rows[1], QStringList({"0", "0"}));
    }

    // Columns with no figure (SIZE, or PATH when grouping by another field) show "---", never
    // another column's figure.
    void columnWithoutFigureShowsDashes() {
        Session s;
        s.add(folderTree());
        s.ws.settings.summaryColumns = columnsNamed({"PATH", "SIZE", "SEL"});
        QVERIFY(s.build(TxtOnly));
        QCOMPARE(s.engine.page().rows[0], QStringList({"/r/", "---", "0"}));
        auto stored = s.ws.database->openSql("SELECT * FROM FILESUMTYPE WHERE SEEKID = 1");
        QVERIFY(stored->value("SIZE").isNull());

        Session e;
        e.add(folderTree());
        e.groupBy("EXTENSION", false);
        e.ws.settings.summaryColumns = columnsNamed({"EXTENSION", "PATH", "SEL"});
        QVERIFY(e.build(TxtOnly));
        QCOMPARE(e.engine.page().rows[0], QStringList({"TXT", "---", "7"}));
    }

    // Sizes and sums stay 64-bit; the unit of a size column decides its text.
    void sizeTexts_data() {
        QTest::addColumn<QList<qint64>>("own");
        QTest::addColumn<QList<qint64>>("below");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("selSize");
        QTest::addColumn<QString>("cumulSelSize");
        QTest::addColumn<qint64>("cumulSelBytes");
        QTest::newRow("KB") << QList<qint64>{1536} << QList<qint64>{} << "KB"
                            << "1.50"
                            << "1.50" << qint64(1536);
        QTest::newRow("MB") << QList<qint64>{2097152} << QList<qint64>{} << "MB"
                            << "2.00"
                            << "2.00" << qint64(2097152);
        QTest::newRow("no unit") << QList<qint64>{1234567} << QList<qint64>{} << ""
                                 << "1,234,567"
                                 << "1,234,567" << qint64(1234567);
        QTest::newRow("a file above 32 bits") << QList<qint64>{3000000000} << QList<qint64>{} << ""
                                              << "3,000,000,000"
                                              << "3,000,000,000" << qint64(3000000000);
        QTest::newRow("sums above 32 bits")
            << QList<qint64>{3000000000, 3000000000} << QList<qint64>{3000000000} << ""
            << "6,000,000,000"
            << "9,000,000,000" << qint64(9000000000);
        QTest::newRow("sums above 32 bits in MB")
            << QList<qint64>{3000000000, 3000000000} << QList<qint64>{3000000000} << "MB"
            << "5,722.05"
            << "8,583.07" << qint64(9000000000);
    }
    void sizeTexts() {
        QFETCH(QList<qint64>, own);
        QFETCH(QList<qint64>, below);
        QFETCH(QString, unit);
        QFETCH(QString, selSize);
        QFETCH(QString, cumulSelSize);
        QFETCH(qint64, cumulSelBytes);
        Session s;
        std::vector<Entry> entries;
        for (qint64 size : own)
            entries.push_back({"/s/", 0, "f.txt", "TXT", size});
        for (qint64 size : below)
            entries.push_back({"/s/t/", 1, "g.txt", "TXT", size});
        s.add(entries);
        s.ws.settings.summaryColumns = columnsNamed({"PATH", "SELSIZE", "CUMULSELSIZE"}, unit);
        QVERIFY(s.build(TxtOnly));
        QCOMPARE(s.engine.page().rows[0], QStringList({"/s/", selSize, cumulSelSize}));
        QCOMPARE(s.figures()["/s/"][5], cumulSelBytes);
    }

    // Unchanged settings show the stored rows again; the figures are not computed again.
    void unchangedSettingsShowTheStoredRows() {
        Session s;
        s.add(folderTree());
        QVERIFY(s.build(TxtOnly));
        s.settle();
        s.add({{"/r/A/", 1, "new.txt", "TXT", 1000}});
        QVERIFY(s.build(TxtOnly));
        QCOMPARE(s.figures()["/r/A/"][1], qint64(100));
        QVERIFY(s.engine.isAvailable());
        QCOMPARE(s.engine.currentPage(), 1);

        // Changed titles reach the viewer.
        s.ws.settings.summaryTitles = ReportTitles{"One", "Two", "Foot 1", "Foot 2"};
        s.ws.unchanged(work::SettingsGroup::SummaryTitles) = false;
        QVERIFY(s.build(TxtOnly));
        QCOMPARE(s.engine.titleLines().title1, QString("One"));
        QCOMPARE(s.engine.titleLines().footnote2, QString("Foot 2"));
        QCOMPARE(s.figures()["/r/A/"][1], qint64(100));

        // A changed condition builds them again.
        s.settle();
        s.ws.unchanged(work::SettingsGroup::QueryLines) = false;
        QVERIFY(s.build(TxtOnly));
        QCOMPARE(s.figures()["/r/A/"][1], qint64(1100));
        QVERIFY(s.prompter.messages.isEmpty());
    }

    // After the program started on a stored file the engine holds no report: it is defined again
    // over the stored rows. Stored rows of another layout are built again.
    void storedRowsWithoutAReport() {
        Session s;
        s.add(folderTree());
        QVERIFY(s.build(TxtOnly));
        s.settle();
        ReportEngine fresh(ReportKind::Summary, s.ws);
        fresh.pageHeight = s.engine.pageHeight;
        QVERIFY(buildSummaryReport(s.ws, fresh, s.inputs));
        QVERIFY(fresh.isAvailable());
        QCOMPARE(fresh.rowCount(), 7);
        QCOMPARE(fresh.page().rows, s.engine.page().rows);

        // An older layout: the grouping field before the columns.
        Session old;
        old.add(folderTree());
        old.groupBy("EXTENSION", false);
        old.ws.settings.summaryColumns = columnsNamed({"SEL"});
        old.settle();
        old.ws.database->createTable(db::TableDef{"FILESUMTYPE",
                                                  {{"EXTENSION", db::FieldType::Text, 66, true},
                                                   {"SEL", db::FieldType::Text, 20, true},
                                                   {"SEEKID", db::FieldType::Currency, 0, false}},
                                                  {{"SEEKID", "SEEKID", false, false}},
                                                  0});
        old.ws.database->execute("INSERT INTO FILESUMTYPE (EXTENSION, SEL, SEEKID) VALUES ('TXT', '7', 1)");
        QVERIFY(old.build(TxtOnly));
        QCOMPARE(old.storedFields("FILESUMTYPE"), QStringList({"SEL", "EXTENSION", "SEEKID"}));
        QCOMPARE(old.pageColumn(1), QStringList({"7", "0", "0"}));
    }

    // A failed build: one message, no report, and the work file keeps the tables it had.
    void failureKeepsTheFormerTables() {
        Session s;
        s.add(folderTree());
        QVERIFY(s.build(TxtOnly));
        const QMap<QString, Figures> before = s.figures();
        s.ws.unchanged(work::SettingsGroup::QueryLines) = false;
        s.ws.settings.summaryColumns = columnsNamed({"PATH", "SEL"});

        QVERIFY(!s.build("NOSUCHFIELD = 1"));
        QCOMPARE(s.prompter.messages.size(), 1);
        const test::ShownMessage& shown = s.prompter.messages.front();
        QCOMPARE(shown.title, QString("ZEK"));
        QCOMPARE(shown.style, platform::MbOkOnly | platform::MbCritical);
        QVERIFY2(shown.text.startsWith("Error # ") &&
                     shown.text.endsWith("occurred when building the Summary report."),
                 qPrintable(shown.text));
        QVERIFY(!s.engine.isAvailable());
        QCOMPARE(s.figures(), before);
        QCOMPARE(s.storedFields("FILESUMTYPE").size(), 12);
        auto rows = s.ws.database->openSql("SELECT * FROM FILESUMTYPE");
        QCOMPARE(rows->recordCount(), 7LL);
    }
};

QTEST_MAIN(SummaryBuilderTest)
#include "test_summary_builder.moc"
