// Names on disk and condition values that hold characters with a meaning elsewhere: quotes, the
// pattern characters of other SQL dialects, control characters, direction marks, characters beyond
// 16 bits and bytes that are no UTF-8. Each is scanned as it is, selected by a condition that names
// it (and nothing that merely resembles it), and written to the Detail CSV unchanged.
#include "query/statement_builder.h"
#include "report/report_build.h"
#include "report/report_csv.h"
#include "report/report_text.h"
#include "support/condition_lines.h"
#include "support/walker_fixture.h"

#include <QBuffer>
#include <QScopeGuard>
#include <QTest>

using namespace zek;
using namespace zek::test;

namespace {

// One hostile name: made as a file under f/ and as a folder (holding "in") under d/, next to decoys
// that a value read as a pattern in the wrong way would also select.
struct HostileName {
    const char* label;
    QByteArray name;
    QList<QByteArray> decoys;
};

QList<HostileName> hostileNames() {
    return {
        {"apostrophe", "o'brien.txt", {"obrien.txt", "o''brien.txt"}},
        {"double quote", "say \"hi\"", {"say hi"}},
        {"opening bracket", "f[1].txt", {"f1.txt"}},
        {"closing bracket", "g]1", {"g1"}},
        {"bracket list", "[!a]", {"b", "!"}},
        {"percent", "100%.txt", {"100abc.txt", "100.txt"}},
        {"underscore", "a_b.txt", {"acb.txt"}},
        {"number sign", "n#1.txt", {"n51.txt"}},
        {"tab", "t\tb", {"t b"}},
        {"line feed", "l\nb", {"l b"}},
        {"control character",
         "c\x01"
         "b",
         {"cb"}},
        {"right-to-left mark",
         "\xe2\x80\x8f"
         "rlm",
         {"rlm"}},
        {"right-to-left override",
         "x\xe2\x80\xae"
         "txt.exe",
         {"xtxt.exe"}},
        {"beyond 16 bits", "clef \xf0\x9d\x84\x9e", {"clef x"}},
        {"combining mark", "e\xcc\x81t\xc3\xa9", {"et\xc3\xa9"}},
    };
}

QString shown(const QByteArray& name) {
    return QString::fromUtf8(name);
}

// The records a statement selects, as "LONGPATH|LONGNAME" relative to `top`.
QStringList selected(const WalkerFixture& f, const QString& top, const QueryLines& lines) {
    query::SortKeys keys;
    const QString statement =
        query::buildSelectStatement(query::buildWhereClause(lines), query::buildOrderByList({}, keys));
    QStringList out;
    auto rs = f.ws.database->openSql(statement);
    for (; !rs->eof(); rs->moveNext())
        out << rs->value("LONGPATH").toString().mid(top.size()) + "|" + rs->value("LONGNAME").toString();
    out.sort();
    return out;
}

QueryLines oneLine(const QString& field, const QString& typed) {
    QueryLines lines;
    lines.append(conditionLine({field, "=", typed}));
    return lines;
}

} // namespace

class TestHostileValues : public QObject {
    Q_OBJECT

    std::unique_ptr<WalkerFixture> f;
    QString top;

private Q_SLOTS:
    void initTestCase() {
        f = std::make_unique<WalkerFixture>();
        top = f->tree("hostile");
        const QByteArray base = raw(top);
        QVERIFY(makeFolder(base + "/f"));
        QVERIFY(makeFolder(base + "/d"));
        for (const HostileName& h : hostileNames()) {
            for (const QByteArray& name : QList<QByteArray>{h.name} + h.decoys) {
                if (QFileInfo::exists(QFile::decodeName(base + "/f/" + name)))
                    continue;
                QVERIFY2(makeFile(base + "/f/" + name, 7), name.constData());
                QVERIFY2(makeFolder(base + "/d/" + name), name.constData());
                QVERIFY2(makeFile(base + "/d/" + name + "/in", 3), name.constData());
            }
        }
        // A folder whose name is no UTF-8 at all, with an entry of its own.
        QVERIFY(makeFolder(base + "/d/bad\xff"));
        QVERIFY(makeFile(base + "/d/bad\xff/in", 3));
        f->choose({top});
        RecordingDisplay display;
        QCOMPARE(f->run(display), scan::ScanOutcome::Completed);
        QCOMPARE(display.problems, QStringList());
    }

