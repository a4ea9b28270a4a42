// zek-batch --detail and --summary: the reports of a scanned tree written as CSV, text and PDF, a
// Detail CSV past the report's row limit, Summary figures against a count of the tree, refused file
// names and an empty selection.
#include "platform/printer_choice.h"
#include "report/report_engine.h"
#include "support/batch_runner.h"
#include "support/condition_lines.h"
#include "support/local_time.h"
#include "support/walker_fixture.h"
#include "work/work_file.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <functional>
#include <map>

using namespace zek;
using namespace zek::batch;
using namespace zek::test;

namespace {

bool setModified(const QString& path, time_t seconds) {
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    return ::utimensat(AT_FDCWD, raw(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

QString contentsOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

qint64 recordCount(const QString& databaseFile, const QString& table) {
    auto db = db::Database::open(databaseFile);
    return db->openTable(table)->recordCount();
}

ReportColumn column(const QString& name, const QString& heading, int width = 990, const QString& unit = {}) {
    return ReportColumn{name, heading, width, unit, {}};
}

} // namespace

class TestBatchExport : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<ScriptedPrompter> prompter; // never asked: zek-batch installs its own
    QString root, file;

    // Changes the settings stored in the work file, as a save from the windows does.
    void storeSettings(const std::function<void(work::WorkSettings&)>& change) {
        work::WorkState ws;
        ws.workDirectory = env->path("edit");
        QDir().mkpath(ws.workDirectory);
        QString name = file;
        work::openWorkFile(ws, "LOAD", name);
        QVERIFY(!ws.activeFileName.isEmpty());
        change(ws.settings);
        QVERIFY(work::saveWorkFile(ws, file));
        work::closeWorkFile(ws);
    }

    // A folder, two files with known times (one of them read-only, with a comma and quotation
    // marks in its name) and a file in a subfolder, scanned into `file`.
    void scanSmallTree() {
        QVERIFY(makeFile(raw(root + "/a.txt"), 3000));
        QVERIFY(setModified(root + "/a.txt", localSeconds(2020, 1, 31, 9, 5, 7)));
        const QString weird = root + "/we,ird \"q\".dat";
        QVERIFY(makeFile(raw(weird), 1234567));
        QVERIFY(setModified(weird, localSeconds(2021, 12, 24, 23, 59, 58)));
        QVERIFY(::chmod(raw(weird).constData(), 0444) == 0);
        QVERIFY(makeFolder(raw(root + "/sub")));
        QVERIFY(makeFile(raw(root + "/sub/z.bin"), 0));
        QVERIFY(setModified(root + "/sub/z.bin", localSeconds(1999, 12, 31, 0, 0, 0)));
        QVERIFY(setModified(root + "/sub", localSeconds(2000, 2, 29, 12, 30, 0)));
        const BatchRun scan =
            runBatchCaught({"--work-dir", env->path("w1"), file, "--add", root, "--scan", "--quiet"});
        QCOMPARE(scan.status, ExitOk);
    }

private Q_SLOTS:
    void init() {
        env = std::make_unique<TestEnvironment>();
        prompter = std::make_unique<ScriptedPrompter>();
        root = env->path("tree");
        QVERIFY(QDir().mkpath(root));
        file = env->path("inventory.zek");
    }
    void cleanup() {
        prompter.reset();
        env.reset();
    }

    void detailCsvHoldsRawValues() {
        scanSmallTree();
        storeSettings([](work::WorkSettings& s) {
            s.detailColumns = {column("FILENUMBER", "#", 480),
                               column("LONGNAME", "Name"),
                               column("SIZE", "Size, bytes", 990, "KB"),
                               column("DATE", "Date"),
                               column("TIME", "Time"),
                               column("READONLY", "Read-only"),
                               column("DIRECTORY", "Folder"),
                               column("%TOTAL DISKSPACE", "Share")};
            s.sorters = Sorters{Sorter{"LONGNAME", true}, Sorter{}, Sorter{}};
        });
        const QString csv = env->path("out/detail.csv");
        QDir().mkpath(env->path("out"));
        const BatchRun r = runBatchCaught({"--work-dir", env->path("w2"), file, "--detail", csv});
        QCOMPARE(r.status, ExitOk);
        QCOMPARE(r.err, "zek-batch: wrote the Detail report to " + csv + " (4 rows)\n");
        // Sizes whole whatever the column's unit, ISO dates and times, 1 and 0; the shares are 0 in
        // a run without a scan, as in the window.
        QCOMPARE(contentsOf(csv), QString("#,Name,\"Size, bytes\",Date,Time,Read-only,Folder,Share\r\n"
                                          "1,a.txt,3000,2020-01-31,09:05:07,0,0,0\r\n"
                                          "2,sub,0,2000-02-29,12:30:00,0,1,0\r\n"
                                          "3,\"we,ird \"\"q\"\".dat\",1234567,2021-12-24,23:59:58,1,0,0\r\n"
                                          "4,z.bin,0,1999-12-31,00:00:00,0,0,0\r\n"));
        // The working copy holds the report table the window would have made; the file named was
        // not changed.
        QCOMPARE(recordCount(env->path("w2") + "/" + work::WorkingCopyFileName, "FILEDETTYPE"), 4);
        QCOMPARE(QDir(env->path("out")).entryList(QDir::Files), QStringList{"detail.csv"});
    }

    void textShowsTheViewersCells() {
        scanSmallTree();
        storeSettings([](work::WorkSettings& s) {
            s.detailColumns = {column("FILENUMBER", "#", 480), column("LONGNAME", "Name", 1200),
                               column("SIZE", "Size", 1200), column("READONLY", "RO", 240)};
            s.sorters = Sorters{Sorter{"LONGNAME", false}, Sorter{}, Sorter{}};
        });
        const QString txt = env->path("detail.txt");
        const BatchRun r = runBatchCaught({"--work-dir", env->path("w2"), file, "--detail", txt, "--quiet"});
        QCOMPARE(r.status, ExitOk);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        const QString sep = platform::intlFromLocale(QLocale::system()).sThousand;
        // Columns of 4, 10 (widened to the 14 characters of the longest name), 10 and 2 characters;
        // numbers to the right; the rows in the selection's order, formatted as the report shows them.
        QCOMPARE(contentsOf(txt), QString("   #  Name                  Size  RO\n"
                                          "   1  z.bin                    0\n"
                                          "   2  we,ird \"q\".dat   1" +
                                          sep + "234" + sep +
                                          "567  X\n"
                                          "   3  sub                      0\n"
                                          "   4  a.txt                3" +
                                          sep + "000\n"));
    }

    void detailCsvBeyondTheReportLimit() {
        // 33,000 empty files and their 3 folders: more rows than a report holds.
        for (int d = 0; d < 3; ++d) {
            const QByteArray folder = raw(root + "/d" + QString::number(d));
            QVERIFY(makeFolder(folder));
            for (int f = 0; f < 11000; ++f)
                QVERIFY(makeFile(folder + "/f" + QByteArray::number(f)));
        }
        const QString csv = env->path("big.csv");
        const BatchRun r = runBatchCaught(
            {"--work-dir", env->path("w1"), file, "--add", root, "--scan", "--detail", csv, "--quiet"});
        QCOMPARE(r.status, ExitOk);
        // The report keeps its limit and says so, as in the window; the CSV holds every row.
        QVERIFY2(r.err.contains("Error: report too large!"), qPrintable(r.err));
        const QStringList lines = contentsOf(csv).split("\r\n");
        QCOMPARE(lines.size(), 1 + 33003 + 1); // heading, rows, nothing after the last CR LF
        QVERIFY(lines.at(33003).startsWith("33003,"));
        QVERIFY(lines.last().isEmpty());

        // The text and the PDF are the report's pages: none stands, so nothing is written, and a
        // file of that name keeps what it held.
        const QString txt = env->path("big.txt");
        {
            QFile old(txt);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("before\n");
        }
        const BatchRun t = runBatchCaught({"--work-dir", env->path("w2"), file, "--detail", txt, "--quiet"});
        QCOMPARE(t.status, ExitEngineError);
        QVERIFY2(t.err.endsWith("zek-batch: the Detail report could not be built; " + txt + " not written\n"),
                 qPrintable(t.err));
        QCOMPARE(contentsOf(txt), QString("before\n"));
        QCOMPARE(QDir(env->root()).entryList({"big.txt*"}, QDir::Files | QDir::Hidden),
                 QStringList{"big.txt"});
    }

    void summaryCsvMatchesACountOfTheTree() {
        // Folders three deep, .txt files selected; sizes past a thousand.
        const QList<std::pair<QString, qint64>> files{
            {"top.txt", 5000},    {"top.bin", 7},     {"A/one.txt", 1234567},   {"A/two.dat", 300},
            {"A/B/x.txt", 50},    {"A/B/y.txt", 60},  {"A/B/C/deep.log", 9999}, {"A/B/C/deep.txt", 1},
            {"D/only.dat", 2048}, {"E/EMPTY/keep", 0}};
        for (const auto& [name, size] : files) {
            QVERIFY(QDir().mkpath(QFileInfo(root + "/" + name).path()));
            QVERIFY(makeFile(raw(root + "/" + name), size));
        }
        const BatchRun scan =
            runBatchCaught({"--work-dir", env->path("w1"), file, "--add", root, "--scan", "--quiet"});
        QCOMPARE(scan.status, ExitOk);
        storeSettings([](work::WorkSettings& s) {
            s.queryLines.clear();
            s.queryLines.append(conditionLine({"EXTENSION", "=", "TXT"}));
        });
        const QString csv = env->path("summary.csv");
        const BatchRun r = runBatchCaught({"--work-dir", env->path("w2"), file, "--summary", csv, "--quiet"});
        QCOMPARE(r.status, ExitOk);

        // The count: every entry belongs to its folder's group and, cumulated, to every folder above.
        struct Figures {
            qint64 sel = 0, selSize = 0, unsel = 0, unselSize = 0;
            qint64 cumulSel = 0, cumulSelSize = 0, cumulUnsel = 0, cumulUnselSize = 0, below = 0;
            int level = 0;
        };
        std::map<QString, Figures> expected; // by the folder's path below the root, "" for the root
        expected[""];
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo entry(it.next());
            const QString parent = QDir(root).relativeFilePath(entry.path());
            const QString group = parent == "." ? QString() : parent + "/";
            const bool selected = entry.isFile() && entry.suffix() == "txt";
            const qint64 size = entry.isFile() ? entry.size() : 0;
            Figures& own = expected[group];
            (selected ? own.sel : own.unsel) += 1;
            (selected ? own.selSize : own.unselSize) += size;
            for (QString above = group;; above = above.left(above.lastIndexOf('/', -2) + 1)) {
                Figures& f = expected[above];
                (selected ? f.cumulSel : f.cumulUnsel) += 1;
                (selected ? f.cumulSelSize : f.cumulUnselSize) += size;
                if (above.isEmpty())
                    break;
            }
            if (entry.isDir()) {
                const QString folder = QDir(root).relativeFilePath(entry.filePath()) + "/";
                expected[folder].level = static_cast<int>(folder.count('/'));
                for (QString above = group;; above = above.left(above.lastIndexOf('/', -2) + 1)) {
                    ++expected[above].below;
                    if (above.isEmpty())
                        break;
                }
            }
        }

        QStringList lines = contentsOf(csv).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.takeFirst(), QString("PATH,PATHLEVEL,PATHSUBAANT,SEL,SELSIZE,UNSEL,UNSELSIZE,CUMULSEL,"
                                            "CUMULSELSIZE,CUMULUNSEL,CUMULUNSELSIZE"));
        QCOMPARE(lines.size(), static_cast<qsizetype>(expected.size()));
        // The groups ascend by path, the root first.
        const QString rootPath = lines.first().section(',', 0, 0);
        QStringList paths;
        for (const QString& line : lines) {
            const QStringList v = line.split(',');
            QCOMPARE(v.size(), 11);
            QVERIFY(v[0].startsWith(rootPath));
            const QString group = v[0].mid(rootPath.size());
            paths << group;
            QVERIFY2(expected.count(group), qPrintable(group));
            const Figures& e = expected[group];
            const QList<qint64> want{e.level,     e.below,    e.sel,          e.selSize,    e.unsel,
                                     e.unselSize, e.cumulSel, e.cumulSelSize, e.cumulUnsel, e.cumulUnselSize};
            QList<qint64> got;
            for (int i = 1; i < 11; ++i)
                got << v[i].toLongLong();
            QVERIFY2(got == want, qPrintable(line));
        }
        QCOMPARE(paths, (QStringList{"", "A/", "A/B/", "A/B/C/", "D/", "E/", "E/EMPTY/"}));
    }

