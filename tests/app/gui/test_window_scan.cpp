// A scan of some twenty thousand entries through the real windows, offscreen: Start in Path
// Selection opens the processing window, which keeps painting while the scan runs; its Cancel stops
// the scan soon and leaves a working copy that SQLite finds whole and that holds every entry
// recorded. The bounds are loose on purpose: the test also runs under the sanitizers on a busy machine.
#include "scan/folder_add_check.h"
#include "support/laptop_screen.h"
#include "support/program_session.h"
#include "support/window_scan_watch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <sqlite3.h>

using namespace zek;

namespace {

constexpr int Folders = 200;
constexpr int FilesPerFolder = 100;
constexpr qint64 TreeEntries = Folders * (1 + FilesPerFolder);

bool makeTree(const QString& top) {
    for (int d = 0; d < Folders; ++d) {
        const QString folder = top + QString("/folder %1").arg(d);
        if (!QDir().mkpath(folder))
            return false;
        for (int f = 0; f < FilesPerFolder; ++f) {
            QFile file(folder + QString("/file %1.txt").arg(f));
            if (!file.open(QIODevice::WriteOnly))
                return false;
        }
    }
    return true;
}

// A second connection's view of a database file: SQLite's integrity check and the FILETYPE records.
struct FileCheck {
    QString integrity;
    qint64 records = -1;
};

FileCheck checkFile(const QString& path) {
    FileCheck check;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            check.integrity = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        sqlite3_finalize(s);
        if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM FILETYPE", -1, &s, nullptr) == SQLITE_OK &&
            sqlite3_step(s) == SQLITE_ROW)
            check.records = sqlite3_column_int64(s, 0);
        sqlite3_finalize(s);
    } else {
        check.integrity = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    return check;
}

} // namespace

class TestWindowScan : public QObject {
    Q_OBJECT

    QTemporaryDir m_treeRoot;
    QString m_tree;

private Q_SLOTS:
    void initTestCase() {
        m_tree = m_treeRoot.filePath("tree");
        QVERIFY(makeTree(m_tree));
    }

    void scanThroughTheWindow_data() {
        QTest::addColumn<qint64>("cancelAfterEntries");
        QTest::addColumn<bool>("completes");
        QTest::newRow("cancelled early") << qint64(1) << false;
        QTest::newRow("cancelled at a quarter") << TreeEntries / 4 << false;
        QTest::newRow("completed") << qint64(-1) << true;
    }

    void scanThroughTheWindow() {
        QFETCH(qint64, cancelAfterEntries);
        QFETCH(bool, completes);
        test::ProgramSession session;
        QVERIFY(session.startProgram());
        AppState& app = *session.app;
        app.work.settings.folders.append(m_tree, scan::shortFormOfFolder(QFile::encodeName(m_tree)));
        Q_EMIT app.work.events.settingsReloaded();
        session.prompter->clear();

        test::WindowScanWatch::Options options;
        options.cancelAfterEntries = cancelAfterEntries;
        test::WindowScanWatch watch(app.scan, options);
        QElapsedTimer clock;
        clock.start();
        session.main()->findChild<QPushButton*>("drivedirstart")->click();
        // On a quiet machine the small tree can be walked within a few pump intervals; only a scan
        // long enough to need several must show several paints and progress texts.
        const bool longScan = clock.elapsed() > 400;
        QVERIFY(watch.finished);
        const qint64 entries = app.scan.counters.entries;
        QVERIFY2(watch.scanMs >= 0, "the scan never ran with the window on screen");

        // Painted all along: a window that paints only at the start and the end is frozen for the user.
        QVERIFY2(watch.paintBatches >= watch.scanMs / 400 &&
                     (watch.paintBatches >= 2 || !completes || !longScan),
                 qPrintable(QString("%1 paints in %2 ms").arg(watch.paintBatches).arg(watch.scanMs)));
        QVERIFY2(watch.maxTurnGapMs() < 5000, qPrintable(QString::number(watch.maxTurnGapMs())));

        if (completes) {
            QCOMPARE(watch.outcome, scan::ScanOutcome::Completed);
            QCOMPARE(entries, TreeEntries);
            QVERIFY(watch.progressTexts.size() >= (longScan ? 2 : 1));
        } else {
            // Cancel is pressed at a turn of the event loop, every few tens of milliseconds; a machine
            // fast enough may finish the tree before the turn that presses it.
            if (watch.cancelLatencyMs < 0 && watch.outcome == scan::ScanOutcome::Completed)
                QSKIP("the scan ended before the turn that was to press Cancel");
            QCOMPARE(watch.outcome, scan::ScanOutcome::Cancelled);
            QVERIFY2(watch.cancelLatencyMs >= 0 && watch.cancelLatencyMs < 5000,
                     qPrintable(QString::number(watch.cancelLatencyMs)));
            QVERIFY2(entries < TreeEntries, qPrintable(QString::number(entries)));
            QCOMPARE(app.work.scanResult, work::NoCompletedScan);
        }
        QVERIFY2(session.prompter->messages.isEmpty(), qPrintable(session.prompter->texts().join(" / ")));

        // The working copy, as another program sees a copy of it: whole, with every entry recorded.
        const QString copy = session.env->path("copy.zek");
        QVERIFY(QFile::copy(app.work.workingCopyName(), copy));
        // The engine keeps its journal file open between transactions; a copy takes it along.
        if (QFile::exists(app.work.workingCopyName() + "-journal"))
            QVERIFY(QFile::copy(app.work.workingCopyName() + "-journal", copy + "-journal"));
        const FileCheck check = checkFile(copy);
        QCOMPARE(check.integrity, QString("ok"));
        QCOMPARE(check.records, entries);

        // And the program goes on: Save As writes it out whole.
        const QString saved = session.env->path("saved.zek");
        session.prompter->saveAnswers = {saved};
        session.action("Menu_File_SaveAs")->trigger();
        QCOMPARE(app.work.activeFileName, saved);
        QCOMPARE(checkFile(saved).records, entries);
    }
};

ZEK_TEST_MAIN_ON_LAPTOP_SCREEN(TestWindowScan)
#include "test_window_scan.moc"