    void cleanupTestCase() {
        removeTree(raw(top));
        f.reset();
    }

    void eachNameSelectsItselfAndNothingThatResemblesIt_data() {
        QTest::addColumn<QByteArray>("name");
        for (const HostileName& h : hostileNames())
            QTest::newRow(h.label) << h.name;
    }

    // LONGNAME takes every character into its value box: the name typed as it is must select the
    // file and the folder of that name, and LONGPATH the entry inside that folder.
    void eachNameSelectsItselfAndNothingThatResemblesIt() {
        QFETCH(QByteArray, name);
        const QString n = shown(name);
        QCOMPARE(selected(*f, top, oneLine("LONGNAME", n)), QStringList({"/d/|" + n, "/f/|" + n}));
        QCOMPARE(selected(*f, top, oneLine("LONGPATH", "*/" + n + "/")), QStringList({"/d/" + n + "/|in"}));
        // Negated, the same line leaves out exactly that file of folder f.
        QueryLines notLines;
        notLines.append(conditionLine({"LONGNAME", "NOT =", n}));
        notLines.append(conditionLine({"LONGPATH", "=", "*/F/"}));
        QStringList others = selected(*f, top, oneLine("LONGPATH", "*/F/"));
        QVERIFY(others.removeAll("/f/|" + n) == 1);
        QCOMPARE(selected(*f, top, notLines), others);
    }