    void refusedBeforeAnythingIsScanned_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown extension")
            << QStringList{"--detail", "report.xlsx"}
            << "cannot write a report to report.xlsx: the file name must end in .csv, .txt or .pdf";
        QTest::newRow("no extension") << QStringList{"--summary", "report"}
                                      << "cannot write a report to report: the file name must end in .csv, "
                                         ".txt or .pdf";
        QTest::newRow("one file for both")
            << QStringList{"--detail", "r.csv", "--summary", "./r.csv"}
            << "the Detail and the Summary report cannot both be written to r.csv";
        QTest::newRow("no file") << QStringList{"--detail"} << "option --detail needs a file name";
    }
    void refusedBeforeAnythingIsScanned() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QVERIFY(makeFile(raw(root + "/one"), 1));
        const BatchRun first =
            runBatchCaught({"--work-dir", env->path("w1"), file, "--add", root, "--scan", "--quiet"});
        QCOMPARE(first.status, ExitOk);
        QVERIFY(makeFile(raw(root + "/two"), 2));
        const QDateTime saved = QFileInfo(file).lastModified();

        QDir::setCurrent(env->root());
        const BatchRun r =
            runBatchCaught(QStringList{"--work-dir", env->path("w2"), file, "--scan"} + arguments);
        QCOMPARE(r.status, ExitRefused);
        QVERIFY2(r.err.startsWith("zek-batch: " + message + "\n"), qPrintable(r.err));
        // Nothing was scanned or saved, and no working copy was even made.
        QCOMPARE(QFileInfo(file).lastModified(), saved);
        QCOMPARE(recordCount(file, "FILETYPE"), 1);
        QVERIFY(!QFileInfo::exists(env->path("w2")));
    }

    void emptySelectionWritesNothing() {
        scanSmallTree();
        storeSettings([](work::WorkSettings& s) {
            s.queryLines.clear();
            s.queryLines.append(conditionLine({"NAME", "=", "ZZZ*"}));
        });
        const QString csv = env->path("none.csv");
        const BatchRun r = runBatchCaught(
            {"--work-dir", env->path("w2"), file, "--detail", csv, "--summary", env->path("none.pdf")});
        QCOMPARE(r.status, ExitEmptySelection);
        QCOMPARE(r.err, QString("zek-batch: No files in selection, please reselect.\n"));
        QVERIFY(!QFileInfo::exists(csv));
        QVERIFY(!QFileInfo::exists(env->path("none.pdf")));
    }

    void pdfHoldsTheReportsPages() {
        const QString pdfinfo = QStandardPaths::findExecutable("pdfinfo");
        if (pdfinfo.isEmpty())
            QSKIP("pdfinfo (poppler-utils) is not installed");
        // 130 entries: several Detail pages on A4 or Letter, one Summary page.
        QVERIFY(makeFolder(raw(root + "/sub")));
        for (int f = 0; f < 129; ++f)
            QVERIFY(makeFile(raw(root + "/sub/file" + QString::number(f)), f));
        const QString detail = env->path("detail.pdf");
        const QString summary = env->path("summary.pdf");
        const BatchRun r = runBatchCaught({"--work-dir", env->path("w1"), file, "--add", root, "--scan",
                                           "--detail", detail, "--summary", summary, "--quiet"});
        QCOMPARE(r.status, ExitOk);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));

        platform::PrinterChoice paper;
        paper.paper = platform::localePaper();
        const int rowsPerPage =
            report::rowsPerPageFor(static_cast<int>(platform::paperSizeTwips(paper).height()));
        const int detailPages = report::pageCountFor(130, rowsPerPage);
        QVERIFY(detailPages > 1);
        const QString pageSize = paper.paper.id() == QPageSize::A4 ? "(A4)" : "(letter)";
        for (const auto& [pdf, pages] : {std::pair{detail, detailPages}, std::pair{summary, 1}}) {
            QProcess info;
            info.start(pdfinfo, {pdf});
            QVERIFY(info.waitForFinished(30000));
            const QString text = QString::fromUtf8(info.readAllStandardOutput());
            QVERIFY2(text.contains(QRegularExpression("Pages:\\s+" + QString::number(pages) + "\\n")),
                     qPrintable(text));
            QVERIFY2(text.contains(pageSize), qPrintable(text));
        }
    }

    void unwritableTargetFails() {
        QVERIFY(makeFile(raw(root + "/one.txt"), 10));
        const QString csv = env->path("missing/summary.csv");
        const BatchRun r = runBatchCaught(
            {"--work-dir", env->path("w1"), file, "--add", root, "--scan", "--summary", csv, "--quiet"});
        QCOMPARE(r.status, ExitEngineError);
        QVERIFY2(r.err.startsWith("zek-batch: cannot write " + csv + ": "), qPrintable(r.err));
        // The scan was saved before the reports were written.
        QCOMPARE(recordCount(file, "FILETYPE"), 1);
    }

    void runsWithoutADisplay() {
        // As from cron: no display, no platform named, no runtime folder.
        QVERIFY(makeFile(raw(root + "/one.txt"), 10));
        const QString pdf = env->path("summary.pdf");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
            environment.remove(name);
        QProcess batch;
        batch.setProcessEnvironment(environment);
        batch.start(QCoreApplication::applicationDirPath() + "/../zek-batch",
                    {"--work-dir", env->path("w1"), "--add", root, "--scan", "--summary", pdf, "--quiet"});
        QVERIFY(batch.waitForFinished(60000));
        const QString err = QString::fromUtf8(batch.readAllStandardError());
        QCOMPARE(batch.exitStatus(), QProcess::NormalExit);
        QVERIFY2(batch.exitCode() == ExitOk, qPrintable(err));
        QVERIFY2(err.isEmpty(), qPrintable(err));
        QVERIFY(contentsOf(pdf).startsWith("%PDF-"));
    }

    // Ctrl-C during a scan of a large tree stops it as Cancel does: status 130, nothing saved, no
    // report written.
    void ctrlCStopsAScan() {
        const QString target = env->path("usr.zek");
        const QString csv = env->path("usr.csv");
        QProcess batch;
        batch.start(QCoreApplication::applicationDirPath() + "/../zek-batch",
                    {"--work-dir", env->path("w1"), target, "--add", "/usr", "--scan", "--detail", csv});
        QVERIFY(batch.waitForStarted());
        QTest::qWait(400);
        if (batch.state() != QProcess::Running)
            QSKIP("the scan of /usr ended before it could be interrupted");
        QVERIFY(::kill(static_cast<pid_t>(batch.processId()), SIGINT) == 0);
        QVERIFY(batch.waitForFinished(30000));
        const QString err = QString::fromUtf8(batch.readAllStandardError());
        QCOMPARE(batch.exitStatus(), QProcess::NormalExit);
        QVERIFY2(batch.exitCode() == ExitInterrupted, qPrintable(err));
        QVERIFY2(err.contains("nothing saved"), qPrintable(err));
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(!QFileInfo::exists(csv));
    }
};

QTEST_MAIN(TestBatchExport)
#include "test_batch_export.moc"
