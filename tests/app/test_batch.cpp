// zek-batch: its command line, and whole runs on trees the test makes (add, refused add, scan, save,
// reopen), in-process and as the real program.
#include "db/engine.h"
#include "platform/directory_lock.h"
#include "support/batch_runner.h"
#include "support/walker_fixture.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <sys/stat.h>

using namespace zek;
using namespace zek::batch;
using namespace zek::test;

namespace {

long long countRows(const QString& file, const QString& table) {
    auto db = db::Database::open(file);
    return db->openSql("SELECT * FROM " + table)->recordCount();
}

QStringList batchTempFolders() {
    return QDir(QDir::tempPath()).entryList({"zek-batch-*"}, QDir::Dirs);
}

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    ScriptedPrompter m_prompter; // restored after each run; never asked

    QString folder(const QString& relative, int files = 0) {
        const QString path = m_env.path("tree/" + relative);
        QDir().mkpath(path);
        for (int i = 0; i < files; ++i)
            makeFile(raw(path + QString("/file %1.txt").arg(i)), i);
        return path;
    }

private Q_SLOTS:
    void parsing() {
        ParsedOptions p = parseBatchOptions({"--work-dir", "/w", "inv.zek", "--clear", "--add", "/a",
                                             "--add=/b", "--scan", "--save-as", "out.zek", "--quiet"});
        QVERIFY(p.error.isEmpty());
        QCOMPARE(p.options.workDirectory, QString("/w"));
        QCOMPARE(p.options.workFile, QString("inv.zek"));
        QVERIFY(p.options.clear && p.options.scan && p.options.quiet);
        QCOMPARE(p.options.addFolders, QStringList({"/a", "/b"}));
        QCOMPARE(p.options.saveAs, QString("out.zek"));

        QVERIFY(!parseBatchOptions({"a.zek", "b.zek"}).error.isEmpty());
        QVERIFY(!parseBatchOptions({"--add"}).error.isEmpty());
        QVERIFY(!parseBatchOptions({"--scan=yes"}).error.isEmpty());
        QVERIFY(parseBatchOptions({"--frobnicate"}).error.contains("--frobnicate"));
        // After "--" a name that begins with "-" is the work file.
        QCOMPARE(parseBatchOptions({"--", "-odd.zek"}).options.workFile, QString("-odd.zek"));
    }

    void helpAndVersion() {
        const BatchRun version = runBatchCaught({"--version"});
        QCOMPARE(version.status, ExitOk);
        QCOMPARE(version.out, QString("zek-batch 2.95\n"));
        const BatchRun help = runBatchCaught({"--help"});
        QCOMPARE(help.status, ExitOk);
        for (const char* text :
             {"--work-dir DIR", "--add FOLDER", "--save-as", "Exit status:", "  0 ", "  1 ", "  2 "})
            QVERIFY2(help.out.contains(text), text);
        const BatchRun bad = runBatchCaught({"--bogus"});
        QCOMPARE(bad.status, ExitRefused);
        QVERIFY(bad.err.contains("unknown option --bogus"));
        QVERIFY(bad.out.isEmpty());
        // Nothing to do is not success: the usage, and the status of refused input.
        const BatchRun nothing = runBatchCaught({});
        QCOMPARE(nothing.status, ExitRefused);
        QVERIFY(nothing.err.startsWith(batchUsage()));
        QVERIFY(nothing.out.isEmpty());
    }

    // The progress line is rewritten in place, so only a terminal gets it; a redirected stream
    // gets the summary alone, in plain lines. One entry in one folder is counted in the singular.
    void progressOnlyOnATerminal_data() {
        QTest::addColumn<bool>("terminal");
        QTest::newRow("terminal") << true;
        QTest::newRow("redirected") << false;
    }
    void progressOnlyOnATerminal() {
        QFETCH(bool, terminal);
        const QString one = folder(terminal ? "one/t" : "one/r", 1);
        const BatchRun r = runBatchCaught({"--add", one, "--scan"}, nullptr, terminal);
        QCOMPARE(r.status, ExitOk);
        QCOMPARE(r.err.contains('\r'), terminal);
        QCOMPARE(r.err.contains("entries/s"), terminal);
        if (terminal)
            QVERIFY2(r.err.contains("\r1 entry, 1 folder, "), qPrintable(r.err));
        QVERIFY2(r.err.contains("zek-batch: 1 entry in 1 folder, "), qPrintable(r.err));
    }