    // "*" and "?" stay the user's wildcards, beside characters that stand for themselves.
    void starAndQuestionMarkStayWildcards_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("star after a bracket") << "f[*" << QStringList{"f[1].txt"};
        QTest::newRow("question mark for a number sign") << "n?1.txt" << QStringList{"n#1.txt", "n51.txt"};
        QTest::newRow("number sign among stars") << "*#*" << QStringList{"n#1.txt"};
        QTest::newRow("percent before a star") << "100%*" << QStringList{"100%.txt"};
        QTest::newRow("question mark for a character beyond 16 bits")
            << "clef ?" << QStringList{"clef \U0001D11E", "clef x"};
        QTest::newRow("apostrophe before a star") << "o'*" << QStringList{"o''brien.txt", "o'brien.txt"};
    }

    void starAndQuestionMarkStayWildcards() {
        QFETCH(QString, typed);
        QFETCH(QStringList, names);
        QStringList expected;
        for (const QString& n : names)
            expected << "/f/|" + n;
        expected.sort();
        QueryLines lines = oneLine("LONGNAME", typed);
        lines.append(conditionLine({"LONGPATH", "=", "*/F/"}));
        QCOMPARE(selected(*f, top, lines), expected);
    }

    // The folder that is no UTF-8 is scanned with its entry, shown with a replacement character.
    void aFolderNamedInNoUtf8IsScannedWithItsEntries() {
        const QString bad = QString("bad") + QChar(0xFFFD);
        QCOMPARE(selected(*f, top, oneLine("LONGPATH", "*/BAD?/")), QStringList({"/d/" + bad + "/|in"}));
        QCOMPARE(selected(*f, top, oneLine("LONGNAME", "bad?")), QStringList({"/d/|" + bad}));
    }

    // Built from a selection that names them, the Detail report's rows and the Summary report's
    // groups hold the names as they were read.
    void reportsShowEachName() {
        work::WorkState& ws = f->ws;
        QueryLines lines;
        lines.append(conditionLine({"LONGPATH", "=", "*/D/*", "", "OR"}));
        lines.append(conditionLine({"LONGNAME", "=", "[!a]"}));
        ws.settings.queryLines = lines;
        ws.settings.sorters = {Sorter{"LONGPATH", true}, Sorter{}, Sorter{}};
        ws.settings.detailColumns = {ReportColumn{"LONGPATH", "Folder", 3000, "  ", TextFormat},
                                     ReportColumn{"LONGNAME", "Name", 3000, "  ", TextFormat}};
        ws.settings.summaryColumns = defaultSummaryColumns();
        ws.settings.summaryColumns[0] = ReportColumn{"LONGPATH", "Folder", 3000, "  ", TextFormat};
        ws.unchangedFlags.fill(false);
        report::ReportEngine detail{report::ReportKind::Detail, ws};
        report::ReportEngine summary{report::ReportKind::Summary, ws};
        for (report::ReportEngine* e : {&detail, &summary})
            e->pageHeight = [] { return 100000; };
        query::QueryState qs;
        qs.hooks.buildReports = [&] {
            report::BuildInputs inputs;
            inputs.whereClause = qs.whereClause;
            QVERIFY(report::buildDetailReport(ws, detail, inputs));
            QVERIFY(report::buildSummaryReport(ws, summary, inputs));
        };
        f->prompter.clear();
        QCOMPARE(query::buildQueryAndReports(ws, qs), query::SelectionOutcome::Selected);
        QCOMPARE(f->prompter.texts(), QStringList());

        QStringList detailRows;
        auto rows = ws.database->openSql("SELECT * FROM FILEDETTYPE ORDER BY SEEKID");
        for (; !rows->eof(); rows->moveNext())
            detailRows << rows->value("LONGPATH").toString().mid(top.size()) + "|" +
                              rows->value("LONGNAME").toString();
        QStringList groups;
        auto figures = ws.database->openSql("SELECT * FROM FILESUMINTTYPE");
        for (; !figures->eof(); figures->moveNext())
            groups << figures->value("LONGPATH").toString().mid(top.size());
        for (const HostileName& h : hostileNames()) {
            const QString n = shown(h.name);
            QVERIFY2(detailRows.contains("/d/" + n + "/|in"), h.label);
            QVERIFY2(groups.contains("/d/" + n + "/"), h.label);
        }
        QVERIFY(detailRows.contains("/f/|[!a]"));
        QVERIFY(!detailRows.contains("/f/|b"));
        QVERIFY(groups.contains("/d/bad" + QString(QChar(0xFFFD)) + "/"));

        // As text, each row stays on a line of its own: a tab or a line feed in a name is written
        // as its picture.
        QBuffer text;
        QVERIFY(text.open(QIODevice::WriteOnly));
        report::writeReportText(text, detail);
        const QStringList textLines = QString::fromUtf8(text.data()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(textLines.size(), detail.rowCount() + 1);
        // Tab, line feed and U+0001 become U+2409, U+240A and U+2401.
        for (const QString& picture :
             {QString("t") + QChar(0x2409), QString("l") + QChar(0x240A), QString("c") + QChar(0x2401)})
            QCOMPARE(textLines.filter("/d/" + picture + "b/").size(), 1);
        for (const QString& line : textLines)
            QVERIFY2(!line.contains('\t') && !line.contains('\r') && !line.contains(QChar(1)),
                     qPrintable(line));
    }

    // The Detail CSV writes each name as it was read, quoted where a spreadsheet needs it.
    void detailCsvKeepsEachName() {
        QueryLines lines;
        lines.append(conditionLine({"LONGPATH", "=", "*/F/"}));
        query::SortKeys keys;
        auto rs = f->ws.database->openSql(
            query::buildSelectStatement(query::buildWhereClause(lines), query::buildOrderByList({}, keys)));
        ReportColumns columns;
        columns.push_back(ReportColumn{"LONGNAME", "Name's [long] %_#", 990, "  ", "@"});
        QBuffer out;
        QVERIFY(out.open(QIODevice::WriteOnly));
        report::writeDetailCsv(out, *rs, columns, {});
        const QString csv = QString::fromUtf8(out.data());
        QVERIFY(csv.startsWith(report::csvRecord({"Name's [long] %_#"})));
        for (const HostileName& h : hostileNames())
            QVERIFY2(csv.contains(report::csvRecord({shown(h.name)})), h.label);
    }
};

QTEST_GUILESS_MAIN(TestHostileValues)
#include "test_hostile_values.moc"
