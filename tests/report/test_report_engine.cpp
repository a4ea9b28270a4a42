// The report table engine: page sizing, creation limits, misuse messages, the in-memory sort and
// pages read from a real work file's report tables.
#include "report/report_engine.h"
#include "support/report_tables.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QtTest>

#include <algorithm>
#include <random>

using namespace zek;
using namespace zek::report;
using zek::test::ScriptedPrompter;
using zek::test::ShownMessage;
using zek::test::TestEnvironment;

Q_DECLARE_METATYPE(zek::report::ReportKind)

namespace {

// The page height that gives this many rows per page.
int heightFor(int rowsPerPage) {
    return PageMargins + HeaderHeight + rowsPerPage * (RowPitch + RuleHeight);
}

struct Session {
    TestEnvironment env;
    ScriptedPrompter prompter;
    work::WorkState ws;
    ReportEngine detail{ReportKind::Detail, ws};
    ReportEngine summary{ReportKind::Summary, ws};

    Session() {
        ws.workDirectory = env.workDirectory();
        QString name;
        work::openWorkFile(ws, "INIT", name);
        prompter.clear();
    }
    ~Session() { work::closeWorkFile(ws); }

    ReportEngine& engine(ReportKind kind) { return kind == ReportKind::Detail ? detail : summary; }
};

// A report of text columns, `perPage` rows to a page.
int createText(ReportEngine& engine, int columns, int rows, int perPage,
               const QString& title = "Detail Report") {
    engine.pageHeight = [perPage] { return heightFor(perPage); };
    const int result = engine.rptCreate(title, 0, columns, rows, 0, 0, "first", "second", "foot 1", "foot 2");
    for (int c = 1; c <= columns && result == 0; ++c)
        engine.rptDefineColumn(c, TextType, "Column " + QString::number(c), 990, 0, "@", false);
    return result;
}

QStringList pageColumn(const ReportEngine& engine, int column) {
    QStringList texts;
    for (const QStringList& row : engine.page().rows)
        texts.append(row.value(column - 1));
    return texts;
}

} // namespace

class ReportEngineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pageSizing_data() {
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("rowsPerPage");
        QTest::addColumn<int>("pages");
        QTest::newRow("letter, empty") << LetterHeightTwips << 0 << 48 << 0;
        QTest::newRow("letter, 47.875 rounds up") << LetterHeightTwips << 97 << 48 << 3;
        QTest::newRow("A4, 52.03 rounds down") << A4HeightTwips << 52 << 52 << 1;
        QTest::newRow("exact multiple") << heightFor(50) << 100 << 50 << 2;
        QTest::newRow("one more") << heightFor(50) << 101 << 50 << 3;
        QTest::newRow("half to even, down") << heightFor(48) + 120 << 1 << 48 << 1;
        QTest::newRow("half to even, up") << heightFor(49) + 120 << 1 << 50 << 1;
        QTest::newRow("limit") << heightFor(1) << MaxRows << 1 << MaxRows;
    }
    void pageSizing() {
        QFETCH(int, pageHeight);
        QFETCH(int, rows);
        QFETCH(int, rowsPerPage);
        QFETCH(int, pages);
        Session s;
        s.detail.pageHeight = [pageHeight] { return pageHeight; };
        QCOMPARE(s.detail.rptCreate("Detail Report", 1, 1, rows, 0, 0, "", "", "", ""), 0);
        QCOMPARE(s.detail.rowsPerPage(), rowsPerPage);
        QCOMPARE(s.detail.pageCount(), pages);
        QCOMPARE(s.detail.page().rows.size(), size_t(rowsPerPage));
        QVERIFY(s.prompter.messages.isEmpty());
    }

    void failedCreation_data() {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<int>("numeric");
        QTest::addColumn<int>("text");
        QTest::addColumn<double>("rows");
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("message");
        const QString tooLarge = "Error: report too large!";
        const QString noColumns = "Error: there must be one or more columns";
        QTest::newRow("no columns") << ReportKind::Detail << 0 << 0 << 5.0 << LetterHeightTwips << "RptCreate"
                                    << noColumns;
        QTest::newRow("summary, no columns")
            << ReportKind::Summary << 2 << -2 << 5.0 << LetterHeightTwips << "SRptCreate" << noColumns;
        QTest::newRow("32768 rows") << ReportKind::Detail << 1 << 1 << 32768.0 << LetterHeightTwips
                                    << "RptCreate" << tooLarge;
        QTest::newRow("summary, 32767.5 rows rounds to 32768")
            << ReportKind::Summary << 0 << 2 << 32767.5 << LetterHeightTwips << "SRptCreate" << tooLarge;
        QTest::newRow("negative rows")
            << ReportKind::Detail << 0 << 1 << -1.0 << LetterHeightTwips << "RptCreate" << tooLarge;
        QTest::newRow("no rows fit") << ReportKind::Detail << 0 << 1 << 5.0 << heightFor(0) + 119
                                     << "RptCreate" << tooLarge;
        QTest::newRow("no printer page")
            << ReportKind::Summary << 0 << 1 << 5.0 << 0 << "SRptCreate" << tooLarge;
    }
    void failedCreation() {
        QFETCH(ReportKind, kind);
        QFETCH(int, numeric);
        QFETCH(int, text);
        QFETCH(double, rows);
        QFETCH(int, pageHeight);
        QFETCH(QString, caption);
        QFETCH(QString, message);
        Session s;
        ReportEngine& engine = s.engine(kind);
        engine.pageHeight = [pageHeight] { return pageHeight; };
        QSignalSpy created(&engine, &ReportEngine::created);
        QSignalSpy availability(&engine, &ReportEngine::availabilityChanged);
        QCOMPARE(engine.rptCreate("Report", numeric, text, rows, 0, 0, "", "", "", ""), -1);
        QCOMPARE(s.prompter.messages.size(), 1);
        QCOMPARE(s.prompter.messages[0].text, message);
        QCOMPARE(s.prompter.messages[0].title, caption);
        QCOMPARE(s.prompter.messages[0].style, platform::MbOkOnly | platform::MbCritical);
        // A report that cannot be made shows no viewer and offers nothing to print.
        QCOMPARE(created.size(), 0);
        QCOMPARE(availability.size(), 0);
        QVERIFY(!engine.isAvailable());
    }

    void misuseMessages_data() {
        QTest::addColumn<ReportKind>("kind");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("messages");
        // The report: column 1 numeric, column 2 text, 3 rows, 2 rows a page.
        const struct {
            ReportKind kind;
            QString defineColumn, setText, setValue, sort, newPage;
        } kinds[] = {
            {ReportKind::Detail, "RptDefineColumn", "RptSetText", "RptSetValue", "RptSort", "RptNewPage"},
            {ReportKind::Summary, "SrptDefineColumn", "SrptSetText", "SrptSetValue", "SRptSort",
             "SrptNewPage"},
        };
        for (const auto& k : kinds) {
            const QString prefix = k.kind == ReportKind::Detail ? "detail " : "summary ";
            auto row = [&](const char* name, const QString& op, int a, int b, const QString& caption,
                           const QStringList& messages) {
                QTest::newRow(qPrintable(prefix + name)) << k.kind << op << a << b << caption << messages;
            };
            row("define column 0", "define", 0, 1, k.defineColumn, {"invalid column number"});
            row("define column 3", "define", 3, 1, k.defineColumn, {"invalid column number"});
            row("second numeric", "define numeric", 2, 990, k.defineColumn, {"too many numeric columns"});
            row("second text", "define text", 1, 990, k.defineColumn, {"too many text columns"});
            row("bad type", "define bad", 1, 990, k.defineColumn, {"Invalid datatype"});
            row("bad type and width", "define bad", 1, 0, k.defineColumn,
                {"Invalid datatype", "invalid column width"});
            row("set text column 3", "text", 3, 1, k.setText, {"invalid column number"});
            row("set text row 0", "text", 2, 0, k.setText, {"invalid row number"});
            row("set text row 4", "text", 2, 4, k.setText, {"invalid row number"});
            row("set text numeric", "text", 1, 1, k.setText, {"not a valid text column"});
            row("set value column 0", "value", 0, 1, k.setValue, {"invalid column number"});
            row("set value row 4", "value", 1, 4, k.setValue, {"invalid row number"});
            row("set value text", "value", 2, 1, k.setValue, {"not a valid numeric column"});
            row("sort column 3", "sort", 3, 0, k.sort, {"invalid column number"});
            row("page 0", "page", 0, 0, k.newPage, {"invalid page number"});
            row("page 3", "page", 3, 0, k.newPage, {"invalid page number"});
        }
    }
    void misuseMessages() {
        QFETCH(ReportKind, kind);
        QFETCH(QString, operation);
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(QString, caption);
        QFETCH(QStringList, messages);
        Session s;
        ReportEngine& engine = s.engine(kind);
        engine.pageHeight = [] { return heightFor(2); };
        QCOMPARE(engine.rptCreate("Report", 1, 1, 3, 0, 0, "", "", "", ""), 0);
        engine.rptDefineColumn(1, NumericType, "Size", 990, 1, "#,##0", false);
        engine.rptDefineColumn(2, TextType, "Name", 990, 0, "@", false);
        QVERIFY(s.prompter.messages.isEmpty());

        if (operation == "define")
            engine.rptDefineColumn(a, TextType, "X", 990, 0, "@", false);
        else if (operation == "define numeric")
            engine.rptDefineColumn(a, NumericType, "X", b, 0, "@", false);
        else if (operation == "define text")
            engine.rptDefineColumn(a, TextType, "X", b, 0, "@", false);
        else if (operation == "define bad")
            engine.rptDefineColumn(a, "X", "X", b, 0, "@", false);
        else if (operation == "text")
            engine.rptSetText(a, b, "x");
        else if (operation == "value")
            engine.rptSetValue(a, b, 1.0f);
        else if (operation == "sort")
            engine.rptSort(a);
        else if (operation == "page")
            engine.rptNewPage(a);

        QStringList texts;
        for (const ShownMessage& m : std::as_const(s.prompter.messages)) {
            texts.append(m.text);
            QCOMPARE(m.title, caption);
            QCOMPARE(m.style, platform::MbOkOnly | platform::MbCritical);
        }
        QCOMPARE(texts, messages);
    }

    // A column defined beyond its kind's count keeps no cells: setting and sorting it changes nothing.
    void columnWithoutSlot() {
        Session s;
        s.detail.pageHeight = [] { return heightFor(2); };
        QCOMPARE(s.detail.rptCreate("Report", 0, 1, 2, 0, 0, "", "", "", ""), 0);
        s.detail.rptDefineColumn(1, TextType, "A", 990, 0, "@", false);
        s.detail.rptDefineColumn(1, TextType, "B", 990, 0, "@", false);
        QCOMPARE(s.detail.column(1).valueSlot, 0);
        s.detail.rptSetText(1, 1, "x");
        s.detail.rptSort(1);
        QCOMPARE(s.detail.textCell(1, 1), QString());
        QCOMPARE(s.prompter.texts(), QStringList{"too many text columns"});
    }

    void stateAfterCreate() {
        Session s;
        s.detail.pageHeight = [] { return heightFor(2); };
        QSignalSpy captions(&s.detail, &ReportEngine::captionChanged);
        const QString title = "A title much longer than thirty characters";
        QCOMPARE(s.detail.rptCreate(title, 1, 2, 5, 0, 0, "t1", "t2", "f1", "f2"), 0);
        QVERIFY(s.detail.isAvailable());
        QCOMPARE(s.detail.thinRuleInterval(), 9999);
        QCOMPARE(s.detail.thickRuleInterval(), 9999);
        QCOMPARE(s.detail.title(), title.left(30));
        QCOMPARE(s.detail.caption(), title);
        QCOMPARE(s.detail.titleLines().footnote2, "f2");
        QCOMPARE(s.detail.columnCount(), 3);

        s.detail.rptDefineColumn(2, TextType, "Name", 1500, 2, "@", true);
        const ColumnDefinition& def = s.detail.column(2);
        QCOMPARE(def.heading, QString("Name").leftJustified(30));
        QCOMPARE(def.format.size(), 30);
        QCOMPARE(def.valueSlot, 1);
        QCOMPARE(def.width, 1500);
        QCOMPARE(s.detail.headings(), (QStringList{"", "Name", ""}));

        work::WorkState& ws = s.ws;
        test::writeDetailTable(ws, {"NAME", "PATH", "EXTENSION"},
                               std::vector<QVariantList>(5, QVariantList{"n", "p", "e"}));
        s.detail.rptNewPage(3);
        QCOMPARE(s.detail.caption(), "A title much longer than thirt - (Page 3 of 3)");
        QCOMPARE(captions.size(), 2);

        // Trailing blanks of the title go, the ones inside stay.
        QCOMPARE(s.detail.rptCreate("Detail Report  ", 0, 3, 14, 5, 10, "", "", "", ""), 0);
        s.detail.rptNewPage(2);
        QCOMPARE(s.detail.caption(), "Detail Report - (Page 2 of 7)");
        QCOMPARE(s.detail.thinRuleInterval(), 5);
        QCOMPARE(s.detail.thickRuleInterval(), 10);
    }

    void closeEndsTheReport() {
        Session s;
        createText(s.summary, 2, 3, 2);
        QSignalSpy closed(&s.summary, &ReportEngine::closed);
        QSignalSpy availability(&s.summary, &ReportEngine::availabilityChanged);
        s.summary.rptClose();
        QCOMPARE(closed.size(), 1);
        QCOMPARE(availability.size(), 1);
        QCOMPARE(availability[0][0].toBool(), false);
        QVERIFY(!s.summary.isAvailable());
        // Nothing of the closed report is left to show.
        s.summary.rptNewPage(1);
        QCOMPARE(s.prompter.texts(), QStringList{"invalid page number"});
    }

    void pagesReadFromTheRecordTable() {
        Session s;
        const QStringList columns{"NAME", "PATH", "EXTENSION"};
        std::vector<QVariantList> rows;
        for (int r = 1; r <= 5; ++r)
            rows.push_back({"name" + QString::number(r), "/p" + QString::number(r), QVariant()});
        test::writeDetailTable(s.ws, columns, rows);

        QCOMPARE(createText(s.detail, 3, 5, 2), 0);
        QSignalSpy pages(&s.detail, &ReportEngine::pageChanged);
        s.detail.rptNewPage(1);
        QCOMPARE(s.detail.page().number, 1);
        QCOMPARE(s.detail.page().rows[0], (QStringList{"name1", "/p1", ""}));
        QCOMPARE(s.detail.page().rows[1], (QStringList{"name2", "/p2", ""}));
        s.detail.rptNewPage(3);
        QCOMPARE(s.detail.currentPage(), 3);
        QCOMPARE(pageColumn(s.detail, 1), (QStringList{"name5", ""}));
        QCOMPARE(s.detail.page().rows[1], (QStringList{"", "", ""}));
        s.detail.rptNewPage(2);
        QCOMPARE(pageColumn(s.detail, 2), (QStringList{"/p3", "/p4"}));
        QCOMPARE(pages.size(), 3);
        QVERIFY(s.prompter.messages.isEmpty());
    }

    void summaryShowsNullAsDashes() {
        Session s;
        test::writeSummaryTable(s.ws, {"PATH", "SEL"}, {{"/a", "1"}, {"/b", QVariant()}});
        QCOMPARE(createText(s.summary, 2, 2, 5, "Summary Report"), 0);
        s.summary.rptNewPage(1);
        QCOMPARE(pageColumn(s.summary, 2), (QStringList{"1", "---", "", "", ""}));
        QCOMPARE(s.summary.caption(), "Summary Report - (Page 1 of 1)");
    }

    void recordNotFound() {
        Session s;
        test::writeDetailTable(s.ws, {"NAME"}, {{"a"}, {"b"}});
        QCOMPARE(createText(s.detail, 1, 4, 2), 0);
        s.detail.rptNewPage(2);
        QCOMPARE(s.prompter.messages.size(), 1);
        QCOMPARE(s.prompter.messages[0].text, "Internal error when locating records to display");
        QCOMPARE(s.prompter.messages[0].title, "ZEK");
        QCOMPARE(s.prompter.messages[0].style, platform::MbOkOnly);
        QCOMPARE(pageColumn(s.detail, 1), (QStringList{"", ""}));
        QCOMPARE(s.detail.caption(), "Detail Report - (Page 2 of 2)");
    }

    void engineErrorIsShown() {
        Session s;
        QCOMPARE(createText(s.detail, 1, 4, 2), 0);
        // No FILEDETTYPE in the work file.
        s.detail.rptNewPage(1);
        QCOMPARE(s.prompter.messages.size(), 1);
        QVERIFY2(s.prompter.messages[0].text.startsWith("Error # 3078 : "),
                 qPrintable(s.prompter.messages[0].text));
        QCOMPARE(s.prompter.messages[0].title, "RptNewPage");
        QCOMPARE(pageColumn(s.detail, 1), (QStringList{"", ""}));
    }

    void sortNumbersMovesWholeRows() {
        Session s;
        s.detail.pageHeight = [] { return heightFor(10); };
        const float values[] = {3.5f, -1.0f, 10.0f, 3.5f, 0.0f, 2.0f};
        const int n = std::size(values);
        QCOMPARE(s.detail.rptCreate("Report", 2, 1, n, 0, 0, "", "", "", ""), 0);
        s.detail.rptDefineColumn(1, NumericType, "Size", 990, 1, "", false);
        s.detail.rptDefineColumn(2, TextType, "Name", 990, 0, "", false);
        s.detail.rptDefineColumn(3, NumericType, "Twice", 990, 1, "", false);
        for (int r = 1; r <= n; ++r) {
            s.detail.rptSetValue(1, r, values[r - 1]);
            s.detail.rptSetText(2, r, QString::number(values[r - 1]));
            s.detail.rptSetValue(3, r, 2 * values[r - 1]);
        }
        s.detail.rptSort(1);
        const float sorted[] = {-1.0f, 0.0f, 2.0f, 3.5f, 3.5f, 10.0f};
        for (int r = 1; r <= n; ++r) {
            QCOMPARE(s.detail.numericCell(1, r), sorted[r - 1]);
            QCOMPARE(s.detail.textCell(1, r), QString::number(sorted[r - 1]));
            QCOMPARE(s.detail.numericCell(2, r), 2 * sorted[r - 1]);
        }
    }

    void sortTextsIgnoresCase() {
        Session s;
        s.detail.pageHeight = [] { return heightFor(10); };
        const QStringList texts{"cherry", "Banana", "apple", "banana2", "Apple", ""};
        QCOMPARE(s.detail.rptCreate("Report", 1, 1, texts.size(), 0, 0, "", "", "", ""), 0);
        s.detail.rptDefineColumn(1, TextType, "Name", 990, 0, "", false);
        s.detail.rptDefineColumn(2, NumericType, "Row", 990, 1, "", false);
        for (int r = 1; r <= texts.size(); ++r) {
            s.detail.rptSetText(1, r, texts[r - 1]);
            s.detail.rptSetValue(2, r, r);
        }
        QList<QPair<QString, bool>> status;
        connect(&s.detail, &ReportEngine::statusChanged, this, [&] {
            status.append({s.detail.statusText(), s.detail.statusVisible()});
        });
        s.detail.rptSort(1);
        QStringList result;
        for (int r = 1; r <= texts.size(); ++r)
            result.append(s.detail.textCell(1, r));
        QCOMPARE(result.mid(0, 1), QStringList{""});
        QCOMPARE(result.mid(1, 2).join(',').toLower(), "apple,apple");
        QCOMPARE(result.mid(3), (QStringList{"Banana", "banana2", "cherry"}));
        // The row numbers travelled with their texts.
        QCOMPARE(texts[int(s.detail.numericCell(1, 6)) - 1], "cherry");
        const QString heading = "sorting by " + QString("Name").leftJustified(30);
        QCOMPARE(status, (QList<QPair<QString, bool>>{{heading, true}, {heading, false}}));
    }

    // Orders that make the quicksort work hardest: long runs (reverse order), and all keys equal,
    // which splits every range in the middle and stacks the most pending ranges.
    void sortLargeReports_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("text");
        QTest::newRow("reverse numbers") << "reverse" << 30000 << false;
        QTest::newRow("reverse texts") << "reverse" << 30000 << true;
        QTest::newRow("equal numbers") << "equal" << MaxRows << false;
        QTest::newRow("random numbers") << "random" << MaxRows << false;
        QTest::newRow("random texts") << "random" << 5000 << true;
    }
    void sortLargeReports() {
        QFETCH(QString, order);
        QFETCH(int, rows);
        QFETCH(bool, text);
        Session s;
        s.detail.pageHeight = [] { return heightFor(50); };
        QCOMPARE(s.detail.rptCreate("Report", 1, 1, rows, 0, 0, "", "", "", ""), 0);
        s.detail.rptDefineColumn(1, NumericType, "Key", 990, 1, "", false);
        s.detail.rptDefineColumn(2, TextType, "Text", 990, 0, "", false);
        std::mt19937 random(7);
        std::vector<int> keys;
        for (int r = 1; r <= rows; ++r) {
            const int key = order == "reverse" ? rows - r : order == "equal" ? 1 : int(random() % 100000);
            keys.push_back(key);
            s.detail.rptSetValue(1, r, float(key));
            s.detail.rptSetText(2, r, QString::number(key).rightJustified(6, '0'));
        }
        s.detail.rptSort(text ? 2 : 1);
        std::sort(keys.begin(), keys.end());
        for (int r = 1; r <= rows; ++r) {
            if (s.detail.numericCell(1, r) != float(keys[size_t(r - 1)]))
                QFAIL(qPrintable("row " + QString::number(r) + " out of order"));
            if (s.detail.textCell(1, r) != QString::number(keys[size_t(r - 1)]).rightJustified(6, '0'))
                QFAIL(qPrintable("row " + QString::number(r) + " lost its text"));
        }
        QVERIFY(s.prompter.messages.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ReportEngineTest)
#include "test_report_engine.moc"