    void addScanSaveReopen() {
        const QString a = folder("A", 3);
        const QString b = folder("B", 2);
        folder("A/sub", 4);
        const QString file = m_env.path("inventory.zek");
        const QString work = m_env.path("work");
        const QStringList before = batchTempFolders();

        BatchRun r = runBatchCaught({"--work-dir", work, file, "--add", a, "--add", b, "--scan"});
        QCOMPARE(r.status, ExitOk);
        QVERIFY2(r.err.contains("10 entries in 3 folders, "), qPrintable(r.err));
        QVERIFY(r.err.contains("Total capacity drive "));
        QVERIFY(r.err.contains("saved " + file));
        QCOMPARE(countRows(file, "FILETYPE"), 3 + 1 + 4 + 2);
        QCOMPARE(countRows(file, "DRIVEDIRLIST"), 2);

        // A folder inside a listed one is refused with the add check's message; nothing is saved.
        r = runBatchCaught({"--work-dir", work, file, "--add", a + "/sub", "--scan", "--quiet"});
        QCOMPARE(r.status, ExitRefused);
        QCOMPARE(r.err, "zek-batch: The directory " + a + "/sub is a subdirectory of " + a +
                            ", which is already included.\n");
        QCOMPARE(countRows(file, "DRIVEDIRLIST"), 2);
        r = runBatchCaught({"--work-dir", work, file, "--add", b});
        QCOMPARE(r.status, ExitRefused);
        QCOMPARE(r.err, "zek-batch: You have already added " + b + ".\n");

        // Cleared and rescanned into another file; the first file stays as it was.
        const QString copy = m_env.path("copy.zek");
        r = runBatchCaught({file, "--clear", "--add", a + "/sub", "--scan", "--quiet", "--save-as", copy});
        QCOMPARE(r.status, ExitOk);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(countRows(copy, "FILETYPE"), 4);
        QCOMPARE(countRows(copy, "DRIVEDIRLIST"), 1);
        QCOMPARE(countRows(file, "FILETYPE"), 10);
        // The default work folder is a fresh temporary one, gone afterwards.
        QCOMPARE(batchTempFolders(), before);
    }

    void refusedInput() {
        const QString file = m_env.path("refused.zek");
        BatchRun r = runBatchCaught({file, "--add", m_env.path("tree/not there")});
        QCOMPARE(r.status, ExitRefused);
        QVERIFY(r.err.contains("No such file or directory"));
        QVERIFY(!QFile::exists(file));

        makeFile(raw(m_env.path("plain.txt")));
        r = runBatchCaught({file, "--add", m_env.path("plain.txt")});
        QCOMPARE(r.status, ExitRefused);
        QVERIFY(r.err.contains("not a folder"));

        r = runBatchCaught({file, "--scan"});
        QCOMPARE(r.status, ExitRefused);
        QCOMPARE(r.err, QString("zek-batch: You have to add drives and directories first.\n"));
        QVERIFY(!QFile::exists(file));
    }

    void brokenWorkFileIsAnEngineError() {
        const QString file = m_env.path("not a database.zek");
        QFile text(file);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("this is not a work file, only text that is long enough to be read as a header\n");
        text.close();
        const BatchRun r = runBatchCaught({file, "--add", folder("C", 1), "--scan"});
        QCOMPARE(r.status, ExitEngineError);
        QVERIFY2(r.err.startsWith("zek-batch: Error during open ZEK database: " + file + ". Error number :"),
                 qPrintable(r.err));
        QVERIFY2(!r.err.contains(".load"), qPrintable(r.err));
    }

    void saveFailureIsAnEngineError() {
        const BatchRun r = runBatchCaught({"--add", folder("D", 1), "--scan", "--quiet", "--save-as",
                                           m_env.path("no such folder/out.zek")});
        QCOMPARE(r.status, ExitEngineError);
        const QString target = m_env.path("no such folder/out.zek");
        QCOMPARE(r.err,
                 "zek-batch: Error # 2 : No such file or directory occured when saving " + target + ".\n");
    }

