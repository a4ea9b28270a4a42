// zek-batch --select: the statement of a work file's stored condition lines and sorters, the number
// of records it selects, the rejected statement, and the selection from a fresh scan.
#include "query/statement_builder.h"
#include "support/batch_runner.h"
#include "support/condition_lines.h"
#include "support/walker_fixture.h"
#include "work/work_file.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace zek;
using namespace zek::batch;
using namespace zek::test;

class TestBatchSelect : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedPrompter> prompter; // never asked: zek-batch installs its own
    QString root, file;

    // Stores condition lines and sorters in the work file, as a save from the windows does.
    void storeConditions(const QList<QueryLine>& lines, const Sorters& sorters) {
        work::WorkState ws;
        ws.workDirectory = env->path("edit");
        QDir().mkpath(ws.workDirectory);
        QString name = file;
        work::openWorkFile(ws, "LOAD", name);
        QVERIFY(!ws.activeFileName.isEmpty());
        ws.settings.queryLines.clear();
        for (const QueryLine& l : lines)
            ws.settings.queryLines.append(l);
        ws.settings.sorters = sorters;
        QVERIFY(work::saveWorkFile(ws, file));
        work::closeWorkFile(ws);
    }

    // The statement as the Conditions & Sorting window would build it from the same lines.
    static QString windowStatement(const QList<QueryLine>& lines, const Sorters& sorters) {
        QueryLines ql;
        for (const QueryLine& l : lines)
            ql.append(l);
        query::SortKeys keys;
        return query::buildSelectStatement(query::buildWhereClause(ql),
                                           query::buildOrderByList(sorters, keys));
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>();
        prompter = std::make_unique<ScriptedPrompter>();
        root = env->path("tree");
        QDir().mkpath(root + "/sub");
        for (const auto& [name, size] : QList<std::pair<QString, qint64>>{{"Apple.txt", 2000},
                                                                          {"Avocado.doc", 500},
                                                                          {"Banana.txt", 10},
                                                                          {"O'Brien", 7},
                                                                          {"sub/Acorn.txt", 4096}})
            QVERIFY(makeFile(raw(root + "/" + name), size));
        file = env->path("inventory.zek");
        const BatchRun scan =
            runBatchCaught({"--work-dir", env->path("w1"), file, "--add", root, "--scan", "--quiet"});
        QCOMPARE(scan.status, ExitOk);
    }
    void cleanup() {
        prompter.reset();
        env.reset();
    }

    void printsStatementAndCount() {
        const QList<QueryLine> lines{
            conditionLine({"NAME", "=", "A*"}), conditionLine({"SIZE", ">=", "1,000", "  ", "OR"}),
            conditionLine({"EXTENSION", "NOT =", "TXT"}), conditionLine({"", "", ""})};
        const Sorters sorters{Sorter{"SIZE", false}, Sorter{"NAME", true}, Sorter{}};
        storeConditions(lines, sorters);
        const QDateTime saved = QFileInfo(file).lastModified();

        const BatchRun r = runBatchCaught({"--work-dir", env->path("w2"), file, "--select"});
        QCOMPARE(r.status, ExitOk);
        const QString statement = "SELECT * FROM FILETYPE WHERE NAME LIKE 'A*' AND SIZE >= 1000 OR "
                                  "NOT (EXTENSION LIKE 'TXT') ORDER BY SIZE DESC,NAME";
        QCOMPARE(windowStatement(lines, sorters), statement);
        // Apple.txt, Acorn.txt, Avocado.doc, O'Brien and the folder sub.
        QCOMPARE(r.out, statement + "\n5\n");
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        // Selecting changes nothing in the file.
        QCOMPARE(QFileInfo(file).lastModified(), saved);
    }

    void apostropheAndDefaultOrder() {
        storeConditions({conditionLine({"NAME", "=", "O'BRIEN"})}, Sorters{});
        const BatchRun r = runBatchCaught({"--work-dir", env->path("w2"), file, "--select"});
        QCOMPARE(r.status, ExitOk);
        QCOMPARE(
            r.out,
            QString("SELECT * FROM FILETYPE WHERE NAME LIKE 'O''BRIEN' ORDER BY PATH,NAME,EXTENSION\n1\n"));
    }

    void zeroRecords() {
        storeConditions({conditionLine({"NAME", "=", "ZZZ*"})}, Sorters{});
        const BatchRun r = runBatchCaught({"--work-dir", env->path("w2"), file, "--select", "--quiet"});
        // The statement and its count all the same; the status tells a script there is nothing.
        QCOMPARE(r.status, ExitEmptySelection);
        QCOMPARE(r.out,
                 QString("SELECT * FROM FILETYPE WHERE NAME LIKE 'ZZZ*' ORDER BY PATH,NAME,EXTENSION\n0\n"));
        QCOMPARE(r.err, QString("zek-batch: No files in selection, please reselect.\n"));
    }

    void rejectedStatement() {
        storeConditions({conditionLine({"NAME", "=", "A*", "", "OR", "("})}, Sorters{});
        const QString statement =
            "SELECT * FROM FILETYPE WHERE (NAME LIKE 'A*' OR  ORDER BY PATH,NAME,EXTENSION";
        // The engine's own words for it, as the window's message quotes them.
        QString expected;
        {
            auto db = db::Database::open(file);
            try {
                db->openSql(statement);
                QFAIL("the engine took the statement");
            } catch (const db::EngineError& e) {
                expected = query::selectionErrorText(e.number(), e.description(), statement);
            }
        }
        const BatchRun r = runBatchCaught({"--work-dir", env->path("w2"), file, "--select"});
        QCOMPARE(r.status, ExitSelectionRejected);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err, "zek-batch: " + streamText(expected) + "\n");
        QVERIFY(r.err.contains("Error # 3075 : "));
    }

    void selectsFromTheFreshScan() {
        storeConditions({conditionLine({"EXTENSION", "=", "TXT"})},
                        Sorters{Sorter{"NAME", true}, Sorter{}, Sorter{}});
        QVERIFY(makeFile(raw(root + "/sub/Cherry.txt"), 1));
        const BatchRun before = runBatchCaught({"--work-dir", env->path("w2"), file, "--select"});
        QCOMPARE(before.out.section('\n', 1, 1), QString("3"));

        const BatchRun r =
            runBatchCaught({"--work-dir", env->path("w3"), file, "--scan", "--select", "--quiet"});
        QCOMPARE(r.status, ExitOk);
        QCOMPARE(r.out, QString("SELECT * FROM FILETYPE WHERE EXTENSION LIKE 'TXT' ORDER BY NAME\n4\n"));
        // The scan was saved; the next run sees it without scanning.
        QCOMPARE(runBatchCaught({"--work-dir", env->path("w4"), file, "--select"}).out.section('\n', 1, 1),
                 QString("4"));
    }

    void helpNamesTheOption() {
        const BatchRun r = runBatchCaught({"--help"});
        QVERIFY(r.out.contains("--select"));
        QVERIFY(r.out.contains(QString("  %1 ").arg(ExitSelectionRejected)));
        QVERIFY(parseBatchOptions({"--select"}).options.select);
        QVERIFY(!parseBatchOptions({"--select=1"}).error.isEmpty());
    }
};

QTEST_MAIN(TestBatchSelect)
#include "test_batch_select.moc"
