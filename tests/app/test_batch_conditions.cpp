// zek-batch --condition, --sort, --show-conditions and --list on a tree the test makes: the lines
// stored as the window stores them and selected with the window's statement, shown in a form that
// reads back, the records listed, an empty selection, and the change counted for the reports.
#include "app/batch_conditions.h"
#include "query/statement_builder.h"
#include "support/batch_runner.h"
#include "support/condition_lines.h"
#include "support/local_time.h"
#include "support/walker_fixture.h"
#include "work/work_file.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <sys/time.h>

using namespace zek;
using namespace zek::batch;
using namespace zek::test;

namespace {

bool setModified(const QString& path, time_t when) {
    const struct timeval times[2] = {{when, 0}, {when, 0}};
    return ::utimes(raw(path).constData(), times) == 0;
}

QString windowStatement(const QList<ConditionRow>& rows, const Sorters& sorters) {
    query::SortKeys keys;
    return query::buildSelectStatement(query::buildWhereClause(conditionLines(rows)),
                                       query::buildOrderByList(sorters, keys));
}

} // namespace

class TestBatchConditions : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedPrompter> prompter;
    QString root, file;
    int runs = 0;

    // A run on a work folder of its own.
    BatchRun batch(const QStringList& arguments) {
        return runBatchCaught(QStringList{"--work-dir", env->path(QString("w%1").arg(++runs)), file} +
                              arguments);
    }

    work::WorkSettings storedSettings() {
        work::WorkState ws;
        ws.workDirectory = env->path("reader");
        QDir().mkpath(ws.workDirectory);
        QString name = file;
        work::openWorkFile(ws, "LOAD", name);
        const work::WorkSettings s = ws.settings;
        work::closeWorkFile(ws);
        return s;
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>();
        prompter = std::make_unique<ScriptedPrompter>();
        root = env->path("tree");
        QDir().mkpath(root + "/sub");
        for (const auto& [name, size] : QList<std::pair<QString, qint64>>{
                 {"Apple.txt", 2000}, {"Banana.txt", 10}, {"Tab\tName.txt", 5}, {"sub/Acorn.txt", 4096}})
            QVERIFY(makeFile(raw(root + "/" + name), size));
        QVERIFY(setModified(root + "/Apple.txt", localSeconds(2019, 6, 15, 10, 20, 30)));
        QVERIFY(setModified(root + "/sub/Acorn.txt", localSeconds(2021, 1, 2, 3, 4, 5)));
        file = env->path("inventory.zek");
        QCOMPARE(batch({"--add", root, "--scan", "--quiet"}).status, ExitOk);
    }
    void cleanup() {
        prompter.reset();
        env.reset();
    }

    void storedAsTheWindowStoresThem() {
        const QList<ConditionRow> rows{ConditionRow{"NAME", "=", "A*", "", "OR", "("},
                                       ConditionRow{"SIZE", ">=", "4", "KB", "", "", ")"},
                                       ConditionRow{"EXTENSION", "=", "TXT"}};
        const Sorters sorters{Sorter{"SIZE", false}, Sorter{}, Sorter{}};
        const QStringList given{"--condition", "( NAME = A* OR",  "--condition", "size >= 4 kb )",
                                "--condition", "EXTENSION = TXT", "--sort",      "SIZE-"};

        BatchRun r = batch(given + QStringList{"--select"});
        QCOMPARE(r.status, ExitOk);
        const QString statement = windowStatement(rows, sorters);
        QCOMPARE(statement,
                 QString("SELECT * FROM FILETYPE WHERE (NAME LIKE 'A*' OR SIZE >= 4096) AND EXTENSION "
                         "LIKE 'TXT' ORDER BY SIZE DESC"));
        QCOMPARE(r.out, statement + "\n2\n"); // Acorn.txt and Apple.txt
        QCOMPARE(r.err, "zek-batch: saved " + file + "\n");

        // The grid's five lines at least, the given ones first; the first sorter, the others cleared.
        const work::WorkSettings s = storedSettings();
        QCOMPARE(s.queryLines.count(), 5);
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(s.queryLines.line(n), storedForm(conditionLine(rows[n - 1])));
        QCOMPARE(s.queryLines.line(4), storedForm(QueryLine{}));
        QCOMPARE(s.sorters, sorters);

        // Shown in the form --condition reads; given again, nothing changes and nothing is saved.
        r = batch({"--show-conditions"});
        QCOMPARE(r.status, ExitOk);
        QCOMPARE(r.out, QString("( NAME = A* OR\nSIZE >= 4 KB )\nEXTENSION = TXT\n"));
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QStringList pasted;
        for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts))
            pasted << "--condition" << line;
        r = batch(pasted + QStringList{"--sort", "SIZE-", "--select"});
        QCOMPARE(r.out, statement + "\n2\n");
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));

        // The first --condition replaces every stored line, --sort every sorter.
        r = batch(
            {"--condition", "DIRECTORY = SET", "--sort", "NAME", "--show-conditions", "--select", "--quiet"});
        QCOMPARE(
            r.out,
            QString("DIRECTORY = SET\nSELECT * FROM FILETYPE WHERE DIRECTORY = TRUE ORDER BY NAME\n1\n"));
        r = batch({"--condition", "", "--select", "--quiet"});
        QCOMPARE(r.out, QString("SELECT * FROM FILETYPE ORDER BY NAME\n5\n"));
    }

    void listsTheSelection() {
        const BatchRun r =
            batch({"--condition", "EXTENSION = TXT", "--sort", "SIZE-", "--select", "--list", "--quiet"});
        QCOMPARE(r.status, ExitOk);
        QStringList lines = r.out.split('\n');
        QCOMPARE(lines.takeLast(), QString()); // every line ends
        QCOMPARE(lines.takeFirst(),
                 QString("SELECT * FROM FILETYPE WHERE EXTENSION LIKE 'TXT' ORDER BY SIZE DESC"));
        QCOMPARE(lines.takeFirst(), QString("4"));
        const QStringList header = lines.takeFirst().split('\t');
        QCOMPARE(header,
                 QStringList({"LONGPATH", "PATH", "LONGNAME", "NAME", "EXTENSION", "SIZE", "DATE", "TIME",
                              "CREATIONDATE", "CREATIONTIME", "ACCESSDATE", "ACCESSTIME", "ARCHIVE",
                              "READONLY", "HIDDEN", "SYSTEM", "DIRECTORY", "COMPRESSED", "TEMPORARY"}));
        QCOMPARE(lines.size(), 4);
        auto column = [&](const QString& name) {
            QStringList values;
            for (const QString& line : lines) {
                const QStringList fields = line.split('\t');
                if (fields.size() != header.size())
                    return QStringList{"a line of " + QString::number(fields.size()) + " fields: " + line};
                values << fields[header.indexOf(name)];
            }
            return values;
        };
        // In the selection's order; a tab in a name is written \t, so the line keeps its fields.
        QCOMPARE(column("LONGNAME"), QStringList({"Acorn.txt", "Apple.txt", "Banana.txt", "Tab\\tName.txt"}));
        QCOMPARE(column("LONGPATH"), QStringList({root + "/sub/", root + "/", root + "/", root + "/"}));
        QCOMPARE(column("SIZE"), QStringList({"4096", "2000", "10", "5"}));
        QCOMPARE(column("EXTENSION"), QStringList({"TXT", "TXT", "TXT", "TXT"}));
        QCOMPARE(column("DATE").mid(0, 2), QStringList({"2021-01-02", "2019-06-15"}));
        QCOMPARE(column("TIME").mid(0, 2), QStringList({"03:04:05", "10:20:30"}));
        QCOMPARE(column("DIRECTORY"), QStringList({"0", "0", "0", "0"}));
        QCOMPARE(column("READONLY"), QStringList({"0", "0", "0", "0"}));
    }

    void anEmptySelectionEndsWithItsOwnStatus() {
        const BatchRun r = batch({"--condition", "NAME = ZZZ*", "--list", "--quiet"});
        QCOMPARE(r.status, ExitEmptySelection);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err, QString("zek-batch: No files in selection, please reselect.\n"));

        // The same from the real program, and a refused line with the grid's message.
        const QString program = QCoreApplication::applicationDirPath() + "/../zek-batch";
        if (!QFile::exists(program))
            QSKIP("zek-batch is not built beside the tests");
        QProcess p;
        p.start(program, {file, "--list", "--quiet"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), ExitEmptySelection);
        p.start(program, {file, "--condition", "TIME > 24:00", "--list"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), ExitRefused);
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
                 QString("zek-batch: condition \"TIME > 24:00\": Invalid time specified.\n"));
        QVERIFY(p.readAllStandardOutput().isEmpty());
    }

    // A save takes the settings as the basis of the reports in the file; the lines and sorters the
    // command line changed must still count as changed when the reports are built after it, and
    // lines given as they are stored change nothing.
    void theChangeCountsForTheReportsAfterTheSave() {
        BatchOptions o;
        o.conditions = QStringList{"NAME = A*"};
        o.sorts = QStringList{"NAME-"};
        const ConditionOptions given = readConditionOptions(o, platform::IntlSettings{});
        QVERIFY2(given.error.isEmpty(), qPrintable(given.error));

        work::WorkState ws;
        ws.workDirectory = env->path("direct");
        QDir().mkpath(ws.workDirectory);
        QString name = file;
        work::openWorkFile(ws, "LOAD", name);
        QVERIFY(!ws.activeFileName.isEmpty());
        const ConditionChange change = applyConditionOptions(ws, given);
        QVERIFY(change.lines && change.sorters);
        QVERIFY(!ws.unchanged(work::SettingsGroup::QueryLines));
        QVERIFY(!ws.unchanged(work::SettingsGroup::Sorters));
        QVERIFY(work::saveWorkFile(ws, file));
        keepCountedAsChanged(ws, change);
        // What Start does before it decides whether to build the reports again.
        ws.unchangedFlags.fill(true);
        work::refreshUnchangedFlags(ws);
        QVERIFY(!ws.unchanged(work::SettingsGroup::QueryLines));
        QVERIFY(!ws.unchanged(work::SettingsGroup::Sorters));
        QVERIFY(ws.unchanged(work::SettingsGroup::Folders));
        work::closeWorkFile(ws);

        work::WorkState again;
        again.workDirectory = ws.workDirectory;
        name = file;
        work::openWorkFile(again, "LOAD", name);
        const auto flagsBefore = again.unchangedFlags;
        const work::WorkSettings snapshotBefore = again.snapshot;
        const ConditionChange none = applyConditionOptions(again, given);
        QVERIFY(!none.lines && !none.sorters);
        QCOMPARE(again.unchangedFlags, flagsBefore);
        QVERIFY(again.snapshot == snapshotBefore);
        work::closeWorkFile(again);
    }
};

QTEST_MAIN(TestBatchConditions)
#include "test_batch_conditions.moc"
