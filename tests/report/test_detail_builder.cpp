// The Detail report builder over a real work file: cell texts, rows in selection order, what the
// unchanged flags let it keep, and a failed build that leaves the former table and no report.
#include "db/record_appender.h"
#include "report/report_build.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QSignalSpy>
#include <QtTest>

using namespace zek;
using namespace zek::report;
using zek::test::ScriptedPrompter;
using zek::test::TestEnvironment;

namespace {

struct FileRow {
    QString longName;
    qint64 size = 0;
    qint64 date = 20240315;
    qint64 time = 90507;
    bool archive = false;

    FileRow(const QString& n, qint64 s = 0, qint64 d = 20240315, qint64 t = 90507, bool a = false)
        : longName(n), size(s), date(d), time(t), archive(a) {}
};

// A column with its size unit.
struct Col {
    QString name;
    QString extra;

    Col(const char* n, const char* e = "") : name(n), extra(e) {}
};

struct Session {
    TestEnvironment env;
    ScriptedPrompter prompter;
    work::WorkState ws;
    ReportEngine detail{ReportKind::Detail, ws};
    BuildInputs inputs;

    Session() {
        ws.workDirectory = env.workDirectory();
        QString name;
        work::openWorkFile(ws, "INIT", name);
        detail.pageHeight = [] { return PageMargins + HeaderHeight + 50 * (RowPitch + RuleHeight); };
        ws.settings.detailTitles = {"Title one", "Title two", "Foot one", "Foot two"};
        setAllFlags(false); // as the report-creation prompt leaves them
        prompter.clear();
    }
    ~Session() { work::closeWorkFile(ws); }

    void setAllFlags(bool unchanged) { ws.unchangedFlags.fill(unchanged); }

    void setColumns(const QList<Col>& cols) {
        ws.settings.detailColumns.clear();
        for (const Col& c : cols)
            ws.settings.detailColumns.push_back({c.name, "Head " + c.name, 990, c.extra, {}});
    }

    void addFiles(const QList<FileRow>& rows) {
        db::Transaction transaction(*ws.database);
        db::RecordAppender appender(
            *ws.database, "FILETYPE",
            {"PATH", "LONGPATH", "NAME", "LONGNAME", "SIZE", "DATE", "TIME", "ARCHIVE"});
        for (const FileRow& r : rows) {
            const QByteArray path = "/data";
            const QByteArray name = r.longName.left(8).toUpper().toUtf8();
            const QByteArray longName = r.longName.toUtf8();
            appender.setText(0, path.constData());
            appender.setText(1, path.constData());
            appender.setText(2, std::string_view(name.constData(), size_t(name.size())));
            appender.setText(3, std::string_view(longName.constData(), size_t(longName.size())));
            appender.setInteger(4, r.size);
            appender.setInteger(5, r.date);
            appender.setInteger(6, r.time);
            appender.setBoolean(7, r.archive);
            appender.append();
        }
        transaction.commit();
    }

    // Opens the selection as the statement builder does and keeps its count.
    void select(const QString& sql = "SELECT * FROM FILETYPE ORDER BY LONGNAME") {
        auto& slot = ws.sqlRecordsets[static_cast<size_t>(work::SqlRecordset::Selection)];
        if (slot)
            slot->close();
        slot = ws.database->openSql(sql);
        slot->moveLast();
        ws.scanResult = slot->recordCount();
    }

    bool build() { return buildDetailReport(ws, detail, inputs); }

    // FILEDETTYPE's records by SEEKID: every field as text.
    QList<QStringList> table() const {
        QList<QStringList> rows;
        auto rs = ws.database->openSql("SELECT * FROM FILEDETTYPE ORDER BY SEEKID");
        for (; !rs->eof(); rs->moveNext()) {
            QStringList row;
            for (int i = 0; i < rs->fieldCount(); ++i)
                row << rs->value(i).toString();
            rows << row;
        }
        return rows;
    }
    QStringList tableFields() const {
        QStringList names;
        for (const db::FieldDef& f : ws.database->tableDef("FILEDETTYPE").fields)
            names << f.name;
        return names;
    }
    QList<QStringList> pageRows(int count) const {
        QList<QStringList> rows;
        for (int r = 0; r < count; ++r)
            rows << detail.page().rows.at(size_t(r));
        return rows;
    }
};

// Every column a cell rule covers, in one report.
const QList<Col> CellColumns = {
    {"SIZE", ""},
    {"SIZE", "KB"},
    {"SIZE", "MB"},
    {"%TOTAL DISKSPACE"},
    {"%FREE DISKSPACE"},
    {"%OCCUPIED DISKSPACE"},
    {"TIME"},
    {"DATE"},
    {"ARCHIVE"},
    {"LONGNAME"},
    {"FILENUMBER"},
};

} // namespace

class DetailBuilderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cellTexts_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("archive");
        QTest::addColumn<int>("clock");
        QTest::addColumn<qint64>("totalBytes");
        QTest::addColumn<qint64>("freeBytes");
        QTest::addColumn<QStringList>("cells");
        // No scan since the program started: no disk figures, so every share is 0.
        QTest::newRow("3,000 bytes, 24-hour clock")
            << qint64(3000) << true << 1 << qint64(0) << qint64(0)
            << QStringList{"3,000", "2.93",    "0.00", "0.00",  "0.00", "0.00",
                           "09:05", "3/15/24", "X",    "a.txt", "1"};
        QTest::newRow("3,000 bytes, 12-hour clock")
            << qint64(3000) << false << 0 << qint64(0) << qint64(0)
            << QStringList{"3,000",    "2.93",    "0.00", "0.00",  "0.00", "0.00",
                           "09:05 AM", "3/15/24", " ",    "a.txt", "1"};
        // Sizes and disk figures beyond 32 bits: 3e9 of 6e9 total, 1.5e9 free, 4.5e9 occupied.
        QTest::newRow("3,000,000,000 bytes")
            << qint64(3'000'000'000) << false << 1 << qint64(6'000'000'000) << qint64(1'500'000'000)
            << QStringList{"3,000,000,000", "2,929,687.50", "2,861.02", "50.00", "200.00", "66.67",
                           "09:05",         "3/15/24",      " ",        "a.txt", "1"};
        // A disk image larger than any size text of 32 bits: its cell still fits.
        QTest::newRow("200,000,000,000 bytes")
            << qint64(200'000'000'000) << false << 1 << qint64(400'000'000'000) << qint64(100'000'000'000)
            << QStringList{"200,000,000,000", "195,312,500.00", "190,734.86", "50.00", "200.00", "66.67",
                           "09:05",           "3/15/24",        " ",          "a.txt", "1"};
    }
    void cellTexts() {
        QFETCH(qint64, size);
        QFETCH(bool, archive);
        QFETCH(int, clock);
        QFETCH(qint64, totalBytes);
        QFETCH(qint64, freeBytes);
        QFETCH(QStringList, cells);
        Session s;
        s.inputs.intl.iTime = clock;
        s.inputs.totalBytes = totalBytes;
        s.inputs.freeBytes = freeBytes;
        s.setColumns(CellColumns);
        s.addFiles({{"a.txt", size, 20240315, 90507, archive}});
        s.select();
        QVERIFY(s.build());
        QCOMPARE(s.prompter.messages.size(), 0);
        QCOMPARE(s.table(), QList<QStringList>{cells + QStringList{"1"}});
        QCOMPARE(s.detail.page().rows.at(0), cells);
    }

    // Rows in the selection's order, numbered from 1, and the report defined from the column list.
    void rowsFollowTheSelection() {
        Session s;
        s.setColumns({{"LONGNAME"}, {"FILENUMBER"}, {"SIZE"}});
        s.addFiles({{"d", 4}, {"b", 2}, {"e", 5}, {"a", 1}, {"c", 3}});
        s.select("SELECT * FROM FILETYPE ORDER BY SIZE DESC");
        QSignalSpy titles(&s.detail, &ReportEngine::titlesChanged);
        QVERIFY(s.build());
        QCOMPARE(s.prompter.messages.size(), 0);

        const QList<QStringList> expected = {
            {"e", "1", "5"}, {"d", "2", "4"}, {"c", "3", "3"}, {"b", "4", "2"}, {"a", "5", "1"}};
        QList<QStringList> stored = s.table();
        for (int r = 0; r < stored.size(); ++r)
            QCOMPARE(stored[r].takeLast(), QString::number(r + 1)); // SEEKID
        QCOMPARE(stored, expected);
        QCOMPARE(s.pageRows(5), expected);
        QCOMPARE(s.ws.scanResult, 5);

        QVERIFY(s.detail.isAvailable());
        QCOMPARE(s.detail.rowCount(), 5);
        QCOMPARE(s.detail.caption(), QString("Detail Report - (Page 1 of 1)"));
        QCOMPARE(s.detail.thinRuleInterval(), 5);
        QCOMPARE(s.detail.thickRuleInterval(), 10);
        QCOMPARE(s.detail.headings(), QStringList({"Head LONGNAME", "Head FILENUMBER", "Head SIZE"}));
        const struct {
            QString type;
            int alignment;
        } defs[] = {{"A", 0}, {"9", 1}, {"9", 1}};
        for (int c = 1; c <= 3; ++c) {
            QCOMPARE(s.detail.column(c).dataType, defs[c - 1].type);
            QCOMPARE(s.detail.column(c).alignment, defs[c - 1].alignment);
            QVERIFY(s.detail.column(c).verticalRule);
            QCOMPARE(s.detail.column(c).width, 990);
        }
        QCOMPARE(s.detail.column(2).format.trimmed(), QString("#,##0"));
        QCOMPARE(s.detail.titleLines().title1, QString("Title one"));
        QCOMPARE(s.detail.titleLines().footnote2, QString("Foot two"));
        QVERIFY(titles.size() >= 1);
    }

    // Only the titles changed: the rows stay as they are (a marker written into them survives), the
    // report is not made again, and the four labels take the new texts.
    void titleChangeKeepsTheRows() {
        Session s;
        s.setColumns({{"LONGNAME"}, {"FILENUMBER"}});
        s.addFiles({{"a"}, {"b"}});
        s.select();
        QVERIFY(s.build());
        s.ws.database->execute("UPDATE FILEDETTYPE SET LONGNAME = 'marker' WHERE SEEKID = 1");

        s.setAllFlags(true);
        s.ws.unchanged(work::SettingsGroup::DetailTitles) = false;
        s.ws.settings.detailTitles = {"New one", "New two", "New foot", ""};
        QSignalSpy created(&s.detail, &ReportEngine::created);
        QSignalSpy titles(&s.detail, &ReportEngine::titlesChanged);
        QVERIFY(s.build());
        QCOMPARE(s.prompter.messages.size(), 0);
        QCOMPARE(created.size(), 0);
        QCOMPARE(titles.size(), 1);
        const TitleLines& lines = s.detail.titleLines();
        QCOMPARE(QStringList({lines.title1, lines.title2, lines.footnote1, lines.footnote2}),
                 QStringList({"New one", "New two", "New foot", ""}));
        QCOMPARE(s.table().at(0).at(0), QString("marker"));
        QCOMPARE(s.pageRows(2), QList<QStringList>({{"marker", "1"}, {"b", "2"}}));
    }

    // A changed column list alone makes the table again with the new fields; a column listed twice
    // is a field of its own and shows twice.
    void changedColumnsRebuildTheTable() {
        Session s;
        s.setColumns({{"LONGNAME"}, {"SIZE"}});
        s.addFiles({{"a", 2048}, {"b", 1024}});
        s.select();
        QVERIFY(s.build());

        s.setAllFlags(true);
        s.ws.unchanged(work::SettingsGroup::DetailColumns) = false;
        s.setColumns({{"SIZE", "KB"}, {"LONGNAME"}, {"SIZE"}, {"ARCHIVE"}});
        QVERIFY(s.build());
        QCOMPARE(s.prompter.messages.size(), 0);
        QCOMPARE(s.tableFields(), QStringList({"SIZE", "LONGNAME", "SIZE_2", "ARCHIVE", "SEEKID"}));
        const QList<QStringList> expected = {{"2.00", "a", "2,048", " "}, {"1.00", "b", "1,024", " "}};
        QCOMPARE(s.pageRows(2), expected);
        QCOMPARE(s.detail.columnCount(), 4);
        QCOMPARE(s.detail.numericColumnCount(), 2);
        QCOMPARE(s.detail.headings(),
                 QStringList({"Head SIZE", "Head LONGNAME", "Head SIZE", "Head ARCHIVE"}));
    }

    // Another paper since the report was made (Print Setup, or a print dialog's printer): nothing
    // else changed, yet the report is paged again for the paper it will print on.
    void anotherPaperPagesTheReportAgain() {
        Session s;
        s.setColumns({{"LONGNAME"}});
        s.addFiles({{"a", 1}, {"b", 2}});
        s.select();
        QVERIFY(s.build());
        QCOMPARE(s.detail.rowsPerPage(), 50);

        s.setAllFlags(true);
        s.inputs.printerCheck = false;
        s.detail.pageHeight = [] { return PageMargins + HeaderHeight + 20 * (RowPitch + RuleHeight); };
        QVERIFY(s.build());
        QCOMPARE(s.detail.rowsPerPage(), 20);
        QCOMPARE(s.pageRows(3), QList<QStringList>({{"a"}, {"b"}, {""}}));
    }

    // A selection of another size with the same columns: the report's rows and pages follow it.
    void newSelectionResizesTheReport() {
        Session s;
        s.setColumns({{"LONGNAME"}});
        s.addFiles({{"a", 1}, {"b", 2}, {"c", 3}});
        s.select();
        QVERIFY(s.build());
        QCOMPARE(s.detail.rowCount(), 3);

        s.setAllFlags(true);
        s.ws.unchanged(work::SettingsGroup::QueryLines) = false;
        s.select("SELECT * FROM FILETYPE WHERE SIZE > 1 ORDER BY LONGNAME");
        QVERIFY(s.build());
        QCOMPARE(s.detail.rowCount(), 2);
        QCOMPARE(s.detail.caption(), QString("Detail Report - (Page 1 of 1)"));
        QCOMPARE(s.pageRows(3), QList<QStringList>({{"b"}, {"c"}, {""}}));
    }

    void failureKeepsTheFormerTable_data() {
        QTest::addColumn<QString>("selection");
        QTest::addColumn<bool>("closeSelection");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("description");
        QTest::newRow("field missing from the selection")
            << "SELECT LONGNAME FROM FILETYPE ORDER BY LONGNAME" << false << 3265
            << "Item not found in this collection.";
        // The second row's text does not fit: the first was written already and goes as well.
        QTest::newRow("value too long half-way")
            << "SELECT LONGNAME, SIZE, LONGNAME AS EXTENSION FROM FILETYPE ORDER BY LONGNAME" << false << 3163
            << "";
        QTest::newRow("selection closed")
            << "SELECT * FROM FILETYPE" << true << 3420 << "Object invalid or no longer set.";
    }
    void failureKeepsTheFormerTable() {
        QFETCH(QString, selection);
        QFETCH(bool, closeSelection);
        QFETCH(int, number);
        QFETCH(QString, description);
        Session s;
        s.setColumns({{"LONGNAME"}, {"SIZE"}});
        s.addFiles({{"abc", 1}, {"abcdef", 2}});
        s.select();
        QVERIFY(s.build());
        const QList<QStringList> former = s.table();

        s.setColumns({{"LONGNAME"}, {"SIZE"}, {"EXTENSION"}});
        s.select(selection);
        if (closeSelection)
            s.ws.sqlRecordsets[static_cast<size_t>(work::SqlRecordset::Selection)]->close();
        QSignalSpy closed(&s.detail, &ReportEngine::closed);
        QVERIFY(!s.build());

        QCOMPARE(s.prompter.messages.size(), 1);
        const test::ShownMessage& shown = s.prompter.messages[0];
        QVERIFY2(shown.text.startsWith("Error # " + QString::number(number) + " : " + description),
                 qPrintable(shown.text));
        QVERIFY(shown.text.endsWith("occurred when building the Detail report."));
        QCOMPARE(shown.style, platform::MbOkOnly | platform::MbCritical);
        QCOMPARE(shown.title, QString("ZEK"));
        QVERIFY(!s.detail.isAvailable());
        QVERIFY(closed.size() >= 1);
        QCOMPARE(s.tableFields(), QStringList({"LONGNAME", "SIZE", "SEEKID"}));
        QCOMPARE(s.table(), former);
        // The work file's own record set reads the former table too.
        db::Recordset& kept = work::openedTable(s.ws, work::WorkTable::Filedettype);
        kept.moveFirst();
        QCOMPARE(kept.fieldCount(), 3);
        QCOMPARE(kept.value(0).toString(), former[0][0]);

        // The work file is whole: the next build with a sound selection succeeds.
        s.prompter.clear();
        s.select();
        QVERIFY(s.build());
        QCOMPARE(s.prompter.messages.size(), 0);
        QCOMPARE(s.pageRows(2), QList<QStringList>({{"abc", "1", ""}, {"abcdef", "2", ""}}));
    }
};

QTEST_MAIN(DetailBuilderTest)
#include "test_detail_builder.moc"
