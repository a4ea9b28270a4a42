// zek-batch on a disk that fills up: the error goes to the error stream with its number and text, the
// status is 1, the user's file keeps every byte, no temporary or truncated file stays behind, and the
// next run saves elsewhere. The full disk is a file size limit on the test process, or, where this machine
// lets the test mount one, a small tmpfs.
#include "db/engine.h"
#include "support/batch_runner.h"
#include "support/file_size_limit.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

using namespace zek;
using namespace zek::test;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

long long filetypeCount(const QString& file) {
    return db::Database::open(file, false)->openSql("SELECT * FROM FILETYPE")->recordCount();
}

bool makeTree(const QString& root, int files) {
    if (!QDir().mkpath(root))
        return false;
    for (int i = 0; i < files; ++i) {
        QFile f(root + QString("/file-with-a-longer-name-%1.txt").arg(i));
        if (!f.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

// Files a failed run must not leave: copies in progress, journals, staged opens.
QStringList leftovers(const QString& folder) {
    return QDir(folder).entryList({"*.part", "*-journal", "*.load"}, QDir::Files | QDir::Hidden);
}

// Where the disk fills.
enum class Fills { ScanIntoWorkingCopy, OpenIntoWorkingCopy, SaveOntoTarget, ReportFile };

} // namespace

class TestBatchDiskFull : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    ScriptedPrompter m_prompter; // restored after each run; never asked
    QString m_big;

    // After a failure: the next run, with room again, scans and saves elsewhere.
    void nextRunSavesElsewhere(const QString& userFile, const QString& workDir, const QString& elsewhere) {
        const BatchRun r = runBatchCaught({userFile, "--work-dir", workDir, "--clear", "--add", m_big,
                                           "--scan", "--save-as", elsewhere, "--quiet"});
        QVERIFY2(r.status == batch::ExitOk, qPrintable(r.err));
        QCOMPARE(filetypeCount(elsewhere), 3000);
    }

private Q_SLOTS:
    void initTestCase() {
        m_big = m_env.path("big");
        QVERIFY(makeTree(m_big, 3000));
    }

    void failureIsToldAndTheUsersFileStaysWhole_data() {
        QTest::addColumn<Fills>("fills");
        QTest::addColumn<QString>("message"); // %1: the user's file
        QTest::newRow("scan into the working copy")
            << Fills::ScanIntoWorkingCopy
            << QString("zek-batch: Error # 778 : disk I/O error occured when scanning; nothing saved.\n");
        QTest::newRow("open into the working copy")
            << Fills::OpenIntoWorkingCopy
            << QString("zek-batch: Error during open ZEK database: %1. Error number :27 / File too large\n");
    }
    void failureIsToldAndTheUsersFileStaysWhole() {
        QFETCH(Fills, fills);
        QFETCH(QString, message);
        const QString tag = QTest::currentDataTag();
        const QString saved = m_env.path(tag + "/saved");
        const QString workDir = m_env.path(tag + "/work");
        QVERIFY(QDir().mkpath(saved));
        const QString userFile = saved + "/inventory.zek";

        // The user's file: empty for the scan to fill, or a large inventory to open.
        const QStringList first = fills == Fills::OpenIntoWorkingCopy
                                      ? QStringList{userFile, "--work-dir", workDir, "--add", m_big, "--scan"}
                                      : QStringList{userFile, "--work-dir", workDir};
        QCOMPARE(runBatchCaught(first + QStringList{"--quiet"}).status, batch::ExitOk);
        const QByteArray before = fileBytes(userFile);
        QVERIFY(!before.isEmpty());

        BatchRun r;
        {
            FileSizeLimit disk;
            if (fills == Fills::OpenIntoWorkingCopy) {
                QVERIFY(disk.set(before.size() / 2));
                r = runBatchCaught({userFile, "--work-dir", workDir, "--select", "--quiet"});
            } else {
                QVERIFY(disk.set(before.size() + 16 * 1024));
                r = runBatchCaught({userFile, "--work-dir", workDir, "--add", m_big, "--scan", "--quiet"});
            }
        }
        QCOMPARE(r.status, batch::ExitEngineError);
        QCOMPARE(r.err, QString(message).replace("%1", userFile));
        QCOMPARE(fileBytes(userFile), before);
        QCOMPARE(QDir(saved).entryList(QDir::Files | QDir::Hidden), QStringList{"inventory.zek"});
        QCOMPARE(leftovers(workDir), QStringList());

        nextRunSavesElsewhere(userFile, workDir, m_env.path(tag + "/elsewhere.zek"));
        QCOMPARE(fileBytes(userFile), before);
    }

    // A real small file system: only where the test may mount one (root, or a permissive container).
    void smallFileSystem_data() {
        QTest::addColumn<Fills>("fills");
        QTest::addColumn<QString>("message"); // %1: the user's file
        QTest::newRow("work folder on it") << Fills::ScanIntoWorkingCopy
                                           << QString("zek-batch: Error # 13 : database or disk is full "
                                                      "occured when scanning; nothing saved.\n");
        QTest::newRow("user's file on it")
            << Fills::SaveOntoTarget
            << QString("zek-batch: Error # 28 : No space left on device occured when saving %1.\n");
        QTest::newRow("report file on it")
            << Fills::ReportFile
            << QString("zek-batch: cannot write %2: Error # 28 : No space left on device\n");
    }
    void smallFileSystem() {
        QFETCH(Fills, fills);
        QFETCH(QString, message);
        const QString tag = QTest::currentDataTag();
        const QString mountPoint = m_env.path(tag + "/small");
        QVERIFY(QDir().mkpath(mountPoint));
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=256k", "tmpfs", mountPoint}) != 0)
            QSKIP("this machine does not let the test mount a tmpfs");
        auto unmount = qScopeGuard([&] { QProcess::execute("umount", {mountPoint}); });

        const bool workOnIt = fills == Fills::ScanIntoWorkingCopy;
        const QString workDir = workOnIt ? mountPoint + "/work" : m_env.path(tag + "/work");
        const QString saved = fills == Fills::SaveOntoTarget ? mountPoint : m_env.path(tag + "/saved");
        QVERIFY(QDir().mkpath(saved));
        const QString userFile = saved + "/inventory.zek";
        const QString reportFile = mountPoint + "/detail.csv";
        // The report is written from a full inventory; the other cases scan into an empty one.
        const QStringList first = fills == Fills::ReportFile
                                      ? QStringList{userFile, "--work-dir", workDir, "--add", m_big, "--scan"}
                                      : QStringList{userFile, "--work-dir", workDir};
        QCOMPARE(runBatchCaught(first + QStringList{"--quiet"}).status, batch::ExitOk);
        const QByteArray before = fileBytes(userFile);
        QVERIFY(!before.isEmpty());

        const BatchRun r =
            fills == Fills::ReportFile
                ? runBatchCaught({userFile, "--work-dir", workDir, "--detail", reportFile, "--quiet"})
                : runBatchCaught({userFile, "--work-dir", workDir, "--add", m_big, "--scan", "--quiet"});
        QCOMPARE(r.status, batch::ExitEngineError);
        QCOMPARE(r.err, QString(message).replace("%1", userFile).replace("%2", reportFile));
        QCOMPARE(fileBytes(userFile), before);
        QCOMPARE(QDir(saved).entryList(QDir::Files | QDir::Hidden), QStringList{"inventory.zek"});
        QCOMPARE(leftovers(workDir), QStringList());
        if (fills == Fills::ReportFile)
            QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList());

        if (workOnIt) // the full folder stays full: the next run works in another
            nextRunSavesElsewhere(userFile, m_env.path(tag + "/work2"), m_env.path(tag + "/elsewhere.zek"));
        else
            nextRunSavesElsewhere(userFile, workDir, m_env.path(tag + "/elsewhere.zek"));
        QCOMPARE(fileBytes(userFile), before);
    }
};

QTEST_GUILESS_MAIN(TestBatchDiskFull)
#include "test_batch_disk_full.moc"
