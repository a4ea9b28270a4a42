// zek-batch's command line: the options it reads, the ones it refuses and in which words, input
// refused before anything is done, and the help text and manual page naming every option.
#include "support/batch_runner.h"
#include "support/walker_fixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace zek;
using namespace zek::batch;
using namespace zek::test;

class TestBatchOptions : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    ScriptedPrompter m_prompter; // never asked: zek-batch installs its own

private Q_SLOTS:
    void readsTheNewOptions() {
        const ParsedOptions p = parseBatchOptions(
            {"inv.zek", "--condition", "( NAME = A* OR", "--condition=SIZE > 1 )", "--sort", "SIZE-",
             "--sort=NAME", "--show-conditions", "--list", "--detail", "d.CSV", "--summary=s.pdf", "-qh"});
        QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
        const BatchOptions& o = p.options;
        QCOMPARE(o.workFile, QString("inv.zek"));
        QCOMPARE(o.conditions, QStringList({"( NAME = A* OR", "SIZE > 1 )"}));
        QCOMPARE(o.sorts, QStringList({"SIZE-", "NAME"}));
        QVERIFY(o.showConditions && o.list && o.quiet && o.help);
        QVERIFY(!o.select && !o.scan);
        QCOMPARE(o.detailFile, QString("d.CSV"));
        QCOMPARE(o.summaryFile, QString("s.pdf"));
        // An empty line is a line: it clears the stored ones.
        QCOMPARE(parseBatchOptions({"--condition", ""}).options.conditions, QStringList{""});
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("usage");
        QTest::newRow("value to a switch")
            << QStringList{"--list=1"} << "option --list takes no value" << true;
        QTest::newRow("no condition")
            << QStringList{"--condition"} << "option --condition needs a condition line" << true;
        QTest::newRow("no report file")
            << QStringList{"--detail"} << "option --detail needs a file name" << true;
        QTest::newRow("empty folder") << QStringList{"--add="} << "option --add needs a folder" << true;
        QTest::newRow("empty sort") << QStringList{"--sort", ""} << "option --sort needs a sort field"
                                    << true;
        QTest::newRow("unknown short") << QStringList{"-x"} << "unknown option -x" << true;
        QTest::newRow("one dash, a word") << QStringList{"-q", "-help"} << "unknown option -help" << true;
        QTest::newRow("two files") << QStringList{"a.zek", "--scan", "b.zek"}
                                   << "more than one work file given: a.zek and b.zek" << true;
        QTest::newRow("four sorts") << QStringList{"--sort", "NAME", "--sort", "SIZE",
                                                   "--sort", "DATE", "--sort", "TIME"}
                                    << "at most three --sort options: there are three sorters" << false;
        QTest::newRow("other ending")
            << QStringList{"--detail", "r.doc"}
            << "cannot write a report to r.doc: the file name must end in .csv, .txt or .pdf" << false;
        QTest::newRow("no ending")
            << QStringList{"--summary", "report"}
            << "cannot write a report to report: the file name must end in .csv, .txt or .pdf" << false;
        QTest::newRow("ending not last")
            << QStringList{"--summary", "/tmp/x.csv.bak"}
            << "cannot write a report to /tmp/x.csv.bak: the file name must end in .csv, .txt or .pdf"
            << false;
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QFETCH(bool, usage);
        const ParsedOptions p = parseBatchOptions(arguments);
        QCOMPARE(p.error, error);
        QCOMPARE(p.showUsage, usage);
        const BatchRun r = runBatchCaught(arguments);
        QCOMPARE(r.status, ExitRefused);
        QCOMPARE(r.err.startsWith("zek-batch: " + error + "\n"), true);
        QCOMPARE(r.err.contains("Usage: zek-batch"), usage);
    }

    // A report file, a condition line or a sort field that is refused costs nothing: no scan, no
    // work file.
    void refusedBeforeAnythingIsDone_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("err");
        QTest::newRow("report file")
            << QStringList{"--detail", "out.csv", "--summary", "out.doc"}
            << "zek-batch: cannot write a report to out.doc: the file name must end in .csv, .txt or "
               ".pdf\n";
        QTest::newRow("condition") << QStringList{"--condition", "NAME = A*", "--condition",
                                                  "DATE < 2020-13-01"}
                                   << "zek-batch: condition \"DATE < 2020-13-01\": Invalid date specified.\n";
        QTest::newRow("size") << QStringList{"--condition", "SIZE > 1.2.3 KB"}
                              << "zek-batch: condition \"SIZE > 1.2.3 KB\": Too many . specified.\n";
        QTest::newRow("sort field")
            << QStringList{"--sort", "SIZE-", "--sort", "COLOR"}
            << "zek-batch: unknown sort field \"COLOR\"; the fields are LONGPATH, PATH, "
               "LONGNAME, NAME, EXTENSION, SIZE, DATE, TIME, CREATIONDATE, CREATIONTIME, "
               "ACCESSDATE, ACCESSTIME, ARCHIVE, READONLY, HIDDEN, SYSTEM, DIRECTORY, "
               "COMPRESSED, TEMPORARY\n";
    }
    void refusedBeforeAnythingIsDone() {
        QFETCH(QStringList, options);
        QFETCH(QString, err);
        const QString tree = m_env.path("tree");
        QVERIFY(QDir().mkpath(tree));
        QVERIFY(makeFile(raw(tree + "/a.txt"), 3));
        const QString file = m_env.path("refused.zek");
        const QString work = m_env.path("work");
        const BatchRun r =
            runBatchCaught(QStringList{"--work-dir", work, file, "--add", tree, "--scan"} + options);
        QCOMPARE(r.status, ExitRefused);
        QCOMPARE(r.err, err);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFile::exists(file));
        QVERIFY(!QFile::exists(work + "/work.zek"));
    }

    void helpAndManualNameEveryOption() {
        const QString source = qEnvironmentVariable("ZEK_TEST_SOURCE_DIR");
        if (source.isEmpty())
            QSKIP("ZEK_TEST_SOURCE_DIR not set (run through ctest)");
        QFile file(source + "/docs/zek-batch.1");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(file.readAll());
        const QString help = runBatchCaught({"--help"}).out;
        // troff writes a minus sign as \-.
        auto inManual = [&](QString text) { return manual.contains(text.replace("-", "\\-")); };

        const QStringList names = batchOptionNames();
        QVERIFY(names.size() >= 15);
        for (const QString& name : names) {
            QVERIFY2(help.contains("--" + name), qPrintable(name));
            QVERIFY2(inManual("--" + name), qPrintable(name));
        }
        for (const int status : {ExitOk, ExitEngineError, ExitRefused, ExitSelectionRejected,
                                 ExitWorkDirectoryInUse, ExitEmptySelection, ExitInterrupted}) {
            QVERIFY2(help.contains(QString("\n  %1 ").arg(status)), qPrintable(QString::number(status)));
            QVERIFY2(manual.contains(QString(".B %1\n").arg(status)), qPrintable(QString::number(status)));
        }
        const QString cron = "0 2 * * * zek-batch ~/inv.zek --scan --summary ~/inv-summary.csv --detail "
                             "~/inv-detail.pdf --quiet";
        QVERIFY(help.contains(cron));
        QVERIFY(inManual(cron));
        for (const QString& text : {QString("No files in selection, please reselect."), QString("Ctrl-C")}) {
            QVERIFY2(help.contains(text), qPrintable(text));
            QVERIFY2(inManual(text), qPrintable(text));
        }
    }
};

QTEST_GUILESS_MAIN(TestBatchOptions)
#include "test_batch_options.moc"