    // A run whose save is its last step makes its working copy the saved file: renamed where the
    // work folder shares the target's file system, copied where it does not. Either way an existing
    // target keeps its permissions, a link to it stays a link, and nothing is left behind.
    void saveAsTheLastStep_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("new file") << "new";
        QTest::newRow("existing file keeps its permissions") << "existing";
        QTest::newRow("link stays a link") << "link";
        QTest::newRow("work folder on another file system") << "other file system";
    }

    void saveAsTheLastStep() {
        QFETCH(QString, kind);
        const QString tree = folder("moved " + kind, 5);
        const QString target = m_env.path("moved " + kind + ".zek");
        const QString linked = m_env.path("linked " + kind + ".zek");
        if (kind == "existing") {
            QVERIFY(makeFile(raw(target)));
            QCOMPARE(::chmod(raw(target).constData(), 0640), 0);
        } else if (kind == "link") {
            QVERIFY(makeFile(raw(linked)));
            QVERIFY(QFile::link(linked, target));
        }
        const QByteArray savedTemp = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] { qputenv("TMPDIR", savedTemp); });
        if (kind == "other file system") {
            struct stat shm {
            }, here{};
            if (::stat("/dev/shm", &shm) != 0 || ::stat(raw(m_env.root()).constData(), &here) != 0 ||
                shm.st_dev == here.st_dev)
                QSKIP("no second file system for the work folder");
            qputenv("TMPDIR", "/dev/shm");
        }
        const QStringList before = batchTempFolders();

        const BatchRun r = runBatchCaught({"--add", tree, "--scan", "--quiet", "--save-as", target});
        QCOMPARE(r.status, ExitOk);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(countRows(target, "FILETYPE"), 5);
        QCOMPARE(batchTempFolders(), before);
        QVERIFY(!QFile::exists(target + ".part"));
        struct stat saved {};
        QCOMPARE(::stat(raw(target).constData(), &saved), 0);
        if (kind == "existing")
            QCOMPARE(saved.st_mode & 0777, 0640u);
        if (kind == "link") {
            QVERIFY(QFileInfo(target).isSymLink());
            QCOMPARE(countRows(linked, "FILETYPE"), 5);
        }
    }

    void interruptedScanSavesNothing() {
        const QString file = m_env.path("interrupted.zek");
        volatile std::sig_atomic_t interrupted = 1;
        const BatchRun r =
            runBatchCaught({file, "--add", folder("E", 30), "--scan", "--quiet"}, &interrupted);
        QCOMPARE(r.status, ExitInterrupted);
        QVERIFY(r.err.contains("nothing saved"));
        QVERIFY(!QFile::exists(file));
    }

    void skippedFoldersAreListedAndTheScanGoesOn() {
        // A folder nested beyond what the system can open: listed on stderr, counted, and the scan
        // completes and is saved.
        const QString top = folder("F", 2);
        const auto cleanup = qScopeGuard([&] { removeTree(raw(top)); });
        QVERIFY(makeTooDeepChain(raw(top)) > 20);
        const QString file = m_env.path("skipped.zek");
        const BatchRun r = runBatchCaught({file, "--add", top, "--scan", "--quiet"});
        QCOMPARE(r.status, ExitOk);
        QVERIFY2(r.err.startsWith("zek-batch: Folder " + top + "/ddd"), qPrintable(r.err));
        QVERIFY(r.err.contains(
            "zek-batch: skipped 1 folder and 0 entries that could not be read (listed above)\n"));
        QVERIFY(countRows(file, "FILETYPE") > 20);
    }

    // A work folder another program holds is refused before anything is done in it, by this run and
    // by the real program; a run on a temporary folder of its own goes on meanwhile.
    void aWorkFolderInUseIsRefused() {
        const QString a = folder("busy tree", 2);
        const QString work = m_env.path("busy work");
        QVERIFY(QDir().mkpath(work));
        const QString file = m_env.path("busy.zek");
        platform::DirectoryLock other;
        QVERIFY(other.acquire(work));

        BatchRun r = runBatchCaught({"--work-dir", work, file, "--add", a, "--scan"});
        QCOMPARE(r.status, ExitWorkDirectoryInUse);
        QCOMPARE(r.err, "zek-batch: the work folder " + work +
                            " is in use by another program (ZEK or zek-batch); only one program at a time "
                            "can use a work folder\n");
        QVERIFY(!QFile::exists(file));
        QVERIFY(!QFile::exists(work + "/work.zek"));
        QVERIFY(runBatchCaught({"--help"}).out.contains("  4    the work folder is in use"));

        const QString program = QCoreApplication::applicationDirPath() + "/../zek-batch";
        if (QFile::exists(program)) {
            QProcess p;
            p.start(program, {"--work-dir", work, file, "--add", a, "--scan"});
            QVERIFY(p.waitForFinished(30000));
            QCOMPARE(p.exitCode(), ExitWorkDirectoryInUse);
            QVERIFY(!QFile::exists(file));
        }

        r = runBatchCaught({file, "--add", a, "--scan", "--quiet"});
        QCOMPARE(r.status, ExitOk);
        QCOMPARE(countRows(file, "FILETYPE"), 2);

        // Free again once the holder lets go; the run's own lock ends with the run.
        other.release();
        r = runBatchCaught({"--work-dir", work, file, "--quiet"});
        QCOMPARE(r.status, ExitOk);
        QVERIFY(other.acquire(work));
    }

    void realProgram() {
        const QString program = QCoreApplication::applicationDirPath() + "/../zek-batch";
        if (!QFile::exists(program))
            QSKIP("zek-batch is not built beside the tests");
        QProcess p;
        p.start(program, {"--version"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), QString("zek-batch 2.95\n"));

        const QString a = folder("G", 5);
        const QString file = m_env.path("real.zek");
        p.start(program, {file, "--add", a, "--scan", "--quiet"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(countRows(file, "FILETYPE"), 5);
        // Its error stream is a pipe here: no progress line, no carriage return.
        p.start(program, {m_env.path("real2.zek"), "--add", a, "--scan"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QString scanned = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(!scanned.contains('\r') && scanned.contains("zek-batch: 5 entries in 1 folder, "),
                 qPrintable(scanned));
        p.start(program, {});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).startsWith("Usage: zek-batch"));
        p.start(program, {file, "--add", a});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 2);
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
                 "zek-batch: You have already added " + a + ".\n");
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "test_batch.moc"
